// Starting a race and its frames through the game, frame by frame.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "frontend/race_display.hpp"
#include "race/race_watch.hpp"
#include "race/results.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <map>

namespace {

struct RaceFlow : RaceGame {
    void SetUp() override {
        RaceGame::SetUp();
        platform.fake.press(SDLK_RETURN); // every message box closes
    }
    void start(std::int32_t mode) {
        dialogs = platform.fake.screenUpdates;
        game->startRace(mode);
        dialogs = platform.fake.screenUpdates - dialogs;
    }
    int dialogs = 0; // frames shown by message boxes during the start
};

} // namespace

TEST_F(RaceFlow, StartChecksInTheirOrder) {
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
    EXPECT_FALSE(game->race) << "a refused start still clears the old race";
}

TEST_F(RaceFlow, TwoHumansMayNotShareAControlAndACarThatCannotBeMadeIsReported) {
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
    // The last car cannot be made: nothing of the others is left either.
    second.controls[ControlBrake] = 's';
    second.carName = "no such car";
    start(FreeDriving);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_GT(dialogs, 0);
    EXPECT_FALSE(game->race);
    EXPECT_TRUE(game->drawing.sprites.empty());
}

TEST_F(RaceFlow, FramesFromTheStartToTheLightsAndTheEnd) {
    driver(Computer);
    start(FreeDriving);
    frames(1);
    EXPECT_EQ(game->state, StartLights) << "outside a season in the same frame";
    frames(149);
    EXPECT_EQ(game->state, StartLights);
    frames(1);
    EXPECT_EQ(game->state, Racing) << "150 start-light frames";
    game->race->players()[0]->car->fuel = 0; // a computer out of fuel drops out at once
    frames(1);
    EXPECT_EQ(game->state, RaceOver);
    EXPECT_EQ(game->race->message(), "") << "free driving keeps its message";
    frames(250);
    EXPECT_EQ(game->state, RaceOver);
    frames(1);
    EXPECT_EQ(game->state, MainMenu) << "251 race-over frames";
}

TEST_F(RaceFlow, ASeasonAnnouncesEachRaceFor121Frames) {
    drivers({Computer, Computer});
    // The second time after ESC cut the first announcement short.
    for (int season = 0; season < 2; ++season) {
        start(RacingSeason);
        frames(120);
        EXPECT_EQ(game->state, PreRace);
        frames(1);
        EXPECT_EQ(game->state, StartLights);
        // ESC asks first; the RETURN held on answers OK.
        game->messageBox.choice = 0;
        platform.fake.press(SDLK_ESCAPE);
        frames(1);
        ASSERT_EQ(game->state, MainMenu);
        platform.fake.release(SDLK_ESCAPE);
    }
}

TEST_F(RaceFlow, NoControlsBeforeGo) {
    driver(Human);
    start(FreeDriving);
    platform.fake.release(SDLK_RETURN);
    platform.fake.press(SDLK_UP);
    frames(100); // READY and STEADY
    EXPECT_EQ(game->race->players()[0]->car->speed, 0.0f);
    frames(3);
    EXPECT_GT(game->race->players()[0]->car->speed, 0.0f) << "GO!!! hands over the controls";
}

TEST_F(RaceFlow, AfterARaceItsResultsShowUntilANewPressThenTheStandings) {
    drivers({Computer, Computer});
    game->settings->lapsPerRace = 1;
    start(RacingSeason);
    frames(121 + 150);
    ASSERT_EQ(game->state, Racing);
    auto& p = game->race->players();
    p[1]->laps = 1;
    frames(1);
    p[0]->laps = 1;
    frames(1);
    ASSERT_EQ(game->state, RaceOver);
    frames(251);
    ASSERT_EQ(game->state, RaceResults);
    const std::vector<ResultRow>& rows = game->resultsScreen.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].driver + " " + rows[1].driver, "D1 D0");
    EXPECT_EQ(rows[0].totalTime + 1, rows[1].totalTime);
    frames(30);
    EXPECT_EQ(game->state, RaceResults) << "the RETURN held since the race is no answer";
    // ESC goes on as RETURN does, asking nothing, and the standings wait for
    // a press of their own.
    platform.fake.release(SDLK_RETURN);
    platform.fake.press(SDLK_ESCAPE);
    const int shown = platform.fake.screenUpdates;
    frames(10);
    EXPECT_EQ(platform.fake.screenUpdates - shown, 10) << "no message box";
    EXPECT_EQ(game->state, Standings);
    platform.fake.release(SDLK_ESCAPE);
    platform.fake.press(SDLK_RETURN);
    frames(1);
    EXPECT_EQ(game->state, MainMenu);
}

