// The menu widget on its own, driven through the keyboard seam one frame at
// a time, as the main loop drives it.
#include "gfx/font.hpp"
#include "test_support.hpp"
#include "ui/menu.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A font whose glyphs are solid blocks: 'A' 6 x 10, everything else 4 x 10.
Font blockFont() {
    Font f;
    for (int c = 33; c < 127; ++c) {
        Glyph& g = f.glyphs[c];
        g.width = c == 'A' ? 6 : 4;
        g.height = 10;
        g.pixels.assign(std::size_t(g.width) * g.height, 1);
    }
    return f;
}

struct MenuWidget : ::testing::Test {
    void SetUp() override {
        font = blockFont();
        menu.font = &font;
        surface = filledSurface(640, 400, 0xFF000000);
    }
    void TearDown() override { SDL_FreeSurface(surface); }

    MenuItem* add(int page, int slot, const char* label, int kind = PlainItem, int escape = -1,
                  int enter = -1, MenuCallback action = nullptr) {
        owned.push_back(std::make_unique<MenuItem>(label, action, kind, escape, enter));
        return menu.set(page, slot, owned.back().get());
    }
    // One main-menu frame of 16 ms: draw with this frame's key event, then
    // the keys.
    void frame(std::int32_t pressed = 0, std::int32_t released = 0) {
        keyboard.pressed = pressed;
        keyboard.released = released;
        keyboard.refresh();
        menu.draw(surface, keyboard);
        keys.serve(menu, screen);
        delay(16);
    }
    // Rows of the surface where a line of the menu starts (yellow or dim).
    std::vector<int> lineTops() {
        std::vector<int> tops;
        bool previous = false;
        for (int y = 0; y < surface->h; ++y) {
            const std::uint32_t p = getPixel(surface, menu.x, y);
            const bool ink = p == 0xFFFFFF00 || p == 0xFF7F7F00;
            if (ink && !previous) tops.push_back(y);
            previous = ink;
        }
        return tops;
    }

    FakePlatformScope platform;
    Keyboard keyboard;
    MenuKeys keys{keyboard};
    std::int32_t screen = MenuPages;
    Font font;
    GameMenu menu{100, 100};
    SDL_Surface* surface = nullptr;
    std::vector<std::unique_ptr<MenuItem>> owned;
};

} // namespace

TEST_F(MenuWidget, CursorStaysOnItsPage) {
    add(0, 0, "ONE");
    add(0, 1, "TWO");
    menu.previousItem();
    EXPECT_EQ(menu.item, 0);
    menu.nextItem();
    menu.nextItem();
    EXPECT_EQ(menu.item, 1) << "no item after the last one";
    menu.page = 9;
    menu.item = 9;
    menu.nextItem();
    EXPECT_EQ(menu.item, 9);
}

TEST_F(MenuWidget, ActivateAndBackFollowThePageLinks) {
    int ran = 0;
    add(0, 0, "OPEN", PlainItem, -1, 2, [&](MenuItem&) { ++ran; });
    add(0, 1, "STAY", PlainItem, -1, -1, [&](MenuItem&) { ++ran; });
    add(2, 0, "BACK", PlainItem, 0, -1);
    add(2, 1, "SECOND", PlainItem, 0, -1);
    add(9, 0, "LAST PAGE", PlainItem, -1, 0, [&](MenuItem&) { ++ran; });

    menu.item = 1;
    menu.activate();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(menu.page, 0) << "enterPage -1 keeps the page";
    menu.item = 0;
    menu.activate();
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(menu.page, 2);
    menu.nextItem();
    menu.back();
    EXPECT_EQ(menu.page, 0);
    EXPECT_EQ(menu.item, 0) << "every page change puts the cursor on slot 0";
    menu.back(); // escapePage -1: nothing
    EXPECT_EQ(menu.page, 0);
    menu.page = 9;
    menu.activate();
    EXPECT_EQ(ran, 3);
    EXPECT_EQ(menu.page, 9) << "page 9 never changes the page";
}

