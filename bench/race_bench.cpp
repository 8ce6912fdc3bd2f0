// What a race costs: one drawn frame on every shipped track with one view
// and with two (split into the race's update and the drawing), preparing a
// race, and a whole race without drawing. Every frame figure is also given
// as a ratio to copying one 640 x 400 screen with memcpy in the same run
// (xMemcpy), so that figures from different machines compare.
//
//     cd build/game && ../bench/gravelin_bench --benchmark_filter=Race
#include "car/car_list.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "frontend/minimap.hpp"
#include "frontend/race_display.hpp"
#include "frontend/race_drawing.hpp"
#include "gfx/font.hpp"
#include "race/race.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Nanoseconds to copy one screen, measured once.
double memcpyNanoseconds() {
    static const double ns = [] {
        std::vector<std::uint32_t> a(640 * 400, 1), b(640 * 400);
        const int rounds = 2000;
        const auto start = Clock::now();
        for (int i = 0; i < rounds; ++i) {
            std::memcpy(b.data(), a.data(), a.size() * 4);
            benchmark::DoNotOptimize(b.data());
            a[std::size_t(i) % a.size()] = std::uint32_t(i);
        }
        return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / rounds;
    }();
    return ns;
}

// The video mode the drawn track is made in; once for the whole run.
SDL_Surface* screen() {
    static SDL_Surface* s = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        SDL_Init(SDL_INIT_VIDEO);
        return SDL_SetVideoMode(640, 400, 32, 0);
    }();
    return s;
}

// Eight computer drivers on a track, in free driving so that the race never
// ends, with or without what draws it.
struct BenchRace {
    std::vector<std::unique_ptr<CarType>> cars = loadCarTypes();
    std::vector<std::unique_ptr<PlayerProfile>> profiles;
    std::vector<std::unique_ptr<ComputerDriver>> drivers;
    std::vector<ControlSource*> sources;
    std::unique_ptr<Race> race;
    RaceDrawing drawing;
    Fonts fonts;

    bool start(const std::string& track, int views, bool draw, const RaceRules& rules) {
        race = std::make_unique<Race>(rules);
        std::string why;
        for (int i = 0; i < 8 && !cars.empty(); ++i) {
            profiles.push_back(std::make_unique<PlayerProfile>());
            profiles.back()->type = i < views ? Human : Computer;
            if (!race->addParticipant(profiles.back().get(), *cars[std::size_t(i) % cars.size()],
                                      why))
                return false;
            if (draw && !drawing.addSprite(*cars[std::size_t(i) % cars.size()], why)) return false;
            // The "humans" are driven by the computer too, so that their
            // views move as a player's would.
            drivers.push_back(std::make_unique<ComputerDriver>());
            sources.push_back(drivers.back().get());
        }
        if (draw) {
            std::string missing;
            fonts.load(missing);
            drawing.makeViews(*race, 640, 400, 0, views == 2 ? 1 : -1);
        }
        if (!race->prepareRace(track, why) || (draw && !drawing.prepare(*race))) return false;
        for (ControlSource* s : sources)
            s->raceStarts();
        return true;
    }
    void drawFrame() {
        drawing.paintSkidMarks(*race);
        drawing.drawObjects(*race, false);
        drawing.drawViews(screen());
        drawRaceDisplay(screen(), fonts.small, *race, drawing, false);
        drawMinimaps(screen(), *race, drawing);
    }
};

void setRatio(benchmark::State& state, double nanoseconds) {
    state.counters["xMemcpy"] = nanoseconds / memcpyNanoseconds();
}

void BM_RaceFrame(benchmark::State& state, const std::string& track, int views) {
    screen();
    BenchRace b;
    if (!b.start(track, views, true, RaceRules{})) {
        state.SkipWithError("the race could not be set up (run from build/game)");
        return;
    }
    for (int i = 0; i < 200; ++i) { // past the lights, the cars under way
        b.drawing.eraseCars();
        b.race->step(b.sources);
        b.drawFrame();
    }
    double update = 0, draw = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        b.drawing.eraseCars();
        b.race->step(b.sources);
        const auto t1 = Clock::now();
        b.drawFrame();
        const auto t2 = Clock::now();
        update += std::chrono::duration<double, std::nano>(t1 - t0).count();
        draw += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = double(state.iterations());
    state.counters["updateUs"] = update / n / 1000;
    state.counters["drawUs"] = draw / n / 1000;
    setRatio(state, (update + draw) / n);
}

void BM_PrepareRace(benchmark::State& state, const std::string& track) {
    screen();
    std::vector<std::unique_ptr<CarType>> cars = loadCarTypes();
    for (auto _ : state) {
        Race race{RaceRules{}};
        RaceDrawing drawing;
        std::string why;
        if (!race.prepareRace(track, why) || !drawing.prepare(race)) {
            state.SkipWithError("the track could not be prepared");
            return;
        }
    }
}

// A three-lap season race of eight computer drivers, undrawn, as CI runs
// them: the race's frames times 16 ms over the processor time it took.
void BM_HeadlessRace(benchmark::State& state, const std::string& track) {
    RaceRules rules;
    rules.mode = RacingSeason;
    rules.laps = 3;
    double realTime = 0, cpuTime = 0;
    for (auto _ : state) {
        BenchRace b;
        const std::clock_t start = std::clock();
        if (!b.start(track, 0, false, rules)) {
            state.SkipWithError("the race could not be set up (run from build/game)");
            return;
        }
        std::int64_t frames = 0;
        while (b.race->phase() != RacePhase::Over && frames < 60000) {
            b.race->step(b.sources);
            ++frames;
        }
        cpuTime += double(std::clock() - start) / CLOCKS_PER_SEC;
        realTime += double(frames) * 0.016;
    }
    state.counters["xRealTime"] = realTime / cpuTime;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<std::uint32_t> a(640 * 400, 1), b(640 * 400);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
    }
    setRatio(state, memcpyNanoseconds());
}
BENCHMARK(BM_Memcpy);

// One set of benchmarks per shipped track, registered before main runs.
const bool registered = [] {
    for (const std::string& map : listDirectory("tracks/", "*.map")) {
        const std::string name = map.substr(0, map.size() - 4);
        benchmark::RegisterBenchmark(("BM_RaceFrame/" + name + "/1view").c_str(), BM_RaceFrame, map,
                                     1)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_RaceFrame/" + name + "/2views").c_str(), BM_RaceFrame,
                                     map, 2)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_PrepareRace/" + name).c_str(), BM_PrepareRace, map)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_HeadlessRace/" + name).c_str(), BM_HeadlessRace, map)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    return true;
}();

} // namespace
