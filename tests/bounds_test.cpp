// Files that ask for more than the game can give are refused with a message;
// the shipped content sits inside every bound.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "frontend/test_drive.hpp"
#include "gfx/image.hpp"
#include "test_support.hpp"
#include "track/directory.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

const std::string kDamaged = std::string(GRAVELIN_GOLDEN_DIR) + "/../data/damaged/";

std::vector<std::uint8_t> damaged(const std::string& reader, const std::string& name) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(readWholeFile(kDamaged + reader + "/" + name, bytes)) << reader << "/" << name;
    return bytes;
}

// The reason decodeMap gives, empty when the map is taken.
std::string mapRefusal(const Track& t) {
    Track back;
    std::string why;
    return decodeMap(encodeMap(t), back, why) ? std::string() : why;
}

} // namespace

TEST(MapBounds, WaypointsAndAreasLieOnTheDrawnTrackOrWithinItsMargin) {
    // 3 x 2 cells of 32 pixels: 96 x 64, so 160 x 128 with the margin.
    Track t = testTrack(3, 2);
    EXPECT_EQ(mapRefusal(t), "");
    t.waypoints[7] = {RacingLine, 96 + kMapMargin, -kMapMargin};
    EXPECT_EQ(mapRefusal(t), "") << "the margin's edge is on it";
    t.waypoints[7] = {RacingLine, 96 + kMapMargin + 1, 0};
    EXPECT_NE(mapRefusal(t).find("waypoint 7 (161, 0)"), std::string::npos) << mapRefusal(t);
    t.waypoints[7] = {FreeWaypoint, 0, -kMapMargin - 1};
    EXPECT_NE(mapRefusal(t), "") << "a free slot is still aimed at from slot 0";
    t.waypoints[7] = {RacingLine, INT_MAX - 1, INT_MIN + 1};
    EXPECT_NE(mapRefusal(t).find("waypoint 7"), std::string::npos);
    t.waypoints[7] = {};
    t.areas.push_back({Obstacle, 10, 10, 20, 64 + kMapMargin});
    EXPECT_EQ(mapRefusal(t), "");
    t.areas.back().x1 = -30000;
    EXPECT_NE(mapRefusal(t).find("area 2 (-30000, 10)-(20, 128)"), std::string::npos)
        << mapRefusal(t);

    for (const char* name : {"waypoint-near-int-max.map", "waypoint-far-off-the-map.map",
                             "area-far-off-the-map.map"}) {
        Track back;
        std::string why;
        EXPECT_FALSE(decodeMap(damaged("map", name), back, why)) << name;
        EXPECT_NE(why.find("lies off the drawn track"), std::string::npos) << name << ": " << why;
    }
}

TEST(MapBounds, TileSizeTileCountAndDrawnTrackAreBoundedBeforeLoading) {
    Track t = testTrack(3, 2);
    t.tileWidth = t.tileHeight = 1;
    t.areas.clear();
    EXPECT_NE(mapRefusal(t).find("tile size 1 x 1"), std::string::npos);
    t.tileWidth = t.tileHeight = kMinTileSide;
    EXPECT_EQ(mapRefusal(t), "");

    // Drawn track bytes: 4 per pixel. Grandprix takes 18 MB; 64 MB is the
    // most, checked before anything is allocated.
    Track big = testTrack(8, 8);
    big.areas.clear();
    big.tileWidth = big.tileHeight = 512; // 4096 x 4096 = 64 MB exactly
    EXPECT_EQ(mapRefusal(big), "");
    big.tileWidth = 520;
    EXPECT_NE(mapRefusal(big).find("4160 x 4096 pixels is larger than the game draws"),
              std::string::npos)
        << mapRefusal(big);
}

