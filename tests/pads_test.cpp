// Gamepads through the input seam: scripted pads drive cars, work the menus,
// get bound in the key settings, and can be pulled out mid-race.
#include "app/game.hpp"
#include "driver/control_source.hpp"
#include "driver/player.hpp"
#include "records/pad_file.hpp"
#include "records/profile.hpp"
#include "scratch_dir.hpp"
#include "sound/sound.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

namespace {

PadState connectedPad() {
    PadState pad;
    pad.connected = true;
    return pad;
}

TEST(PadFile, WhatIsWrittenIsReadBackAndDamageIsRefusedByLine) {
    PadBinding binding = defaultPadBinding(1);
    binding[ControlNitro] = PadInput{PadInput::Hat, 3, 1, SDL_HAT_DOWN};
    binding[ControlBrake] = PadInput{};
    const std::string text = encodePadBinding(binding);
    EXPECT_NE(text.find("left pad 2 stick 1 -"), std::string::npos) << text;
    PadBinding back;
    std::string why;
    ASSERT_TRUE(decodePadBinding(text, back, why)) << why;
    EXPECT_EQ(back, binding);
    // Comments, blank lines and Windows line ends are a person's editing.
    ASSERT_TRUE(
        decodePadBinding("# mine\r\n\r\ngravelin pad 1\r\nnitro pad 1 d-pad up\r\n", back, why))
        << why;
    EXPECT_EQ(back[ControlNitro], (PadInput{PadInput::Hat, 0, 0, SDL_HAT_UP}));
    EXPECT_FALSE(back[ControlAccelerate].bound()) << "a control not named is unbound";

    const std::pair<std::string, std::string> damaged[] = {
        {"", "empty"},
        {"gravelin pad 2\n", "line 1"},
        {"gravelin pad 1\nsteer pad 1 button 1\n", "line 2: no control"},
        {"gravelin pad 1\nbrake pad 5 button 1\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 button 33\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 button 0\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 button -1\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 stick 9 +\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 stick 1\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 d-pad 3 up\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 d-pad sideways\n", "line 2"},
        {"gravelin pad 1\nbrake pad 1 button 1 2\n", "line 2"},
        {"gravelin pad 1\n\nbrake none\nbrake none\n", "line 4: brake is given twice"},
        {"gravelin pad 1\n" + std::string(kMaxPadFile, '#'), "longer than"},
    };
    for (const auto& [file, expected] : damaged) {
        SCOPED_TRACE(file.substr(0, 60));
        PadBinding untouched = defaultPadBinding(0);
        EXPECT_FALSE(decodePadBinding(file, untouched, why));
        EXPECT_NE(why.find(expected), std::string::npos) << why;
        EXPECT_EQ(untouched, defaultPadBinding(0)) << "a refused file changes nothing";
    }
    EXPECT_EQ(padFilePath("Ann 2.pl"), "players/Ann 2.pad");
    EXPECT_EQ(padFilePath(".pl"), "");
    EXPECT_EQ(padFilePath("Ann"), "");
}

TEST(PadInputs, HeldOnlyPastHalfWayOnAConnectedPadAndNeverOutsideItsState) {
    PadState pad = connectedPad();
    pad.axes[0] = -kPadAxisThreshold + 1;
    pad.axes[7] = kPadAxisThreshold;
    pad.buttons[31] = 1;
    pad.hats[1] = SDL_HAT_LEFT | SDL_HAT_UP; // a diagonal holds both
    EXPECT_FALSE((PadInput{PadInput::AxisNegative, 0, 0, 0}.active(pad)));
    EXPECT_TRUE((PadInput{PadInput::AxisPositive, 0, 7, 0}.active(pad)));
    EXPECT_TRUE((PadInput{PadInput::Button, 0, 31, 0}.active(pad)));
    EXPECT_TRUE((PadInput{PadInput::Hat, 0, 1, SDL_HAT_UP}.active(pad)));
    EXPECT_TRUE((PadInput{PadInput::Hat, 0, 1, SDL_HAT_LEFT}.active(pad)));
    EXPECT_FALSE((PadInput{PadInput::Hat, 0, 1, SDL_HAT_RIGHT}.active(pad)));
    // Made up in memory or read from a file: out of range is never held.
    EXPECT_FALSE((PadInput{PadInput::Button, 0, 32, 0}.active(pad)));
    EXPECT_FALSE((PadInput{PadInput::Hat, 0, 1, SDL_HAT_LEFT | SDL_HAT_UP}.active(pad)));
    EXPECT_FALSE((PadInput{PadInput::Button, 4, 31, 0}.valid()));
    pad.connected = false;
    EXPECT_FALSE((PadInput{PadInput::Button, 0, 31, 0}.active(pad)));

    Pads pads;
    EXPECT_FALSE(pads.active(PadInput{PadInput::Button, 200, 0, 0}));
    EXPECT_FALSE(pads.state(-1).connected);
    EXPECT_FALSE(pads.state(kMaxPads).connected);
}

TEST(PadControls, StickDpadAndButtonsDriveBesideTheKeysAndAPulledPadLeavesTheKeys) {
    std::array<PadState, kMaxPads> pads{};
    pads[1] = connectedPad();
    std::array<bool, SDLK_LAST> keys{};
    PadControls source(KeyboardControls({SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RCTRL},
                                        [&](std::int32_t code) { return keys[std::size_t(code)]; }),
                       defaultPadBinding(1),
                       [&](std::int32_t pad) -> const PadState& { return pads[std::size_t(pad)]; });
    const auto held = [&] {
        const CarControls c = source.held();
        return std::array<bool, 5>{c.accelerate, c.brake, c.left, c.right, c.nitro};
    };
    using Held = std::array<bool, 5>;
    EXPECT_EQ(held(), (Held{false, false, false, false, false}));
    pads[1].buttons[0] = pads[1].buttons[2] = 1;
    pads[1].axes[0] = -30000;
    EXPECT_EQ(held(), (Held{true, false, true, false, true}));
    pads[1].buttons = {};
    pads[1].axes[0] = 0;
    pads[1].buttons[1] = 1;
    pads[1].hats[0] = SDL_HAT_RIGHT | SDL_HAT_DOWN;
    EXPECT_EQ(held(), (Held{false, true, false, true, false})) << "the d-pad steers, nothing else";
    pads[0] = pads[1];
    pads[1] = PadState{};
    EXPECT_EQ(held(), (Held{false, false, false, false, false})) << "another pad is not ours";

    pads[1] = connectedPad();
    pads[1].buttons[0] = 1;
    keys[SDLK_LEFT] = true;
    EXPECT_EQ(held(), (Held{true, false, true, false, false}));
    pads[1].connected = false; // pulled out with the button held
    EXPECT_EQ(held(), (Held{false, false, true, false, false})) << "the keys still drive";
}

// A race with the game's whole frame loop, humans on scripted pads.
struct PadRace : RaceGame {
    void TearDown() override {
        RaceGame::TearDown();
        sound::stopAllSounds();
    }
    PlayerProfile& human(const std::string& name) {
        PlayerProfile& p = driver(Human);
        p.name = name;
        return p;
    }
    const Car& car(std::size_t i) const { return *game->race->players()[i]->car; }
};

TEST_F(PadRace, TwoPadsDriveTwoHumansAndAPulledPadLeavesItsDriverTheKeyboard) {
    human("Ann");
    human("Bob").controls = {SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_q};
    platform.fake.pads[0] = platform.fake.pads[1] = connectedPad();
    game->startRace(FreeDriving);
    frames(200);
    ASSERT_EQ(game->state, Racing);
    platform.fake.pads[1].buttons[0] = 1; // only the second human accelerates
    platform.fake.pads[1].axes[0] = 32767;
    frames(60);
    EXPECT_EQ(car(0).speed, 0.0f);
    EXPECT_GT(car(1).speed, 0.0f);
    const float angle = car(1).bodyAngle;
    frames(5);
    EXPECT_NE(car(1).bodyAngle, angle) << "the stick steers";
    EXPECT_EQ(game->state, Racing) << "pad B is a car's brake here, not ESC";
    EXPECT_FALSE(game->keyboard.held(SDLK_RETURN));
    for (bool pausedAfter : {true, false}) {
        platform.fake.pads[0].buttons[kPadStartButton] = 1;
        frames(3);
        EXPECT_EQ(game->paused, pausedAfter) << "Start pauses and goes on, once a press";
        platform.fake.pads[0].buttons[kPadStartButton] = 0;
        frames(1);
    }

    platform.fake.pads[1] = PadState{}; // pulled out, its button still down
    platform.fake.press(SDLK_w);
    frames(30);
    EXPECT_GT(car(1).speed, 0.0f);
    platform.fake.release(SDLK_w);
    platform.fake.press(SDLK_s);
    const float before = car(1).speed;
    frames(5);
    EXPECT_LT(car(1).speed, before) << "the keyboard brakes the car the pad drove";
}

TEST_F(PadRace, APadWorksTheMenusButNotWithAButtonStillHeldFromTheRace) {
    game->state = MainMenu;
    frames(2);
    const std::int32_t item = game->mainMenu->item;
    platform.fake.pads[2] = connectedPad();
    platform.fake.pads[2].hats[0] = SDL_HAT_DOWN;
    frames(1);
    platform.fake.pads[2].hats[0] = 0;
    frames(2);
    EXPECT_NE(game->mainMenu->item, item) << "the d-pad moves the cursor";
    EXPECT_EQ(game->menuScreen, MenuPages);

    // A pressed in a race and held on into the menu is no RETURN there.
    human("Ann");
    game->startRace(FreeDriving);
    platform.fake.pads[0] = connectedPad();
    platform.fake.pads[0].buttons[0] = 1;
    frames(20);
    ASSERT_NE(game->state, MainMenu);
    game->keyboard.flush();
    game->state = MainMenu;
    frames(5);
    EXPECT_FALSE(game->keyboard.held(SDLK_RETURN));
    platform.fake.pads[0].buttons[0] = 0;
    frames(1);
    platform.fake.pads[0].buttons[0] = 1;
    frames(1);
    EXPECT_TRUE(game->keyboard.held(SDLK_RETURN)) << "pressed anew, A is RETURN";
}

TEST_F(PadRace, BindingsAreMadeByPressingSavedBesideTheDriverAndClashesNamed) {
    PlayerProfile& ann = human("Ann");
    PlayerProfile& bob = human("Bob");
    bob.controls[ControlNitro] = SDLK_x;
    bob.padBound = true;
    bob.pad = defaultPadBinding(0);
    ASSERT_TRUE(game->saveProfile(ann));
    platform.fake.pads[1] = connectedPad();
    std::vector<std::string> said;
    const auto boxes = game->context.message;
    game->context.message = [&](const std::string& text, bool) {
        said.push_back(text);
        return true;
    };
    // Accelerate: pad 2's fourth button; Brake: the X key, which Bob has;
    // Left: pad 1's first button, which Bob has.
    platform.keyStroke(100, 150, SDLK_RETURN);
    platform.after(300, [](FakePlatform& f) { f.pads[1].buttons[3] = 1; });
    platform.after(400, [](FakePlatform& f) { f.pads[1].buttons[3] = 0; });
    platform.keyStroke(500, 550, SDLK_DOWN);
    platform.keyStroke(700, 750, SDLK_RETURN);
    platform.keyStroke(900, 950, SDLK_x);
    platform.keyStroke(1100, 1150, SDLK_DOWN);
    platform.keyStroke(1300, 1350, SDLK_RETURN);
    platform.after(1500, [](FakePlatform& f) {
        f.pads[0] = connectedPad();
        f.pads[0].buttons[0] = 1;
    });
    platform.after(1600, [](FakePlatform& f) { f.pads[0].buttons[0] = 0; });
    // Then pad 2's B works the screen as ESC.
    platform.after(1800, [](FakePlatform& f) { f.pads[1].buttons[1] = 1; });
    platform.after(1900, [](FakePlatform& f) { f.pads[1].buttons[1] = 0; });
    game->keySettings.run(ann);
    game->context.message = boxes;
    EXPECT_LT(platform.fake.now, 2500u) << "B left the screen";

    ASSERT_TRUE(ann.padBound);
    EXPECT_EQ(ann.pad[ControlAccelerate], (PadInput{PadInput::Button, 1, 3, 0}));
    EXPECT_EQ(ann.pad[ControlLeft], (PadInput{PadInput::Button, 0, 0, 0}));
    EXPECT_EQ(ann.pad[ControlRight], defaultPadBinding(1)[ControlRight]) << "the pad's default";
    EXPECT_EQ(ann.controls[ControlBrake], SDLK_x);
    EXPECT_EQ(said, (std::vector<std::string>{"x is already used by Bob.",
                                              "pad 1 button 1 is already used by Bob."}));

    ASSERT_TRUE(game->saveProfile(ann));
    PadBinding again;
    std::string why;
    ASSERT_TRUE(decodePadBinding(textOf("players/Ann.pad"), again, why)) << why;
    EXPECT_EQ(again, ann.pad);
}

TEST_F(PadRace, ADamagedPadFileLeavesTheDriverOnTheDefaultsAndStaysAsItWas) {
    writeDriver(namedProfile("Cy"));
    writeDriver(namedProfile("Dee"));
    const std::string damaged = "gravelin pad 1\nbrake pad 9 button 1\n";
    writeText("players/Cy.pad", damaged);
    writeText("players/Dee.pad", "gravelin pad 1\nbrake pad 2 button 5\n");
    game->profiles.clear();
    game->loadProfiles();
    ASSERT_EQ(game->profiles.size(), 2u);
    EXPECT_FALSE(game->profiles[0]->padBound);
    EXPECT_TRUE(game->profiles[1]->padBound);
    EXPECT_EQ(game->profiles[1]->pad[ControlBrake], (PadInput{PadInput::Button, 1, 4, 0}));
    game->saveProfiles();
    EXPECT_EQ(textOf("players/Cy.pad"), damaged);
}

} // namespace
