// The track and driver selection screens on their own, with no game behind
// them, as the main menu state drives them.
#include "car/car_type.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "ui/driver_select.hpp"
#include "ui/track_select.hpp"

#include <gtest/gtest.h>

namespace {

struct TrackScreen : ::testing::Test {
    void key(std::int32_t k) {
        rig.keyboard.pressed = k;
        screen.frame();
        rig.keyboard.pressed = 0;
    }
    void keys(std::initializer_list<std::int32_t> ks) {
        for (std::int32_t k : ks)
            key(k);
    }

    FakePlatformScope platform;
    ScreenRig rig;
    std::vector<std::string> tracks{"a.map", "b.map", "c.map"};
    TrackSelectionScreen screen{rig.context, tracks};
};

struct DriverScreen : DriverScreenRig {
    void addDrivers(int count, std::int32_t type) {
        for (int i = 0; i < count; ++i)
            profiles.push_back(std::make_unique<PlayerProfile>(
                namedProfile((type == Human ? "H" : "C") + std::to_string(profiles.size()), type)));
    }
    std::vector<std::int32_t> chosen() const {
        const Selection& s = rig.selection;
        return {s.drivers.begin(), s.drivers.begin() + s.driverCount};
    }
};

} // namespace

TEST_F(TrackScreen, FillsEightSlotsWithRepeatsAndRefusesANinth) {
    keys({SDLK_RIGHT, 0});
    EXPECT_EQ(screen.column, 0) << "nothing selected: the cursor goes back to the available tracks";
    key(SDLK_DOWN);
    for (int i = 0; i < 9; ++i)
        key(SDLK_RETURN);
    EXPECT_EQ(rig.selection.trackCount, 8);
    EXPECT_EQ(rig.settings.raceCount, 8);
    EXPECT_EQ(rig.settings.trackNames[7], "b.map");
    keys({SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(screen.row, 0) << "DOWN on the last track wraps to the first";
    key(SDLK_UP);
    EXPECT_EQ(screen.row, 0);
}

TEST_F(TrackScreen, RemovingTracksKeepsTheCursorOnAnEntry) {
    keys({SDLK_RETURN, SDLK_DOWN, SDLK_RETURN, SDLK_DOWN, SDLK_RETURN});
    ASSERT_EQ(rig.selection.trackCount, 3);
    keys({SDLK_RIGHT, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN}); // the last of three
    EXPECT_EQ(screen.row, 1);
    EXPECT_EQ(rig.settings.trackNames[2], "");
    keys({SDLK_RETURN, SDLK_RETURN}); // the only one left
    EXPECT_EQ(
        std::tuple(rig.selection.trackCount, rig.settings.raceCount, screen.row, screen.column),
        std::tuple(0, 0, 0, 0));
    tracks.clear();
    key(SDLK_RETURN);
    EXPECT_EQ(rig.selection.trackCount, 0) << "an empty track list adds nothing";
}

TEST_F(TrackScreen, TheListScrollsToShowTheCursor) {
    ASSERT_TRUE(rig.fonts.medium.complete);
    tracks.clear();
    for (int i = 0; i < 30; ++i)
        tracks.push_back("track" + std::to_string(100 + i) + ".map");
    // The cursor's row is the only white text of the available list.
    auto cursorShown = [this] {
        for (int y = 110; y < 348; ++y)
            for (int x = 40; x < 390; ++x)
                if (getPixel(rig.screen, x, y) == 0xFFFFFFFF) return true;
        return false;
    };
    auto helpLineUntouched = [this] {
        for (int y = 348; y < 400; ++y)
            for (int x = 40; x < 200; ++x)
                if (getPixel(rig.screen, x, y) == 0xFF7F7F7F) return false;
        return true;
    };
    for (int row = 0; row < 31; ++row) {
        SDL_FillRect(rig.screen, nullptr, 0);
        key(SDLK_DOWN);
        EXPECT_TRUE(cursorShown()) << "row " << row % 30;
        EXPECT_TRUE(helpLineUntouched()) << "row " << row % 30;
    }
    EXPECT_EQ(screen.row, 1) << "DOWN wrapped to the top";
}

TEST_F(DriverScreen, AtMostTwoHumansAndEachOnce) {
    addDrivers(3, Human);
    addDrivers(1, Computer);
    for (int row = 0; row < 4; ++row) {
        screen.row = row;
        enter();
        enter(); // the same driver again
    }
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{0, 1, 3}));
    EXPECT_EQ(screen.humanCount, 2);
    EXPECT_EQ(rig.settings.selectedDriverCount, 3);
    // Only the third human is refused with a word; choosing a driver twice
    // stays silent.
    EXPECT_EQ(rig.messages,
              (std::vector<std::string>(2, "A third human driver would have no view.")));
    screen.column = 4;
    screen.row = 0;
    enter(); // takes the first human off
    screen.column = 0;
    screen.row = 2;
    enter();
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{1, 3, 2})) << "a free view takes the third";
    EXPECT_EQ(rig.messages.size(), 2u);
}

