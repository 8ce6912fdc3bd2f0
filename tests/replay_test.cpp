// Replays: the controls a race took, written and read back, refused when
// damaged or made of other files, and played back to the same race.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "driver/player.hpp"
#include "frontend/view.hpp"
#include "race/replay_run.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "track/track.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

Controls steering(bool left, std::uint8_t throttle = 1) {
    Controls c;
    c.throttle = throttle;
    c.left = left;
    c.right = !left;
    return c;
}

TEST(ReplayControls, TurnsComeBackInTheOrderTheyWereTakenHoweverTheyAreJoined) {
    Controls braking;
    braking.brake = 0.1f;
    braking.reverse = true;
    // Alternating, a long steady run, a lone turn, alternating of two kinds.
    std::vector<Controls> turns;
    for (int i = 0; i < 9; ++i)
        turns.push_back(steering(i % 2 == 0));
    for (int i = 0; i < 300; ++i)
        turns.push_back(braking);
    turns.push_back(steering(true, 2));
    for (int i = 0; i < 6; ++i)
        turns.push_back(i % 2 ? braking : steering(false));
    std::vector<ControlRun> runs;
    for (const Controls& c : turns)
        appendControls(runs, c);
    EXPECT_LE(runs.size(), 5u) << "runs join what repeats";

    ReplayControls source(runs);
    source.raceStarts();
    const Player player;
    const Track track;
    const RaceRules rules;
    for (std::size_t i = 0; i < turns.size(); ++i)
        ASSERT_EQ(source.controls(player, track, rules), turns[i]) << "turn " << i;
    EXPECT_TRUE(source.exhausted());
    EXPECT_EQ(source.controls(player, track, rules), Controls{}) << "past the end: let go";
}

// A race through the game's own frames on the smallest shipped track,
// recorded.
struct Replays : RaceGame {
    void SetUp() override {
        RaceGame::SetUp();
        linkShippedTracks(dir.original());
        game->tracks.clear();
        game->loadTrackList();
        const auto sprocket = std::find(game->tracks.begin(), game->tracks.end(), "sprocket.map");
        ASSERT_NE(sprocket, game->tracks.end());
        game->selection.tracks[0] = std::int32_t(sprocket - game->tracks.begin());
        game->settings->trackNames[0] = "sprocket.map";
        game->drawRace = false;
        for (int i = 0; i < 3; ++i)
            driver(Computer).carName = game->cars[std::size_t(i) % game->cars.size()]->name;
        game->settings->lapsPerRace = 2;
        platform.fake.press(SDLK_RETURN); // closes whatever box the start shows
        game->startRace(RacingSeason);
        for (int frame = 0; frame < 30000 && game->state != Standings; ++frame)
            game->runFrame();
        ASSERT_EQ(game->state, Standings);
        replay = game->lastReplay;
    }
    void TearDown() override {
        game->drawRace = true;
        RaceGame::TearDown();
    }
    Replay replay;
};

