#include "platform/platform.hpp"

#include <algorithm>

Uint8* keys = nullptr;
std::int32_t keyPressed = 0;
std::int32_t keyReleased = 0;

namespace {
FakePlatform* fake = nullptr;
bool quitSeen = false;
std::uint32_t flushCount = 0;
// The keys held at the last flush and ever since: they are used up.
std::array<Uint8, SDLK_LAST> heldAtFlush{};
// Until the first refresh `keys` points here, so reading it is always safe.
std::array<Uint8, SDLK_LAST> noKeys{};

SDL_Event keyEvent(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    return e;
}
} // namespace

void FakePlatform::queueKeyDown(SDLKey key) {
    events.push_back(keyEvent(SDL_KEYDOWN, key));
}
void FakePlatform::queueKeyUp(SDLKey key) {
    events.push_back(keyEvent(SDL_KEYUP, key));
}

void FakePlatform::queueQuit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    events.push_back(e);
}

void useFakePlatform(FakePlatform* f) {
    fake = f;
    keys = noKeys.data();
    quitSeen = false;
    heldAtFlush.fill(0);
}

void refreshKeys() {
    if (fake) {
        keys = fake->held.data();
    } else {
        Uint8* state = SDL_GetKeyState(nullptr);
        keys = state ? state : noKeys.data();
    }
    for (std::size_t code = 0; code < heldAtFlush.size(); ++code)
        if (!keys[code]) heldAtFlush[code] = 0;
}

void pumpEvents() {
    if (!fake) {
        // Peeked, not taken: the main menu still polls it in its turn.
        if (systemQuitPending()) quitSeen = true;
        return;
    }
    ++fake->pumps;
    if (fake->onPump) fake->onPump(*fake);
    for (const SDL_Event& event : fake->events)
        if (event.type == SDL_QUIT) quitSeen = true;
}

void dropPendingEvents() {
    pumpEvents();
    SDL_Event event;
    while (pollEvent(event)) {
    }
}

void flushInput() {
    dropPendingEvents();
    refreshKeys();
    std::copy(keys, keys + SDLK_LAST, heldAtFlush.begin());
    ++flushCount;
}

std::uint32_t inputFlushes() {
    return flushCount;
}

bool pollEvent(SDL_Event& event) {
    if (!fake) {
        if (SDL_PollEvent(&event) == 0) return false;
    } else {
        if (fake->events.empty()) return false;
        event = fake->events.front();
        fake->events.pop_front();
    }
    if (event.type == SDL_QUIT) quitSeen = true;
    return true;
}

bool quitRequested() {
    return quitSeen;
}

bool systemQuitPending() {
    SDL_PumpEvents();
    SDL_Event event;
    return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_QUITMASK) > 0;
}

Uint32 ticks() {
    return fake ? fake->now : SDL_GetTicks();
}

void delay(Uint32 milliseconds) {
    if (fake)
        fake->now += milliseconds;
    else
        SDL_Delay(milliseconds);
}

void updateScreen(SDL_Surface* screen) {
    // Nobody sees a frame of the fake platform, and presenting one on SDL's
    // dummy driver scales it in software to the desktop: about 2 ms each.
    if (fake) {
        ++fake->screenUpdates;
        return;
    }
    if (screen) SDL_UpdateRect(screen, 0, 0, 0, 0);
}

// The menus' repeaters are made before SDL starts: only a screen that opens
// now asks for the time.
KeyRepeat::KeyRepeat(bool screenOpensNow) : flushes_(inputFlushes()), lastUpdate_(0) {
    if (!screenOpensNow) return;
    const Uint32 now = lastUpdate_ = ticks();
    for (std::size_t code = 0; code < keys_.size(); ++code)
        if (keys[code]) keys_[code] = {State::Held, false, false, now, 0};
}

void KeyRepeat::ignoreHeld() {
    for (std::size_t code = 0; code < keys_.size(); ++code) {
        Key& k = keys_[code];
        k.fired = k.pressed = false;
        k.state = keys[code] ? State::Used : State::Up;
    }
}

void KeyRepeat::update() {
    const Uint32 now = ticks();
    // Not served for a while (a race, a screen of its own in between): what
    // the keys did meanwhile is unknown, so their history starts afresh. A
    // key that acted meanwhile was used up by the flush that ended it.
    if (now - lastUpdate_ > kStale) keys_.fill(Key{});
    lastUpdate_ = now;
    if (flushes_ != inputFlushes()) {
        flushes_ = inputFlushes();
        // A key pressed after the flush is a new press all the same.
        for (std::size_t code = 0; code < keys_.size(); ++code)
            if (heldAtFlush[code] && keys[code]) keys_[code].state = State::Used;
    }
    for (std::size_t code = 0; code < keys_.size(); ++code) {
        Key& k = keys_[code];
        k.fired = k.pressed = false;
        if (!keys[code]) {
            k.state = State::Up;
            continue;
        }
        switch (k.state) {
        case State::Up:
            k.state = State::Held;
            k.fired = k.pressed = true;
            k.since = now;
            k.frames = 0;
            break;
        case State::Held:
            if (++k.frames >= kFrames && now - k.since >= kDelay) {
                k.fired = true;
                k.frames = 0;
            }
            break;
        case State::Used:
            break;
        }
    }
}

bool KeyRepeat::fired(std::int32_t key) const {
    return key >= 0 && key < SDLK_LAST && keys_[std::size_t(key)].fired;
}

bool KeyRepeat::pressed(std::int32_t key) const {
    return key >= 0 && key < SDLK_LAST && keys_[std::size_t(key)].pressed;
}
