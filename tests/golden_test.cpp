// Golden runs: shipped cars driven on a shipped track through a fixed
// script of controls, every field of the car and the drawn track (its skid
// marks) compared exactly with a run recorded from the model. The handling
// model's numbers feed lap records, so a change in the last bit of a float
// is a change players see; focused tests cannot pin every rounding step.
//
//     GRAVELIN_RECORD_GOLDEN=1   rewrite tests/golden/*.txt from this build
//
// Re-record only on purpose (a deliberate change to the model or to the
// track a run uses) and say why in the commit.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "frontend/test_drive.hpp"
#include "test_support.hpp"
#include "track/track.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// One stretch of the script: controls held for a number of frames. Keys are
// letters: A accelerate, B brake, L left, R right, N nitro.
struct Span {
    int frames;
    const char* keys;
};

struct GoldenRun {
    const char* file; // under tests/golden/
    const char* car;
    const char* track;
    float startFuel; // below a full tank, so that filling up shows
    std::vector<Span> script;
};

CarControls controlsOf(const char* keys) {
    CarControls c;
    for (const char* k = keys; *k; ++k) {
        c.accelerate |= *k == 'A';
        c.brake |= *k == 'B';
        c.left |= *k == 'L';
        c.right |= *k == 'R';
        c.nitro |= *k == 'N';
    }
    return c;
}

// Every field of the car, floats with nine significant digits: enough for
// any float to read back as itself, so comparing the text compares exactly.
std::string carLine(const Car& c) {
    char b[1024];
    std::snprintf(b, sizeof b,
                  "posX=%.9g posY=%.9g x=%d y=%d frame=%d moveAngle=%.9g bodyAngle=%.9g "
                  "steering=%.9g accel=%.9g speed=%.9g engineFreq=%.9g engineRev=%.9g "
                  "crashed=%d crashFrames=%d fuel=%.9g damage=%.9g wrecked=%d onRoad=%d "
                  "skid=%.9g nitro=%.9g reverseSpeed=%.9g",
                  c.posX, c.posY, c.x, c.y, c.frame, c.moveAngle, c.bodyAngle, c.steering, c.accel,
                  c.speed, c.engineFreq, c.engineRev, int(c.crashed), c.crashFrames, c.fuel,
                  c.damage, int(c.wrecked), int(c.onRoad), c.skid, c.nitro, c.reverseSpeed);
    return b;
}

std::map<std::string, std::string> fieldsOf(const std::string& line) {
    std::map<std::string, std::string> out;
    std::istringstream in(line);
    std::string token;
    while (in >> token) {
        const auto eq = token.find('=');
        if (eq != std::string::npos) out[token.substr(0, eq)] = token.substr(eq + 1);
    }
    return out;
}

std::string surfaceHash(SDL_Surface* s) {
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        const auto* row =
            static_cast<const std::uint8_t*>(s->pixels) + std::ptrdiff_t(y) * s->pitch;
        for (int i = 0; i < s->w * 4; ++i)
            h = (h ^ row[i]) * 1099511628211ull;
    }
    SDL_UnlockSurface(s);
    char b[32];
    std::snprintf(b, sizeof b, "%016llx", static_cast<unsigned long long>(h));
    return b;
}

bool envSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v && std::string(v) != "0";
}

// What a frame of the run passed through, for the checks that the script
// still reaches every place it was written for.
struct Passage {
    bool road = false, grass = false, crash = false, pitBox = false, refuelOnly = false;
};

void PrintTo(const GoldenRun& run, std::ostream* os) {
    *os << run.file;
}

class GoldenDrive : public ::testing::TestWithParam<GoldenRun> {
  protected:
    void SetUp() override {
        game = initGame();
        game->loadCarList();
        game->options.skidmarks = game->options.carDamage = game->options.fuelConsumption = true;
        game->options.unlimitedNitro = false;
    }

    Game* game = nullptr;
};

} // namespace

