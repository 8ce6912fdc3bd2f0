// The main loop driven frame by frame through the keyboard and clock seams.
#include "app/settings_file.hpp"
#include "car/car_type.hpp"
#include "gfx/font.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "test_support.hpp"
#include "ui/dialog.hpp"
#include "ui/menu.hpp"

#include <gtest/gtest.h>

namespace {

struct MainLoop : GameTest {
    void SetUp() override {
        GameTest::SetUp();
        defaultOptions(*game);
        game->menuScreen = 0;
        game->quit = false;
        game->startUp();
    }
    // Held for six frames: exactly one paced action, whatever came before.
    void hold(SDLKey key, int times = 1) {
        for (int i = 0; i < times; ++i)
            tap(key, 6);
    }
    // A key event, seen by the menu in the frame after it is polled.
    void event(SDLKey key) {
        platform.fake.queueKeyDown(key);
        platform.fake.queueKeyUp(key);
        frames(3);
    }
    MenuItem* cursor() { return game->mainMenu->at(game->mainMenu->page, game->mainMenu->item); }
};

} // namespace

TEST_F(MainLoop, TheMenuTicksAsTheCursorMovesAndSoundsEachChoice) {
    const auto heard = [this](SDLKey key) {
        sound::forgetStarted();
        hold(key);
        return sound::lastStarted(sound::kMenuChannel);
    };
    EXPECT_EQ(heard(SDLK_DOWN), sound::MenuMoveSample);
    EXPECT_EQ(heard(SDLK_UP), sound::MenuMoveSample);
    EXPECT_EQ(heard(SDLK_UP), -1) << "the cursor stood at the top";
    EXPECT_EQ(heard(SDLK_RETURN), sound::MenuSelectSample);
    EXPECT_EQ(heard(SDLK_ESCAPE), sound::MenuSelectSample) << "back a page";
}

TEST_F(MainLoop, LapsStepThroughTheRuleAndStopAtTheEnds) {
    hold(SDLK_RETURN);
    hold(SDLK_DOWN, 5);
    ASSERT_EQ(cursor()->label, "LAPS PER RACE");
    std::vector<std::string> seen;
    for (int i = 0; i < 12; ++i) {
        event(SDLK_RIGHT);
        seen.push_back(cursor()->text);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"6", "9", "12", "15", "18", "21", "24", "27", "30",
                                              "30", "30", "30"}));
    EXPECT_EQ(game->settings->lapsPerRace, 30);
    EXPECT_EQ(game->raceRules().laps, 30) << "the race takes what the menu shows";
    for (int i = 0; i < 12; ++i)
        event(SDLK_LEFT);
    EXPECT_EQ(cursor()->text, "1");
    EXPECT_EQ(game->settings->lapsPerRace, 1);
    event(SDLK_RIGHT);
    EXPECT_EQ(cursor()->text, "3");
}

TEST_F(MainLoop, OnOffItemsWrapFromOnAndStayOffAndQuitSavesThem) {
    hold(SDLK_DOWN);
    hold(SDLK_RETURN); // MISC. SETTINGS
    ASSERT_EQ(cursor()->label, "Skidmarks");
    event(SDLK_RIGHT); // ON wraps to OFF
    EXPECT_EQ(cursor()->text, "OFF");
    EXPECT_FALSE(game->options.skidmarks);
    event(SDLK_LEFT); // OFF stays OFF
    EXPECT_EQ(cursor()->text, "OFF");
    event(SDLK_RIGHT);
    EXPECT_EQ(cursor()->text, "ON");
    EXPECT_TRUE(game->options.skidmarks);
    hold(SDLK_DOWN);
    event(SDLK_RIGHT); // car damage OFF: the next race's rules say so
    const RaceRules r = game->raceRules();
    EXPECT_EQ(std::tuple(r.carDamage, r.fuelConsumption, r.unlimitedNitro),
              std::tuple(false, true, false));
    hold(SDLK_DOWN, 3);
    ASSERT_EQ(cursor()->label, "Show FPS");
    event(SDLK_RIGHT);
    EXPECT_TRUE(game->options.showFps);

    hold(SDLK_ESCAPE);
    hold(SDLK_DOWN, 3);
    ASSERT_EQ(cursor()->label, "QUIT");
    platform.fake.press(SDLK_RETURN);
    for (int i = 0; i < 20 && !game->quit; ++i)
        game->runFrame();
    ASSERT_TRUE(game->quit);
    EXPECT_FALSE(std::filesystem::exists("set.dat")) << "nothing is written before the loop ends";
    game->shutDown();
    defaultOptions(*game);
    game->quit = false;
    game->startUp();
    EXPECT_TRUE(game->options.showFps);
    EXPECT_FALSE(game->options.carDamage);
    EXPECT_EQ(game->mainMenu->at(3, 4)->text, "ON");
}