TEST_F(RaceFlow, EscInASeasonAsksAndCancelGoesBackToTheRaceAsItStood) {
    drivers({Computer, Computer});
    game->settings->raceCount = 2;
    game->settings->trackNames[1] = "test.map";
    start(RacingSeason);
    platform.fake.release(SDLK_RETURN);
    frames(121 + 160);
    ASSERT_EQ(game->state, Racing);
    const auto snapshot = [this] {
        std::vector<float> fields;
        for (const auto& p : game->race->players())
            for (float f : {p->car->posX, p->car->posY, p->car->speed, p->car->fuel,
                            float(p->lapTime), float(p->raceTime)})
                fields.push_back(f);
        return fields;
    };
    // Answers the box ESC opens: the arrow to the given side, then RETURN.
    const auto answer = [this](SDLKey arrow) {
        platform.at(1, [arrow](FakePlatform& f) { f.press(arrow); });
        platform.at(4, [arrow](FakePlatform& f) {
            f.release(arrow);
            f.press(SDLK_RETURN);
        });
        platform.fake.press(SDLK_ESCAPE);
        const int shown = platform.fake.screenUpdates;
        frames(1);
        platform.fake.releaseAll();
        return platform.fake.screenUpdates - shown;
    };
    game->messageBox.choice = 0;
    std::vector<float> atOpen;
    platform.at(1, [&](FakePlatform&) { atOpen = snapshot(); });
    EXPECT_GT(answer(SDLK_RIGHT), 4) << "the box showed";
    EXPECT_EQ(game->state, Racing);
    EXPECT_EQ(snapshot(), atOpen) << "nothing moved while the box showed";
    frames(2);
    EXPECT_EQ(game->state, Racing) << "the ESC that was answered asks no more";
    EXPECT_NE(snapshot(), atOpen) << "and the race goes on";

    EXPECT_GT(answer(SDLK_LEFT), 4);
    EXPECT_EQ(game->state, MainMenu) << "OK leaves the season";
    EXPECT_TRUE(std::filesystem::exists("players/D0.pl"));

    // Outside a season ESC leaves at once, and saves too.
    std::filesystem::remove("players/D0.pl");
    start(TimeTrial);
    frames(10);
    platform.fake.press(SDLK_ESCAPE);
    const int shown = platform.fake.screenUpdates;
    frames(1);
    EXPECT_EQ(platform.fake.screenUpdates - shown, 1);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_TRUE(std::filesystem::exists("players/D0.pl"));
}

TEST_F(RaceFlow, TheCountdownBeepsAndOnlyAHeardCarIsHeardRefuelling) {
    Track t = testTrack(30, 20);
    t.areas.push_back({PitBox, 400, 216, 600, 416});
    ASSERT_TRUE(writeFileAtomically("tracks/pit.map", encodeMap(t)));
    game->settings->trackNames[0] = "pit.map";
    drivers({Human, Computer});
    start(FreeDriving);
    platform.fake.release(SDLK_RETURN);
    frames(1); // the race is set up
    std::map<int, int> beeps;
    for (int frame = 0; frame < 160; ++frame) {
        sound::forgetStarted();
        frames(1);
        if (sound::lastStarted(sound::kCountdownChannel) >= 0)
            beeps[frame] = sound::lastStarted(sound::kCountdownChannel);
    }
    EXPECT_EQ(beeps, (std::map<int, int>{
                         {0, sound::BeepSample}, {49, sound::BeepSample}, {99, sound::GoSample}}))
        << "READY, STEADY, GO";
    ASSERT_EQ(game->state, Racing);

    // Both cars set down in the pit box with room in their tanks.
    sound::forgetStarted();
    for (const auto& p : game->race->players()) {
        p->car->placeAt(500, 300, 0);
        p->car->speed = 0;
        p->car->fuel = p->car->type->tankSize - 1;
    }
    frames(1);
    EXPECT_EQ(sound::lastStarted(sound::kFirstRefuelChannel), sound::RefuelSample);
    EXPECT_EQ(sound::lastStarted(sound::kFirstRefuelChannel + 1), -1)
        << "computers are not heard beside a human";
    for (int i = 0; i < 30; ++i)
        frames(1); // the tank is full
    if (sound::available()) {
        EXPECT_FALSE(sound::isAudible(sound::kFirstRefuelChannel));
    }
    sound::stopAllSounds();
}

