// The menu widget: 10 pages of 10 item slots, one page shown at a time as a
// list of lines. UP and DOWN move the cursor, RETURN activates an item (runs
// its action and may open another page), ESC goes back to the item's page.
// Value items step with LEFT and RIGHT once per key event and keep their
// text up to date through their action, which runs on every frame they are
// drawn; text-entry items take typed characters.
#pragma once

#include "platform/platform.hpp"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class Font;

struct MenuItem;
using MenuCallback = std::function<void(MenuItem&)>;

enum MenuItemKind : std::int32_t { PlainItem = 0, TextItem = 1, NumberItem = 2, ValueItem = 3 };

struct MenuItem {
    MenuItem(std::string label, MenuCallback action, std::int32_t kind, std::int32_t escapePage,
             std::int32_t enterPage, MenuCallback onEnter = nullptr)
        : label(std::move(label)), kind(kind), escapePage(escapePage), enterPage(enterPage),
          action(std::move(action)), onEnter(std::move(onEnter)) {}

    std::string label;
    std::int32_t value = 0;
    std::string text; // shown after the colon by text and value items
    std::int32_t kind;
    std::uint32_t colour = 0xFFFFFF00; // the cursor line; others are dimmed
    std::int32_t escapePage;           // -1: ESC does nothing
    std::int32_t enterPage;            // -1: RETURN keeps the page
    std::int32_t spacing = 1;          // line heights to the next line
    std::int32_t noAdvance = 0;        // next line drawn at the same height
    MenuCallback action;
    MenuCallback onEnter; // value items: a RETURN key event on the item
};

class GameMenu {
  public:
    static constexpr int kPages = 10;
    static constexpr int kSlots = 10;

    GameMenu(std::int32_t x, std::int32_t y);
    virtual ~GameMenu() = default;

    // Places an item (not owned) and hands it back for further set-up.
    MenuItem* set(std::int32_t page, std::int32_t index, MenuItem* item);
    MenuItem* at(std::int32_t page, std::int32_t index) const;

    // Draws the shown page and applies this frame's key events to the
    // cursor item.
    void draw(SDL_Surface* surface, const Keyboard& keyboard);

    void nextItem();
    void previousItem();
    void activate();
    void back();

    std::array<MenuItem*, kPages * kSlots> items{};
    std::int32_t x, y;
    std::int32_t page = 0;
    std::int32_t item = 0;
    const Font* font = nullptr;
    // Shift state for text-entry items, from left shift's key events.
    bool shiftDown = false;

  private:
    MenuItem* cursorItem() const { return at(page, item); }
    void showPage(std::int32_t newPage);
    void applyTextEntry(MenuItem& item, const Keyboard& keyboard);
};

// Which screen the main-menu state shows.
enum MenuScreen : std::int32_t {
    MenuPages = 0,
    LapRecordsShown = 1,
    TrackSelectionShown = 3,
    DriverSelectionShown = 5,
};

// The held keys of the main-menu state: once per frame, after drawing, UP
// and DOWN act on the press and repeat while held; RETURN and ESC act once a
// press. ESC on any screen but the menu's pages closes that screen.
class MenuKeys {
  public:
    explicit MenuKeys(Keyboard& keyboard);
    void serve(GameMenu& menu, std::int32_t& screen);

  private:
    Keyboard* keyboard_;
    KeyRepeat repeat_;
};
