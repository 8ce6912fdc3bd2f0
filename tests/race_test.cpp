// Starting a race, its frames, the race manager's rules, the season table
// and the computer driver's choices, driven headless frame by frame.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "race/race_text.hpp"
#include "race/race_watch.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "test_support.hpp"
#include "track/race_track.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

namespace {

constexpr double kPi = 3.1415926535;

struct Race : ::testing::Test {
    void SetUp() override {
        game = initGame();
        game->clearRace();
        game->profiles.clear();
        game->quit = false;
        game->startUp();
        game->profiles.clear();
        ASSERT_FALSE(game->cars.empty());
        game->selection.tracks.fill(-1);
        game->selection.drivers.fill(-1);
        game->selection.tracks[0] = 0;
        game->settings->raceCount = 1;
        game->settings->trackNames[0] = "test.map";
        // Every message box closes: RETURN is always held.
        platform.fake.press(SDLK_RETURN);
    }
    void TearDown() override {
        game->clearRace();
        game->profiles.clear();
        game->state = MainMenu;
    }
    PlayerProfile& driver(std::int32_t type,
                          std::array<std::int32_t, 5> keys = {273, 274, 276, 275, 306}) {
        auto p = std::make_unique<PlayerProfile>();
        p->name = "D" + std::to_string(game->profiles.size());
        p->type = type;
        p->controls = keys;
        p->carName = game->cars[0]->name;
        game->selection.drivers[game->profiles.size()] = std::int32_t(game->profiles.size());
        game->settings->selectedDriverCount = std::int32_t(game->profiles.size()) + 1;
        game->profiles.push_back(std::move(p));
        return *game->profiles.back();
    }
    void start(std::int32_t mode) {
        dialogs = platform.fake.screenUpdates;
        game->startRace(mode);
        dialogs = platform.fake.screenUpdates - dialogs;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i)
            game->runFrame();
    }
    ScratchDir dir;
    FakePlatformScope platform;
    Game* game = nullptr;
    int dialogs = 0; // frames shown by message boxes during the start
};

} // namespace

TEST_F(Race, StartChecksInTheirOrder) {
    start(RacingSeason);
    EXPECT_GT(dialogs, 0) << "no drivers";
    EXPECT_EQ(game->state, MainMenu);
    driver(Computer);
    start(RacingSeason);
    EXPECT_EQ(game->state, MainMenu) << "a season needs two drivers";
    for (std::int32_t mode : {FreeDriving, TimeTrial}) {
        start(mode);
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(game->state, PreRace) << mode;
    }
    EXPECT_EQ(game->settings->lapsPerRace, 3);
    driver(Computer);
    game->settings->lapsPerRace = 5;
    start(TimeTrial);
    EXPECT_EQ(game->raceDrivers.size(), 1u);
    EXPECT_EQ(game->raceDrivers[0], game->profiles[0].get()) << "slot 0 drives a time trial";
    EXPECT_EQ(game->settings->lapsPerRace, 3);
    game->settings->raceCount = 0;
    start(FreeDriving);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_TRUE(game->players.empty()) << "a refused start still clears the old race";
}

TEST_F(Race, TwoHumansMayNotShareAControl) {
    driver(Human);
    driver(Computer); // same keys, but computers are never checked
    PlayerProfile& second = driver(Human, {'w', 's', 'a', 'd', 304});
    start(FreeDriving);
    EXPECT_EQ(game->state, PreRace);
    second.controls[ControlLeft] = 275; // the first one's Right: allowed
    start(FreeDriving);
    EXPECT_EQ(game->state, PreRace);
    second.controls[ControlBrake] = 274;
    start(FreeDriving);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_GT(dialogs, 0);
}

TEST_F(Race, ACarThatCannotBeMadeIsReportedNotFatal) {
    driver(Computer).carName = "no such car";
    start(FreeDriving);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_GT(dialogs, 0);
    EXPECT_TRUE(game->objects.empty());
}

