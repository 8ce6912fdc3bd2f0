// The race on its own, stepped from control sources alone. This program never
// starts SDL's video; main checks that nothing did.
#include "car/car.hpp"
#include "car/car_list.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "driver/control_source.hpp"
#include "race/positions.hpp"
#include "race/race.hpp"
#include "race/race_watch.hpp"
#include "race/results.hpp"
#include "records/profile.hpp"
#include "scratch_dir.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr double kPi = 3.1415926535;

// A rectangular ring, 160 px wide roads round grass, driven anticlockwise
// on the screen: down the left leg from the grid, along the bottom, straight
// up the right leg, back along the top. Checkpoints on the three far legs.
Track ringTrack() {
    Track t = testTrack(40, 30);
    auto area = [](std::int32_t kind, int x1, int y1, int x2, int y2) {
        // Areas are stored 16 px lower than they are tested.
        return TrackArea{std::int16_t(kind), std::int16_t(x1), std::int16_t(y1 + 16),
                         std::int16_t(x2), std::int16_t(y2 + 16)};
    };
    t.areas = {area(Road, 100, 100, 260, 860),         area(Road, 100, 700, 1180, 860),
               area(Road, 1020, 100, 1180, 860),       area(Road, 100, 100, 1180, 260),
               area(FinishLine, 100, 400, 260, 420),   area(Checkpoint, 640, 700, 660, 860),
               area(Checkpoint, 1020, 480, 1180, 500), area(Checkpoint, 640, 100, 660, 260)};
    const int line[][2] = {{180, 560},  {180, 760},  {300, 780},  {860, 780}, {1080, 760},
                           {1100, 640}, {1100, 180}, {1000, 180}, {300, 180}, {180, 260}};
    for (std::size_t i = 0; i < std::size(line); ++i)
        t.waypoints[i] = {RacingLine, line[i][0], line[i][1]};
    return t;
}

struct HeadlessRace : ::testing::Test {
    void SetUp() override {
        cars = loadCarTypes();
        ASSERT_FALSE(cars.empty());
        ASSERT_TRUE(writeFileAtomically("tracks/ring.map", encodeMap(ringTrack())));
    }
    // A race of drivers of the given types, each with a car of the list in
    // turn and the source a game would give it: the computer driver, or a
    // script for a human.
    void makeRace(
        const RaceRules& rules, const std::vector<std::int32_t>& types,
        ScriptedControls::Script script = [](std::int32_t) { return Controls{}; }) {
        profiles.clear();
        owned.clear();
        sources.clear();
        race = std::make_unique<Race>(rules);
        for (std::int32_t type : types) {
            auto p = std::make_unique<PlayerProfile>();
            p->name = "D" + std::to_string(profiles.size());
            p->type = type;
            std::string why;
            ASSERT_TRUE(race->addParticipant(p.get(), *cars[profiles.size() % cars.size()], why))
                << why;
            if (type == Human)
                owned.push_back(std::make_unique<ScriptedControls>(script));
            else
                owned.push_back(std::make_unique<ComputerDriver>());
            sources.push_back(owned.back().get());
            profiles.push_back(std::move(p));
        }
    }
    void prepare(const std::string& track) {
        std::string why;
        ASSERT_TRUE(race->prepareRace(track, why)) << why;
        for (ControlSource* s : sources)
            if (s) s->raceStarts();
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i)
            race->step(sources);
    }
    // Through the lights to the first frame of racing.
    void toGo() { steps(150); }
    Player& player(std::size_t i) { return *race->players()[i]; }
    ComputerDriver& computer(std::size_t i) { return *dynamic_cast<ComputerDriver*>(sources[i]); }

    ScratchDir dir;
    std::vector<std::unique_ptr<CarType>> cars;
    std::vector<std::unique_ptr<PlayerProfile>> profiles;
    std::vector<std::unique_ptr<ControlSource>> owned;
    std::vector<ControlSource*> sources;
    std::unique_ptr<Race> race;
};

RaceRules season(std::int32_t laps) {
    return {.mode = RacingSeason, .laps = laps};
}

} // namespace