TEST_F(MenuWidget, KeysActOnThePressAndRepeatEverySixthFrameAfterAQuarterSecond) {
    for (const char* label : {"A", "B", "C", "D", "E", "F"})
        add(0, int(owned.size()), label);
    platform.fake.press(SDLK_DOWN);
    frame();
    EXPECT_EQ(menu.item, 1) << "on the press";
    while (platform.fake.now < KeyRepeat::kDelay)
        frame();
    EXPECT_EQ(menu.item, 1) << "a press of up to a quarter second is one step";
    frame();
    EXPECT_EQ(menu.item, 2);
    for (int i = 0; i < 5; ++i)
        frame();
    EXPECT_EQ(menu.item, 2);
    frame();
    EXPECT_EQ(menu.item, 3);
    platform.fake.release(SDLK_DOWN);
    frame();
    platform.fake.press(SDLK_UP);
    frame();
    EXPECT_EQ(menu.item, 2) << "a new key acts at once";
}

TEST_F(MenuWidget, ReturnAndEscActOncePerPress) {
    int ran = 0;
    add(0, 0, "OPEN", PlainItem, -1, 1, [&](MenuItem&) { ++ran; });
    add(1, 0, "RUN", PlainItem, 0, -1, [&](MenuItem&) { ++ran; });
    platform.fake.press(SDLK_RETURN);
    for (int i = 0; i < 60; ++i)
        frame();
    EXPECT_EQ(ran, 1) << "the item on the next page waits for a new press";
    EXPECT_EQ(menu.page, 1);
    platform.fake.release(SDLK_RETURN);
    frame();
    platform.fake.press(SDLK_RETURN);
    frame();
    EXPECT_EQ(ran, 2);
    platform.fake.press(SDLK_ESCAPE);
    for (int i = 0; i < 60; ++i)
        frame();
    EXPECT_EQ(menu.page, 0);
    screen = TrackSelectionShown;
    platform.fake.release(SDLK_ESCAPE);
    frame();
    platform.fake.press(SDLK_ESCAPE);
    frame();
    EXPECT_EQ(screen, MenuPages) << "ESC closes the other screens";
    EXPECT_EQ(menu.page, 0);
}

TEST_F(MenuWidget, ValueItemStepsOncePerKeyEventOnlyUnderTheCursor) {
    int actions = 0;
    MenuItem* v = add(0, 0, "LEVEL", ValueItem, -1, -1, [&](MenuItem& it) {
        ++actions;
        it.text = std::to_string(it.value);
    });
    v->value = 5;
    frame(SDLK_RIGHT);
    EXPECT_EQ(v->value, 6);
    platform.fake.press(SDLK_RIGHT); // held, but no new event
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_EQ(v->value, 6);
    frame(SDLK_LEFT);
    frame(SDLK_LEFT);
    EXPECT_EQ(v->value, 4);
    EXPECT_EQ(actions, 13) << "the action runs on every frame the item is drawn";
    EXPECT_EQ(v->text, "4");
    // Only the item under the cursor listens.
    MenuItem* b = add(0, 1, "B", ValueItem);
    int entered = 0;
    b->onEnter = [&](MenuItem&) { ++entered; };
    menu.item = 1;
    frame(SDLK_RIGHT);
    frame(SDLK_RETURN);
    EXPECT_EQ(v->value, 4);
    EXPECT_EQ(b->value, 1);
    EXPECT_EQ(entered, 1);
}

TEST_F(MenuWidget, TextEntryWithLeftShiftAndBackspace) {
    MenuItem* name = add(0, 0, "NAME", TextItem);
    frame(SDLK_BACKSPACE);
    EXPECT_EQ(name->text, "") << "BACKSPACE on an empty text";
    frame('b');
    frame(SDLK_LSHIFT);
    frame('a'); // shift down, its key-up not seen yet
    frame(0, SDLK_LSHIFT);
    frame('x');
    frame(SDLK_RSHIFT);
    frame('y'); // right shift is not a shift here
    frame('1');
    EXPECT_EQ(name->text, "bAxy1");
    frame(SDLK_BACKSPACE);
    EXPECT_EQ(name->text, "bAxy");
    frame(SDLK_UP); // not a character
    EXPECT_EQ(name->text, "bAxy");
}

TEST_F(MenuWidget, SpacingAndNoAdvancePlaceTheLines) {
    add(0, 0, "A");
    add(0, 1, "B")->spacing = 2;
    add(0, 2, "C")->noAdvance = 1;
    add(0, 3, "D");
    add(0, 4, "E");
    frame();
    // Line height: 'A' is 10 high, plus 10. B takes two heights; D is drawn
    // over C, so four line tops show.
    EXPECT_EQ(lineTops(), (std::vector<int>{100, 120, 150, 170}));
}