TEST(MapBounds, TilesetsGiveNoMoreThanATrackMayUse) {
    ScratchDir dir;
    // 1024 x 512 of palette index 0: 8192 tiles of 8 x 8, twice the most a
    // track may use, from a file of a few hundred bytes.
    writeFileAtomically("many.pcx", pcxFile(1024, 512, {0}));
    Track t;
    EXPECT_FALSE(t.loadTileset("many.pcx", 8, 8, -1)) << "all that fit are too many";
    EXPECT_FALSE(t.loadTileset("many.pcx", 8, 8, kMaxTiles + 1));
    EXPECT_FALSE(t.loadTileset("many.pcx", 1, 1, 10)) << "below the smallest tile side";
    EXPECT_FALSE(t.loadTileset("many.pcx", 8, 8, -2));
    ASSERT_TRUE(t.loadTileset("many.pcx", 8, 8, kMaxTiles));
    EXPECT_EQ(t.tileset->count(), kMaxTiles);
    ASSERT_TRUE(t.loadTileset("many.pcx", 16, 16, -1));
    EXPECT_EQ(t.tileset->count(), 2048);

    // The same through a map: 16-pixel tiles load, 8-pixel ones are too many.
    Track map = testTrack(20, 13, "many.pcx");
    map.areas.clear();
    map.tileWidth = map.tileHeight = 16;
    writeFileAtomically("tracks/many.map", encodeMap(map));
    Track loaded;
    EXPECT_TRUE(loaded.loadMap("many.map"));
    map.tileWidth = map.tileHeight = 8;
    writeFileAtomically("tracks/many.map", encodeMap(map));
    EXPECT_FALSE(loaded.loadMap("many.map"));

    // A tile file whose tiles are another size than the map's is refused:
    // the map's limits were checked with its own.
    Track other = testTrack(20, 13);
    other.areas.clear();
    other.tileWidth = other.tileHeight = 16;
    writeFileAtomically("tracks/other.map", encodeMap(other));
    EXPECT_FALSE(loaded.loadMap("other.map"));
    EXPECT_TRUE(loaded.loadMap("test.map"));

    writeFileAtomically("tiny.tl", damaged("tile", "tiles-1x1.tl"));
    EXPECT_FALSE(loaded.loadTileFile("tiny.tl"));
}

TEST(PictureBounds, SidesAndAreaAreBoundedWhateverTheFileSize) {
    std::int32_t w, h;
    std::vector<std::uint8_t> px;
    const std::vector<std::uint8_t> bomb = damaged("pcx", "claims-8192x8192.pcx");
    EXPECT_EQ(bomb.size(), 897u);
    EXPECT_FALSE(decodePcx(bomb, w, h, px));
    EXPECT_TRUE(px.empty()) << "refused before the pixels are allocated";
    // 2048 x 2048 is the whole area allowed; one more column is not.
    EXPECT_TRUE(decodePcx(pcxFile(2048, 2048, {0}), w, h, px));
    EXPECT_FALSE(decodePcx(pcxFile(2049, 2048, {0}), w, h, px));
    EXPECT_TRUE(decodePcx(pcxFile(512, 8192, {0}), w, h, px)) << "a full tileset's shape";
    EXPECT_FALSE(pictureSizeAllowed(8193, 1));
    EXPECT_FALSE(pictureSizeAllowed(0, 1));

    ScratchDir dir;
    std::filesystem::copy_file(kDamaged + "pcx/claims-8192x8192.pcx", "bomb.pcx");
    EXPECT_EQ(loadImage("bomb.pcx"), nullptr);
    for (const char* name : {"claims-8192x8192.bmp", "claims-top-down-8192x8192.bmp"})
        EXPECT_EQ(loadCheckedBmp(kDamaged + "bmp/" + name), nullptr) << name;
}

TEST(PictureBounds, EveryShippedPictureFits) {
    for (const std::string& dirName : {std::string("tracks/"), std::string("cars/")})
        for (const std::string& name : listDirectory(dirName, "*.bmp")) {
            SDL_Surface* s = loadCheckedBmp(dirName + name);
            ASSERT_NE(s, nullptr) << name;
            EXPECT_LE(std::int64_t(s->w) * s->h * 2, kMaxPicturePixels) << "headroom: " << name;
            SDL_FreeSurface(s);
        }
}

namespace {

// The reason decodeCarType gives, empty when the car is taken.
std::string carRefusal(const CarType& t) {
    CarType back;
    std::string why;
    return decodeCarType(encodeCarType(t), back, why) ? std::string() : why;
}

CarType shippedCab() {
    std::vector<std::uint8_t> bytes;
    CarType t;
    std::string why;
    EXPECT_TRUE(readWholeFile("cars/cab.car", bytes));
    EXPECT_TRUE(decodeCarType(bytes, t, why)) << why;
    return t;
}

} // namespace