TEST_F(HeadlessRace, EightComputerDriversFinishARingInOrderWithPoints) {
    makeRace(season(2), std::vector<std::int32_t>(8, Computer));
    prepare("ring.map");
    RaceWatch watch;
    watch.start(8, 600);
    std::vector<RaceEvents> events;
    std::vector<const ComputerDriver*> drivers;
    for (std::size_t i = 0; i < 8; ++i)
        drivers.push_back(&computer(i));
    for (int i = 0; i < 12000 && race->phase() != RacePhase::Over && !watch.anyStuck(); ++i) {
        events.push_back(race->step(sources));
        watch.observe(*race, drivers);
    }
    ASSERT_EQ(race->phase(), RacePhase::Over) << "after " << events.size() << " frames";

    // The lights: the drivers move from GO!!! (frame 101), the race is on
    // from frame 150; then it ends once.
    ASSERT_GT(events.size(), 150u);
    EXPECT_FALSE(events[99].driversMoved);
    EXPECT_TRUE(events[100].driversMoved);
    EXPECT_TRUE(events[149].go);
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](auto& e) { return e.go; }), 1);
    EXPECT_TRUE(events.back().over);
    EXPECT_EQ(race->message(), "Race Over!");

    ASSERT_EQ(race->finishedCount, 8);
    const std::int32_t points[] = {10, 6, 4, 3, 2, 1, 0, 0};
    for (std::size_t place = 0; place < 8; ++place) {
        const Player& p = player(std::size_t(race->finishOrder[place] - 1));
        EXPECT_EQ(p.racePoints, points[place]) << place;
        EXPECT_EQ(p.profile->racesDriven, 1);
        EXPECT_EQ(p.profile->racesWon, place == 0 ? 1 : 0);
        EXPECT_EQ(p.profile->totalLaps, 2);
        const DriverWatch& w = watch.drivers()[std::size_t(p.number - 1)];
        EXPECT_FALSE(w.stuck) << p.name;
        EXPECT_EQ(w.earlyWrongWayFrames, 0) << p.name << ": the line starts ahead of the grid";
        EXPECT_EQ(w.reverseFrames, 0) << p.name << " reversed without being stuck";
        EXPECT_GT(w.racingFrames, 500) << p.name;
        EXPECT_EQ(w.offRoadFrames, 0) << p.name << " left the road";
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(HeadlessRace, TheWatchCountsOffRoadFramesAndPassesAtTheLines) {
    makeRace(season(2), {Human, Human, Human}); // standing still unless moved
    prepare("ring.map");
    toGo();
    ASSERT_EQ(race->phase(), RacePhase::Racing);
    RaceWatch watch;
    watch.start(3, 600);
    const auto frame = [&] {
        race->step(sources);
        watch.observe(*race, {nullptr, nullptr, nullptr});
    };
    // The third car set down on the grass of the infield.
    player(2).car->placeAt(600, 500, 0);
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_EQ(watch.drivers()[2].offRoadFrames, 10);
    EXPECT_EQ(watch.drivers()[0].offRoadFrames, 0);
    EXPECT_DOUBLE_EQ(RaceWatch::offRoadShare(watch.drivers()[2]), 1.0);
    // From the grid nobody is ahead: reaching the first line passes no one.
    // Then the second car reaches the next line first: it passes the first.
    for (auto [car, line] : {std::pair{0, 1}, {1, 1}, {1, 2}, {0, 2}}) {
        player(std::size_t(car)).checkpointsPassed = line;
        frame();
    }
    const auto& w = watch.drivers();
    EXPECT_EQ((std::array{w[0].overtakes, w[1].overtakes, w[2].overtakes}), (std::array{0, 1, 0}));
}

TEST_F(HeadlessRace, ACrashIsReportedOnceAndDamagesByTheRules) {
    // A wall across the track just past the finish line, which the grid
    // faces from above, driven into flat out.
    Track t = testTrack(30, 20);
    const std::int16_t wallTop = std::int16_t(t.areas.back().y2 + 5);
    t.areas.push_back({Obstacle, 0, wallTop, 960, std::int16_t(wallTop + 20)});
    ASSERT_TRUE(writeFileAtomically("tracks/wall.map", encodeMap(t)));
    for (bool damage : {true, false}) {
        SCOPED_TRACE(damage);
        makeRace({.carDamage = damage}, {Human},
                 [](std::int32_t) { return Controls{.throttle = 1}; });
        prepare("wall.map");
        const Car& car = *player(0).car;
        int crashes = 0;
        for (int i = 0; i < 500; ++i) {
            const bool wasCrashed = car.crashed;
            const RaceEvents e = race->step(sources);
            EXPECT_EQ(e.crash, car.crashed && !wasCrashed) << "reported as each crash begins";
            crashes += e.crash;
        }
        EXPECT_GT(crashes, 1) << "pushed back, it drives into the wall again";
        EXPECT_EQ(car.damage > 0, damage);
    }
}

TEST_F(HeadlessRace, ASeasonOfTwoRacesCarriesPointsAndCrownsTheChampion) {
    makeRace(season(1), {Computer, Computer, Computer});
    for (int round = 0; round < 2; ++round) {
        prepare("ring.map");
        for (const auto& p : race->players()) {
            EXPECT_EQ(p->laps, 0) << "every race starts from a fresh slate";
            EXPECT_FALSE(p->finished);
            EXPECT_EQ(p->lapFuelUse, 0.0f) << "pit stops are planned with this track's fuel use";
        }
        for (int i = 0; i < 12000 && race->phase() != RacePhase::Over; ++i)
            race->step(sources);
        ASSERT_EQ(race->phase(), RacePhase::Over);
        race->updateStandings(round == 1);
        std::int32_t total = 0;
        for (const auto& s : race->standings)
            total += s.points;
        // 10 + 6 + 4 a race, and a point for the fastest lap.
        EXPECT_EQ(total, (round + 1) * 21);
        EXPECT_GE(race->standings[0].points, race->standings[1].points);
    }
    std::int32_t champions = 0;
    for (const auto& p : profiles) {
        EXPECT_EQ(p->racesDriven, 2);
        champions += p->championshipsWon;
        if (p->championshipsWon) {
            EXPECT_EQ(p->name, race->standings[0].name);
        }
    }
    EXPECT_EQ(champions, 1) << "crowned once, after the last race";
}

TEST_F(HeadlessRace, TheRuleBookFinishesScoresAndKeepsRecordsOnlyOfFinishers) {
    makeRace(season(1), {Computer, Computer, Computer});
    prepare("ring.map");
    toGo();
    ASSERT_EQ(race->phase(), RacePhase::Racing);
    race->track()->record.time = 10000;
    player(2).laps = 1;
    race->step(sources);
    EXPECT_EQ(race->phase(), RacePhase::Racing);
    player(0).laps = 1;
    player(1).car->fuel = 0; // a computer out of fuel drops out at once
    player(0).bestLap = 500;
    const RaceEvents last = race->step(sources);
    EXPECT_EQ(std::pair(race->finishOrder[0], race->finishOrder[1]), std::pair(3, 1));
    EXPECT_EQ(std::pair(player(2).racePoints, player(0).racePoints), std::pair(10, 6));
    EXPECT_TRUE(player(1).out);
    EXPECT_EQ(race->phase(), RacePhase::Over);
    EXPECT_TRUE(last.over);
    EXPECT_EQ(std::tuple(profiles[2]->racesWon, profiles[0]->fastestLaps, profiles[1]->racesDriven),
              std::tuple(1, 1, 0));
    EXPECT_TRUE(last.newLapRecord);
    EXPECT_EQ(race->track()->record.time, 500) << "a record set by a finisher is kept";
    EXPECT_EQ(race->track()->record.driver, "D0");
}

TEST_F(HeadlessRace, AHumanOutOfFuelIsWarnedForSixCyclesThenOut) {
    makeRace({.mode = TimeTrial, .laps = 3}, {Human});
    prepare("ring.map");
    toGo();
    Player& p = player(0);
    p.car->fuel = 0;
    p.bestLap = 300;
    race->track()->record.time = 10000;
    int shown = 0;
    for (int i = 0; i < 605; ++i) {
        race->step(sources);
        shown += (p.warningsShown & OutOfFuelWarning) != 0;
    }
    EXPECT_FALSE(p.out);
    EXPECT_EQ(shown, 6 * 50) << "50 frames in every 101, six times";
    const RaceEvents last = race->step(sources);
    EXPECT_TRUE(p.out);
    EXPECT_TRUE(last.over);
    EXPECT_EQ(race->message(), "Race Over!");
    EXPECT_FALSE(last.newLapRecord) << "a record by a driver who dropped out is not kept";
}

TEST_F(HeadlessRace, CareerCountersAtTheTopOfInt32StayThere) {
    makeRace(season(1), {Computer, Computer, Computer});
    prepare("test.map"); // no checkpoints: every crossing after the start is a lap
    toGo();
    constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
    for (auto& profile : profiles)
        profile->racesDriven = profile->racesWon = profile->fastestLaps = profile->totalLaps =
            profile->championshipsWon = kTop;
    profiles[0]->racesDriven = kTop - 1;       // still counts up to the top
    player(0).crossFinishLine(*race->track()); // the start crossing
    player(0).crossFinishLine(*race->track()); // a lap
    player(2).laps = 1;
    player(0).laps = 1;
    player(1).car->fuel = 0;
    player(0).bestLap = 500;
    race->step(sources);
    ASSERT_EQ(race->phase(), RacePhase::Over);
    race->updateStandings(true);
    for (auto& profile : profiles)
        for (std::int32_t counter : {profile->racesDriven, profile->racesWon, profile->fastestLaps,
                                     profile->totalLaps, profile->championshipsWon})
            EXPECT_EQ(counter, kTop) << profile->name;
}

TEST_F(HeadlessRace, StandingsAddFastestLapsAndKeepGridOrderOnEqualPoints) {
    makeRace(season(1), {Computer, Computer, Computer});
    player(0).points = 6;
    player(1).points = 10;
    player(2).points = 9;
    player(2).fastestLaps = 1;
    race->updateStandings(false);
    EXPECT_EQ(race->standings[0].name, "D1") << "10 points, before D2's 9 + 1 in grid order";
    EXPECT_EQ(race->standings[1].points, 10);
    EXPECT_EQ(profiles[1]->championshipsWon, 0) << "not before the last race";
}

TEST_F(HeadlessRace, FreeDrivingNeverFinishesAndLapsCountOnlyOnceTheRaceIsOn) {
    makeRace(RaceRules{}, {Human, Human}); // standing still on the grid
    prepare("ring.map");
    steps(101);
    player(0).bestLap = 400;
    steps(10);
    EXPECT_EQ(race->fastestLapTime, 10000) << "no candidates before the race is on";
    steps(50);
    ASSERT_EQ(race->phase(), RacePhase::Racing);
    EXPECT_EQ(race->fastestLapTime, 400);
    player(0).laps = 0; // 0 laps: no limit in free driving
    race->step(sources);
    EXPECT_FALSE(player(0).finished);
    EXPECT_EQ(race->phase(), RacePhase::Racing);
}

TEST_F(HeadlessRace, ResultsListFinishersThenTheRestWithTheRaceCounters) {
    // The ring with a pit box and its refuel strip on the infield, where the
    // standing cars are set down by hand.
    Track t = ringTrack();
    t.areas.push_back({PitBox, 500, 416, 780, 616});
    t.areas.push_back({Refuel, 480, 396, 800, 636});
    t.areas.push_back({Road, 480, 396, 800, 636});
    ASSERT_TRUE(writeFileAtomically("tracks/pitring.map", encodeMap(t)));
    makeRace(season(2), std::vector<std::int32_t>(4, Computer));
    sources.assign(4, nullptr); // every car stands still
    prepare("pitring.map");
    toGo();
    ASSERT_EQ(race->phase(), RacePhase::Racing);
    race->track()->record.time = 10000;

    // Pit stops count as a car comes into the box, not for every frame in it;
    // a full tank takes no fuel there.
    Car& pitting = *player(1).car;
    const auto standIn = [&](float x, float y, int frames) {
        pitting.placeAt(x, y, 0);
        steps(frames);
    };
    standIn(640, 500, 5);
    EXPECT_TRUE(pitting.inPitBox);
    EXPECT_FALSE(pitting.refuelling) << "the tank was full";
    pitting.fuel = 10;
    standIn(640, 500, 1);
    EXPECT_TRUE(pitting.refuelling);
    standIn(180, 560, 3);
    EXPECT_FALSE(pitting.inPitBox);
    EXPECT_FALSE(pitting.refuelling);
    standIn(640, 500, 2);
    EXPECT_EQ(player(1).pitStops, 2);

    // D2 finishes, then D0 thirty frames later; D3 is out further on than D1.
    player(2).laps = 2;
    steps(1);
    const std::int32_t firstTime = player(2).raceTime;
    steps(30);
    player(0).laps = 2;
    steps(1);
    const std::int32_t secondTime = player(0).raceTime;
    EXPECT_EQ(secondTime, firstTime + 31);
    player(0).bestLap = 400;
    player(2).bestLap = 350;
    player(3).bestLap = 380;
    player(3).laps = 1;
    player(3).checkpointsPassed = 2;
    player(1).laps = 1;
    steps(1);
    pitting.fuel = 0;
    player(3).car->fuel = 0;
    standIn(180, 560, 1);
    ASSERT_EQ(race->phase(), RacePhase::Over);
    steps(20); // the clocks run on behind the closing messages

    const std::vector<ResultRow> rows = raceResults(*race);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ((std::array{rows[0].participant, rows[1].participant, rows[2].participant,
                          rows[3].participant}),
              (std::array{2, 0, 3, 1}));
    EXPECT_EQ(rows[0].totalTime, firstTime) << "the time at the finish, not the clock now";
    EXPECT_EQ(rows[1].totalTime, secondTime);
    EXPECT_LT(rows[0].totalTime, player(2).raceTime);
    EXPECT_EQ(rows[2].totalTime, 0) << "out: no total time";
    EXPECT_EQ(std::tie(rows[0].driver, rows[0].car, rows[0].bestLap),
              std::tuple("D2", cars[2 % cars.size()]->name, 350));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::tuple(rows[i].finished, rows[i].out, rows[i].pitStops),
                  std::tuple(i < 2, i >= 2, i == 3 ? 2 : 0))
            << i;
        EXPECT_EQ(rows[i].fastestLap, i == 0) << i;
        EXPECT_EQ(rows[i].lapRecord, i == 0) << i << ": a new record, set by a finisher";
    }

    // The next race of the season starts its counters afresh.
    prepare("pitring.map");
    for (const auto& p : race->players())
        EXPECT_EQ(p->pitStops + p->finishTime, 0) << p->name;
    for (const ResultRow& r : raceResults(*race))
        EXPECT_FALSE(r.fastestLap || r.lapRecord || r.finished);
}

