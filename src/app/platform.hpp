// The keyboard and the clock as the game sees them, with a seam for tests.
//
// The game reads held keys through `keys` (refreshed from SDL's key-state
// array), one key event per main-menu frame through pollKeyEvent, and time
// through ticks and delay. A test installs a FakePlatform: then held keys,
// key events and time come from it, delays advance its clock instead of
// sleeping, and screens and races can be driven frame by frame.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>

// Held keys, indexed by SDL key symbol; non-zero while held.
extern Uint8* keys;
// Key symbols of the key-down and key-up event polled in the last main-menu
// frame, 0 when there was none.
extern std::int32_t keyPressed;
extern std::int32_t keyReleased;

void refreshKeys();
void pumpEvents();
// Pumps SDL's event loop 100 times, so that a key acted on is not seen again.
void flushInput();
// Takes at most one pending event; false when none was waiting.
bool pollEvent(SDL_Event& event);
Uint32 ticks();
void delay(Uint32 milliseconds);
// Shows the whole screen surface.
void updateScreen(SDL_Surface* screen);

struct FakePlatform {
    std::array<Uint8, SDLK_LAST> held{};
    std::deque<SDL_Event> events;
    Uint32 now = 0;
    // Runs at every pump, so a test can script keys inside modal loops.
    std::function<void(FakePlatform&)> onPump;
    int pumps = 0;
    int screenUpdates = 0;

    void press(SDLKey key) { held[key] = 1; }
    void release(SDLKey key) { held[key] = 0; }
    void releaseAll() { held.fill(0); }
    void queueKeyDown(SDLKey key);
    void queueKeyUp(SDLKey key);
};

// Installs the fake (nullptr goes back to SDL).
void useFakePlatform(FakePlatform* fake);