TEST_F(Replays, ARecordedRacePlaysBackToTheSameResultsAndChecksums) {
    ASSERT_GT(replay.frames, 600u);
    ASSERT_EQ(replay.participants.size(), 3u);
    EXPECT_EQ(replay.trackFile, "sprocket.map");
    EXPECT_EQ(replay.rules.laps, 2);
    EXPECT_EQ(replay.checksums.back().frame, replay.frames) << "the last frame is checked";
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(readWholeFile("replays/last.rpl", saved, kMaxReplayFile));
    EXPECT_EQ(saved, encodeReplay(replay)) << "the game keeps the last race";
    Replay read;
    std::string why;
    ASSERT_TRUE(decodeReplay(saved, read, why)) << why;
    EXPECT_EQ(read, replay);

    ReplayRace again;
    ASSERT_TRUE(setUpReplay(replay, game->cars, again, why)) << why;
    for (std::uint32_t frame = 0; frame < replay.frames; ++frame)
        again.race->step(again.sourcePointers());
    const Race& raced = *game->race;
    EXPECT_EQ(again.race->finishOrder, raced.finishOrder);
    EXPECT_EQ(again.race->finishedCount, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(again.race->players()[i]->finishTime, raced.players()[i]->finishTime);
        EXPECT_EQ(again.race->players()[i]->bestLap, raced.players()[i]->bestLap);
    }
    EXPECT_EQ(checksumDifference(replay.checksums.back(), *again.race), "");
    EXPECT_TRUE(verifyReplay(replay, game->cars, why)) << why;

    // One turn of one driver otherwise: found, with its frame.
    Replay changed = replay;
    ControlRun& run = changed.participants[1].runs[changed.participants[1].runs.size() / 2];
    run.controls.nitro = !run.controls.nitro;
    run.other.nitro = !run.other.nitro;
    EXPECT_FALSE(verifyReplay(changed, game->cars, why));
    EXPECT_NE(why.find("frame "), std::string::npos) << why;
    EXPECT_NE(why.find("differs"), std::string::npos) << why;
}

TEST_F(Replays, OneOfOtherFilesOrAnotherSimulationIsRefusedNeverPlayedWrong) {
    std::string why;
    ReplayRace run;
    const std::pair<std::function<void(Replay&)>, std::string> mismatches[] = {
        {[](Replay& r) { ++r.simulationVersion; }, "another version"},
        {[](Replay& r) { ++r.trackHash; }, "has changed"},
        {[](Replay& r) { r.trackFile = "gone.map"; }, "is not here"},
        {[](Replay& r) { ++r.participants[2].carHash; }, "has changed"},
        {[](Replay& r) { r.participants[0].carName = "Nothing"; }, "Nothing is not here"},
    };
    for (const auto& [change, expected] : mismatches) {
        Replay other = replay;
        change(other);
        EXPECT_FALSE(setUpReplay(other, game->cars, run, why));
        EXPECT_NE(why.find(expected), std::string::npos) << why;
        EXPECT_FALSE(run.race) << "nothing made to be played";
    }
    // A car file changed on disk since: its hash is of the whole file.
    CarType& car = *game->cars[0];
    car.topSpeed = std::nextafter(car.topSpeed, 10.0f);
    EXPECT_FALSE(setUpReplay(replay, game->cars, run, why));
    car.topSpeed = std::nextafter(car.topSpeed, 0.0f);
    EXPECT_TRUE(setUpReplay(replay, game->cars, run, why)) << why;
}

TEST_F(Replays, DamagedOrTruncatedFilesAreRefusedWithAReason) {
    const std::vector<std::uint8_t> bytes = encodeReplay(replay);
    Replay out;
    std::string why;
    for (std::size_t size = 0; size < bytes.size(); size += 1 + size / 8) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
        EXPECT_FALSE(decodeReplay(cut, out, why)) << size << " bytes";
        EXPECT_FALSE(why.empty());
    }
    // Where the first driver's run count stands: after the header and the
    // drivers.
    std::size_t at = 4 + 4 + 4 + 4 + replay.trackFile.size() + 8 + 4 + 4 + 3 + 1;
    for (const ReplayParticipant& p : replay.participants)
        at += 4 + p.name.size() + 4 + p.carName.size() + 8 + 1;
    at += 4;
    ASSERT_LT(bytes[at + 4], 255) << "the first run's length is one byte";
    const auto patched = [&](std::size_t offset, std::vector<std::uint8_t> with) {
        std::vector<std::uint8_t> b = bytes;
        std::copy(with.begin(), with.end(), b.begin() + std::ptrdiff_t(offset));
        return b;
    };
    const float nan = std::nanf("");
    std::uint8_t nanBytes[4];
    std::memcpy(nanBytes, &nan, 4);
    const std::pair<std::vector<std::uint8_t>, std::string> damaged[] = {
        {patched(0, {'G', 'R', 'P', 'X'}), "not a replay"},
        {patched(4, {2, 0, 0, 0}), "format 2"},
        {patched(at - 4, {0xFF, 0xFF, 0xFF, 0x7F}), "beyond any race"},
        {patched(at, {0xFF, 0xFF, 0xFF, 0xFF}), "do not fit"},
        {patched(at + 4, {0}), "damaged"},    // a run of no turns
        {patched(at + 5, {0x40}), "damaged"}, // flags no driver has
        {patched(at + 5, {0x10, 1, nanBytes[0], nanBytes[1], nanBytes[2], nanBytes[3]}),
         "damaged"}, // a NaN brake
        {[&] {
             std::vector<std::uint8_t> b = bytes;
             b.push_back(0);
             return b;
         }(),
         "bytes follow"},
    };
    for (const auto& [file, expected] : damaged) {
        EXPECT_FALSE(decodeReplay(file, out, why)) << expected;
        EXPECT_NE(why.find(expected), std::string::npos) << why;
    }
}

} // namespace