// The computer driver's decisions, asked directly of one car on the test
// track.
struct ComputerDriving : HeadlessRace {
    void SetUp() override {
        HeadlessRace::SetUp();
        if (HasFatalFailure()) return;
        makeRace(RaceRules{}, {Computer});
        prepare("test.map");
    }
    // The controls for a waypoint dx, dy from the car with the car heading
    // the given way.
    Controls aimAt(std::int32_t dx, std::int32_t dy, float heading) {
        Car& car = *player(0).car;
        race->track()->waypoints[0] = {RacingLine, car.getX() + dx, car.getY() + dy};
        race->track()->waypoints[1] = {RacingLine, car.getX() + dx, car.getY() + dy + 500};
        computer(0).waypoint = 0;
        car.moveAngle = heading;
        return computer(0).driveComputer(player(0), *race->track(), race->rules());
    }
};

TEST_F(ComputerDriving, AimsByQuadrantAndTurnsTheShortWay) {
    const auto target = [&](std::int32_t dx, std::int32_t dy) {
        aimAt(dx, dy, 0);
        return computer(0).targetAngle;
    };
    // Straight below counts as 0.
    for (auto [dx, dy, quarters] : {std::tuple{100, -100, 1},
                                    {100, 100, 3},
                                    {-100, 100, 5},
                                    {-100, -100, 7},
                                    {100, 0, 2},
                                    {0, 300, 0}})
        EXPECT_NEAR(target(dx, dy), quarters * kPi / 4, 1e-5) << dx << "," << dy;
    // 1/11 rounds differently in float and double, and the difference
    // survives into the stored angle.
    EXPECT_EQ(target(1, 11), 3.05093265f);
    EXPECT_TRUE(aimAt(-100, -100, 0.2f).left) << "7pi/4 from 0.2: the short way is left";
    EXPECT_TRUE(aimAt(100, -100, 6.0f).right) << "pi/4 from 6.0: right, across 0";
}