TEST_F(MainLoop, FramesArePacedTo16MillisecondsAndSlowOnesAreNotMadeUp) {
    Uint32 before = platform.fake.now;
    const std::uint32_t counter = game->frameCounter;
    frames(10);
    EXPECT_EQ(platform.fake.now - before, 160u);
    EXPECT_EQ(game->frameCounter - counter, 10u);
    // ESC in the menu still flushes the events and waits.
    platform.fake.queueKeyDown(SDLK_DOWN);
    platform.fake.queueKeyUp(SDLK_DOWN);
    platform.fake.press(SDLK_ESCAPE);
    before = platform.fake.now;
    frames(1);
    EXPECT_TRUE(platform.fake.events.empty()) << "one event polled, the other flushed";
    EXPECT_EQ(game->state, MainMenu);
    EXPECT_EQ(platform.fake.now - before, 16u) << "the 10 ms wait falls inside the frame";
    platform.fake.release(SDLK_ESCAPE);
    frames(1);
    // A frame whose work already took 40 ms gets no delay at all.
    platform.fake.onPump = [](FakePlatform& f) { f.now += 40; };
    before = platform.fake.now;
    frames(1);
    EXPECT_EQ(platform.fake.now - before, 40u);
}

TEST_F(MainLoop, StandingsReturnGoesOnOrEndsTheSeason) {
    game->settings->raceIndex = 0;
    game->settings->raceCount = 2;
    game->state = Standings;
    platform.fake.press(SDLK_RETURN);
    frames(1);
    EXPECT_EQ(game->state, PreRace);
    EXPECT_FALSE(game->raceReady);
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
// The message box on its own: no game, only its context and the keyboard.
struct Dialogs : ::testing::Test {
    bool open(const std::string& text, bool cancel) { return box.show(text, cancel); }

    FakePlatformScope platform;
    ScreenRig rig;
    MessageBox box{rig.context};
};
} // namespace

TEST_F(Dialogs, TheReturnThatOpenedTheBoxClosesItOnlyWhenHeldOn) {
    platform.fake.press(SDLK_RETURN);
    EXPECT_TRUE(open("Player Someone created.", false));
    EXPECT_GE(platform.fake.now, KeyRepeat::kDelay) << "held on, it repeats";
    // Let go within the quarter second: the box waits for a new press.
    platform.fake.press(SDLK_RETURN);
    platform.after(200, [](FakePlatform& f) { f.release(SDLK_RETURN); });
    platform.after(1000, [](FakePlatform& f) { f.press(SDLK_RETURN); });
    const Uint32 opened = platform.fake.now;
    EXPECT_TRUE(open("Player Someone created.", false));
    EXPECT_GE(platform.fake.now - opened, 1000u);
}

TEST_F(Dialogs, TheChoiceCarriesToTheNextDialog) {
    // An arrow held from one shown frame of the box to another, then RETURN.
    const auto choose = [this](SDLKey arrow, int from, int to) {
        platform.release(0, SDLK_RETURN);
        platform.press(from, arrow);
        platform.release(to, arrow);
        platform.press(to, SDLK_RETURN);
    };
    choose(SDLK_RIGHT, 2, 8);
    EXPECT_FALSE(open("Delete driver X?", true));
    EXPECT_EQ(box.choice, 1);
    platform.release(0, SDLK_RETURN);
    platform.press(4, SDLK_RETURN);
    EXPECT_FALSE(open("Delete driver Y?", true)) << "opens on Cancel";
    // LEFT brings it back to OK, not below.
    choose(SDLK_LEFT, 1, 20);
    EXPECT_TRUE(open("Delete driver Z?", true));
    EXPECT_EQ(box.choice, 0);
}

