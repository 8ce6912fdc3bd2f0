// Obstacles of the shipped tracks against every shipped car.
#include "car/car.hpp"
#include "frontend/test_drive.hpp"
#include "test_support.hpp"
#include "track/directory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

// One solid thing of a shipped track: a point on its middle line and the
// way out of it towards the side a car comes from. Each kind from a side or
// two, met across x and across y: the two ways a crash deflects a car.
struct Site {
    const char* kind;
    const char* track;
    double x, y;   // pixels
    double nx, ny; // unit, from the obstacle towards the car
};

const Site kSites[] = {
    {"concrete wall, from below", "downtown.map", 816, 176, 0, 1},
    {"pit lane divider, from the road", "sprocket.map", 208, 464, -1, 0},
    {"pit lane divider, from the pit lane", "sprocket.map", 208, 464, 1, 0},
    {"tyre wall, from above", "sprocket.map", 528, 208, 0, -1},
    {"slanting tyre wall, from the road", "sprocket.map", 128, 96, 0.7071, 0.7071},
    {"slanting tyre wall, from inside", "sprocket.map", 416, 416, 0.7071, 0.7071},
    {"pit building", "meadow.map", 512, 624, -1, 0},
    {"grandstand", "meadow.map", 64, 544, 1, 0},
    {"lone tree, from the right", "meadow.map", 720, 592, 1, 0},
    {"rock, from the left", "dunes.map", 496, 464, -1, 0},
    {"edge of a wood", "crossover.map", 560, 624, 1, 0},
};

// Where the car reads the track: its nose, a fixed point of the car's
// picture (the second frame's offset plus the pivot, nose up) turned with
// the body about the centre.
struct Point {
    double x, y;
};
Point nose(const Car& car) {
    const IntPoint& o = car.type->frameOffsets.at(1);
    const double u = o.x + car.type->pivot.x, v = o.y + car.type->pivot.y;
    const double b = car.bodyAngle;
    return {u * std::cos(b) - v * std::sin(b) + car.getX(),
            u * std::sin(b) + v * std::cos(b) + car.getY()};
}

// The track of the drive under test.
const Track* siteTrack = nullptr;

bool solid(double x, double y) {
    return siteTrack->areaAt(std::int32_t(x), std::int32_t(y), Obstacle);
}

// Puts the car down with its centre at (x, y), body and travel at angle,
// nothing of a past run left in it.
void place(Car& car, double x, double y, double angle, float speed) {
    car.resetForRace();
    car.placeAt(float(x), float(y), float(angle));
    car.speed = speed;
    car.accel = car.steering = 0;
    car.crashFrames = 0;
}

// One frame of the handling under a driver's keys; nothing drawn, which
// the handling does not need.
void step(Car& car, const CarControls& keys) {
    applyKeys(car, keys);
    car.update(1.0f);
}

// The heading (0 up, clockwise) of a direction.
double heading(double dx, double dy) {
    return std::atan2(dx, -dy);
}

// What is wrong with the car's place next to the site, or nothing: its
// centre or nose in an obstacle, or (when asked) either across the
// obstacle's middle, which a car may pass only by going round a small one.
std::string outOfPlace(const Site& s, const Car& car, bool beyond = true) {
    const Point n = nose(car);
    const Point c{double(car.getX()), double(car.getY())};
    std::ostringstream why;
    for (const auto& [what, p] : {std::pair{"centre", c}, std::pair{"nose", n}}) {
        if (solid(p.x, p.y)) why << what << " inside an obstacle at " << p.x << "," << p.y << " ";
        if (beyond && (p.x - s.x) * s.nx + (p.y - s.y) * s.ny <= 0)
            why << what << " beyond the obstacle at " << p.x << "," << p.y << " ";
    }
    return why.str();
}

// True when the straight way from a to b crosses something solid.
bool crossesSolid(Point a, Point b) {
    const int steps = int(std::hypot(b.x - a.x, b.y - a.y)) + 1;
    for (int i = 0; i <= steps; ++i)
        if (solid(a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps)) return true;
    return false;
}

struct Obstacles : ::testing::Test {
    void SetUp() override {
        game = initGame();
        if (game->cars.empty()) game->loadCarList();
        ASSERT_FALSE(game->cars.empty());
    }
    void TearDown() override { siteTrack = nullptr; }

    // Every shipped car on the site's track, in turn.
    template <typename F> void eachCar(const char* track, F f) {
        for (const auto& type : game->cars) {
            TestDrive drive;
            ASSERT_TRUE(drive.start(track, *type)) << track << " " << type->name;
            siteTrack = drive.race->track();
            f(drive, type->name);
        }
    }