TEST_F(Race, FramesFromTheStartToTheLightsAndTheEnd) {
    driver(Computer);
    start(FreeDriving);
    frames(1);
    EXPECT_EQ(game->state, StartLights) << "outside a season in the same frame";
    frames(149);
    EXPECT_EQ(game->state, StartLights);
    frames(1);
    EXPECT_EQ(game->state, Racing) << "150 start-light frames";
    game->players[0]->car->fuel = 0; // a computer out of fuel drops out at once
    frames(1);
    EXPECT_EQ(game->state, RaceOver);
    EXPECT_EQ(raceMessage, "") << "free driving keeps its message";
    frames(250);
    EXPECT_EQ(game->state, RaceOver);
    frames(1);
    EXPECT_EQ(game->state, MainMenu) << "251 race-over frames";
}

TEST_F(Race, ASeasonAnnouncesEachRaceFor121Frames) {
    driver(Computer);
    driver(Computer);
    // The second time after ESC cut the first announcement short.
    for (int season = 0; season < 2; ++season) {
        start(RacingSeason);
        frames(120);
        EXPECT_EQ(game->state, PreRace);
        frames(1);
        EXPECT_EQ(game->state, StartLights);
        platform.fake.press(SDLK_ESCAPE);
        frames(1);
        ASSERT_EQ(game->state, MainMenu);
        platform.fake.release(SDLK_ESCAPE);
    }
}

TEST_F(Race, NoControlsBeforeGo) {
    driver(Human);
    start(FreeDriving);
    platform.fake.release(SDLK_RETURN);
    platform.fake.press(SDLK_UP);
    frames(100); // READY and STEADY
    EXPECT_EQ(game->players[0]->car->speed, 0.0f);
    frames(3);
    EXPECT_GT(game->players[0]->car->speed, 0.0f) << "GO!!! hands over the controls";
}

TEST_F(Race, EscSavesTheDriversAndLeavesTheRace) {
    driver(Human);
    start(FreeDriving);
    frames(5);
    platform.fake.press(SDLK_ESCAPE);
    frames(1);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_TRUE(std::filesystem::exists("players/D0.pl"));
}

TEST_F(Race, PointsFinishOrderAndTheEndOfARace) {
    for (int i = 0; i < 3; ++i)
        driver(Computer);
    game->settings->lapsPerRace = 1;
    start(RacingSeason);
    frames(121 + 150);
    ASSERT_EQ(game->state, Racing);
    auto& p = game->players;
    p[2]->laps = 1;
    game->runRaceManager();
    EXPECT_EQ(game->state, Racing);
    p[0]->laps = 1;
    p[1]->car->fuel = 0;
    p[0]->bestLap = 500;
    game->runRaceManager();
    EXPECT_EQ(game->finishOrder[0], 3);
    EXPECT_EQ(game->finishOrder[1], 1);
    EXPECT_EQ(p[2]->racePoints, 10);
    EXPECT_EQ(p[0]->racePoints, 6);
    EXPECT_TRUE(p[1]->out);
    EXPECT_EQ(game->state, RaceOver);
    EXPECT_EQ(raceMessage, "Race Over!");
    EXPECT_EQ(game->profiles[2]->racesWon, 1);
    EXPECT_EQ(game->profiles[0]->fastestLaps, 1);
    EXPECT_EQ(game->profiles[1]->racesDriven, 0);
    EXPECT_EQ(game->track->record.time, 500) << "a record set by a finisher is kept";
}

TEST_F(Race, CareerCountersAtTheTopOfInt32StayThere) {
    for (int i = 0; i < 3; ++i)
        driver(Computer);
    game->settings->lapsPerRace = 1;
    start(RacingSeason);
    frames(121 + 150);
    ASSERT_EQ(game->state, Racing);
    constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
    for (auto& profile : game->profiles)
        profile->racesDriven = profile->racesWon = profile->fastestLaps = profile->totalLaps =
            profile->championshipsWon = kTop;
    game->profiles[0]->racesDriven = kTop - 1; // still counts up to the top
    auto& p = game->players;
    p[0]->crossFinishLine(); // the start crossing
    p[0]->crossFinishLine(); // a lap: test.map has no checkpoints
    p[2]->laps = 1;
    p[0]->laps = 1;
    p[1]->car->fuel = 0;
    p[0]->bestLap = 500;
    game->runRaceManager();
    game->runRaceManager();
    ASSERT_EQ(game->state, RaceOver);
    game->updateStandings(); // the only race of the season: a champion
    for (auto& profile : game->profiles) {
        PlayerProfile saved;
        ASSERT_TRUE(decodeProfile(encodeProfile(*profile), saved));
        for (std::int32_t counter : {saved.racesDriven, saved.racesWon, saved.fastestLaps,
                                     saved.totalLaps, saved.championshipsWon})
            EXPECT_EQ(counter, kTop) << profile->name;
    }
}

