// The main loop driven frame by frame through the keyboard and clock seams:
// menu navigation, the settings pages, QUIT and what it saves, frame pacing,
// the frame-rate value and the message boxes.
#include "app/bytes.hpp"
#include "app/settings_file.hpp"
#include "gfx/font.hpp"
#include "test_support.hpp"
#include "ui/dialog.hpp"
#include "ui/menu.hpp"

#include <gtest/gtest.h>

namespace {

struct MainLoop : ::testing::Test {
    void SetUp() override {
        game = initGame();
        selectedTracks.fill(-1);
        selectedPlayers.fill(-1);
        skidmarksOn = carDamageOn = fuelConsumptionOn = true;
        unlimitedNitro = showFps = showLapRecord = false;
        menuScreen = 0;
        game->quit = false;
        game->startUp();
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i)
            game->runFrame();
    }
    // Held for six frames: exactly one paced action, whatever came before.
    void hold(SDLKey key) {
        platform.fake.press(key);
        frames(6);
        platform.fake.release(key);
        frames(1);
    }
    // A key event, seen by the menu in the frame after it is polled.
    void event(SDLKey key) {
        platform.fake.queueKeyDown(key);
        platform.fake.queueKeyUp(key);
        frames(3);
    }
    MenuItem* cursor() { return game->mainMenu->at(game->mainMenu->page, game->mainMenu->item); }

    ScratchDir dir;
    FakePlatformScope platform;
    Game* game = nullptr;
};

} // namespace

TEST_F(MainLoop, ScreenItemsSwitchTheMenuScreen) {
    hold(SDLK_DOWN);
    hold(SDLK_DOWN);
    hold(SDLK_RETURN); // HALL OF FAME
    EXPECT_EQ(menuScreen, 1);
    hold(SDLK_ESCAPE);
    EXPECT_EQ(menuScreen, 0);
    EXPECT_EQ(cursor()->label, "HALL OF FAME");
}

TEST_F(MainLoop, LapsStepThroughTheRuleAndStopAtTheEnds) {
    hold(SDLK_RETURN);
    for (int i = 0; i < 5; ++i)
        hold(SDLK_DOWN);
    ASSERT_EQ(cursor()->label, "LAPS PER RACE");
    std::vector<std::string> seen;
    for (int i = 0; i < 12; ++i) {
        event(SDLK_RIGHT);
        seen.push_back(cursor()->text);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"6", "9", "12", "15", "18", "21", "24", "27", "30",
                                              "30", "30", "30"}));
    EXPECT_EQ(game->settings->lapsPerRace, 30);
    for (int i = 0; i < 12; ++i)
        event(SDLK_LEFT);
    EXPECT_EQ(cursor()->text, "1");
    EXPECT_EQ(game->settings->lapsPerRace, 1);
    event(SDLK_RIGHT);
    EXPECT_EQ(cursor()->text, "3");
}

TEST_F(MainLoop, OnOffItemsWrapFromOnAndStayOff) {
    hold(SDLK_DOWN);
    hold(SDLK_RETURN); // MISC. SETTINGS
    ASSERT_EQ(cursor()->label, "Skidmarks");
    event(SDLK_RIGHT); // ON wraps to OFF
    EXPECT_EQ(cursor()->text, "OFF");
    EXPECT_FALSE(skidmarksOn);
    event(SDLK_LEFT); // OFF stays OFF
    EXPECT_EQ(cursor()->text, "OFF");
    event(SDLK_RIGHT);
    EXPECT_EQ(cursor()->text, "ON");
    EXPECT_TRUE(skidmarksOn);
}

TEST_F(MainLoop, QuitSavesWhatWasSetAndTheNextStartShowsIt) {
    hold(SDLK_DOWN);
    hold(SDLK_RETURN);
    for (int i = 0; i < 4; ++i)
        hold(SDLK_DOWN);
    ASSERT_EQ(cursor()->label, "Show FPS");
    event(SDLK_RIGHT);
    EXPECT_TRUE(showFps);
    hold(SDLK_ESCAPE);
    hold(SDLK_DOWN);
    hold(SDLK_DOWN);
    hold(SDLK_DOWN);
    ASSERT_EQ(cursor()->label, "QUIT");
    platform.fake.press(SDLK_RETURN);
    for (int i = 0; i < 20 && !game->quit; ++i)
        game->runFrame();
    ASSERT_TRUE(game->quit);
    EXPECT_FALSE(std::filesystem::exists("set.dat")) << "nothing is written before the loop ends";
    game->shutDown();

    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readWholeFile("set.dat", bytes));
    ByteWriter fps;
    fps.countedString("Show FPS");
    fps.i32(1);
    fps.countedString("ON");
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), fps.bytes().begin(), fps.bytes().end()),
              bytes.end());

    showFps = false;
    game->quit = false;
    game->startUp();
    EXPECT_TRUE(showFps);
    EXPECT_EQ(game->mainMenu->at(3, 4)->text, "ON");
}