    // Flat out with nitro at the site from the given angle off straight in,
    // from a start 100 pixels back. False when the car never got there.
    bool charge(TestDrive& drive, const Site& s, double offDegrees, std::string& failure) {
        Car& car = *drive.car;
        const double off = offDegrees * kPi / 180;
        const double dx = -s.nx * std::cos(off) + s.ny * std::sin(off);
        const double dy = -s.ny * std::cos(off) - s.nx * std::sin(off);
        place(car, s.x - dx * 100, s.y - dy * 100, heading(dx, dy), car.type->topSpeed + 5);
        if (!outOfPlace(s, car).empty() || solid(s.x - dx * 100, s.y - dy * 100)) {
            failure = "the start is not clear: " + outOfPlace(s, car);
            return false;
        }
        int crashFrame = -1;
        for (int frame = 0; frame < 40 && (crashFrame < 0 || frame <= crashFrame + 60); ++frame) {
            const Point centreBefore{double(car.getX()), double(car.getY())};
            step(car, {.accelerate = true, .nitro = true});
            if (car.crashed && crashFrame < 0) crashFrame = frame;
            // Up to the crash the car is stopped on its own side; after it,
            // a deflected car may slide round a small obstacle, but never
            // into or through one.
            std::string why = outOfPlace(s, car, crashFrame < 0 || frame == crashFrame);
            if (crossesSolid(centreBefore, {double(car.getX()), double(car.getY())}))
                why += "the centre passed through an obstacle";
            if (!why.empty()) {
                failure = "frame " + std::to_string(frame) + ": " + why;
                return true;
            }
        }
        if (crashFrame < 0) failure = "never crashed";
        return true;
    }

    Game* game = nullptr;
};

} // namespace

TEST_F(Obstacles, NoneOfAShippedTrackIsThinnerThanTheFastestCarsStep) {
    float fastest = 0;
    for (const auto& type : game->cars)
        fastest = std::max(fastest, type->topSpeed + 5); // with nitro
    // The directory itself: the game's list may still be another test's.
    for (const std::string& file : listDirectory("tracks", "*.map")) {
        std::vector<std::uint8_t> bytes;
        Track t;
        std::string why;
        ASSERT_TRUE(readWholeFile("tracks/" + file, bytes) && decodeMap(bytes, t, why)) << file;
        int count = 0;
        for (const TrackArea& a : t.areas) {
            if (a.kind != Obstacle) continue;
            ++count;
            EXPECT_GE(std::min(a.x2 - a.x1, a.y2 - a.y1), fastest)
                << file << " obstacle at " << a.x1 << "," << a.y1 - kAreaTestLift;
        }
        EXPECT_GT(count, 0) << file;
    }
}

// Stopped on its own side by the crash; and as a crash throws the car off
// by a quarter turn in most headings, often still towards the obstacle,
// through the 51 frames of the crash it must still stay out of it.
TEST_F(Obstacles, EveryCarFlatOutWithNitroStaysOnItsOwnSideThroughTheCrash) {
    for (const Site& s : kSites)
        eachCar(s.track, [&](TestDrive& drive, const std::string& car) {
            for (double off : {-50.0, -25.0, 0.0, 25.0, 50.0}) {
                std::string failure;
                ASSERT_TRUE(charge(drive, s, off, failure)) << s.kind << ": " << failure;
                EXPECT_EQ(failure, "") << s.kind << ", " << car << ", " << off << " degrees off";
            }
        });
}

TEST_F(Obstacles, ADriverWithTheNoseAgainstOneBacksOutAndDrivesOffWithinThreeSeconds) {
    for (const Site& s : kSites)
        eachCar(s.track, [&](TestDrive& drive, const std::string& car) {
            for (bool leftFirst : {true, false}) {
                Car& c = *drive.car;
                const std::string where =
                    std::string(s.kind) + ", " + car +
                    (leftFirst ? ", backing out left" : ", backing out right");
                // Creep into it until the crash, then sit out the crash.
                place(c, s.x + s.nx * 60, s.y + s.ny * 60, heading(-s.nx, -s.ny), 1);
                for (int frame = 0; frame < 200 && !c.crashed; ++frame)
                    step(c, {.accelerate = c.speed < 1});
                ASSERT_TRUE(c.crashed) << where << ": never reached it";
                while (c.crashed)
                    step(c, {});
                // Back out turning one way, then drive off turning the other,
                // until the nose is clear and the car drives away.
                int freed = -1;
                for (int frame = 0; frame < 180 && freed < 0; ++frame) {
                    const bool back = frame < 30, turn = frame < 55;
                    step(c, {.accelerate = !back,
                             .brake = back,
                             .left = back ? leftFirst : turn && !leftFirst,
                             .right = back ? !leftFirst : turn && leftFirst});
                    ASSERT_FALSE(c.crashed) << where << ": crashed again at frame " << frame;
                    ASSERT_EQ(outOfPlace(s, c), "") << where << ", frame " << frame;
                    const Point n = nose(c);
                    bool clear = true;
                    for (int dy = -16; dy <= 16; dy += 2)
                        for (int dx = -16; dx <= 16; dx += 2)
                            clear = clear && !solid(n.x + dx, n.y + dy);
                    const double away = std::sin(c.moveAngle) * s.nx - std::cos(c.moveAngle) * s.ny;
                    if (clear && c.speed > 1 && away > 0.2) freed = frame;
                }
                EXPECT_GE(freed, 0) << where << ": still there after 180 frames";
            }
        });
}
