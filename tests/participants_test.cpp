// Race participants: made from the selected drivers with their cars, sound
// channels and views; laps counted at the finish line by the checkpoint
// rule; human keys turned into car controls.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "track/view.hpp"

#include <gtest/gtest.h>

namespace {

struct Participants : ::testing::Test {
    void SetUp() override {
        game = initGame();
        settings.trackNames[0] = "test.map";
        game->settings = &settings;
        game->loadCarList();
        ASSERT_FALSE(game->cars.empty());
        game->profiles.clear();
    }
    void TearDown() override {
        game->players.clear();
        game->objects.clear();
        game->views.clear();
        game->raceDrivers.clear();
        game->profiles.clear();
    }
    void race(std::vector<std::int32_t> types) {
        for (std::int32_t type : types) {
            auto p = std::make_unique<PlayerProfile>();
            p->name = "D" + std::to_string(game->profiles.size());
            p->type = type;
            p->carName = game->cars[game->profiles.size() % game->cars.size()]->name;
            game->raceDrivers.push_back(p.get());
            game->profiles.push_back(std::move(p));
        }
        ASSERT_TRUE(game->setupRaceParticipants());
        ASSERT_TRUE(game->prepareRace());
    }
    // Bands across the whole track at the given heights, as the race tests
    // them: a checkpoint, the finish line, a second checkpoint.
    void bands() {
        auto& areas = game->track->areas;
        areas.clear();
        areas.push_back({Checkpoint, 0, 216, 960, 236});
        areas.push_back({FinishLine, 0, 316, 960, 336});
        areas.push_back({Checkpoint, 0, 416, 960, 436});
    }
    // Moves the car so that its probe point stands at row y.
    void probeAt(Player& p, std::int32_t y) {
        Car& car = *p.car;
        car.bodyAngle = 0;
        car.frame = 0;
        car.y = y + car.type->frameOffsets[0].y - car.type->frameOffsets[1].y - car.type->pivot.y;
        car.x = 100;
        p.updateDriver();
    }
    ScratchDir dir;
    FakePlatformScope platform;
    Game* game = nullptr;
    Settings settings;
};

} // namespace

TEST_F(Participants, ChannelsNumbersAndAFollowedCarForEveryone) {
    race({Computer, Computer, Computer});
    ASSERT_EQ(game->players.size(), 3u);
    EXPECT_EQ(game->players[2]->channel, 6);
    EXPECT_EQ(game->players[2]->number, 3);
    EXPECT_EQ(game->objects.size(), 3u);
    ASSERT_EQ(game->views.size(), 1u);
    EXPECT_EQ(game->views[0]->target, game->players[0]->car) << "no human: the first car";
    EXPECT_EQ(game->viewCount, 0);
    // On the grid behind the finish line, in pairs.
    EXPECT_EQ(game->players[1]->car->posX + 35, game->players[0]->car->posX);
}

TEST_F(Participants, TwoHumansSplitTheScreen) {
    race({Computer, Human, Computer, Human});
    ASSERT_EQ(game->views.size(), 2u);
    const View& top = *game->view1;
    const View& bottom = *game->view2;
    EXPECT_EQ(std::make_tuple(top.x, top.y, top.width, top.height),
              std::make_tuple(0, 0, 640, 199));
    EXPECT_EQ(std::make_tuple(bottom.y, bottom.height), std::make_tuple(201, 199));
    EXPECT_EQ(top.target, game->players[1]->car);
    EXPECT_EQ(bottom.target, game->players[3]->car);
    EXPECT_EQ(game->players[3]->view, game->view2);
    EXPECT_EQ(top.maxScrollY, 640 - 1 - 199);
}

TEST_F(Participants, OneHumanFillsTheScreen) {
    race({Computer, Human});
    ASSERT_EQ(game->views.size(), 1u);
    EXPECT_EQ(game->view1->height, 400);
    EXPECT_EQ(game->view1->target, game->players[1]->car);
}

TEST_F(Participants, LapsCountOnlyAfterEveryCheckpoint) {
    race({Human});
    bands();
    Player& p = *game->players[0];
    game->profiles[0]->totalLaps = 0;
    probeAt(p, 310); // the start crossing
    EXPECT_FALSE(p.beforeStart);
    EXPECT_EQ(p.laps, 0);
    const float startFuel = p.car->fuel;
    probeAt(p, 410);
    probeAt(p, 210);
    p.car->fuel = startFuel - 2.5f;
    for (int i = 0; i < 30; ++i)
        probeAt(p, 280); // between the lines
    probeAt(p, 310);
    EXPECT_EQ(p.laps, 1);
    EXPECT_EQ(p.bestLap, 33) << "every update since the start crossing";
    EXPECT_FLOAT_EQ(p.lapFuelUse, 2.5f) << "measured at the first crossing after the start";
    EXPECT_EQ(game->profiles[0]->totalLaps, 1);
    // Backwards over the line right after: still the last line entered.
    probeAt(p, 280);
    probeAt(p, 310);
    EXPECT_EQ(p.laps, 1);
    // A missed checkpoint: no lap, and the time runs on into the next one.
    probeAt(p, 410);
    probeAt(p, 310);
    EXPECT_EQ(p.laps, 1);
    EXPECT_GT(p.lapTime, 3);
    // Staying inside a checkpoint counts it once.
    probeAt(p, 410);
    probeAt(p, 412);
    probeAt(p, 210);
    probeAt(p, 310);
    EXPECT_EQ(p.laps, 2);
}

TEST_F(Participants, HumanKeysBecomeCarControls) {
    race({Human});
    Player& p = *game->players[0];
    platform.fake.press(SDLKey(p.keyAccelerate));
    platform.fake.press(SDLKey(p.keyLeft));
    platform.fake.press(SDLKey(p.keyNitro));
    game->keyboard.refresh();
    p.updateDriver();
    EXPECT_GT(p.car->accel, 0.0f);
    EXPECT_LT(p.car->steering, 0.0f);
    EXPECT_TRUE(p.car->nitroOn);
    platform.fake.press(SDLKey(p.keyRight)); // both turns cancel out
    p.car->steering = 0;
    p.updateDriver();
    EXPECT_EQ(p.car->steering, 0.0f);
    p.keyBrake = 5000; // a damaged profile's key is never held
    p.car->fuel = 0;
    const float accel = p.car->accel;
    p.updateDriver();
    EXPECT_FLOAT_EQ(p.car->accel, accel - 0.1f) << "out of fuel: it only brakes";
}
