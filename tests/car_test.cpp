// Cars: rotated frames, drawing and erasing on the track, the handling
// model's numbers, crashes, service areas and skid marks.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "frontend/race_drawing.hpp"
#include "test_support.hpp"

#include <SDL_rotozoom.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace {

// A default car type (top speed 3, acceleration 0.1, grip 1) on a 1000 x
// 1000 track that is road everywhere, standing still at (500, 500). No
// game and no window: the handling needs neither.
struct Handling : ::testing::Test {
    void SetUp() override {
        car.rules.mode = RacingSeason;
        type.frameCount = 36;
        type.frameOffsets.assign(36, IntPoint{-10, -16});
        type.pivot = {10, 16};
        type.wheels[2] = {-5, 10};
        type.wheels[3] = {5, 10};
        car.type = &type;
        car.fuel = type.tankSize;
        car.track = &track;
        car.trackWidth = car.trackHeight = 1000;
        area(Road, 0, 0, 1000, 1000);
        trackSurface = filledSurface(1000, 1000, 0xFF808080);
        place(500, 500, 0);
    }
    void TearDown() override { SDL_FreeSurface(trackSurface); }
    // Frames of the handling under a driver's keys.
    void drive(int frames, CarControls keys) {
        for (int i = 0; i < frames; ++i) {
            applyKeys(car, keys);
            car.update(1.0f);
        }
    }
    // An area whose tested rectangle is what is given (stored 16 lower).
    void area(std::int16_t kind, int x1, int y1, int x2, int y2) {
        track.areas.push_back({kind, std::int16_t(x1), std::int16_t(y1 + 16), std::int16_t(x2),
                               std::int16_t(y2 + 16)});
    }
    void place(float px, float py, float angle) {
        car.posX = px;
        car.posY = py;
        car.moveAngle = car.bodyAngle = angle;
        car.x = -10 + std::int32_t(px);
        car.y = -16 + std::int32_t(py);
    }
    std::set<std::pair<int, int>> marks() {
        std::set<std::pair<int, int>> found;
        for (int y = 0; y < 1000; ++y)
            for (int x = 0; x < 1000; ++x)
                if (getPixel(trackSurface, x, y) != 0xFF808080u) found.insert({x, y});
        return found;
    }
    int darkened() { return int(marks().size()); }

    Track track;
    SDL_Surface* trackSurface = nullptr;
    CarType type;
    Car car;
};

} // namespace

TEST_F(Handling, NitroRaisesTheTopSpeedWhileItLasts) {
    car.nitroOn = true;
    car.speed = 7.0f;
    car.update(1.0f);
    EXPECT_GT(car.speed, 6.9f) << "top speed 3 + 5";
    car.rules.unlimitedNitro = true;
    car.update(1.0f);
    EXPECT_NEAR(car.nitro, 99.9f, 1e-4) << "used once, then no more";
    car.rules.unlimitedNitro = false;
    car.nitroOn = false;
    car.update(1.0f);
    EXPECT_FLOAT_EQ(car.speed, 3.0f) << "released nitro cuts the speed at once";
    car.nitro = 0;
    car.nitroOn = true;
    car.speed = 5.0f;
    car.accel = 0;
    car.update(1.0f);
    EXPECT_FLOAT_EQ(car.speed, 3.0f) << "no nitro left: the plain top speed";
    EXPECT_NEAR(car.accel, -9.0f / 9000.0f, 1e-7) << "but the nitro road drag";
}

// The creep and the 51 frames of a crash the golden replays pin; none of
// them is raced with car damage off.
TEST_F(Handling, ObstacleHitsTakeBackTheMoveAndDamageOnlyWhenTheRulesSay) {
    for (bool damageOn : {true, false}) {
        car.rules.carDamage = damageOn;
        car.damage = 0;
        car.crashed = false;
        area(Obstacle, 0, 0, 1000, 1000);
        place(500, 500, 0.2f);
        car.speed = 3.0f;
        car.accel = 0;
        car.update(1.0f);
        EXPECT_TRUE(car.crashed);
        EXPECT_FLOAT_EQ(car.damage, damageOn ? 10.0f : 0.0f);
        EXPECT_NEAR(car.posX, 500.0f, 1e-3) << "the move into the obstacle is taken back";
        EXPECT_NEAR(car.posY, 500.0f, 1e-3);
        EXPECT_EQ(std::pair(car.x, car.y), std::pair(-10 + 500, -16 + 500)) << "and the corner";
        track.areas.pop_back();
    }
}