TEST_F(ComputerDriving, ThrottleAndBrakeFollowTheAngleStillToTurn) {
    Car& car = *player(0).car;
    const auto at = [&](float speed, double turn) {
        car.speed = speed;
        car.nitroOn = false;
        return aimAt(std::int32_t(300 * std::sin(turn)), -std::int32_t(300 * std::cos(turn)), 0);
    };
    // At 3 pixels a frame: throttle and nitro below pi/6, coast between,
    // brake above pi/3.
    const Controls full = at(3.0f, 0.4), coast = at(3.0f, 0.8), brake = at(3.0f, 1.2);
    EXPECT_TRUE(full.throttle == 1 && full.nitro && full.brake == 0);
    EXPECT_TRUE(coast.throttle == 0 && !coast.nitro && coast.brake == 0);
    EXPECT_TRUE(brake.throttle == 0 && brake.brake == 0.01f);
    EXPECT_EQ(at(0.5f, 1.4).throttle, 1) << "below speed 1 it accelerates under pi/2";
    EXPECT_EQ(at(0.0f, 0.1).throttle, 2) << "from a standstill it pushes twice";
}

TEST_F(ComputerDriving, PitStopsArePlannedButNotInTheLastLap) {
    const RaceRules rules{.mode = TimeTrial, .laps = 3};
    Player& p = player(0);
    ComputerDriver& d = computer(0);
    p.lapFuelUse = 10;
    p.car->fuel = 12;
    p.laps = 2; // the last lap of three
    d.driveComputer(p, *race->track(), rules);
    EXPECT_EQ(d.pitState, OnTrack);
    p.laps = 1;
    d.driveComputer(p, *race->track(), rules);
    EXPECT_EQ(d.pitState, WantsPit);
    d.pitState = InBox;
    p.car->fuel = p.car->type->tankSize - 0.01f;
    EXPECT_EQ(d.driveComputer(p, *race->track(), rules).brake, 0.3f) << "it waits in the box";
    EXPECT_EQ(d.pitState, InBox) << "until the tank is exactly full";
    p.car->fuel = p.car->type->tankSize;
    d.driveComputer(p, *race->track(), rules);
    EXPECT_EQ(d.pitState, Leaving);
}

