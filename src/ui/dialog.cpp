#include "ui/dialog.hpp"

#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"

namespace {
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kDimYellow = 0xFF7F7F00;
} // namespace

bool MessageBox::show(const std::string& message, bool withCancel) {
    SDL_Surface* screen = context_.screen;
    Keyboard& keyboard = context_.keyboard;
    const Font& font = context_.fonts.medium;
    if (!screen) return false;
    const std::int32_t w = textWidth(font, message);
    const std::int32_t x = screen->w / 2 - w / 2;
    const std::int32_t h = 4 * glyphHeight(font, 'W');
    const std::int32_t y = screen->h / 2 - h / 2;
    // A box in a race is answered with a pad as in the menus; a button
    // that was driving acts once it is let go.
    struct PadsAsKeys {
        Keyboard& keyboard;
        bool was = keyboard.padsAsKeys();
        ~PadsAsKeys() { keyboard.setPadsAsKeys(was); }
    } padsAsKeys{keyboard};
    keyboard.setPadsAsKeys(true);
    // The key that led here, RETURN above all, is not an answer; held on for
    // a quarter of a second it is, as a held key repeats.
    keyboard.refresh();
    KeyRepeat held(keyboard, true);
    for (;;) {
        copySurface(screen, context_.background);
        darkenRect(screen, x, y, x + w + 20, y + h + 40);
        drawText(screen, font, x + 10, y + 20, message, kYellow, true);
        if (!withCancel) {
            drawText(screen, font, x + (w + 20) / 2 - glyphWidth(font, 'W'), y + 60, "OK", kYellow,
                     true);
        } else {
            drawText(screen, font, x + 10, y + 60, "OK", choice == 0 ? kYellow : kDimYellow, true);
            drawText(screen, font, x + w + 20 - textWidth(font, "Cancel") - 10, y + 60, "Cancel",
                     choice == 1 ? kYellow : kDimYellow, true);
        }
        drawBanner(context_);
        updateScreen(screen);
        delay(10);
        pumpEvents();
        keyboard.refresh();
        // Closing the window answers nothing: the caller sees Cancel.
        if (quitRequested()) return false;
        held.update();
        if (held.fired(SDLK_RETURN)) {
            keyboard.flush();
            delay(50);
            return choice == 0;
        }
        if (held.fired(SDLK_LEFT) && choice > 0) --choice;
        if (held.fired(SDLK_RIGHT) && choice < 1) ++choice;
    }
}