TEST_F(Handling, FuelDamageAndNitroStayInRange) {
    area(PitBox, 0, 0, 1000, 1000);
    car.fuel = type.tankSize - 0.01f;
    car.damage = 0.01f;
    car.nitro = 50.0f;
    car.update(1.0f);
    EXPECT_FLOAT_EQ(car.fuel, type.tankSize);
    EXPECT_FLOAT_EQ(car.damage, 0.0f);
    EXPECT_FLOAT_EQ(car.nitro, 50.0f) << "no nitro from the pit outside free driving";
    car.rules.mode = FreeDriving;
    car.nitro = 99.5f;
    car.update(1.0f);
    EXPECT_FLOAT_EQ(car.nitro, 100.0f);
    track.areas.pop_back();
    car.fuel = 0.001f;
    car.update(1.0f);
    EXPECT_EQ(car.fuel, 0.0f);
    EXPECT_EQ(car.engineFreq, 0.0f) << "an empty tank silences the engine";
    car.rules.carDamage = true;
    area(Obstacle, 0, 0, 1000, 1000);
    car.damage = type.maxDamage - 1;
    car.speed = 3;
    car.crashed = false;
    car.update(1.0f);
    EXPECT_TRUE(car.wrecked);
    EXPECT_FLOAT_EQ(car.damage, type.maxDamage);
}

TEST_F(Handling, ServiceAreasFillAtTheirOwnRatesInDoublePrecision) {
    // From an empty tank, standing still: each frame's step is added in
    // double precision and stored back, which differs from float steps by a
    // bit in the third frame of the pit box.
    car.rules.fuelConsumption = false;
    struct Case {
        std::vector<std::int16_t> kinds;
        float after[3];
    };
    const Case cases[] = {
        {{PitBox}, {0x1.1eb852p-4f, 0x1.1eb852p-3f, 0x1.ae147ap-3f}},       // 0.07 a frame
        {{Refuel}, {0x1.eb851ep-5f, 0x1.eb851ep-4f, 0x1.70a3d6p-3f}},       // 0.06 a frame
        {{PitBox, Refuel}, {0x1.0a3d7p-3f, 0x1.0a3d7p-2f, 0x1.8f5c28p-2f}}, // both, in turn
    };
    for (const Case& c : cases) {
        for (std::int16_t kind : c.kinds)
            area(kind, 0, 0, 1000, 1000);
        car.fuel = 0;
        for (int frame = 0; frame < 3; ++frame) {
            car.update(1.0f);
            EXPECT_EQ(car.fuel, c.after[frame]) << c.kinds.size() << " areas, frame " << frame;
        }
        track.areas.resize(1); // the road
    }
}

TEST_F(Handling, WeavingAcrossAngleZeroIsNoDifferentFromAnyOtherAngle) {
    // Travel lagging well behind the body, as on the loosest shipped car, so
    // that body and travel often sit either side of the angle weaved about.
    type.grip = 0.035f;
    struct Weave {
        float slowest, last, mostSkid;
    };
    auto weave = [&](float about) {
        place(500, 500, about);
        car.speed = type.topSpeed;
        car.accel = 0;
        Weave w{car.speed, 0, 0};
        for (int i = 0; i < 100; ++i) {
            car.accelerate();
            car.steer((i + 3) / 6 % 2 == 0 ? 0.06f : -0.06f); // 3 right, 6 left, 6 right...
            car.update(1.0f);
            w.slowest = std::min(w.slowest, car.speed);
            w.mostSkid = std::max(w.mostSkid, car.skid);
        }
        w.last = car.speed;
        return w;
    };
    const Weave acrossZero = weave(0);
    for (float about : {float(kPi / 2), float(kPi), float(kPi * 1.5)}) {
        const Weave other = weave(about);
        EXPECT_NEAR(acrossZero.slowest, other.slowest, 1e-4) << about;
        EXPECT_NEAR(acrossZero.last, other.last, 1e-4) << about;
        EXPECT_EQ(other.mostSkid, 0.0f) << about;
    }
    EXPECT_EQ(acrossZero.mostSkid, 0.0f) << "a car weaving across angle 0 is barely drifting";
}

