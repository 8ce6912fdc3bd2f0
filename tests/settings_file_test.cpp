// set.dat: the exact bytes the game writes, the round trip, and files that
// were damaged or written by hand. Whatever the file holds, the game starts.
#include "app/settings_file.hpp"
#include "base/bytes.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "ui/menu.hpp"

#include <gtest/gtest.h>

#include <random>

namespace {

struct SettingsFile : GameTest {
    void SetUp() override {
        GameTest::SetUp();
        game->startUp();
        resetSelections();
    }
    void resetSelections() {
        game->selection.tracks.fill(-1);
        game->selection.drivers.fill(-1);
    }
    // Rebuilds the menu as a fresh start would, with the default flags.
    void freshMenu() {
        game->options.skidmarks = game->options.carDamage = game->options.fuelConsumption = true;
        game->options.unlimitedNitro = game->options.showFps = game->options.showLapRecord = false;
        game->buildMainMenu();
    }
    void withDrivers(int n) {
        game->profiles.clear();
        for (int i = 0; i < n; ++i)
            game->profiles.push_back(std::make_unique<PlayerProfile>());
    }
    void TearDown() override { game->profiles.clear(); }
    std::vector<std::uint8_t> encoded() {
        return encodeSettings(*game->mainMenu, game->selection.tracks, game->selection.drivers);
    }
    bool decode(const std::vector<std::uint8_t>& bytes) {
        return decodeSettings(bytes, *game->mainMenu, game->selection.tracks,
                              game->selection.drivers);
    }
    std::vector<std::uint8_t> defaultFile() {
        freshMenu();
        return encoded();
    }
    std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (MenuItem* it : game->mainMenu->items)
            if (it) out.push_back(it->label);
        return out;
    }
    MenuItem* item(int page, int slot) { return game->mainMenu->at(page, slot); }
    // A value as the menu sets it, its action run.
    void set(int page, int slot, std::int32_t value) {
        item(page, slot)->value = value;
        item(page, slot)->action(*item(page, slot));
    }
};

std::vector<std::uint8_t> record(const std::string& label, std::int32_t value,
                                 const std::string& text) {
    ByteWriter w;
    w.countedString(label);
    w.i32(value);
    w.countedString(text);
    return w.bytes();
}

} // namespace

TEST_F(SettingsFile, HoldsSixteenByteExactRecordsInSlotOrderThenTheSelections) {
    game->selection.tracks[0] = 2;
    game->selection.drivers[0] = 1;
    game->selection.drivers[1] = 4;
    const auto bytes = defaultFile();
    ByteReader in(bytes);
    std::vector<std::string> seen;
    for (int i = 0; i < 16; ++i) {
        std::string label, text;
        ASSERT_TRUE(in.countedString(label, 255));
        in.i32();
        ASSERT_TRUE(in.countedString(text, 255));
        seen.push_back(label);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "DRIVE OPTIONS", "MISC. SETTINGS", "HALL OF FAME", "QUIT", "FREE DRIVING",
                        "TIME TRIAL", "RACE/RACING SEASON", "TRACKS...", "DRIVERS...",
                        "LAPS PER RACE", "Skidmarks", "Car damage", "Fuel consumption",
                        "Unlimited nitro boost", "Show FPS", "Show lap record"}));
    std::array<std::int32_t, 16> positions;
    for (std::int32_t& p : positions)
        p = in.i32();
    EXPECT_EQ(positions, (std::array<std::int32_t, 16>{2, -1, -1, -1, -1, -1, -1, -1, 1, 4, -1, -1,
                                                       -1, -1, -1, -1}));
    EXPECT_TRUE(in.atEnd());
    // The laps item carries its menu value and the lap count as text.
    const auto skid = record("Skidmarks", 1, "ON");
    ASSERT_EQ(skid.size(), 4u + 9 + 4 + 4 + 2);
    for (const auto& r : {skid, record("QUIT", 0, ""), record("LAPS PER RACE", 2, "3")})
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), r.begin(), r.end()), bytes.end());
}

TEST_F(SettingsFile, WriteThenReadGivesTheSameMenuAndSelections) {
    freshMenu();
    set(1, 5, 11);
    set(3, 0, 0);
    set(3, 4, 1);
    game->selection.tracks = {0, 0, 1, -1, -1, -1, -1, -1};
    game->selection.drivers = {3, 0, -1, -1, -1, -1, -1, -1};
    game->tracks = {"a.map", "b.map"};
    withDrivers(4);
    game->writeSettings();
    const auto written = encoded();

    freshMenu();
    resetSelections();
    game->readSettings();
    EXPECT_EQ(encoded(), written);
    const Settings& s = *game->settings;
    EXPECT_EQ(
        std::tie(item(1, 5)->text, s.lapsPerRace, game->options.skidmarks, game->options.showFps),
        std::tuple("30", 30, false, true));
    EXPECT_EQ(std::tie(game->selection.trackCount, s.raceCount, s.trackNames[2],
                       game->selection.driverCount, s.selectedDriverCount),
              std::tuple(3, 3, "b.map", 2, 2));
}