TEST_F(Dialogs, AMessageWiderThanTheScreenDrawsOnlyOnTheScreen) {
    platform.press(2, SDLK_RETURN);
    EXPECT_TRUE(open(std::string(400, 'W'), false));
}

namespace {
// The main loop with keys as a keyboard gives them: held in the key state
// for a while, with a key-down and a key-up event.
struct KeyPresses : MainLoop {
    // Runs frames until the fake clock has moved on by at least ms.
    void runFor(Uint32 ms) {
        const Uint32 until = platform.fake.now + ms;
        while (platform.fake.now < until && !game->quit)
            game->runFrame();
    }
    void holdFor(SDLKey key, Uint32 ms) {
        platform.fake.press(key);
        platform.fake.queueKeyDown(key);
        runFor(ms);
        platform.fake.release(key);
        platform.fake.queueKeyUp(key);
        runFor(100);
    }
    void addDriver(const std::string& name, std::int32_t type = Human) {
        game->profiles.push_back(std::make_unique<PlayerProfile>(namedProfile(name, type)));
    }
    // A computer driver on the scratch track, ready for FREE DRIVING.
    void readyForARace() {
        game->loadCarList();
        ASSERT_FALSE(game->cars.empty());
        addDriver("Robo", Computer);
        game->profiles.back()->carName = game->cars[0]->name;
        game->selection.drivers[0] = 0;
        game->selection.driverCount = 1;
        game->settings->selectedDriverCount = 1;
        game->selection.tracks[0] = 0;
        game->selection.trackCount = 1;
        game->settings->raceCount = 1;
        game->settings->trackNames[0] = game->tracks[0];
    }
    void TearDown() override {
        game->clearRace();
        game->profiles.clear();
    }
};
} // namespace

TEST_F(KeyPresses, AnOrdinaryPressActsOnce) {
    readyForARace();
    holdFor(SDLK_DOWN, 200);
    EXPECT_EQ(cursor()->label, "MISC. SETTINGS");
    holdFor(SDLK_UP, 200);
    holdFor(SDLK_RETURN, 200);
    EXPECT_EQ(cursor()->label, "FREE DRIVING") << "DRIVE OPTIONS opened";
    EXPECT_EQ(game->state, MainMenu) << "and nothing more: no race was started";
    // Keys change between frames, where SDL pumps its events.
    platform.keyStroke(0, 200, SDLK_ESCAPE);
    runFor(400);
    EXPECT_EQ(cursor()->label, "DRIVE OPTIONS") << "back one page, not further";
    platform.keyStroke(0, 200, SDLK_RETURN);
    runFor(400);
    platform.keyStroke(0, 200, SDLK_RETURN);
    runFor(400);
    EXPECT_NE(game->state, MainMenu) << "a second press starts it";
}

TEST_F(KeyPresses, KeysPressedInARaceDoNotActInTheMenuAfterIt) {
    game->menuScreen = 3;
    game->state = Racing; // no track: the race frame draws nothing
    for (SDLKey key : {SDLK_DOWN, SDLK_RETURN, SDLK_RETURN}) {
        platform.fake.queueKeyDown(key);
        platform.fake.queueKeyUp(key);
    }
    platform.fake.press(SDLK_ESCAPE); // leaves the race
    frames(1);
    platform.fake.release(SDLK_ESCAPE);
    ASSERT_EQ(game->state, MainMenu);
    frames(12);
    EXPECT_EQ(game->selection.trackCount, 0) << "no track was added";
}

TEST_F(KeyPresses, KeysOfADialogStayInTheDialog) {
    readyForARace();
    addDriver("Second");
    game->menuScreen = 5;
    game->messageBox.choice = 0;
    // On the first driver's name, whatever another test left the cursor on.
    game->driverSelection.column = game->driverSelection.row = 0;
    // DELETE opens the question; RIGHT there picks Cancel, RETURN closes it.
    platform.keyStroke(100, 150, SDLK_DELETE);
    platform.keyStroke(400, 450, SDLK_RIGHT);
    platform.keyStroke(600, 650, SDLK_RIGHT);
    platform.keyStroke(800, 850, SDLK_RETURN);
    runFor(1200);
    EXPECT_EQ(game->messageBox.choice, 1);
    EXPECT_EQ(game->profiles.size(), 2u) << "cancelled";
    // The screen behind answers its own keys: one DOWN goes from the first
    // driver to the second, on the driver column.
    platform.keyStroke(0, 50, SDLK_DOWN);
    platform.keyStroke(200, 250, SDLK_RETURN);
    platform.keyStroke(3000, 3050, SDLK_ESCAPE); // leaves a screen opened by mistake
    runFor(400);
    EXPECT_EQ(game->selection.driverCount, 2);
    EXPECT_EQ(game->selection.drivers[1], 1);
}