TEST_F(Handling, BrakeHeldAtAStandstillReversesAtAThirdOfTopSpeed) {
    car.speed = 2.0f;
    for (int frame = 0; car.speed > 0 && frame < 100; ++frame) {
        drive(1, {.brake = true});
        EXPECT_TRUE(car.speed == 0 || car.reverseSpeed == 0) << "braking, not reversing yet";
    }
    ASSERT_EQ(car.speed, 0.0f);
    float y = car.posY, fastest = 0;
    for (int i = 0; i < 60; ++i) {
        y = car.posY;
        drive(1, {.brake = true});
        fastest = std::max(fastest, car.reverseSpeed);
        EXPECT_EQ(car.speed, 0.0f);
    }
    EXPECT_FLOAT_EQ(fastest, car.reverseTopSpeed());
    EXPECT_FLOAT_EQ(car.reverseTopSpeed(), type.topSpeed / 3);
    EXPECT_NEAR(car.posY - y, car.reverseTopSpeed(), 1e-4) << "facing up, backing down";
    EXPECT_NEAR(car.posX, 500.0f, 1e-4);

    // Letting go winds it down to a stop.
    drive(15, {});
    EXPECT_EQ(car.reverseSpeed, 0.0f);
    y = car.posY;
    car.update(1.0f);
    EXPECT_EQ(car.posY, y);

    // Backing again, then accelerating: forwards, reverse wound down.
    drive(20, {.brake = true});
    ASSERT_GT(car.reverseSpeed, 0.0f);
    drive(30, {.accelerate = true});
    EXPECT_EQ(car.reverseSpeed, 0.0f);
    y = car.posY;
    drive(1, {.accelerate = true});
    EXPECT_LT(car.posY, y - 0.5f) << "driving up again";
}

TEST_F(Handling, SteeringWhileReversingTurnsTheBodyTheOtherWay) {
    drive(30, {.brake = true});
    drive(5, {.brake = true, .right = true});
    EXPECT_GT(car.bodyAngle, float(kPi * 1.5)) << "right while reversing: the nose goes left";
    EXPECT_GT(car.posX, 500.0f) << "and the tail right";
    EXPECT_EQ(car.steering, 0.0f) << "each input still acts once";
}

TEST_F(Handling, BackingIntoAnObstacleStopsTheCarWithoutACrash) {
    // The probe point at the nose, 16 pixels ahead of the centre, as on the
    // shipped cars; the tail is felt 16 pixels behind.
    type.pivot = {10, 0};
    area(Obstacle, 0, 530, 1000, 600);
    bool stopped = false;
    for (int i = 0; i < 100; ++i) {
        const float before = car.reverseSpeed;
        drive(1, {.brake = true});
        stopped |= before > 0 && car.reverseSpeed == 0;
        EXPECT_LT(car.posY + 16, 530.0f) << "the tail never enters it, frame " << i;
        EXPECT_FALSE(car.crashed);
    }
    EXPECT_TRUE(stopped);
    EXPECT_GT(car.posY + 16, 527.0f) << "it backed right up to it";
    EXPECT_EQ(car.damage, 0.0f);
}

TEST_F(Handling, EdgesBlockEachAxisOnItsOwn) {
    place(500, 12, 0.3f);
    car.speed = 3.0f;
    const float y = car.posY, x = car.posX;
    car.update(1.0f);
    EXPECT_EQ(car.posY, y) << "against the top edge y stays";
    EXPECT_GT(car.posX, x) << "but it keeps its x motion";
}