TEST(CarBounds, HandlingFiguresOutsideTheirRangesAreRefusedByName) {
    CarType t = shippedCab();
    EXPECT_EQ(carRefusal(t), "");
    t.grip = -8.5e15f;
    EXPECT_EQ(carRefusal(t), "grip -8.5e+15 is outside 0..3");
    t.grip = kGripRange.hi;
    EXPECT_EQ(carRefusal(t), "") << "the range's ends are in it";
    t.acceleration = -8.5e15f;
    EXPECT_EQ(carRefusal(t), "acceleration -8.5e+15 is outside 0..5");
    t.acceleration = 0.1f;
    t.topSpeed = std::numeric_limits<float>::quiet_NaN();
    EXPECT_NE(carRefusal(t).find("topSpeed"), std::string::npos) << "not a number";
    t.topSpeed = 3;
    t.tankSize = std::numeric_limits<float>::infinity();
    EXPECT_EQ(carRefusal(t), "tankSize inf is outside 0..10000");
    t.tankSize = 40;
    t.consumption = -1;
    EXPECT_EQ(carRefusal(t), "consumption -1 is outside 0..1000");
    t.consumption = 8;
    t.maxDamage = 1e30f;
    EXPECT_EQ(carRefusal(t), "maxDamage 1e+30 is outside 0..10000");
}

TEST(CarBounds, GeometryIsBoundedByTheFileThenByThePicturesFrames) {
    CarType t = shippedCab();
    t.pivot = {INT_MAX - 1, INT_MAX - 1};
    EXPECT_NE(carRefusal(t).find("its pivot (2147483646, 2147483646)"), std::string::npos)
        << carRefusal(t);
    t.pivot = {kMaxCarCoordinate, -kMaxCarCoordinate};
    EXPECT_EQ(carRefusal(t), "") << "a coarse bound only: the picture is not read yet";
    t.wheels[3] = {0, INT_MIN};
    EXPECT_NE(carRefusal(t).find("its wheel 3"), std::string::npos);
    t.wheels[3] = {};
    t.frameOffsets[5] = {kMaxCarCoordinate + 1, 0};
    EXPECT_NE(carRefusal(t).find("its frame offset 5"), std::string::npos);

    // Against the frames made from the picture (the cab's are 14 x 24 and
    // up to 28 a side turned).
    initGame();
    const CarType cab = shippedCab();
    const auto madeWith = [&](void (*change)(CarType&)) {
        CarType bad = cab;
        change(bad);
        return carCanBeMade(bad);
    };
    EXPECT_FALSE(madeWith([](CarType& c) { c.pivot = {200, 0}; })) << "pivot";
    EXPECT_FALSE(madeWith([](CarType& c) { c.wheels[2] = {0, -60}; })) << "wheel";
    EXPECT_FALSE(madeWith([](CarType& c) { c.frameOffsets[3] = {4, -12}; })) << "right of centre";
    EXPECT_FALSE(madeWith([](CarType& c) { c.frameOffsets[0] = {-7, -40}; })) << "past the frame";

    // A car picture the size of a tileset would be turned into gigabytes.
    ScratchDir dir;
    const int side = kMaxCarPictureSide + 1;
    writeFileAtomically(
        "wide.bmp",
        encodeBmp24(side, 20, std::vector<std::uint32_t>(std::size_t(side) * 20, 0x808080)));
    EXPECT_EQ(buildAnimation("wide.bmp", 2), nullptr);
}

TEST(CarBounds, TheMostARangeAllowsStillDrivesInsideTheTrack) {
    // Every figure at the top of its range: the car must stay a car, with
    // finite angles, a frame among its frames and a place on the track.
    initGame();
    ScratchDir dir;
    auto extreme = std::make_unique<CarType>(shippedCab());
    extreme->name = "Extreme";
    extreme->topSpeed = kTopSpeedRange.hi;
    extreme->acceleration = kAccelerationRange.hi;
    extreme->grip = kGripRange.hi;
    extreme->consumption = kConsumptionRange.hi;
    TestDrive drive;
    ASSERT_TRUE(drive.start("test.map", *extreme));
    drive.car->fuel = 1e6f;
    const float w = float(drive.race->track()->pixelWidth());
    const float h = float(drive.race->track()->pixelHeight());
    for (int i = 0; i < 400; ++i) {
        drive.step({true, false, i % 40 < 25, i % 40 >= 25, true});
        const Car& c = *drive.car;
        ASSERT_TRUE(std::isfinite(c.bodyAngle) && std::isfinite(c.moveAngle)) << i;
        ASSERT_TRUE(c.bodyAngle >= -1.0f && c.bodyAngle <= 8.0f) << i << ": " << c.bodyAngle;
        ASSERT_TRUE(c.frame >= 0 && c.frame < c.type->frameCount) << i << ": " << c.frame;
        ASSERT_TRUE(c.posX >= 0 && c.posX <= w && c.posY >= 0 && c.posY <= h)
            << i << ": " << c.posX << "," << c.posY;
    }
}