TEST_P(GoldenDrive, MatchesTheRecordedRun) {
    const GoldenRun& run = GetParam();
    const std::string path = std::string(GRAVELIN_GOLDEN_DIR) + "/" + run.file;
    const bool record = envSet("GRAVELIN_RECORD_GOLDEN");

    // The recorded frames and surface hashes, by frame.
    std::map<int, std::string> expectedCar, expectedSurface;
    const bool compare = !record;
    if (compare) {
        std::ifstream in(path);
        ASSERT_TRUE(in) << path << " is missing; record it with GRAVELIN_RECORD_GOLDEN=1";
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string what;
            int frame = -1;
            if (!(words >> what >> frame)) continue;
            std::string rest;
            std::getline(words, rest);
            if (what == "frame") expectedCar[frame] = rest;
            if (what == "surface")
                expectedSurface[frame] = rest.substr(rest.find_first_not_of(' '));
        }
        ASSERT_FALSE(expectedCar.empty()) << path;
    }

    TestDrive drive;
    const CarType* type = game->findCar(run.car);
    ASSERT_TRUE(type) << run.car;
    ASSERT_TRUE(drive.start(run.track, *type));
    SDL_Surface* trackSurface = drive.drawing.trackSurface;
    Car& car = *drive.car;
    car.fuel = run.startFuel;
    const float burn = car.type->consumption * 0.0007142857f;

    std::vector<std::string> lines;    // every frame, frame 0 before the first step
    std::vector<std::uint32_t> events; // per frame: which places the car was in
    std::map<int, std::string> surfaces;
    Passage seen;
    int mismatches = 0;
    int frame = 0;
    auto sample = [&] {
        const bool pit = car.probeArea(PitBox) != nullptr;
        const bool refuel = car.probeArea(Refuel) != nullptr;
        events.push_back(std::uint32_t(car.onRoad) | std::uint32_t(car.crashed) << 1 |
                         std::uint32_t(pit) << 2 | std::uint32_t(refuel) << 3 |
                         std::uint32_t(car.skid > 0) << 4 | std::uint32_t(car.wrecked) << 5);
        lines.push_back(carLine(car));
        const bool hashHere = record ? frame % 50 == 0 : expectedSurface.count(frame) != 0;
        if (hashHere) surfaces[frame] = surfaceHash(trackSurface);
        if (!compare) return;
        if (auto e = expectedCar.find(frame); e != expectedCar.end()) {
            const auto want = fieldsOf(e->second), got = fieldsOf(lines.back());
            for (const auto& [name, value] : want)
                if (got.at(name) != value && ++mismatches <= 12)
                    ADD_FAILURE() << run.file << " frame " << frame << " " << name << ": recorded "
                                  << value << ", now " << got.at(name);
        }
        if (auto e = expectedSurface.find(frame); e != expectedSurface.end())
            if (surfaces[frame] != e->second && ++mismatches <= 12)
                ADD_FAILURE() << run.file << " frame " << frame << ": the drawn track differs";
    };

    sample();
    for (const Span& span : run.script)
        for (int i = 0; i < span.frames; ++i) {
            const float fuelBefore = car.fuel;
            const bool wasCrashed = car.crashed;
            drive.step(controlsOf(span.keys));
            ++frame;
            sample();
            seen.road |= car.onRoad;
            seen.grass |= !car.onRoad;
            seen.crash |= car.crashed && !wasCrashed;
            // Filling is seen only where the tank has room; both kinds of
            // area fill in one frame where they overlap.
            const bool pit = car.probeArea(PitBox), refuel = car.probeArea(Refuel);
            const float rise = car.fuel - fuelBefore + burn;
            if (car.fuel < car.type->tankSize && car.engineFreq > 0) {
                if (pit && std::fabs(rise - (refuel ? 0.13f : 0.07f)) < 1e-5f) seen.pitBox = true;
                if (refuel && !pit && std::fabs(rise - 0.06f) < 1e-5f) seen.refuelOnly = true;
            }
        }
    surfaces[frame] = surfaceHash(trackSurface);

    // The script must still take the car everywhere it was written for.
    EXPECT_TRUE(seen.road) << run.file;
    EXPECT_TRUE(seen.grass) << run.file << ": never off the road";
    EXPECT_TRUE(seen.crash) << run.file << ": never hit an obstacle";
    EXPECT_TRUE(seen.pitBox) << run.file << ": never filled up in the pit box";
    EXPECT_TRUE(seen.refuelOnly) << run.file << ": never filled up in a refuel area alone";

    if (compare) {
        EXPECT_EQ(frame, expectedCar.rbegin()->first) << "the script's length changed";
    }
    if (!record) return;
    std::ofstream out(path);
    out << "# Golden run of " << run.car << " on " << run.track << ", recorded from the\n"
        << "# handling model by tests/golden_test.cpp (GRAVELIN_RECORD_GOLDEN=1). These values\n"
        << "# are re-recorded only on purpose, with the reason in the commit.\n";
    // Every tenth frame, the frames either side of every change of place or
    // state, and the last one.
    for (int f = 0; f <= frame; ++f) {
        bool keep = f % 10 == 0 || f == frame;
        for (int d = -1; d <= 1 && !keep; ++d) {
            const int g = f + d;
            keep = g > 0 && g <= frame && events[std::size_t(g)] != events[std::size_t(g - 1)];
        }
        if (keep) out << "frame " << f << " " << lines[std::size_t(f)] << "\n";
        if (surfaces.count(f)) out << "surface " << f << " " << surfaces[f] << "\n";
    }
    std::printf("recorded %s\n", path.c_str());
}

// The scripts, one per car as they turn and crash differently: down the
// start straight from the grid, left below the end of the pit wall and up
// the pit lane the wrong way, into the pit wall, then (once the crash is
// over) through the refuel area and the pit box, and off onto the grass.
std::vector<Span> script(int crashFrames, int turnOut) {
    return {
        {40, "AN"},         // down the start straight, on nitro
        {30, ""},           //
        {26, "L"},          // left, towards the end of the pit wall
        {20, "A"},          //
        {26, "L"},          // up the pit lane
        {4, "A"},           //
        {14, "AL"},         // into the pit wall
        {crashFrames, "A"}, // until the crash is over
        {turnOut, "AR"},    // out of the crash, north again
        {40, "A"},          // through the refuel area and the pit box
        {15, "AR"},         // right, off onto the grass
        {30, "A"},          //
    };
}
// The kart and the cab hit the wall sooner and stop nearer it, so they
// wait less and turn out more sharply.
const std::vector<Span> kGrendelScript = script(85, 12);
const std::vector<Span> kKartScript = script(63, 18);
const std::vector<Span> kCabScript = script(59, 18);

INSTANTIATE_TEST_SUITE_P(
    ShippedCars, GoldenDrive,
    ::testing::Values(GoldenRun{"meadow_grendel.txt", "Grendel V8", "meadow.map", 30.0f,
                                kGrendelScript},
                      GoldenRun{"meadow_kart.txt", "Pipsqueak", "meadow.map", 15.0f, kKartScript},
                      GoldenRun{"meadow_cab.txt", "City Cab", "meadow.map", 25.0f, kCabScript}),
    [](const auto& info) {
        std::string n = info.param.file;
        return n.substr(0, n.find('.'));
    });
