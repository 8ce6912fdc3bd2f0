// "Player Creation": a name typed key by key, and a type. Names that
// could not be a file name, or that another driver already has, are refused
// with a message rather than risking another driver's file.
#include "app/game.hpp"
#include "platform/platform.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "records/profile.hpp"

std::int32_t creationField = 0;

namespace {
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kDimYellow = 0xFF7F7F00;
} // namespace

void Game::driverCreationScreen() {
    setFont(fontMedium);
    const std::int32_t y0 = screen->h / 2 - (4 * glyphHeight('W')) / 2;
    std::string name;
    std::int32_t type = Human;
    // The RETURN that opened the screen must not accept an empty name.
    refreshKeys();
    KeyRepeat held(true);
    for (;;) {
        copySurface(screen, titleImage);
        setFont(fontMenu);
        drawCentred("Player Creation", kYellow, 50);
        drawCentred("Player Name:" + name, creationField == 0 ? kYellow : kDimYellow, y0);
        drawCentred(std::string("Player Type:") + (type == Computer ? "COMPUTER" : "HUMAN"),
                    creationField == 1 ? kYellow : kDimYellow, y0 + 50);
        setFont(fontMedium);
        drawCentred("Enter-Accept, ESC-cancel", 0xFFFFFFFF, 350);
        setFont(fontSmall);
        drawBanner();
        updateScreen(screen);
        delay(10);
        pumpEvents();
        refreshKeys();
        if (quitRequested()) return;
        held.update();

        if (held.pressed(SDLK_RETURN) && !name.empty()) {
            bool taken = false;
            for (const auto& p : profiles)
                taken = taken || p->name == name;
            flushInput();
            if (!isSafeProfileName(name)) {
                showDialog("A name can't be only dots or hold / or \\", false);
            } else if (taken) {
                showDialog("There is already a driver called " + name + ".", false);
            } else {
                createProfile(name, type);
                flushInput();
                return;
            }
            setFont(fontMedium);
        }
        if (held.pressed(SDLK_ESCAPE)) {
            flushInput();
            return;
        }
        if (held.fired(SDLK_UP) && creationField > 0) --creationField;
        if (held.fired(SDLK_DOWN) && creationField < 1) ++creationField;
        if (creationField == 1) {
            if (held.fired(SDLK_LEFT) && type > Human) --type;
            if (held.fired(SDLK_RIGHT) && type < Computer) ++type;
        }
        if (creationField == 0) {
            if (held.fired(SDLK_BACKSPACE) && !name.empty()) name.pop_back();
            const bool shift = keys[SDLK_LSHIFT] || keys[SDLK_RSHIFT];
            for (std::int32_t code = 32; code <= 122; ++code) {
                if (!held.fired(code)) continue;
                char c = char(code);
                if (shift && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
                if (name.size() < kMaxDriverName) name.push_back(c);
            }
        }
    }
}
