#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "records/profile.hpp"
#include "ui/driver_select.hpp"

namespace {
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kDimYellow = 0xFF7F7F00;
} // namespace

void DriverCreationScreen::run() {
    SDL_Surface* screen = context_.screen;
    Keyboard& keyboard = context_.keyboard;
    const Fonts& fonts = context_.fonts;
    if (!screen) return;
    const std::int32_t y0 = screen->h / 2 - (4 * glyphHeight(fonts.medium, 'W')) / 2;
    std::string name;
    std::int32_t type = Human;
    // The RETURN that opened the screen must not accept an empty name.
    keyboard.refresh();
    KeyRepeat held(keyboard, true);
    for (;;) {
        copySurface(screen, context_.background);
        drawCentred(screen, fonts.menu, "Player Creation", kYellow, 50);
        drawCentred(screen, fonts.menu, "Player Name:" + name, field == 0 ? kYellow : kDimYellow,
                    y0);
        drawCentred(screen, fonts.menu,
                    std::string("Player Type:") + (type == Computer ? "COMPUTER" : "HUMAN"),
                    field == 1 ? kYellow : kDimYellow, y0 + 50);
        drawCentred(screen, fonts.medium, "Enter-Accept, ESC-cancel", 0xFFFFFFFF, 350);
        drawBanner(context_);
        updateScreen(screen);
        delay(10);
        pumpEvents();
        keyboard.refresh();
        if (quitRequested()) return;
        held.update();

        if (held.pressed(SDLK_RETURN) && !name.empty()) {
            bool taken = false;
            for (const auto& p : roster_.profiles)
                taken = taken || p->name == name;
            keyboard.flush();
            if (!isSafeProfileName(name)) {
                context_.ask("A name can't be only dots or hold / or \\", false);
            } else if (taken) {
                context_.ask("There is already a driver called " + name + ".", false);
            } else {
                if (roster_.create) roster_.create(name, type);
                keyboard.flush();
                return;
            }
        }
        if (held.pressed(SDLK_ESCAPE)) {
            keyboard.flush();
            return;
        }
        if (held.fired(SDLK_UP) && field > 0) --field;
        if (held.fired(SDLK_DOWN) && field < 1) ++field;
        if (field == 1) {
            if (held.fired(SDLK_LEFT) && type > Human) --type;
            if (held.fired(SDLK_RIGHT) && type < Computer) ++type;
        }
        if (field == 0) {
            if (held.fired(SDLK_BACKSPACE) && !name.empty()) name.pop_back();
            const bool shift = keyboard.held(SDLK_LSHIFT) || keyboard.held(SDLK_RSHIFT);
            for (std::int32_t code = 32; code <= 122; ++code) {
                if (!held.fired(code)) continue;
                char c = char(code);
                if (shift && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
                if (name.size() < kMaxDriverName) name.push_back(c);
            }
        }
    }
}