namespace {

TEST_F(Replays, WatchingMovesFollowsAnyCarToTheEndAndEscGoesBack) {
    ASSERT_TRUE(game->watchReplay(replay));
    ASSERT_EQ(game->state, ReplayWatch);
    game->runFrame();
    const std::uint64_t first = hashPixels(game->screen);
    for (int i = 0; i < 120; ++i)
        game->runFrame();
    EXPECT_NE(hashPixels(game->screen), first) << "the picture moves";
    EXPECT_EQ(game->replayDrawing.viewPlayers[0], 0);
    for (const std::int32_t expected : {1, 2, 0}) {
        platform.fake.press(SDLK_RIGHT);
        game->runFrame();
        platform.fake.release(SDLK_RIGHT);
        game->runFrame();
        EXPECT_EQ(game->replayDrawing.viewPlayers[0], expected) << "RIGHT follows the next car";
        const View& view = *game->replayDrawing.views[0];
        const Car& car = *game->replayRace->race->players()[std::size_t(expected)]->car;
        EXPECT_TRUE(car.x >= view.scrollX && car.x < view.scrollX + view.width &&
                    car.y >= view.scrollY && car.y < view.scrollY + view.height)
            << "the car is in sight";
    }
    platform.fake.press(SDLK_LEFT);
    game->runFrame();
    platform.fake.release(SDLK_LEFT);
    EXPECT_EQ(game->replayDrawing.viewPlayers[0], 2) << "LEFT the one before, round";

    for (std::uint32_t i = 0; i < replay.frames + 60; ++i)
        game->runFrame();
    EXPECT_EQ(game->replayFrames, replay.frames) << "it stops at its end";
    EXPECT_EQ(game->replayRace->race->finishOrder, game->race->finishOrder);
    platform.fake.press(SDLK_ESCAPE);
    game->runFrame();
    platform.fake.release(SDLK_ESCAPE);
    game->runFrame();
    EXPECT_EQ(game->state, Standings) << "back where it was watched from, the season kept";
    EXPECT_FALSE(game->replayRace);
    EXPECT_TRUE(game->race);
}

} // namespace