TEST_F(ComputerDriving, AStuckDriverBacksOutAndDrivesOn) {
    toGo();
    Car& car = *player(0).car;
    // A wall right in front of the nose, across the whole track.
    const auto y = std::int16_t(car.getY() + 16 - 30);
    race->track()->areas.push_back({Obstacle, 0, std::int16_t(y - 40), 2000, y});
    race->track()->waypoints[0] = {RacingLine, car.getX(), car.getY() - 400};
    race->track()->waypoints[1] = {RacingLine, car.getX() + 300, car.getY() - 400};
    computer(0).waypoint = 0;
    int reversing = 0;
    for (int i = 0; i < 400; ++i) {
        race->step(sources);
        if (car.reverseSpeed > 0) ++reversing;
        EXPECT_LE(car.reverseSpeed, car.reverseTopSpeed());
    }
    EXPECT_GT(reversing, 0) << "pinned against the wall, it reverses";
    EXPECT_LT(reversing, 400);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL video was started: the race must not need it\n");
        return 1;
    }
    return result;
}

namespace {

// A narrow hairpin: down the left leg, round the bottom, up the right leg
// 100 px away, round the top. The finish line is on the left leg, a
// checkpoint in each bend.
Track hairpinTrack() {
    Track t = testTrack(20, 40);
    t.areas = {{Road, 150, 116, 350, 936},
               {FinishLine, 160, 300 + kAreaTestLift, 240, 310 + kAreaTestLift},
               {Checkpoint, 240, 850 + kAreaTestLift, 260, 910 + kAreaTestLift},
               {Checkpoint, 240, 90 + kAreaTestLift, 260, 150 + kAreaTestLift}};
    const int line[][2] = {{200, 200}, {200, 800}, {250, 880}, {300, 800}, {300, 200}, {250, 120}};
    for (std::size_t i = 0; i < std::size(line); ++i)
        t.waypoints[i] = {RacingLine, line[i][0], line[i][1]};
    return t;
}

} // namespace

