// The cars the build ships, and the car painter's body shapes.
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "carbuild_desc.hpp"
#include "carbuild_paint.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"

#include <SDL_rotozoom.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <set>

namespace {

struct Shipped {
    CarType type;
    std::shared_ptr<SDL_Surface> picture; // 32-bit, through the game's BMP reader
    int w = 0, h = 0;
    std::uint32_t at(int x, int y) const { return getPixel(picture.get(), x, y) & 0xFFFFFF; }
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
        c.picture.reset(createSurface(c.w, c.h, false), SDL_FreeSurface);
        SDL_BlitSurface(loaded, nullptr, c.picture.get(), nullptr);
        SDL_FreeSurface(loaded);
        cars.push_back(std::move(c));
    }
    return cars;
}

bool isTyre(std::uint32_t p) {
    const int r = p >> 16, g = (p >> 8) & 255, b = p & 255;
    return p != 0 && r <= 0x40 && std::abs(r - g) <= 4 && std::abs(r - b) <= 4;
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

TEST(ShippedCarFiles, PicturesAreSolidCarsOnBlackWithWheelsOnTheirTyres) {
    for (const Shipped& c : shippedCars()) {
        EXPECT_EQ(c.at(0, 0), 0u) << c.type.picture;
        // Black that cannot be reached from around the picture is a hole.
        std::set<std::pair<int, int>> outside;
        std::vector<std::pair<int, int>> todo{{-1, -1}};
        while (!todo.empty()) {
            const auto [x, y] = todo.back();
            todo.pop_back();
            if (x < -1 || y < -1 || x > c.w || y > c.h || c.at(x, y) ||
                !outside.insert({x, y}).second)
                continue;
            todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
        }
        for (int i = 0; i < c.w * c.h; ++i) {
            const std::uint32_t p = c.at(i % c.w, i / c.w);
            EXPECT_TRUE(p != 0xFFFFFF && (p || outside.count({i % c.w, i / c.w})))
                << c.type.picture << i;
        }
        // Left wheels first, rear pair last; each within 2 pixels of a tyre
        // (the tyre's middle may be under the body).
        for (int k = 0; k < 4; ++k) {
            const IntPoint wheel = c.type.wheels[k];
            bool onTyre = false;
            for (int d = 0; d < 25; ++d)
                onTyre |=
                    isTyre(c.at(c.w / 2 + wheel.x + d % 5 - 2, c.h / 2 + wheel.y + d / 5 - 2));
            EXPECT_TRUE(onTyre && (wheel.x < 0) == (k % 2 == 0) && (wheel.y > 0) == (k >= 2))
                << c.type.picture << " wheel " << k;
        }
    }
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

namespace {

CarPicture painted(const std::string& text) {
    CarDesc desc;
    std::string error;
    EXPECT_TRUE(parseCarDesc(text, "test.txt", desc, error)) << error;
    return paintCar(desc);
}

// The default windows are a dark blue; the test bodies are warm colours.
bool isGlass(std::uint32_t p) {
    const int r = p >> 16, g = (p >> 8) & 255, b = p & 255;
    return p != 0 && b > r + 12 && b >= g;
}

int brightness(std::uint32_t p) {
    return int(p >> 16) + int((p >> 8) & 255) + int(p & 255);
}

const char* const kBody = "name = T\nlength = 30\nwidth = 18\npaint = #c8a050\n"
                          "trim = #603010\ntyre_out = 1\ntop_speed = 3\nacceleration = 0.1\n"
                          "grip = 0.1\ntank = 40\nconsumption = 1.5\ndamage = 100\n";

} // namespace

TEST(CarPainter, VanBoxRoadsterCockpitAndRoofSpoiler) {
    // Van: cab windows up to bonnet + screen + roof = 12, then a solid box,
    // pale on top, ribbed across and dark at its sides so that it stands
    // tall.
    const CarPicture van =
        painted(std::string(kBody) + "cabin = van\nbonnet = 5\nscreen = 3\nroof = 4\n");
    int cabGlass = 0;
    for (int y = 0; y < van.height; ++y)
        for (int x = 0; x < van.width; ++x) {
            EXPECT_FALSE(y >= 13 && isGlass(van.at(x, y))) << "van glass at " << x << "," << y;
            cabGlass += y < 12 && isGlass(van.at(x, y));
        }
    EXPECT_GT(cabGlass, 20) << "a windscreen and side windows on the cab";
    int ribs = 0;
    for (int y = 14; y < 27; ++y) {
        EXPECT_GT(brightness(van.at(12, y)), brightness(van.at(1, y)) + 60) << y;
        ribs += brightness(van.at(12, y)) + 40 < brightness(van.at(12, y - 1));
    }
    EXPECT_GE(ribs, 3);

    // Roadster: behind a windscreen an open cockpit with the driver's head
    // on the left, no roof and no rear window; paint on the deck behind.
    const CarPicture roadster =
        painted(std::string(kBody) + "cabin = roadster\nbonnet = 11\nscreen = 2\nroof = 8\n");
    int glass = 0, headLeft = 0, headRight = 0;
    for (int y = 0; y < roadster.height; ++y)
        for (int x = 0; x < roadster.width; ++x) {
            const std::uint32_t p = roadster.at(x, y);
            glass += isGlass(p);
            EXPECT_FALSE(y >= 14 && isGlass(p)) << "roadster glass at " << x << "," << y;
            const int r = int(p >> 16), g = int((p >> 8) & 255), b = int(p & 255);
            const bool hair = r > 50 && r < 95 && g < 60 && b < 35; // dark brown
            (x < roadster.width / 2 ? headLeft : headRight) += y >= 13 && y < 21 && hair;
        }
    EXPECT_GT(glass, 4) << "a windscreen";
    EXPECT_GT(headLeft, 3);
    EXPECT_EQ(headRight, 0) << "the passenger seat is empty";
    for (int y = 14; y < 20; ++y)
        EXPECT_LT(brightness(roadster.at(9, y)), 300) << "the cockpit is open at " << y;

    // A roof spoiler puts a trim bar across the top of a closed car's rear
    // window, where the plain car has roof or glass.
    const std::string hatch = std::string(kBody) + "bonnet = 8\nscreen = 4\nroof = 8\n";
    const CarPicture plain = painted(hatch), spoiled = painted(hatch + "spoiler = roof\n");
    EXPECT_NE(plain.at(9, 19), spoiled.at(9, 19));
    EXPECT_LT(brightness(spoiled.at(9, 19)), 3 * 0x60) << "dark trim, not paint or glass";

    // What the shapes cannot hold is refused, naming the key's line.
    for (const auto& [extra, line] : std::vector<std::pair<std::string, int>>{
             {"cabin = van\nbonnet = 8\nscreen = 4\nroof = 12\n", 16},
             {"cabin = van\nrear_screen = 2\n", 14},
             {"cabin = roadster\nroof = 5\n", 14},
             {"cabin = roadster\nextras = sign\n", 14},
             {"cabin = pickup\nspoiler = roof\n", 14}}) {
        CarDesc desc;
        std::string error;
        EXPECT_FALSE(parseCarDesc(std::string(kBody) + extra, "t.txt", desc, error)) << extra;
        EXPECT_EQ(error.rfind("t.txt:" + std::to_string(line) + ":", 0), 0u) << error;
    }
}
