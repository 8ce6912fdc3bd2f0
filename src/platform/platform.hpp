// The keyboard and the clock as the game sees them, with a seam for tests.
//
// The game reads held keys through a Keyboard (refreshed from SDL's
// key-state array), one key event per main-menu frame through it too, and
// time through ticks and delay. A test installs a FakePlatform: then held keys,
// key events and time come from it, delays advance its clock instead of
// sleeping, and screens and races can be driven frame by frame.
//
// SDL turns a window close, Ctrl+C and SIGTERM into an SDL_QUIT event.
// Whichever call meets it first remembers it for quitRequested, so that no
// drain of the queue can lose it.
#pragma once

#include "platform/pads.hpp"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>

void pumpEvents();
// Throws away every pending event (an SDL_QUIT among them is remembered).
void dropPendingEvents();
// Takes at most one pending event; false when none was waiting.
bool pollEvent(SDL_Event& event);
// True from the first SDL_QUIT on.
bool quitRequested();
// Asks SDL's own queue, whatever platform is installed, whether a quit is
// waiting (left in the queue): for tools that run on the fake keyboard but
// must still stop on Ctrl+C or SIGTERM.
bool systemQuitPending();
Uint32 ticks();
void delay(Uint32 milliseconds);
// Shows the whole screen surface: the open display's picture through the
// display (scaled, switched by F11), any other surface as it is.
void updateScreen(SDL_Surface* screen);

// The window's own events are kept out of the game's queue, which screens
// drain and races leave unread: F11 asks the display to switch between
// window and full screen, and the window losing the keyboard focus (or
// being minimised) is remembered until asked. Installed by the display.
void watchWindowEvents();
// True once for each F11 press since the last call.
bool takeFullScreenSwitch();
// True once after the window lost the focus since the last call.
bool takeFocusLoss();

struct FakePlatform {
    std::array<Uint8, SDLK_LAST> held{};
    std::deque<SDL_Event> events;
    Uint32 now = 0;
    // Runs at every pump, so a test can script keys inside modal loops.
    std::function<void(FakePlatform&)> onPump;
    int pumps = 0;
    int screenUpdates = 0;
    // Scripted pads: Pads reads these instead of SDL's.
    std::array<PadState, kMaxPads> pads{};

    void press(SDLKey key) { held[key] = 1; }
    void release(SDLKey key) { held[key] = 0; }
    void releaseAll() { held.fill(0); }
    void queueKeyDown(SDLKey key);
    void queueKeyUp(SDLKey key);
    void queueQuit();
    // The window lost the keyboard focus, as SDL reports it.
    void queueFocusLoss();
};

// The keys as the game reads them. Held keys come from the installed
// platform as of the last refresh; installing another platform forgets them
// until the next one, so nothing reads the keys of a fake that is gone.
class Keyboard {
  public:
    // Reads the held keys afresh, and the pads when they are attached.
    void refresh();
    // From now on refresh reads these pads too.
    void attachPads(Pads* pads) { pads_ = pads; }
    // On, the pads work the menus: a pad's d-pad, stick, A and B are held
    // as the arrows, RETURN and ESC, with a key event for each press, so
    // that every screen takes them as it takes keys. Off in a race, where a
    // pad drives a car instead. A pad key held when it comes on acts only
    // after it is let go.
    void setPadsAsKeys(bool on) { padsAsKeys_ = on; }
    bool padsAsKeys() const { return padsAsKeys_; }
    // Non-zero while held; codes outside the key table are never held.
    bool held(std::int32_t key) const;
    // When a race, a dialog or a screen ends: drops the pending events, so
    // that keys pressed in it do not act after it, and keys held now count
    // as used there: a KeyRepeat acts on them again only after a new press.
    void flush();
    // Counts the flushes, for KeyRepeat.
    std::uint32_t flushes() const { return flushes_; }
    // Held at the last flush and ever since.
    bool usedUp(std::int32_t key) const;
    // Once a main-menu frame: takes at most one pending event as the frame's
    // key-down or key-up.
    void takeMenuEvent();

    // Key symbols of the key-down and key-up event taken in the last
    // main-menu frame, 0 when there was none.
    std::int32_t pressed = 0;
    std::int32_t released = 0;

  private:
    const Uint8* current() const;
    void mergePadKeys();
    const Uint8* keys_ = nullptr;
    Pads* pads_ = nullptr;
    bool padsAsKeys_ = true;
    std::array<Uint8, SDLK_LAST> merged_{};
    std::array<bool, kPadMenuKeyCount> padKeysDown_{};
    std::array<bool, kPadMenuKeyCount> padKeysUsed_{};
    std::uint32_t platform_ = 0; // the platform the keys were read from
    std::array<Uint8, SDLK_LAST> heldAtFlush_{};
    std::uint32_t flushes_ = 0;
};

// Turns held keys into actions for a screen that reads the key state: one on
// the press, then, while the key stays down, one every sixth frame once it
// has been held for a quarter of a second. A key held down when input was
// flushed acts again only after a new press.
class KeyRepeat {
  public:
    static constexpr Uint32 kDelay = 250; // milliseconds before the first repeat
    static constexpr std::int32_t kFrames = 6;
    static constexpr Uint32 kStale = 500; // milliseconds without an update

    // screenOpensNow: keys down now (the one that opened the screen) are no
    // press here; held on, they repeat like any held key.
    explicit KeyRepeat(const Keyboard& keyboard, bool screenOpensNow = false);
    // Once a frame, after the keyboard's refresh.
    void update();
    // Pressed since the last frame, or due to repeat.
    bool fired(std::int32_t key) const;
    // Pressed since the last frame only.
    bool pressed(std::int32_t key) const;
    // Keys down now act again only after a new press.
    void ignoreHeld();

  private:
    enum class State : std::uint8_t { Up, Held, Used };
    struct Key {
        State state = State::Up;
        bool fired = false;
        bool pressed = false;
        Uint32 since = 0;
        std::int32_t frames = 0;
    };
    const Keyboard* keyboard_;
    std::array<Key, SDLK_LAST> keys_{};
    std::uint32_t flushes_;
    Uint32 lastUpdate_;
};

// Installs the fake (nullptr goes back to SDL) and forgets any quit request.
void useFakePlatform(FakePlatform* fake);
// The installed fake; none when SDL is read.
FakePlatform* installedFakePlatform();
