#include "ui/menu.hpp"

#include "platform/platform.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"

std::int32_t menuScreen = 0;
bool shiftDown = false;

namespace {
constexpr std::size_t kMaxLine = 99;
KeyRepeat menuKeys;

void applyTextEntry(MenuItem& item) {
    if (keyPressed == SDLK_LSHIFT) shiftDown = true;
    if (keyReleased == SDLK_LSHIFT) shiftDown = false;
    if (keyPressed >= 32 && keyPressed <= 126) {
        char c = char(keyPressed);
        if (shiftDown && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        item.text.push_back(c);
    } else if (keyPressed == SDLK_BACKSPACE && !item.text.empty()) {
        item.text.pop_back();
    }
    if (item.action) item.action(item);
}
} // namespace

GameMenu::GameMenu(std::int32_t x, std::int32_t y) : x(x), y(y) {}

MenuItem* GameMenu::set(std::int32_t p, std::int32_t index, MenuItem* it) {
    if (p < 0 || p >= kPages || index < 0 || index >= kSlots) return it;
    items[p * kSlots + index] = it;
    return it;
}

MenuItem* GameMenu::at(std::int32_t p, std::int32_t index) const {
    if (p < 0 || p >= kPages || index < 0 || index >= kSlots) return nullptr;
    return items[p * kSlots + index];
}

void GameMenu::draw(SDL_Surface* surface) {
    Font* remembered = currentFont();
    setFont(font);
    std::int32_t penY = y;
    for (std::int32_t index = 0; index < kSlots; ++index) {
        MenuItem* it = at(page, index);
        if (!it) continue;
        const bool onCursor = index == item;
        const std::uint32_t colour = onCursor ? it->colour : halfColour(it->colour);
        std::string line;
        switch (it->kind) {
        case TextItem:
            line = it->label + ":" + it->text;
            if (onCursor) applyTextEntry(*it);
            break;
        case NumberItem:
            line = it->label + ":" + std::to_string(it->value);
            break;
        case ValueItem:
            if (onCursor) {
                if (keyPressed == SDLK_RIGHT) it->value += 1;
                if (keyPressed == SDLK_LEFT) it->value -= 1;
                if (keyPressed == SDLK_RETURN && it->onEnter) it->onEnter(*it);
            }
            line = it->label + ": " + it->text;
            if (it->action) it->action(*it);
            break;
        default:
            line = it->label;
            break;
        }
        if (line.size() > kMaxLine) line.resize(kMaxLine);
        drawText(surface, x, penY, line, colour, true);
        if (!it->noAdvance) penY += glyphHeight('A') * it->spacing + 10;
    }
    setFont(remembered);
}

void GameMenu::nextItem() {
    if (item + 1 < kSlots && at(page, item + 1)) ++item;
}

void GameMenu::previousItem() {
    if (item > 0) --item;
}

void GameMenu::showPage(std::int32_t newPage) {
    if (newPage < 0 || newPage >= kPages) return;
    page = newPage;
    item = 0;
}

void GameMenu::activate() {
    MenuItem* it = cursorItem();
    if (!it) return;
    if (it->action) it->action(*it);
    if (page != kPages - 1 && it->enterPage != -1) showPage(it->enterPage);
}

void GameMenu::back() {
    MenuItem* it = cursorItem();
    if (it && it->escapePage != -1) showPage(it->escapePage);
}

void handleMenuKeys(GameMenu& menu) {
    menuKeys.update();
    if (menuScreen == 0) {
        if (menuKeys.fired(SDLK_DOWN)) menu.nextItem();
        if (menuKeys.fired(SDLK_UP)) menu.previousItem();
        if (menuKeys.pressed(SDLK_RETURN)) {
            // Whatever the item opens starts afresh: the RETURN still held and
            // its key event belong to this item.
            flushInput();
            menu.activate();
        }
    }
    if (menuKeys.pressed(SDLK_ESCAPE)) {
        if (menuScreen == 0)
            menu.back();
        else
            menuScreen = 0;
    }
}