TEST_F(Race, AHumanOutOfFuelIsWarnedForSixCycles) {
    driver(Human);
    game->settings->lapsPerRace = 3;
    start(TimeTrial);
    frames(151);
    ASSERT_EQ(game->state, Racing);
    Player& p = *game->players[0];
    p.car->fuel = 0;
    p.bestLap = 300;
    for (int i = 0; i < 605; ++i)
        game->runRaceManager();
    EXPECT_FALSE(p.out);
    game->runRaceManager();
    EXPECT_TRUE(p.out);
    EXPECT_EQ(raceMessage, "Race Over!");
    EXPECT_NE(game->track->record.time, 300) << "a record by a driver who dropped out is not kept";
}

TEST_F(Race, StandingsAddFastestLapsKeepGridOrderAndCrownOnce) {
    for (int i = 0; i < 3; ++i)
        driver(Computer);
    start(RacingSeason);
    auto& p = game->players;
    p[0]->points = 6;
    p[1]->points = 10;
    p[2]->points = 9;
    p[2]->fastestLaps = 1;
    game->settings->raceCount = 2;
    game->settings->raceIndex = 0;
    game->updateStandings();
    EXPECT_EQ(game->standings[0].name, "D1") << "10 points, before D2's 9 + 1 in grid order";
    EXPECT_EQ(game->standings[1].points, 10);
    EXPECT_EQ(game->profiles[1]->championshipsWon, 0) << "not before the last race";
    game->settings->raceIndex = 1;
    p[1]->setName("Gone");
    game->updateStandings();
    EXPECT_EQ(game->standings[0].name, "Gone");
    for (auto& profile : game->profiles)
        EXPECT_EQ(profile->championshipsWon, 0);
}

TEST(Waypoints, TheRacingLineLoopsAndThePitLaneRejoinsNearest) {
    Track t;
    t.waypoints[0] = {RacingLine, 0, 0};
    t.waypoints[1] = {RacingLine, 100, 0};
    t.waypoints[2] = {RacingLine, 200, 0};
    EXPECT_EQ(t.nextWaypoint(2), 0) << "a free slot ends the table";
    EXPECT_EQ(t.firstPitWaypoint(), -1);
    t.waypoints[3] = {PitLane, 110, 40};
    t.waypoints[4] = {PitLane, 190, 30};
    EXPECT_EQ(t.nextWaypoint(1), 2) << "pit slots are skipped on the racing line";
    EXPECT_EQ(t.nextWaypoint(3), 4);
    EXPECT_EQ(t.nextWaypoint(4), 2) << "after the last pit point: the nearest racing point";
    EXPECT_EQ(t.firstPitWaypoint(), 3);
}

TEST_F(Race, TheComputerDriverAimsByQuadrantAndTurnsTheShortWay) {
    driver(Computer);
    start(FreeDriving);
    frames(1);
    Player& p = *game->players[0];
    Car& car = *p.car;
    auto aimAt = [&](std::int32_t dx, std::int32_t dy, float heading) {
        game->track->waypoints[0] = {RacingLine, car.getX() + dx, car.getY() + dy};
        game->track->waypoints[1] = {RacingLine, car.getX() + dx, car.getY() + dy + 500};
        p.waypoint = 0;
        car.moveAngle = heading;
        car.steering = 0;
        p.driveComputer();
        return p.targetAngle;
    };
    EXPECT_NEAR(aimAt(100, -100, 0), kPi / 4, 1e-5);
    EXPECT_NEAR(aimAt(100, 100, 0), 3 * kPi / 4, 1e-5);
    EXPECT_NEAR(aimAt(-100, 100, 0), 5 * kPi / 4, 1e-5);
    EXPECT_NEAR(aimAt(-100, -100, 0), 7 * kPi / 4, 1e-5);
    EXPECT_NEAR(aimAt(100, 0, 0), kPi / 2, 1e-5);
    EXPECT_NEAR(aimAt(0, 300, 0), 0.0, 1e-5) << "straight below counts as 0";
    aimAt(-100, -100, 0.2f); // 7pi/4 from 0.2: the short way is left
    EXPECT_LT(car.steering, 0.0f);
    aimAt(100, -100, 6.0f); // pi/4 from 6.0: the short way is right, across 0
    EXPECT_GT(car.steering, 0.0f);
}