TEST_F(KeyPresses, ClosingTheWindowInAMessageBoxEndsTheGameAndSaves) {
    addDriver("Ann");
    // FREE DRIVING with nothing selected opens "No Tracks selected!".
    platform.keyStroke(100, 150, SDLK_RETURN);
    platform.keyStroke(300, 350, SDLK_RETURN);
    platform.after(600, [](FakePlatform& f) { f.queueQuit(); });
    // Only reached when the window close went unheard.
    platform.after(5000, [this](FakePlatform& f) {
        f.press(SDLK_RETURN);
        game->quit = true;
    });
    const Uint32 start = platform.fake.now;
    game->run();
    EXPECT_LT(platform.fake.now - start, 1000u);
    EXPECT_TRUE(std::filesystem::exists("set.dat"));
    EXPECT_TRUE(std::filesystem::exists("players/Ann.pl"));
}

TEST_F(KeyPresses, StoppingTheGameInARaceEndsItAndSaves) {
    readyForARace();
    holdFor(SDLK_RETURN, 50);
    holdFor(SDLK_RETURN, 50);
    runFor(1000);
    ASSERT_TRUE(game->state == StartLights || game->state == Racing)
        << game->state << " " << game->mainMenu->page << " " << game->mainMenu->item;
    platform.fake.queueQuit();
    platform.fake.press(SDLK_ESCAPE); // its flush must not lose the quit
    frames(1);
    EXPECT_TRUE(game->quit);
    game->shutDown();
    EXPECT_TRUE(std::filesystem::exists("set.dat"));
    EXPECT_TRUE(std::filesystem::exists("players/Robo.pl"));
}

TEST_F(KeyPresses, EveryModalScreenEndsOnAWindowClose) {
    addDriver("Ann");
    const std::vector<std::pair<const char*, std::function<void()>>> screens = {
        {"statistics", [this] { game->driverSelection.showStatistics(0); }},
        {"key settings", [this] { game->keySettings.run(*game->profiles[0]); }},
        {"driver creation", [this] { game->driverCreation.run(); }},
        {"message box", [this] { game->showDialog("Delete driver Ann?", true); }},
    };
    for (const auto& [name, open] : screens) {
        FakePlatformScope fresh;
        fresh.after(100, [](FakePlatform& f) { f.queueQuit(); });
        // Only reached when the close went unheard.
        fresh.keyStroke(3000, 3050, SDLK_ESCAPE);
        fresh.keyStroke(3100, 3150, SDLK_RETURN);
        open();
        EXPECT_LT(fresh.fake.now, 1000u) << name;
        EXPECT_TRUE(quitRequested()) << name;
    }
    EXPECT_EQ(game->profiles.size(), 1u) << "nothing created, nothing deleted";
}

TEST(Platform, DrainingTheQueueNeverLosesAQuit) {
    Game* game = initGame();
    {
        FakePlatformScope platform;
        platform.fake.queueKeyDown(SDLK_DOWN);
        platform.fake.queueQuit();
        platform.fake.queueKeyUp(SDLK_DOWN);
        game->keyboard.flush();
        EXPECT_TRUE(platform.fake.events.empty());
        EXPECT_TRUE(quitRequested());
    }
    EXPECT_FALSE(quitRequested()) << "a new platform starts afresh";
    // SDL's own queue, where a window close or a signal puts it. A race or a
    // screen of its own only pumps: that alone sees it, and leaves it queued.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    pumpEvents();
    EXPECT_TRUE(quitRequested());
    useFakePlatform(nullptr);
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_DOWN;
    ASSERT_EQ(SDL_PushEvent(&key), 0);
    game->keyboard.flush();
    EXPECT_TRUE(quitRequested());
    SDL_Event left;
    EXPECT_FALSE(pollEvent(left)) << "drained";
    useFakePlatform(nullptr);
}