TEST(LapLine, TheCheckpointsPassedTellWhichStretchACarIsOn) {
    const LapLine line = makeLapLine(hairpinTrack());
    const double bend = std::hypot(50.0, 80.0);
    ASSERT_NEAR(line.length, 1200 + 4 * bend, 1e-6);
    // Measured from the finish line's middle (200, 305), in driving order.
    ASSERT_EQ(line.checkpoints.size(), 2u);
    EXPECT_NEAR(line.checkpoints[0], 495 + bend, 1e-6);
    EXPECT_NEAR(line.checkpoints[1], 495 + 600 + 3 * bend, 1e-6);
    const double upAt500 = 495 + 2 * bend + 300;

    // Halfway between the legs, and nearer the other leg: the checkpoints
    // decide.
    EXPECT_NEAR(lapDistance(line, 250, 500, 0), 195, 1e-6);
    EXPECT_NEAR(lapDistance(line, 260, 500, 0), 195, 1e-6);
    EXPECT_NEAR(lapDistance(line, 240, 500, 1), upAt500, 1e-6);
    // Round the finish line: behind it on the grid before any checkpoint,
    // a lap on once every checkpoint is passed, and on past it until the
    // race counts the lap.
    EXPECT_NEAR(lapDistance(line, 200, 250, 0), -55, 1e-6);
    EXPECT_NEAR(lapDistance(line, 200, 250, 2), line.length - 55, 1e-6);
    EXPECT_NEAR(lapDistance(line, 200, 320, 2), line.length + 15, 1e-6);
    EXPECT_LT(lapDistance(line, 200, 250, 2), lapDistance(line, 200, 320, 2));
    // More entries than checkpoints count as all of them.
    EXPECT_NEAR(lapDistance(line, 200, 250, 7), line.length - 55, 1e-6);

    // No racing line: nothing to measure by.
    Track bare = hairpinTrack();
    bare.waypoints.fill({});
    const LapLine none = makeLapLine(bare);
    EXPECT_TRUE(none.points.empty());
    EXPECT_EQ(lapDistance(none, 200, 250, 1), 0);
}