TEST_F(Race, PitStopsArePlannedNotInTheLastLap) {
    driver(Computer);
    game->settings->lapsPerRace = 5;
    start(TimeTrial); // three laps
    frames(1);
    Player& p = *game->players[0];
    p.lapFuelUse = 10;
    p.car->fuel = 12;
    p.laps = 2; // the last lap of three
    p.driveComputer();
    EXPECT_EQ(p.pitState, OnTrack);
    p.laps = 1;
    p.driveComputer();
    EXPECT_EQ(p.pitState, WantsPit);
    p.pitState = InBox;
    p.car->fuel = p.car->type->tankSize - 0.01f;
    p.driveComputer();
    EXPECT_EQ(p.pitState, InBox) << "until the tank is exactly full";
    p.car->fuel = p.car->type->tankSize;
    p.driveComputer();
    EXPECT_EQ(p.pitState, Leaving);
}

TEST_F(Race, TheDisplayShowsEachHumanInItsOwnViewAndALoneComputer) {
    driver(Human);
    driver(Computer);
    driver(Human, {'w', 's', 'a', 'd', 304});
    game->settings->lapsPerRace = 3;
    start(RacingSeason);
    frames(122);
    auto& p = game->players;
    p[0]->laps = 3; // finished: "lap 4 of 3"
    p[0]->car->fuel = 0;
    p[2]->car->damage = p[2]->car->type->maxDamage;
    SDL_FillRect(game->screen, nullptr, 0xFF000000);
    game->drawRaceDisplay();
    // The fuel bar of the top view is empty, the damage bar of the bottom
    // one full (red), each 32 pixels long at ratio 1.
    EXPECT_EQ(getPixel(game->screen, 151, 10), 0xFF000000u);
    EXPECT_EQ(getPixel(game->screen, 214 + 1 + 31, 201 + 10), 0xFFFF0000u);
    EXPECT_EQ(getPixel(game->screen, 214 + 1 + 32, 201 + 10), 0xFF000000u) << "the outline";
    EXPECT_EQ(getPixel(game->screen, 278 + 1, 10), 0xFF00FF00u) << "full nitro is green";
    int yellowTop = 0, yellowBottom = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 10; x < 140; ++x) {
            yellowTop += getPixel(game->screen, x, y) == 0xFFFFFF00u;
            yellowBottom += getPixel(game->screen, x, 201 + y) == 0xFFFFFF00u;
        }
    EXPECT_GT(yellowTop, 0);
    EXPECT_GT(yellowBottom, 0);
}

TEST_F(Race, FreeDrivingNeverFinishesAnyoneAndLapsCountOnlyWhileRacing) {
    driver(Computer);
    driver(Computer);
    start(FreeDriving);
    frames(1 + 100); // into the "GO!!!" frames
    auto& p = game->players;
    p[0]->bestLap = 400;
    frames(10);
    EXPECT_EQ(game->fastestLapTime, 10000) << "no candidates before the race is on";
    frames(50);
    ASSERT_EQ(game->state, Racing);
    EXPECT_EQ(game->fastestLapTime, 400);
    p[0]->laps = 0; // lapsPerRace is 0 in free driving
    frames(1);
    EXPECT_FALSE(p[0]->finished);
    EXPECT_EQ(game->state, Racing);
}

