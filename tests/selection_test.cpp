// The track and driver selection screens, one frame and one key event at a
// time, as the main menu state drives them.
#include "records/profile.hpp"
#include "test_support.hpp"
#include "ui/driver_select.hpp"
#include "ui/menu.hpp"
#include "ui/track_select.hpp"

#include <gtest/gtest.h>

namespace {

struct Selection : ::testing::Test {
    void SetUp() override {
        game = initGame();
        game->settings = &settings;
        game->tracks = {"a.map", "b.map", "c.map"};
        game->profiles.clear();
        selectedTracks.fill(-1);
        selectedPlayers.fill(-1);
        numSelected = numSelectedPlayers = 0;
        trackColumn = trackRow = trackTop = 0;
        driverColumn = driverRow = driverPage = 0;
    }
    void TearDown() override { game->profiles.clear(); }
    void addDrivers(int count, std::int32_t type) {
        for (int i = 0; i < count; ++i) {
            auto p = std::make_unique<PlayerProfile>();
            p->name = (type == Human ? "H" : "C") + std::to_string(game->profiles.size());
            p->type = type;
            game->profiles.push_back(std::move(p));
        }
    }
    void trackKey(std::int32_t key) {
        keyPressed = key;
        game->trackSelectionFrame();
        keyPressed = 0;
    }
    void driverKey(std::int32_t key) {
        keyPressed = key;
        game->driverSelectionFrame();
        keyPressed = 0;
    }
    // RETURN held for one frame on the driver screen, then let go.
    void driverReturn() {
        platform.fake.press(SDLK_RETURN);
        game->driverSelectionFrame();
        platform.fake.release(SDLK_RETURN);
        game->driverSelectionFrame();
    }
    std::vector<std::int32_t> chosen() {
        return {selectedPlayers.begin(), selectedPlayers.begin() + numSelectedPlayers};
    }

    ScratchDir dir;
    FakePlatformScope platform;
    Game* game = nullptr;
    Settings settings;
};

} // namespace

TEST_F(Selection, TracksFillEightSlotsWithRepeatsAndRefuseANinth) {
    trackKey(SDLK_RIGHT);
    trackKey(0);
    EXPECT_EQ(trackColumn, 0) << "nothing selected: the cursor goes back to the available tracks";
    trackKey(SDLK_DOWN);
    for (int i = 0; i < 9; ++i)
        trackKey(SDLK_RETURN);
    EXPECT_EQ(numSelected, 8);
    EXPECT_EQ(settings.raceCount, 8);
    EXPECT_EQ(settings.trackNames[7], "b.map");
    trackKey(SDLK_DOWN);
    trackKey(SDLK_DOWN);
    EXPECT_EQ(trackRow, 0) << "DOWN on the last track wraps to the first";
    trackKey(SDLK_UP);
    EXPECT_EQ(trackRow, 0);
}

TEST_F(Selection, RemovingTracksKeepsTheCursorOnAnEntry) {
    for (std::int32_t key : {SDLK_RETURN, SDLK_DOWN, SDLK_RETURN, SDLK_DOWN, SDLK_RETURN})
        trackKey(key);
    ASSERT_EQ(numSelected, 3);
    trackKey(SDLK_RIGHT);
    trackKey(SDLK_DOWN);
    trackKey(SDLK_DOWN);
    trackKey(SDLK_RETURN); // the last of three
    EXPECT_EQ(trackRow, 1);
    EXPECT_EQ(settings.trackNames[2], "");
    trackKey(SDLK_RETURN);
    trackKey(SDLK_RETURN); // the only one left
    EXPECT_EQ(numSelected, 0);
    EXPECT_EQ(trackRow, 0);
    EXPECT_EQ(trackColumn, 0);
    EXPECT_EQ(settings.raceCount, 0);
    game->tracks.clear();
    trackKey(SDLK_RETURN);
    EXPECT_EQ(numSelected, 0) << "an empty track list adds nothing";
}

TEST_F(Selection, DriversAtMostTwoHumansAndEachOnce) {
    addDrivers(3, Human);
    addDrivers(1, Computer);
    for (int row = 0; row < 4; ++row) {
        driverRow = row;
        driverReturn();
        driverReturn(); // the same driver again
    }
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{0, 1, 3}));
    EXPECT_EQ(humanCount, 2);
    EXPECT_EQ(settings.selectedDriverCount, 3);
}

TEST_F(Selection, TheReturnThatOpenedTheScreenDoesNotAct) {
    addDrivers(1, Computer);
    game->driverSelectionFrame();
    platform.fake.press(SDLK_RETURN);
    flushInput(); // as the menu item that opens the screen does
    for (int frame = 0; frame < 60; ++frame) {
        game->driverSelectionFrame();
        delay(16);
    }
    EXPECT_EQ(numSelectedPlayers, 0);
    driverReturn();
    EXPECT_EQ(numSelectedPlayers, 0) << "still the same press";
    driverReturn();
    EXPECT_EQ(numSelectedPlayers, 1);
}