TEST(Waypoints, TheRacingLineLoopsAndThePitLaneRejoinsNearestIn64Bits) {
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
    // A track made in memory has no map checks: a pit lane point at the far
    // left must not find the racing point at the far right "near" it
    // through a wrapped difference.
    Track far;
    far.waypoints[0] = {RacingLine, INT_MAX, 0};
    far.waypoints[1] = {PitLane, INT_MIN + 1, 0};
    far.waypoints[2] = {RacingLine, INT_MIN + 5, 3};
    EXPECT_EQ(far.nearestRacingWaypoint(1), 2);
    EXPECT_EQ(far.nextWaypoint(1), 2);
}

TEST_F(RaceFlow, TheDisplayShowsEachHumanInItsOwnViewAndALoneComputer) {
    driver(Human);
    driver(Computer);
    driver(Human, {'w', 's', 'a', 'd', 304});
    game->settings->lapsPerRace = 3;
    start(RacingSeason);
    frames(122);
    auto& p = game->race->players();
    p[0]->laps = 3; // finished: "lap 4 of 3"
    p[0]->car->fuel = 0;
    p[2]->car->damage = p[2]->car->type->maxDamage;
    SDL_FillRect(game->screen, nullptr, 0xFF000000);
    drawRaceDisplay(game->screen, game->fonts.small, *game->race, game->drawing, false);
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
    EXPECT_TRUE(yellowTop > 0 && yellowBottom > 0) << yellowTop << " " << yellowBottom;

    // A lone computer driver gets the display too.
    newField();
    driver(Computer);
    start(TimeTrial);
    frames(1);
    SDL_FillRect(game->screen, nullptr, 0xFF000000);
    drawRaceDisplay(game->screen, game->fonts.small, *game->race, game->drawing, false);
    EXPECT_EQ(getPixel(game->screen, 278 + 1, 10), 0xFF00FF00u);
}

TEST_F(RaceFlow, ARaceNobodyWatchesRunsFrameForFrameAsADrawnOne) {
    drivers({Computer, Computer, Computer, Computer});
    game->settings->lapsPerRace = 1;
    auto trace = [&](bool draw) {
        game->drawRace = draw;
        start(TimeTrial);
        std::vector<std::string> lines;
        for (int frame = 0; frame < 1200 && game->state != MainMenu; ++frame) {
            game->runFrame();
            // Only a watched race has a results table after it: the race
            // ends where the two part.
            if (game->state == RaceResults || game->state == MainMenu) break;
            std::string line = std::to_string(game->state);
            for (auto& p : game->race->players())
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

TEST_F(RaceFlow, ALapRecordThatCannotBeSavedIsSaidAfterTheRace) {
    // The same race twice, the second with the record file's place taken by
    // a directory: only then does a message box follow the race.
    auto raceWithRecord = [&](bool blocked) {
        drivers({Computer, Computer});
        game->settings->lapsPerRace = 1;
        start(RacingSeason);
        frames(121 + 150);
        EXPECT_EQ(game->state, Racing);
        if (blocked) {
            std::filesystem::remove("tracks/test.rec");
            std::filesystem::create_directory("tracks/test.rec");
        }
        auto& p = game->race->players();
        p[0]->laps = p[1]->laps = 1;
        p[0]->bestLap = blocked ? 50 : 100; // each beats the record before it
        frames(1);
        EXPECT_EQ(game->state, RaceOver);
        EXPECT_TRUE(game->race->newLapRecord);
        const int before = platform.fake.screenUpdates;
        frames(251);
        const int shown = platform.fake.screenUpdates - before;
        newField();
        return shown;
    };
    const int plain = raceWithRecord(false);
    const int blocked = raceWithRecord(true);
    EXPECT_GT(blocked, plain) << "a message box was shown";
    EXPECT_TRUE(std::filesystem::is_directory("tracks/test.rec"));
}
