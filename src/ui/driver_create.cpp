// "Player Creation": a name typed by holding keys, and a type. Names that
// could not be a file name, or that another driver already has, are refused
// with a message rather than risking another driver's file.
#include "app/game.hpp"
#include "app/platform.hpp"
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
    std::int32_t counter = 0;
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
        if (++counter <= 3) continue;

        if (keys[SDLK_RETURN]) {
            counter = 0;
            if (!name.empty()) {
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
        }
        if (keys[SDLK_ESCAPE]) return;
        if (keys[SDLK_UP]) {
            counter = 0;
            if (creationField > 0) --creationField;
        }
        if (keys[SDLK_DOWN]) {
            counter = 0;
            if (creationField < 1) ++creationField;
        }
        if (creationField == 1) {
            if (keys[SDLK_LEFT]) {
                counter = 0;
                if (type > Human) --type;
            }
            if (keys[SDLK_RIGHT]) {
                counter = 0;
                if (type < Computer) ++type;
            }
        }
        if (creationField == 0) {
            if (keys[SDLK_BACKSPACE]) {
                counter = 0;
                if (!name.empty()) name.pop_back();
            }
            const bool shift = keys[SDLK_LSHIFT] || keys[SDLK_RSHIFT];
            std::int32_t typed = 0;
            for (std::int32_t code = 32; code <= 122; ++code)
                if (keys[code]) typed = code;
            if (typed) {
                counter = 0;
                char c = char(typed);
                if (shift && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
                if (name.size() < kMaxDriverName) name.push_back(c);
                delay(50);
            }
        }
    }
}