TEST_F(Selection, ElevenDriversOnTwoPages) {
    addDrivers(11, Computer);
    driverKey(SDLK_PAGEDOWN);
    EXPECT_EQ(driverPage, 1);
    driverKey(SDLK_DOWN);
    driverKey(SDLK_DOWN);
    EXPECT_EQ(driverRow, 2);
    driverKey(SDLK_DOWN);
    EXPECT_EQ(driverColumn, 5) << "past the last row: Create Driver...";
    driverKey(SDLK_UP);
    EXPECT_EQ(driverColumn, 0);
    EXPECT_EQ(driverRow, 2);
    driverKey(SDLK_PAGEDOWN);
    EXPECT_EQ(driverPage, 1) << "no page after the last";
    driverKey(SDLK_PAGEUP);
    EXPECT_EQ(driverPage, 0);
    EXPECT_EQ(driverRow, 7);
}

TEST_F(Selection, LeftReachesTheSelectedListOnlyWhenItHasEntries) {
    addDrivers(2, Computer);
    driverKey(SDLK_LEFT);
    EXPECT_EQ(driverColumn, 0);
    driverReturn();
    driverRow = 1;
    driverKey(SDLK_LEFT);
    EXPECT_EQ(driverColumn, 4);
    EXPECT_EQ(driverRow, 0);
    driverReturn(); // removes the only entry
    EXPECT_EQ(numSelectedPlayers, 0);
    EXPECT_EQ(driverColumn, 0);
}

TEST_F(Selection, NoDriversMeansCreateDriver) {
    driverKey(0);
    EXPECT_EQ(driverColumn, 5);
    driverKey(SDLK_UP);
    EXPECT_EQ(driverColumn, 5);
}

TEST_F(Selection, DeletingADriverKeepsEverySelectionOnItsDriver) {
    addDrivers(10, Computer);
    for (std::int32_t p : {9, 2, 5})
        addDriver(p);
    driverPage = 1;
    deleteDriver(2); // selected: its entry goes; the drivers behind move up
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{8, 4}));
    EXPECT_EQ(game->profiles[8]->name, "C9");
    EXPECT_EQ(game->profiles[4]->name, "C5");
    deleteDriver(8);
    deleteDriver(8);
    EXPECT_EQ(driverPage, 0) << "the page comes back to one that shows drivers";
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{4}));
}

TEST_F(Selection, CarCyclingWrapsToTheFirstCar) {
    game->loadCarList();
    ASSERT_GE(game->cars.size(), 2u);
    addDrivers(1, Human);
    game->profiles[0]->carName = "no such car";
    driverColumn = 3;
    driverReturn();
    const std::string first = game->profiles[0]->carName;
    EXPECT_EQ(game->findCar(first), game->carAt(0));
    for (std::size_t i = 0; i < game->cars.size(); ++i)
        driverReturn();
    EXPECT_EQ(game->profiles[0]->carName, first) << "round the whole list";
}

TEST_F(Selection, EachScreenKeepsItsOwnCursor) {
    addDrivers(2, Computer);
    trackKey(SDLK_RETURN);
    ASSERT_EQ(numSelected, 1);
    driverKey(SDLK_DOWN);
    driverKey(SDLK_DOWN); // past the last driver: "Create Driver..."
    trackKey(SDLK_RETURN);
    EXPECT_EQ(numSelected, 2) << "the track cursor is still on the first track";
    trackKey(SDLK_RIGHT);
    trackKey(SDLK_RETURN); // removes a selected track
    EXPECT_EQ(numSelected, 1);
    driverKey(SDLK_UP);
    driverReturn();
    EXPECT_EQ(chosen(), (std::vector<std::int32_t>{1})) << "back on the last driver's row";
}

TEST_F(Selection, TheTrackListScrollsToShowTheCursor) {
    game->startUp(); // the fonts
    game->settings = &settings;
    game->tracks.clear();
    for (int i = 0; i < 30; ++i)
        game->tracks.push_back("track" + std::to_string(100 + i) + ".map");
    // The cursor's row is the only white text of the available list.
    auto cursorShown = [this] {
        for (int y = 110; y < 348; ++y)
            for (int x = 40; x < 390; ++x)
                if (getPixel(game->screen, x, y) == 0xFFFFFFFF) return true;
        return false;
    };
    auto helpLineUntouched = [this] {
        for (int y = 348; y < 400; ++y)
            for (int x = 40; x < 200; ++x)
                if (getPixel(game->screen, x, y) == 0xFF7F7F7F) return false;
        return true;
    };
    for (int row = 0; row < 31; ++row) {
        SDL_FillRect(game->screen, nullptr, 0);
        trackKey(SDLK_DOWN);
        EXPECT_TRUE(cursorShown()) << "row " << row % 30;
        EXPECT_TRUE(helpLineUntouched()) << "row " << row % 30;
    }
    EXPECT_EQ(trackRow, 1) << "DOWN wrapped to the top";
}