TEST_F(HeadlessRace, PositionsAtALapChangeGoByLapsThenCheckpointsThenDistance) {
    makeRace(season(3), {Human, Human, Human, Human}); // standing still unless moved
    prepare("ring.map");
    EXPECT_EQ(racePositions(*race), (std::vector<std::int32_t>{1, 2, 3, 4})) << "the grid";
    toGo();
    // The finish line lies across the left leg at y 400..420, driven down.
    // 0: just over the line, its lap counted. 1: a few pixels short of it,
    // every checkpoint passed. 2: further back on the same lap. 3: a lap
    // down, close behind 0.
    const auto set = [&](std::size_t i, float y, std::int32_t laps, std::int32_t checkpoints) {
        player(i).car->placeAt(180, y, kPi);
        player(i).laps = laps;
        player(i).checkpointsPassed = checkpoints;
    };
    set(0, 440, 2, 0);
    set(1, 395, 1, 3);
    set(2, 300, 1, 3);
    set(3, 430, 1, 0);
    EXPECT_EQ(racePositions(*race), (std::vector<std::int32_t>{1, 2, 3, 4}));
    // 1 crosses the line and leads on checkpoints until 0 passes one more.
    set(1, 445, 2, 0);
    EXPECT_EQ(racePositions(*race), (std::vector<std::int32_t>{2, 1, 3, 4}));
    set(0, 800, 2, 1);
    EXPECT_EQ(racePositions(*race), (std::vector<std::int32_t>{1, 2, 3, 4}));
    // Whoever has finished stays ahead in the order they finished.
    player(3).finished = true;
    race->finishOrder[0] = player(3).number;
    EXPECT_EQ(racePositions(*race), (std::vector<std::int32_t>{2, 3, 4, 1}));
}

