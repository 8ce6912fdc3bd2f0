// What every menu screen draws on and reads from: the screen surface and
// the title picture behind it, the fonts, the keyboard, the settings and
// selections the screens edit, and a way to ask the player something in a
// message box. The game fills one in and hands it to its screens; a test
// fills in its own and drives a screen with no game at all.
#pragma once

#include "ui/settings.hpp"

#include <SDL.h>

#include <functional>
#include <string>

struct Fonts;
class Keyboard;

struct ScreenContext {
    SDL_Surface* screen = nullptr;
    SDL_Surface* background = nullptr; // the title picture: behind every menu screen
    const Fonts& fonts;
    Keyboard& keyboard;
    Settings& settings;
    Selection& selection;
    // Shows a modal message box; true when it closes on OK. Unset, nothing is
    // shown and the answer is Cancel.
    std::function<bool(const std::string& message, bool withCancel)> message;

    bool ask(const std::string& text, bool withCancel) const {
        return message ? message(text, withCancel) : false;
    }
};

// The banner line at the bottom of the menu screens.
extern const char* const kBannerText;
void drawBanner(const ScreenContext& context);
