#include "ui/dialog.hpp"

#include "app/game.hpp"
#include "platform/platform.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"

#include <cstdio>

std::int32_t dialogChoice = 0;

namespace {
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kDimYellow = 0xFF7F7F00;
} // namespace

void Game::drawCentred(const std::string& text, std::uint32_t colour, std::int32_t y) {
    const std::int32_t x = screen->w / 2 - textWidth(text) / 2;
    if (y == -1) y = screen->h / 2 - glyphWidth('A') / 2;
    drawText(screen, x, y, text, colour, true);
}

bool Game::showDialog(const std::string& message, bool withCancel) {
    // No one would ever see the box, let alone press a key for it.
    if (headless) {
        std::printf("%s\n", message.c_str());
        return false;
    }
    setFont(fontMedium);
    const std::int32_t w = textWidth(message);
    const std::int32_t x = screen->w / 2 - w / 2;
    const std::int32_t h = 4 * glyphHeight('W');
    const std::int32_t y = screen->h / 2 - h / 2;
    // The key that led here, RETURN above all, is not an answer; held on for
    // a quarter of a second it is, as a held key repeats.
    refreshKeys();
    KeyRepeat held(true);
    for (;;) {
        copySurface(screen, titleImage);
        darkenRect(screen, x, y, x + w + 20, y + h + 40);
        setFont(fontMedium);
        drawText(screen, x + 10, y + 20, message, kYellow, true);
        if (!withCancel) {
            drawText(screen, x + (w + 20) / 2 - glyphWidth('W'), y + 60, "OK", kYellow, true);
        } else {
            drawText(screen, x + 10, y + 60, "OK", dialogChoice == 0 ? kYellow : kDimYellow, true);
            drawText(screen, x + w + 20 - textWidth("Cancel") - 10, y + 60, "Cancel",
                     dialogChoice == 1 ? kYellow : kDimYellow, true);
        }
        setFont(fontSmall);
        drawBanner();
        updateScreen(screen);
        delay(10);
        pumpEvents();
        refreshKeys();
        // Closing the window answers nothing: the caller sees Cancel.
        if (quitRequested()) return false;
        held.update();
        if (held.fired(SDLK_RETURN)) {
            flushInput();
            delay(50);
            return dialogChoice == 0;
        }
        if (held.fired(SDLK_LEFT) && dialogChoice > 0) --dialogChoice;
        if (held.fired(SDLK_RIGHT) && dialogChoice < 1) ++dialogChoice;
    }
}
