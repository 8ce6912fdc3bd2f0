// Lap record files, the lap-time text, car files and the car list.
#include "car/car_type.hpp"
#include "records/lap_record.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> carFile(std::int32_t version, std::int32_t frames,
                                  const std::string& picture, const std::string& name) {
    CarType t;
    t.version = version;
    t.topSpeed = 4.5f;
    t.grip = 0.07f;
    t.pivot = {12, 15};
    t.wheels[2] = {-6, 10};
    t.frameOffsets.assign(std::size_t(frames), IntPoint{-10, -16});
    t.frameOffsets[1] = {-11, -17};
    t.picture = picture;
    t.name = name;
    t.tankSize = 55.0f;
    t.consumption = 12.0f;
    t.maxDamage = 80.0f;
    return encodeCarType(t);
}

} // namespace

TEST(LapTimeText, MinutesSecondsAndHundredthsPaddedWithSpaces) {
    EXPECT_EQ(lapTimeText(0), " 0: 0: 0");
    EXPECT_EQ(lapTimeText(59), " 0: 0:88");
    EXPECT_EQ(lapTimeText(3600), " 1: 0: 0");
    EXPECT_EQ(lapTimeText(3661), " 1: 1: 1");
    EXPECT_EQ(lapTimeText(3719), " 1: 1:88");
    EXPECT_EQ(lapTimeText(100000), "27:46:60");
}

TEST(LapRecordFile, LayoutAndRoundTrip) {
    const auto empty = encodeLapRecord(LapRecord{1234, "", "", ""});
    EXPECT_EQ(empty.size(), 20u);
    EXPECT_EQ(empty[0], 1);
    EXPECT_EQ(empty[4] | (empty[5] << 8), 1234);
    LapRecord back;
    const LapRecord full{3719, "Ann", "Comet GT", "06-12-26"};
    ASSERT_TRUE(decodeLapRecord(encodeLapRecord(full), back));
    EXPECT_EQ(std::tie(back.time, back.driver, back.car, back.date),
              std::tie(full.time, full.driver, full.car, full.date));
}

TEST(LapRecordFile, MissingEmptyAndDamagedFiles) {
    initGame();
    ScratchDir dir;
    // The screen's own default for a track without a record file.
    const LapRecord none = readLapRecord("test.map");
    EXPECT_EQ(std::tie(none.time, none.driver, none.date), std::tuple(3600, "K.R.T", "11-04-83"));
    writeFileAtomically("tracks/test.rec", encodeLapRecord({500, "Bo", "", ""}));
    const LapRecord shown = readLapRecord("test.map");
    EXPECT_EQ(std::tie(shown.date, shown.car), std::tuple("N/A", "")) << "an empty date shows N/A";
    Track track;
    track.loadRecord("tracks/test.rec");
    EXPECT_EQ(track.record.date, "") << "the race keeps it empty";
    track.loadRecord("tracks/none.rec");
    EXPECT_EQ(track.record.time, kNoRecordTime);
    // Lengths past the end, negative or beyond 79 bytes are refused.
    ByteWriter bad;
    bad.i32(1);
    bad.i32(10);
    bad.countedString(std::string(80, 'x'));
    LapRecord r;
    EXPECT_FALSE(decodeLapRecord(bad.bytes(), r));
    auto cut = encodeLapRecord({500, "Bo", "Car", "Today"});
    cut.pop_back();
    EXPECT_FALSE(decodeLapRecord(cut, r));
    writeFileAtomically("tracks/test.rec", cut);
    track.loadRecord("tracks/test.rec");
    EXPECT_EQ(track.record.time, kNoRecordTime);
    // Saving replaces the file; the second of two records in a race wins.
    track.name = "test";
    track.record = {700, "Cy", "Van", "d1"};
    track.saveRecord();
    track.record = {650, "Di", "Van", "d2"};
    track.saveRecord();
    EXPECT_EQ(readLapRecord("test.map").driver, "Di");
    // A record that cannot be written says so and leaves what stands there.
    std::filesystem::remove("tracks/test.rec");
    std::filesystem::create_directory("tracks/test.rec");
    EXPECT_FALSE(track.saveRecord());
    EXPECT_TRUE(std::filesystem::is_directory("tracks/test.rec"));
}

TEST(CarFile, VersionsTwoAndOne) {
    CarType t;
    std::string why;
    ASSERT_TRUE(decodeCarType(carFile(2, 72, "cars/a.bmp", "Arrow"), t, why)) << why;
    EXPECT_EQ(std::tie(t.frameCount, t.frameOffsets[1], t.pivot, t.grip, t.tankSize, t.maxDamage),
              std::tuple(72, IntPoint{-11, -17}, IntPoint{12, 15}, 0.07f, 55.0f, 80.0f));
    auto v1 = carFile(1, 36, "cars/b.bmp", "Bolt");
    v1.insert(v1.end(), {1, 2, 3, 4, 5, 6, 7, 8}); // ignored after the name
    ASSERT_TRUE(decodeCarType(v1, t, why)) << why;
    EXPECT_EQ(std::tie(t.name, t.tankSize, t.consumption, t.maxDamage),
              std::tuple("Bolt", 40.0f, 10.0f, 100.0f))
        << "version 1 holds no tank, consumption or damage: the defaults";
    ASSERT_TRUE(decodeCarType(carFile(2, 2, std::string("pic\0junk", 8), ""), t, why)) << why;
    EXPECT_EQ(t.picture, "pic") << "a text ends at its first zero byte";
    EXPECT_EQ(t.name, "");
}

TEST(CarFile, DamagedFilesAreRefused) {
    CarType t;
    std::string why;
    for (std::int32_t frames : {0, 1, 129, -5}) {
        auto bytes = carFile(2, 2, "p", "n");
        putI32(bytes, 64, frames);
        EXPECT_FALSE(decodeCarType(bytes, t, why)) << frames;
    }
    EXPECT_FALSE(decodeCarType(carFile(2, 72, std::string(80, 'p'), "n"), t, why));
    const auto good = carFile(2, 8, "cars/a.bmp", "Arrow");
    const std::size_t textsEnd = good.size() - 12;
    for (std::size_t cut = 0; cut < textsEnd; ++cut)
        EXPECT_FALSE(decodeCarType({good.begin(), good.begin() + std::ptrdiff_t(cut)}, t, why))
            << cut;
}

TEST(CarList, ReadInNameOrderAndFoundByNameOrPicture) {
    Game* game = initGame();
    ScratchDir dir;
    std::filesystem::remove("cars");
    std::filesystem::create_directory("cars");
    writeFileAtomically("cars/b.car", carFile(2, 36, "cars/b.bmp", "Twin"));
    writeFileAtomically("cars/a.car", carFile(2, 36, "cars/a.bmp", "Twin"));
    auto broken = carFile(2, 2, "cars/c.bmp", "Broken");
    broken[64] = 200; // frame count beyond 128
    writeFileAtomically("cars/c.car", broken);
    game->loadCarList();
    ASSERT_EQ(game->cars.size(), 2u) << "the damaged file is skipped";
    EXPECT_EQ(game->findCar("Twin")->picture, "cars/a.bmp") << "the first listed wins";
    EXPECT_EQ(game->findCar("cars/b.bmp")->picture, "cars/b.bmp");
    EXPECT_EQ(game->findCar("twin"), nullptr);
    EXPECT_EQ(game->findCar("Broken"), nullptr);
    game->cars.clear();
}