TEST_F(DriverScreen, TheReturnThatOpenedTheScreenDoesNotAct) {
    addDrivers(1, Computer);
    screen.frame();
    platform.fake.press(SDLK_RETURN);
    rig.keyboard.flush(); // as the menu item that opens the screen does
    for (int frame = 0; frame < 60; ++frame) {
        screen.frame();
        delay(16);
    }
    EXPECT_EQ(rig.selection.driverCount, 0);
    enter();
    EXPECT_EQ(rig.selection.driverCount, 0) << "still the same press";
    enter();
    EXPECT_EQ(rig.selection.driverCount, 1);
}

TEST_F(DriverScreen, ElevenDriversOnTwoPages) {
    addDrivers(11, Computer);
    key(SDLK_PAGEDOWN);
    EXPECT_EQ(screen.page, 1);
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    EXPECT_EQ(screen.row, 2);
    key(SDLK_DOWN);
    EXPECT_EQ(screen.column, 5) << "past the last row: Create Driver...";
    key(SDLK_UP);
    EXPECT_EQ(screen.column, 0);
    EXPECT_EQ(screen.row, 2);
    key(SDLK_PAGEDOWN);
    EXPECT_EQ(screen.page, 1) << "no page after the last";
    key(SDLK_PAGEUP);
    EXPECT_EQ(screen.page, 0);
    EXPECT_EQ(screen.row, 7);
}

TEST_F(DriverScreen, EmptyColumnsCannotBeReached) {
    key(0);
    EXPECT_EQ(screen.column, 5) << "no drivers: only Create Driver...";
    key(SDLK_UP);
    EXPECT_EQ(screen.column, 5);
    addDrivers(2, Computer);
    screen.column = 0;
    key(SDLK_LEFT);
    EXPECT_EQ(screen.column, 0) << "the selected list is empty";
    enter();
    screen.row = 1;
    key(SDLK_LEFT);
    EXPECT_EQ(screen.column, 4);
    EXPECT_EQ(screen.row, 0);
    enter(); // removes the only entry
    EXPECT_EQ(rig.selection.driverCount, 0);
    EXPECT_EQ(screen.column, 0);
}

TEST_F(DriverScreen, DeletingADriverKeepsEverySelectionOnItsDriver) {
    addDrivers(10, Computer);
    for (std::int32_t p : {9, 2, 5})
        screen.addDriver(p);
    screen.page = 1;
    screen.deleteDriver(2); // selected: its entry goes; the drivers behind move up
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{8, 4}));
    EXPECT_EQ(profiles[8]->name, "C9");
    EXPECT_EQ(profiles[4]->name, "C5");
    screen.deleteDriver(8);
    screen.deleteDriver(8);
    EXPECT_EQ(screen.page, 0) << "the page comes back to one that shows drivers";
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{4}));
    // DEL asks first, about the driver under the cursor.
    rig.answer = false;
    key(SDLK_DELETE);
    ASSERT_EQ(profiles.size(), 8u);
    EXPECT_EQ(rig.messages.back(), "Delete driver C0?");
    rig.answer = true;
    key(SDLK_DELETE);
    EXPECT_EQ(profiles.size(), 7u);
    EXPECT_EQ(profiles[0]->name, "C1");
}

TEST_F(DriverScreen, CarCyclingWrapsAndKnowsCarsByPicture) {
    for (const char* name : {"Comet", "Vixen", "Brick"}) {
        cars.push_back(std::make_unique<CarType>());
        cars.back()->name = name;
        cars.back()->picture = std::string("cars/") + name;
    }
    addDrivers(1, Human);
    PlayerProfile& p = *profiles[0];
    screen.column = 3;
    p.carName = "no such car";
    enter();
    EXPECT_EQ(p.carName, "Comet") << "an unknown car gives the first";
    p.carName = "cars/Vixen";
    enter();
    EXPECT_EQ(p.carName, "Brick") << "a driver's car may name its picture";
    enter();
    EXPECT_EQ(p.carName, "Comet") << "round the whole list";
}