TEST_F(SettingsFile, NoFileMeansDefaultsAndNoSelections) {
    freshMenu();
    game->readSettings();
    const Options& o = game->options;
    EXPECT_TRUE(o.skidmarks && o.carDamage && o.fuelConsumption);
    EXPECT_FALSE(o.unlimitedNitro || o.showFps || o.showLapRecord);
    EXPECT_EQ(game->selection.trackCount + game->selection.driverCount, 0);
    EXPECT_EQ(game->settings->raceCount, 0);
}

TEST_F(SettingsFile, SelectionsAreDroppedWhenGoneAndPackedToTheFront) {
    game->selection.tracks = {7, 0, -1, -1, -1, -1, -1, -1};
    game->selection.drivers = {3, 0, 0, 1, -1, -1, -1, -1};
    writeFileAtomically("set.dat", defaultFile());
    resetSelections();
    game->tracks = {"only.map"};
    withDrivers(2);
    game->readSettings();
    EXPECT_EQ(game->selection.trackCount, 1);
    EXPECT_EQ(game->settings->trackNames[0], "only.map");
    EXPECT_EQ(game->selection.drivers, (std::array<std::int32_t, 8>{0, 1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(game->settings->selectedDriverCount, 2);

    game->selection.tracks = {-1, 3, -7, 1, -1, -1, -1, -1};
    game->selection.drivers = {-1, -1, -1, -1, -1, -1, -1, 5};
    writeFileAtomically("set.dat", defaultFile());
    resetSelections();
    game->tracks = {"a.map", "b.map", "c.map", "d.map"};
    withDrivers(6);
    game->readSettings();
    EXPECT_EQ(game->selection.tracks, (std::array<std::int32_t, 8>{3, 1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(game->settings->trackNames[1], "b.map");
    EXPECT_EQ(game->selection.drivers[0], 5);
    EXPECT_EQ(game->selection.driverCount, 1);
}

TEST_F(SettingsFile, DamagedRecordsKeepTheMenusOwnValues) {
    // Show FPS ON in an otherwise good file, then cut it at every length:
    // whatever could be read is applied, the rest keeps the menu's values.
    freshMenu();
    set(3, 4, 1);
    game->selection.drivers[0] = 2;
    const auto good = encoded();
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        freshMenu();
        resetSelections();
        EXPECT_FALSE(decode({good.begin(), good.begin() + std::ptrdiff_t(cut)}));
        EXPECT_EQ(labels().size(), 16u);
        EXPECT_EQ(game->selection.drivers[0], -1) << "selections are taken only when whole";
        EXPECT_TRUE(item(3, 4)->text == "ON" || item(3, 4)->text == "OFF");
    }
}

TEST_F(SettingsFile, AbsurdLengthsAreRefused) {
    for (std::int32_t length : {-1, -100000, 256, 1 << 30}) {
        freshMenu();
        ByteWriter w;
        w.i32(length);
        w.raw("DRIVE OPTIONS", 13);
        EXPECT_FALSE(decode(w.bytes()));
        EXPECT_EQ(item(0, 0)->label, "DRIVE OPTIONS");
    }
    // A 300-byte value text in the laps record: refused, laps keep 3.
    freshMenu();
    const auto good = defaultFile();
    const auto laps = record("LAPS PER RACE", 2, "3");
    ByteWriter w;
    w.raw(good.data(), std::size_t(std::search(good.begin(), good.end(), laps.begin(), laps.end()) -
                                   good.begin()));
    w.countedString("LAPS PER RACE");
    w.i32(11);
    w.countedString(std::string(300, '9'));
    EXPECT_FALSE(decode(w.bytes()));
    EXPECT_EQ(item(1, 5)->text, "3");
    EXPECT_EQ(game->settings->lapsPerRace, 3);
}

TEST_F(SettingsFile, GarbageNeverStopsTheGame) {
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> junk(std::size_t(random() % 600));
        for (auto& b : junk)
            b = std::uint8_t(random());
        writeFileAtomically("set.dat", junk);
        freshMenu();
        resetSelections();
        game->readSettings();
        const Selection& sel = game->selection;
        ASSERT_TRUE(game->settings->lapsPerRace >= 1 && game->settings->lapsPerRace <= 30);
        ASSERT_TRUE(sel.trackCount >= 0 && sel.trackCount <= 8);
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(i < sel.trackCount ? sel.tracks[i] >= 0 : sel.tracks[i] == -1)
                << round << " " << i;
    }
}