TEST_F(Race, ThrottleAndBrakeFollowTheAngleStillToTurn) {
    driver(Computer);
    start(TimeTrial); // a lone computer driver gets the display too
    frames(1);
    SDL_FillRect(game->screen, nullptr, 0xFF000000);
    game->drawRaceDisplay();
    EXPECT_EQ(getPixel(game->screen, 278 + 1, 10), 0xFF00FF00u);
    Player& p = *game->players[0];
    Car& car = *p.car;
    auto drive = [&](float speed, double turn) {
        game->track->waypoints[0] = {RacingLine, car.getX() + std::int32_t(300 * std::sin(turn)),
                                     car.getY() - std::int32_t(300 * std::cos(turn))};
        p.waypoint = 0;
        car.moveAngle = 0;
        car.speed = speed;
        car.accel = 0;
        car.nitroOn = false;
        p.driveComputer();
        return car.accel;
    };
    // At 3 pixels a frame: throttle and nitro below pi/6, coast between,
    // brake above pi/3.
    EXPECT_GT(drive(3.0f, 0.4), 0.0f);
    EXPECT_TRUE(car.nitroOn);
    EXPECT_EQ(drive(3.0f, 0.8), 0.0f);
    EXPECT_FALSE(car.nitroOn);
    EXPECT_LT(drive(3.0f, 1.2), 0.0f);
    EXPECT_GT(drive(0.5f, 1.4), 0.0f) << "below speed 1 it accelerates under pi/2";
}

namespace {
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
} // namespace

TEST_F(Race, EightComputerDriversRaceARingWithALegStraightUp) {
    ASSERT_TRUE(writeFileAtomically("tracks/test.map", encodeMap(ringTrack())));
    for (int i = 0; i < 8; ++i) {
        driver(Computer).carName = game->cars[std::size_t(i) % game->cars.size()]->name;
    }
    game->settings->lapsPerRace = 2;
    start(RacingSeason);
    ASSERT_EQ(game->state, PreRace);
    RaceWatch watch;
    watch.start(8, 600);
    int frame = 0;
    for (; frame < 12000 && game->state != RaceOver && !watch.anyStuck(); ++frame) {
        game->runFrame();
        if (!game->track || (game->state != StartLights && game->state != Racing)) continue;
        std::vector<const Player*> players;
        for (auto& p : game->players)
            players.push_back(p.get());
        watch.observe(players, *game->track, game->state == Racing);
    }
    ASSERT_EQ(game->state, RaceOver) << "after " << frame << " frames";
    for (std::size_t i = 0; i < 8; ++i) {
        const Player& p = *game->players[i];
        const DriverWatch& w = watch.drivers()[i];
        EXPECT_TRUE(p.finished && !p.out) << p.name;
        EXPECT_FALSE(w.stuck) << p.name;
        EXPECT_EQ(w.earlyWrongWayFrames, 0) << p.name << ": the line starts ahead of the grid";
        EXPECT_EQ(w.reverseFrames, 0) << p.name << " reversed without being stuck";
    }
}

TEST_F(Race, EachRaceOfASeasonStartsFromAFreshSlate) {
    driver(Human);
    driver(Computer);
    game->settings->lapsPerRace = 1;
    game->settings->raceCount = 2;
    game->settings->trackNames[1] = "test.map";
    start(RacingSeason);
    frames(121 + 151);
    ASSERT_EQ(game->state, Racing);
    Player& human = *game->players[0];
    Player& computer = *game->players[1];
    computer.lapFuelUse = 42;
    human.car->fuel = 0;
    for (int i = 0; i < 606 && !human.out; ++i)
        game->runRaceManager();
    ASSERT_TRUE(human.out);
    game->players[1]->laps = 1;
    game->runRaceManager();
    ASSERT_EQ(game->state, RaceOver);
    frames(251);
    ASSERT_EQ(game->state, Standings);
    frames(1); // RETURN is held: on to the second race
    frames(1);
    ASSERT_TRUE(game->raceReady);
    EXPECT_EQ(computer.lapFuelUse, 0.0f) << "pit stops are planned with this track's fuel use";
    EXPECT_EQ(human.messageFrames, 0);
    EXPECT_EQ(human.messageCycles, 0) << "a second warning in a season is shown in full";
}

TEST_F(Race, WithAHumanInTheFirstRaceOnlyTheHumansEngineIsHeard) {
    if (!sound::available()) GTEST_SKIP() << "no audio driver";
    soundFollowsHumans = false; // as at start-up
    driver(Human);
    driver(Computer);
    start(FreeDriving);
    platform.fake.release(SDLK_RETURN);
    frames(160);
    ASSERT_EQ(game->state, Racing);
    EXPECT_TRUE(sound::isAudible(game->players[0]->channel));
    EXPECT_FALSE(sound::isAudible(game->players[1]->channel));
    sound::stopAllSounds();
}