namespace {

TEST_F(Replays, AGhostFollowsItsRecordedLapFrameForFrame) {
    // Where the first car stood at every lap clock reading of every lap.
    std::map<std::pair<std::int32_t, std::int32_t>, GhostPose> seen;
    ReplayRace run;
    std::string why;
    ASSERT_TRUE(setUpReplay(replay, game->cars, run, why)) << why;
    const Player& first = *run.race->players()[0];
    for (std::uint32_t frame = 0; frame < replay.frames; ++frame) {
        run.race->step(run.sourcePointers());
        if (!first.beforeStart)
            seen[{first.laps, first.lapTime}] = {first.car->x, first.car->y, first.car->frame};
    }
    GhostLap ghost;
    ASSERT_TRUE(ghostFromReplay(replay, game->cars, first.name, ghost, why)) << why;
    EXPECT_EQ(ghost.time, first.bestLap);
    EXPECT_EQ(ghost.carName, first.car->type->name);
    // The best lap is the first or the second.
    for (std::int32_t t = 1; t <= ghost.time; ++t) {
        const GhostPose* pose = ghost.at(t);
        ASSERT_TRUE(pose) << t;
        const bool inLap0 = seen.count({0, t}) && seen.at({0, t}) == *pose;
        const bool inLap1 = seen.count({1, t}) && seen.at({1, t}) == *pose;
        ASSERT_TRUE(inLap0 || inLap1) << "lap clock " << t;
    }
    EXPECT_FALSE(ghost.at(ghost.time + 1)) << "its lap over, the ghost is gone";
    EXPECT_FALSE(ghostFromReplay(replay, game->cars, "Nobody", ghost, why));
}

TEST_F(Replays, AHumansRecordKeepsItsRaceForHallOfFameAndTheNextTrialRacesItsGhost) {
    game->clearRace();
    game->profiles.clear();
    driver(Human);
    game->drawRace = true;
    game->settings->lapsPerRace = 2;
    const auto trial = [&] {
        game->startRace(TimeTrial);
        game->runFrame(); // prepares the race
        // The human drives the computer's line.
        game->controlSources[0] = std::make_unique<ComputerDriver>();
        game->controlSources[0]->raceStarts();
    };
    std::remove("tracks/sprocket.rec"); // the computers' record of the set-up race
    trial();
    EXPECT_EQ(game->ghost.time, 0) << "nothing driven here yet";
    for (int frame = 0; frame < 20000 && game->state != RaceResults; ++frame)
        game->runFrame();
    const std::int32_t best = game->race->players()[0]->bestLap;
    ASSERT_GT(best, 0);
    EXPECT_EQ(game->ghostLaps["sprocket.map"].time, best);

    // A human's record keeps its race, which HALL OF FAME plays: RETURN on
    // the track's row.
    game->clearRace();
    std::vector<std::uint8_t> kept;
    ASSERT_TRUE(readWholeFile("replays/sprocket-record.rpl", kept, kMaxReplayFile));
    game->state = MainMenu;
    game->menuScreen = LapRecordsShown;
    game->lapRecords.selected = std::int32_t(
        std::find(game->tracks.begin(), game->tracks.end(), "sprocket.map") - game->tracks.begin());
    platform.fake.press(SDLK_RETURN);
    game->runFrame();
    platform.fake.release(SDLK_RETURN);
    ASSERT_EQ(game->state, ReplayWatch);
    EXPECT_EQ(encodeReplay(game->watched), kept);
    game->stopWatching();
    game->menuScreen = MenuPages;

    // In another, slower car: the ghost drives ahead of it.
    const std::string ghostCar = game->profiles[0]->carName;
    game->profiles[0]->carName = game->cars.back()->name;
    trial();
    ASSERT_EQ(game->ghost.time, best) << "the lap just driven";
    EXPECT_EQ(game->ghost.carName, ghostCar);
    for (int frame = 0; frame < 400; ++frame)
        game->runFrame();
    ASSERT_FALSE(game->race->players()[0]->beforeStart);
    // Drawn over the last frame, it changes the picture; G hides it.
    const std::uint64_t without = hashPixels(game->screen);
    game->drawGhost();
    EXPECT_NE(hashPixels(game->screen), without);
    platform.fake.press(SDLK_g);
    game->runFrame();
    platform.fake.release(SDLK_g);
    EXPECT_FALSE(game->showGhost);
    const std::uint64_t hidden = hashPixels(game->screen);
    game->drawGhost();
    EXPECT_EQ(hashPixels(game->screen), hidden);
    game->showGhost = true;
}

} // namespace