TEST_F(MainLoop, FramesArePacedTo16MillisecondsAndSlowOnesAreNotMadeUp) {
    const Uint32 start = platform.fake.now;
    const std::uint32_t counter = frameCounter;
    frames(10);
    EXPECT_EQ(platform.fake.now - start, 160u);
    EXPECT_EQ(frameCounter - counter, 10u);
    // A frame whose work already took 40 ms gets no delay at all.
    platform.fake.onPump = [](FakePlatform& f) { f.now += 40; };
    const Uint32 before = platform.fake.now;
    frames(1);
    EXPECT_EQ(platform.fake.now - before, 40u);
}

TEST_F(MainLoop, EscInTheMenuStillFlushesAndWaits) {
    platform.fake.press(SDLK_ESCAPE);
    const int pumps = platform.fake.pumps;
    const Uint32 before = platform.fake.now;
    frames(1);
    EXPECT_GE(platform.fake.pumps - pumps, 101);
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_EQ(platform.fake.now - before, 16u) << "the 10 ms wait falls inside the frame";
}

TEST_F(MainLoop, StandingsReturnGoesOnOrEndsTheSeason) {
    game->settings->raceIndex = 0;
    game->settings->raceCount = 2;
    game->state = Standings;
    platform.fake.press(SDLK_RETURN);
    frames(1);
    EXPECT_EQ(game->state, PreRace);
    EXPECT_FALSE(raceReady);
    game->state = Standings;
    frames(1);
    EXPECT_EQ(game->state, MainMenu) << "after the last race";
    EXPECT_EQ(game->settings->raceIndex, 2);
}

TEST(FrameRate, SensibleBeforeTheFirstWholeSecond) {
    EXPECT_EQ(averageFrameRate(0, 0), 0.0f);
    EXPECT_EQ(averageFrameRate(10, 0), 0.0f);
    EXPECT_FLOAT_EQ(averageFrameRate(30, 500), 60.0f);
    EXPECT_FLOAT_EQ(averageFrameRate(120, 2999), 60.0f) << "whole seconds once one has passed";
}

namespace {
struct Dialogs : MainLoop {
    int updatesAtOpen = 0;
    bool open(const std::string& text, bool cancel) {
        updatesAtOpen = platform.fake.screenUpdates;
        return game->showDialog(text, cancel);
    }
    int framesShown() const { return platform.fake.screenUpdates - updatesAtOpen; }
};
} // namespace

TEST_F(Dialogs, HeldReturnClosesAfterFourFrames) {
    dialogChoice = 0;
    platform.fake.press(SDLK_RETURN);
    EXPECT_TRUE(open("Player Someone created.", false));
    EXPECT_EQ(framesShown(), 5);
}

TEST_F(Dialogs, TheChoiceCarriesToTheNextDialog) {
    dialogChoice = 0;
    platform.fake.onPump = [this](FakePlatform& f) {
        const int shown = framesShown();
        if (shown == 2) f.press(SDLK_RIGHT);
        if (shown == 8) {
            f.release(SDLK_RIGHT);
            f.press(SDLK_RETURN);
        }
    };
    EXPECT_FALSE(open("Delete driver X?", true));
    EXPECT_EQ(dialogChoice, 1);
    platform.fake.onPump = nullptr;
    platform.fake.press(SDLK_RETURN);
    EXPECT_FALSE(open("Delete driver Y?", true)) << "opens on Cancel";
    // LEFT brings it back to OK, not below.
    platform.fake.release(SDLK_RETURN);
    platform.fake.onPump = [this](FakePlatform& f) {
        const int shown = framesShown();
        if (shown == 1) f.press(SDLK_LEFT);
        if (shown == 20) {
            f.release(SDLK_LEFT);
            f.press(SDLK_RETURN);
        }
    };
    EXPECT_TRUE(open("Delete driver Z?", true));
    EXPECT_EQ(dialogChoice, 0);
}

TEST_F(Dialogs, AMessageWiderThanTheScreenDrawsOnlyOnTheScreen) {
    platform.fake.press(SDLK_RETURN);
    EXPECT_TRUE(open(std::string(400, 'W'), false));
}

