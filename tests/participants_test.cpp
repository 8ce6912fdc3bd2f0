// Race participants made from the selected drivers, laps and human keys.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "driver/player.hpp"
#include "frontend/view.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

namespace {

struct Participants : GameTest {
    void SetUp() override {
        GameTest::SetUp();
        settings.trackNames[0] = "test.map";
        std::swap(game->settings, ownSettings); // the game's own back in TearDown
        game->loadCarList();
        ASSERT_FALSE(game->cars.empty());
        game->profiles.clear();
    }
    void TearDown() override {
        game->clearRace();
        game->profiles.clear();
        std::swap(game->settings, ownSettings);
    }
    // A new race of new drivers of the given types.
    void race(std::vector<std::int32_t> types) {
        game->clearRace();
        for (std::int32_t type : types) {
            auto p = std::make_unique<PlayerProfile>();
            p->name = "D" + std::to_string(game->profiles.size());
            p->type = type;
            p->carName = game->cars[game->profiles.size() % game->cars.size()]->name;
            game->raceDrivers.push_back(p.get());
            game->profiles.push_back(std::move(p));
        }
        std::string why;
        ASSERT_TRUE(game->setupRaceParticipants(why)) << why;
        ASSERT_TRUE(game->prepareRace());
    }
    Player& player(std::size_t i) { return *game->race->players()[i]; }
    const View& view(std::size_t i) { return *game->drawing.views[i]; }
    // Bands across the whole track at the given heights, as the race tests
    // them: a checkpoint, the finish line, a second checkpoint.
    void bands() {
        auto& areas = game->race->track()->areas;
        areas.clear();
        areas.push_back({Checkpoint, 0, 216, 960, 236});
        areas.push_back({FinishLine, 0, 316, 960, 336});
        areas.push_back({Checkpoint, 0, 416, 960, 436});
    }
    // Moves the first car so that its probe point stands at each row in
    // turn, and runs the participant's part of a frame there.
    void probeAt(std::initializer_list<std::int32_t> rows) {
        Car& car = *player(0).car;
        for (std::int32_t y : rows) {
            car.bodyAngle = 0;
            car.frame = 0;
            car.y =
                y + car.type->frameOffsets[0].y - car.type->frameOffsets[1].y - car.type->pivot.y;
            car.x = 100;
            game->race->updateDriver(0, game->controlSources[0].get());
        }
    }
    Settings settings;
    Settings* ownSettings = &settings;
};

} // namespace

TEST_F(Participants, SourcesNumbersAndViewsFollowingTheHumansOrTheFirstCar) {
    race({Computer, Human, Computer});
    ASSERT_EQ(game->race->players().size(), 3u);
    EXPECT_EQ(player(2).number, 3);
    EXPECT_TRUE(dynamic_cast<ComputerDriver*>(game->controlSources[0].get()));
    EXPECT_TRUE(dynamic_cast<PadControls*>(game->controlSources[1].get()));
    EXPECT_EQ(game->drawing.sprites.size(), 3u);
    // On the grid behind the finish line, in pairs.
    EXPECT_EQ(player(1).car->posX + 35, player(0).car->posX);
    race({Computer, Computer});
    ASSERT_EQ(game->drawing.views.size(), 1u);
    EXPECT_EQ(view(0).target, player(0).car.get()) << "no human: the first car";
    // Two humans split the screen, one fills it.
    race({Computer, Human, Computer, Human});
    ASSERT_EQ(game->drawing.views.size(), 2u);
    EXPECT_EQ(std::make_tuple(view(0).x, view(0).y, view(0).width, view(0).height),
              std::make_tuple(0, 0, 640, 199));
    EXPECT_EQ(std::make_tuple(view(1).y, view(1).height), std::make_tuple(201, 199));
    EXPECT_EQ(view(0).target, player(1).car.get());
    EXPECT_EQ(view(1).target, player(3).car.get());
    EXPECT_EQ(view(0).maxScrollY, 640 - 1 - 199);
    race({Computer, Human});
    ASSERT_EQ(game->drawing.views.size(), 1u);
    EXPECT_EQ(view(0).height, 400);
    EXPECT_EQ(view(0).target, player(1).car.get());
}

TEST_F(Participants, LapsCountOnlyAfterEveryCheckpoint) {
    race({Human});
    bands();
    Player& p = player(0);
    game->profiles[0]->totalLaps = 0;
    probeAt({310}); // the start crossing
    EXPECT_FALSE(p.beforeStart);
    EXPECT_EQ(p.laps, 0);
    const float startFuel = p.car->fuel;
    probeAt({410, 210});
    p.car->fuel = startFuel - 2.5f;
    for (int i = 0; i < 30; ++i)
        probeAt({280}); // between the lines
    probeAt({310});
    EXPECT_EQ(p.laps, 1);
    EXPECT_EQ(p.bestLap, 33) << "every update since the start crossing";
    EXPECT_FLOAT_EQ(p.lapFuelUse, 2.5f) << "measured at the first crossing after the start";
    EXPECT_EQ(game->profiles[0]->totalLaps, 1);
    // Backwards over the line right after: still the last line entered.
    probeAt({280, 310});
    EXPECT_EQ(p.laps, 1);
    // A missed checkpoint: no lap, and the time runs on into the next one.
    probeAt({410, 310});
    EXPECT_EQ(p.laps, 1);
    EXPECT_GT(p.lapTime, 3);
    // Staying inside a checkpoint counts it once.
    probeAt({410, 412, 210, 310});
    EXPECT_EQ(p.laps, 2);
}

TEST_F(Participants, HumanKeysBecomeCarControls) {
    race({Human});
    Player& p = player(0);
    const auto& keys = game->profiles[0]->controls;
    platform.fake.press(SDLKey(keys[ControlAccelerate]));
    platform.fake.press(SDLKey(keys[ControlLeft]));
    platform.fake.press(SDLKey(keys[ControlNitro]));
    game->keyboard.refresh();
    game->race->updateDriver(0, game->controlSources[0].get());
    EXPECT_GT(p.car->accel, 0.0f);
    EXPECT_LT(p.car->steering, 0.0f);
    EXPECT_TRUE(p.car->nitroOn);
    platform.fake.press(SDLKey(keys[ControlRight])); // both turns cancel out
    game->keyboard.refresh();
    p.car->steering = 0;
    game->race->updateDriver(0, game->controlSources[0].get());
    EXPECT_EQ(p.car->steering, 0.0f);
    // A damaged profile's key is never held.
    KeyboardControls damaged({5000, -3, SDLK_LAST, 5000, 5000}, [](std::int32_t) { return true; });
    EXPECT_EQ(damaged.controls(p, *game->race->track(), game->race->rules()), Controls{});
    p.car->fuel = 0;
    const float accel = p.car->accel;
    game->race->updateDriver(0, game->controlSources[0].get());
    EXPECT_FLOAT_EQ(p.car->accel, accel - 0.1f) << "out of fuel: it only brakes";
}