TEST_F(HeadlessRace, PositionsFollowTheCarsAsTheyPassEachOther) {
    makeRace(season(3), std::vector<std::int32_t>(8, Computer));
    prepare("ring.map");
    // Where a car is along the middle of a leg of the ring, in the
    // direction it is driven; none in the bends.
    const auto alongLeg = [](const Car& c) -> std::pair<int, double> {
        const double x = c.posX, y = c.posY;
        if (x < 260 && y > 300 && y < 700) return {0, y};
        if (y > 700 && x > 320 && x < 840) return {1, x};
        if (x > 1020 && y > 220 && y < 620) return {2, -y};
        if (y < 260 && x > 320 && x < 980) return {3, -x};
        return {-1, 0};
    };
    std::vector<std::int32_t> before = racePositions(*race);
    int orderChanges = 0, lapChanges = 0, legComparisons = 0;
    for (int frame = 0; frame < 20000 && race->phase() != RacePhase::Over; ++frame) {
        std::vector<std::int32_t> lapsBefore;
        for (const auto& p : race->players())
            lapsBefore.push_back(p->laps);
        race->step(sources);
        const std::vector<std::int32_t> now = racePositions(*race);
        std::vector<std::int32_t> sorted = now;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8})) << frame;
        if (now != before) ++orderChanges;
        for (std::size_t a = 0; a < 8; ++a) {
            const Player& pa = player(a);
            const bool crossed = pa.laps != lapsBefore[a];
            lapChanges += crossed;
            for (std::size_t b = 0; b < 8; ++b) {
                const Player& pb = player(b);
                if (a == b || pa.finished || pb.finished) continue;
                if (pa.laps > pb.laps) {
                    ASSERT_LT(now[a], now[b]) << "a lap ahead, frame " << frame;
                }
                // Completing a lap changes no one's place.
                if (crossed && pb.laps == lapsBefore[b]) {
                    ASSERT_EQ(now[a] < now[b], before[a] < before[b]) << frame;
                }
                const auto [legA, atA] = alongLeg(*pa.car);
                const auto [legB, atB] = alongLeg(*pb.car);
                if (legA >= 0 && legA == legB && pa.laps == pb.laps &&
                    pa.checkpointsPassed == pb.checkpointsPassed && atA > atB + 1) {
                    ++legComparisons;
                    ASSERT_LT(now[a], now[b]) << "further down the leg, frame " << frame;
                }
            }
        }
        before = now;
    }
    ASSERT_EQ(race->phase(), RacePhase::Over);
    EXPECT_GT(orderChanges, 10) << "the cars never passed each other";
    EXPECT_EQ(lapChanges, 8 * 3);
    EXPECT_GT(legComparisons, 1000);
    for (std::size_t place = 0; place < 8; ++place)
        EXPECT_EQ(before[std::size_t(race->finishOrder[place] - 1)], std::int32_t(place + 1));
}