TEST(FrameChoice, FullTurnIsFrameZeroTheStepIsWholeAndAnyAngleGivesAFrame) {
    EXPECT_EQ(frameForAngle(float(2 * kPi), 36), 0);
    EXPECT_EQ(frameForAngle(0.0f, 72), 0);
    EXPECT_EQ(frameForAngle(float(kPi / 2), 36), 27) << "90 degrees clockwise";
    EXPECT_EQ(frameForAngle(float(kPi / 2), 72), 54);
    EXPECT_EQ(frameForAngle(float(kPi), 7), 4) << "step 51: 180 div 51 = 3, 7 - 3";
    // The cast from degrees once overflowed for a body angle flung far out
    // by an absurd grip; an angle that is no number at all faces up.
    EXPECT_EQ(frameForAngle(std::numeric_limits<float>::quiet_NaN(), 72), 0);
    EXPECT_EQ(frameForAngle(-std::numeric_limits<float>::infinity(), 72), 0);
    for (float angle : {-8.5e15f, 8.5e15f, 1e10f, -1e7f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        const std::int32_t f = frameForAngle(angle, 72);
        EXPECT_TRUE(f >= 0 && f < 72) << angle << ": " << f;
    }
}

TEST_F(Handling, SkiddingNeedsSpeedAndLeavesMarksUnderTheRearWheels) {
    const auto skidStep = [this] {
        car.skidStep();
        paintSkidMarks(trackSurface, car);
    };
    car.moveAngle = 2.0f; // a drift angle, but standing still
    skidStep();
    EXPECT_EQ(car.skid, 0.0f);
    car.moveAngle = 0.2f; // a 0.2 drift at speed 3 with no wheelspin
    car.speed = 3.0f;
    skidStep();
    EXPECT_EQ(car.skid, 0.0f);
    EXPECT_EQ(darkened(), 0);
    place(500, 500, 0);
    car.speed = 0.05f; // a hard start
    car.accel = 0.05f;
    car.engineRev = 9800.0f;
    skidStep();
    EXPECT_FLOAT_EQ(car.skid, 20.0f);
    EXPECT_FLOAT_EQ(car.engineRev, 10000.0f);
    // Rear wheels at (-5, 10) and (5, 10) from the mark origin, the centre's
    // whole pixel plus the pivot (510, 516); each mark two pixels wide.
    EXPECT_EQ(darkened(), 4);
    EXPECT_EQ(getPixel(trackSurface, 504, 526), halfColour(0xFF808080));
    EXPECT_EQ(getPixel(trackSurface, 516, 526), halfColour(0xFF808080));
    place(985, 500, 0); // the right wheel's marks fall off the track
    skidStep();
    EXPECT_EQ(darkened(), 6) << "two of the four marks fall outside and are skipped";
}

TEST_F(Handling, MarksArePlacedWithTheFrameShownBeforeTheUpdate) {
    // A hard start turning from frame 0 into frame 35: the corner is already
    // the new frame's, the mark origin still takes off the old frame's
    // offset. So a different offset for frame 35 moves the marks with it.
    auto marksAfterTurn = [&] {
        SDL_FillRect(trackSurface, nullptr, 0xFF808080);
        place(500, 500, 0.15f);
        car.frame = 0;
        car.speed = 0.05f;
        car.accel = 0.05f;
        car.steering = 0.06f;
        car.update(1.0f);
        paintSkidMarks(trackSurface, car); // as a drawn race paints them
        EXPECT_EQ(car.frame, 35);
        EXPECT_GT(car.skid, 1.0f);
        return marks();
    };
    const auto same = marksAfterTurn();
    ASSERT_FALSE(same.empty());
    type.frameOffsets[35] = {-12, -15};
    std::set<std::pair<int, int>> expected;
    for (auto [x, y] : same)
        expected.insert({x - 2, y + 1});
    EXPECT_EQ(marksAfterTurn(), expected);
}

TEST_F(Handling, FramesAreRotatedOnceAndSpritesEraseCleanly) {
    initGame(); // the frames are made in the display's format
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 14, 26, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(picture, nullptr, 0xC02020);
    SDL_SaveBMP(picture, "car.bmp");
    for (int count : {36, 7}) {
        std::unique_ptr<Animation> a(buildAnimation("car.bmp", count));
        ASSERT_TRUE(a);
        ASSERT_EQ(a->frameCount, count);
        int w, h;
        rotozoomSurfaceSize(14, 26, 360 / count * (count - 1), 1.0, &w, &h);
        EXPECT_EQ(a->frames[std::size_t(count - 1)]->w, w) << "the last frame's angle";
    }
    EXPECT_EQ(buildAnimation("missing.bmp", 36), nullptr);
    Animation full;
    for (int i = 0; i < 129; ++i)
        full.addFrame(filledSurface(1, 1, 0));
    EXPECT_EQ(full.frameCount, 128);
    SDL_FreeSurface(full.frames[127]); // the 129th was never taken
    full.frames[127] = filledSurface(1, 1, 0);

    // Drawn partly off the track, then erased: the track is as it was.
    Sprite sprite;
    sprite.animation = buildAnimation("car.bmp", 36);
    for (auto [x, y] : {std::pair{-5, -5}, std::pair{990, 990}, std::pair{400, 400}}) {
        sprite.x = x;
        sprite.y = y;
        sprite.restore(trackSurface); // never drawn: nothing
        sprite.draw(trackSurface);
        EXPECT_GT(darkened(), 0);
        sprite.restore(trackSurface);
        EXPECT_EQ(darkened(), 0) << x;
        pixelRow(trackSurface, 402)[402] = 0xFF123456;
        sprite.restore(trackSurface); // a second restore puts nothing back
        EXPECT_EQ(getPixel(trackSurface, 402, 402), 0xFF123456u);
        pixelRow(trackSurface, 402)[402] = 0xFF808080;
    }
    SDL_FreeSurface(picture);
}

// The race keeps cars inside the track by the frame sizes it measures; the
// drawn frames must be no other size.
TEST(ShippedCars, TheFramesTheRaceMeasuresAreTheFramesDrawn) {
    initGame();
    Game* game = Game::instance();
    game->loadCarList();
    ASSERT_FALSE(game->cars.empty());
    for (const auto& type : game->cars) {
        std::vector<FrameSize> sizes;
        std::string why;
        ASSERT_TRUE(measureCarFrames(*type, sizes, why)) << why;
        const auto animation = buildAnimation(type->picture, type->frameCount);
        ASSERT_TRUE(animation);
        ASSERT_EQ(sizes.size(), std::size_t(animation->frameCount));
        for (std::size_t k = 0; k < sizes.size(); ++k)
            EXPECT_TRUE(sizes[k].w == animation->frames[k]->w &&
                        sizes[k].h == animation->frames[k]->h)
                << type->name << " frame " << k;
    }
}