TEST_F(Race, TheComputerDriverDividesInSinglePrecision) {
    driver(Computer);
    start(FreeDriving);
    frames(1);
    Player& p = *game->players[0];
    // 1/11 rounds differently in float and double, and the difference
    // survives into the stored angle.
    game->track->waypoints[0] = {RacingLine, p.car->getX() + 1, p.car->getY() + 11};
    p.waypoint = 0;
    p.driveComputer();
    EXPECT_EQ(p.targetAngle, 3.05093265f);
}

TEST_F(Race, AStuckComputerDriverBacksOutAndDrivesOn) {
    driver(Computer);
    start(FreeDriving);
    frames(151);
    ASSERT_EQ(game->state, Racing);
    Player& p = *game->players[0];
    Car& car = *p.car;
    // A wall right in front of the nose, across the whole track.
    const auto y = std::int16_t(car.getY() + 16 - 30);
    game->track->areas.push_back({Obstacle, 0, std::int16_t(y - 40), 2000, y});
    game->track->waypoints[0] = {RacingLine, car.getX(), car.getY() - 400};
    game->track->waypoints[1] = {RacingLine, car.getX() + 300, car.getY() - 400};
    p.waypoint = 0;
    int reversing = 0;
    for (int i = 0; i < 400; ++i) {
        game->runFrame();
        if (car.reverseSpeed > 0) ++reversing;
        EXPECT_LE(car.reverseSpeed, car.reverseTopSpeed());
    }
    EXPECT_GT(reversing, 0) << "pinned against the wall, it reverses";
    EXPECT_LT(reversing, 400);
}

TEST_F(Race, ARaceNobodyWatchesRunsFrameForFrameAsADrawnOne) {
    for (int i = 0; i < 4; ++i)
        driver(Computer);
    game->settings->lapsPerRace = 1;
    auto trace = [&](bool draw) {
        game->drawRace = draw;
        start(TimeTrial);
        std::vector<std::string> lines;
        for (int frame = 0; frame < 1200 && game->state != MainMenu; ++frame) {
            game->runFrame();
            std::string line = std::to_string(game->state);
            for (auto& p : game->players)
                line += " " + std::to_string(p->car->posX) + "," + std::to_string(p->car->posY) +
                        "," + std::to_string(p->laps) + "," + std::to_string(p->car->damage);
            lines.push_back(line);
        }
        game->clearRace();
        game->state = MainMenu;
        return lines;
    };
    const std::vector<std::string> drawn = trace(true);
    const std::vector<std::string> undrawn = trace(false);
    game->drawRace = true;
    ASSERT_EQ(drawn.size(), undrawn.size());
    ASSERT_NE(drawn.front().substr(1), drawn.back().substr(1)) << "the cars drove";
    for (std::size_t i = 0; i < drawn.size(); ++i)
        ASSERT_EQ(drawn[i], undrawn[i]) << "frame " << i;
}

TEST_F(Race, ALapRecordThatCannotBeSavedIsSaidAfterTheRace) {
    // The same race twice, the second with the record file's place taken by
    // a directory: only then does a message box follow the race.
    auto raceWithRecord = [&](bool blocked) {
        for (int i = 0; i < 2; ++i)
            driver(Computer);
        game->settings->lapsPerRace = 1;
        start(RacingSeason);
        frames(121 + 150);
        EXPECT_EQ(game->state, Racing);
        if (blocked) {
            std::filesystem::remove("tracks/test.rec");
            std::filesystem::create_directory("tracks/test.rec");
        }
        auto& p = game->players;
        p[0]->laps = p[1]->laps = 1;
        p[0]->bestLap = blocked ? 50 : 100; // each beats the record before it
        game->runRaceManager();
        EXPECT_EQ(game->state, RaceOver);
        EXPECT_TRUE(game->newLapRecord);
        const int before = platform.fake.screenUpdates;
        frames(251);
        const int shown = platform.fake.screenUpdates - before;
        game->clearRace();
        game->profiles.clear();
        game->state = MainMenu;
        return shown;
    };
    const int plain = raceWithRecord(false);
    const int blocked = raceWithRecord(true);
    EXPECT_GT(blocked, plain) << "a message box was shown";
    EXPECT_TRUE(std::filesystem::is_directory("tracks/test.rec"));
}
