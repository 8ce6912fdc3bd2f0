#include "ui/menu.hpp"

#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"

namespace {
constexpr std::size_t kMaxLine = 99;
// Stands in for a menu given no font: nothing drawn, nothing measured.
const Font noFont;
} // namespace

void GameMenu::applyTextEntry(MenuItem& it, const Keyboard& keyboard) {
    const std::int32_t pressed = keyboard.pressed;
    if (pressed == SDLK_LSHIFT) shiftDown = true;
    if (keyboard.released == SDLK_LSHIFT) shiftDown = false;
    if (pressed >= 32 && pressed <= 126) {
        char c = char(pressed);
        if (shiftDown && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        it.text.push_back(c);
    } else if (pressed == SDLK_BACKSPACE && !it.text.empty()) {
        it.text.pop_back();
    }
    if (it.action) it.action(it);
}

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

void GameMenu::draw(SDL_Surface* surface, const Keyboard& keyboard) {
    const Font& face = font ? *font : noFont;
    const std::int32_t keyPressed = keyboard.pressed;
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
            if (onCursor) applyTextEntry(*it, keyboard);
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
        drawText(surface, face, x, penY, line, colour, true);
        if (!it->noAdvance) penY += glyphHeight(face, 'A') * it->spacing + 10;
    }
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

MenuKeys::MenuKeys(Keyboard& keyboard) : keyboard_(&keyboard), repeat_(keyboard) {}

void MenuKeys::serve(GameMenu& menu, std::int32_t& screen) {
    repeat_.update();
    if (screen == MenuPages) {
        if (repeat_.fired(SDLK_DOWN)) menu.nextItem();
        if (repeat_.fired(SDLK_UP)) menu.previousItem();
        if (repeat_.pressed(SDLK_RETURN)) {
            // Whatever the item opens starts afresh: the RETURN still held and
            // its key event belong to this item.
            keyboard_->flush();
            menu.activate();
        }
    }
    if (repeat_.pressed(SDLK_ESCAPE)) {
        if (screen == MenuPages)
            menu.back();
        else
            screen = MenuPages;
    }
}
