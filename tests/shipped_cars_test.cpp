// The cars the build ships, and the car builder's body shapes.
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "carbuild_desc.hpp"
#include "gfx/image.hpp"

#include <SDL_rotozoom.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>

namespace {

struct Shipped {
    CarType type;
    int w = 0, h = 0; // of the picture, as the game's BMP reader reads it
};

std::vector<Shipped> shippedCars() {
    std::vector<Shipped> cars;
    for (const auto& entry : std::filesystem::directory_iterator("cars")) {
        if (entry.path().extension() != ".car") continue;
        Shipped c;
        std::vector<std::uint8_t> bytes;
        std::string why;
        EXPECT_TRUE(readWholeFile(entry.path().string(), bytes) &&
                    decodeCarType(bytes, c.type, why))
            << entry.path() << why;
        SDL_Surface* loaded = loadCheckedBmp(c.type.picture);
        EXPECT_TRUE(loaded) << c.type.picture;
        if (!loaded) continue;
        c.w = loaded->w, c.h = loaded->h;
        SDL_FreeSurface(loaded);
        cars.push_back(std::move(c));
    }
    return cars;
}

} // namespace

TEST(ShippedCarFiles, AtLeastTenThatDriveDifferently) {
    const std::vector<Shipped> cars = shippedCars();
    ASSERT_GE(cars.size(), 10u);
    std::set<float> speeds, grips;
    std::set<std::string> names;
    for (const Shipped& c : cars) {
        const CarType& t = c.type;
        EXPECT_TRUE(t.version == 2 && 360 % t.frameCount == 0 && t.topSpeed > 2 && t.topSpeed < 5 &&
                    t.acceleration > 0 && t.tankSize > 0 && t.consumption > 0 && t.maxDamage > 0)
            << t.name;
        speeds.insert(t.topSpeed);
        grips.insert(t.grip);
        names.insert(t.name);
    }
    EXPECT_EQ(names.size(), cars.size());
    EXPECT_GE(speeds.size(), 5u);
    EXPECT_GE(*speeds.rbegin() - *speeds.begin(), 1.0f);
    // Steering turns the body 0.06 rad a frame: some cars slide, some hold.
    EXPECT_TRUE(grips.size() >= 5 && *grips.begin() < 0.06f && *grips.rbegin() > 0.06f);
}

TEST(ShippedCarFiles, FramesAndProbeFollowTheTurnedPicture) {
    for (const Shipped& c : shippedCars()) {
        const CarType& t = c.type;
        const int n = t.frameCount, step = 360 / n;
        for (int k = 0, fw, fh; k < n; ++k) {
            rotozoomSurfaceSize(c.w, c.h, k * step, 1.0, &fw, &fh);
            EXPECT_TRUE(std::abs(t.frameOffsets[k].x + fw / 2) <= 1 &&
                        std::abs(t.frameOffsets[k].y + fh / 2) <= 1)
                << t.picture << " frame " << k;
        }
        // The probe reads the track at the nose at every angle, so a nose
        // meets a wall before the body sinks into it.
        double worst = 0;
        const double nose = c.h / 2.0 - 2.0; // just inside the front bumper
        for (int i = 0; i < 1440 * 4; ++i) {
            const double b = (i / 4) * std::numbers::pi / 720;
            const double px = 500 + (i & 1) * 0.99, py = 500 + (i & 2) * 0.495;
            const double u = t.frameOffsets[1].x + t.pivot.x, v = t.frameOffsets[1].y + t.pivot.y;
            const double qx = std::trunc(u * cos(b) - v * sin(b) + 500);
            const double qy = std::trunc(u * sin(b) + v * cos(b) + 500);
            worst = std::max(worst, std::hypot(qx + 0.5 - (px + nose * sin(b)),
                                               qy + 0.5 - (py - nose * cos(b))));
        }
        EXPECT_LE(worst, 3.0) << t.picture;
    }
}

// Pit stops are for a race's length, not a crutch for the car: a full tank
// must last six laps of the slowest lap a shipped track may have, 75 s, with
// the engine running all the time. Car::update burns consumption / 1400 of
// fuel (as the float 0.0007142857) every frame the engine runs, at 60 frames
// a second; this takes the same float steps.
TEST(ShippedCarFiles, AFullTankLastsSixLapsOfSeventyFiveSeconds) {
    constexpr int kFrames = 6 * 75 * 60;
    for (const Shipped& c : shippedCars()) {
        float fuel = c.type.tankSize;
        int frames = 0;
        while (fuel > 0 && frames < kFrames) {
            fuel -= c.type.consumption * 0.0007142857f;
            ++frames;
        }
        EXPECT_EQ(frames, kFrames) << c.type.name << " runs dry after " << frames / 60 << " s";
        EXPECT_GT(fuel, 0.0f) << c.type.name;
    }
}

// The builder refuses a shape that the body cannot hold, naming the key's
// line. (The golden frames and the gallery show how the shapes look.)
TEST(CarPainter, ShapesTheBodyCannotHoldAreRefusedByLine) {
    const std::string body = "name = T\nlength = 30\nwidth = 18\npaint = #c8a050\n"
                             "trim = #603010\ntyre_out = 1\ntop_speed = 3\nacceleration = 0.1\n"
                             "grip = 0.1\ntank = 40\nconsumption = 1.5\ndamage = 100\n";
    for (const auto& [extra, line] : std::vector<std::pair<std::string, int>>{
             {"cabin = van\nbonnet = 8\nscreen = 4\nroof = 12\n", 16},
             {"cabin = van\nrear_screen = 2\n", 14},
             {"cabin = roadster\nroof = 5\n", 14},
             {"cabin = roadster\nextras = sign\n", 14},
             {"cabin = pickup\nspoiler = roof\n", 14}}) {
        CarDesc desc;
        std::string error;
        EXPECT_FALSE(parseCarDesc(body + extra, "t.txt", desc, error)) << extra;
        EXPECT_EQ(error.rfind("t.txt:" + std::to_string(line) + ":", 0), 0u) << error;
    }
    CarDesc desc;
    std::string error;
    EXPECT_TRUE(parseCarDesc(body + "cabin = van\nbonnet = 5\nscreen = 3\nroof = 4\n", "t.txt",
                             desc, error))
        << error;
}
