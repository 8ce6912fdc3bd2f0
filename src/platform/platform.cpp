#include "platform/platform.hpp"

#include "platform/display.hpp"

#include <algorithm>
#include <utility>

namespace {
FakePlatform* fake = nullptr;
bool quitSeen = false;
bool fullScreenSwitchAsked = false;
bool focusLost = false;
// Counts the platforms installed, so that a keyboard can tell that the keys
// it read belong to one that is gone.
std::uint32_t platformCount = 1;
// A keyboard that has not read the present platform's keys reads these.
const std::array<Uint8, SDLK_LAST> noKeys{};

// Notes F11 and the focus; false for the events the game's queue must not
// hold.
bool keepEvent(const SDL_Event& event) {
    if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
        event.key.keysym.sym == SDLK_F11) {
        if (event.type == SDL_KEYDOWN) fullScreenSwitchAsked = true;
        return false;
    }
    if (event.type == SDL_ACTIVEEVENT) {
        if (!event.active.gain && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)))
            focusLost = true;
        return false;
    }
    return true;
}

int windowEventFilter(const SDL_Event* event) {
    return event && keepEvent(*event) ? 1 : 0;
}

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

void FakePlatform::queueFocusLoss() {
    SDL_Event e{};
    e.type = SDL_ACTIVEEVENT;
    e.active.type = SDL_ACTIVEEVENT;
    e.active.gain = 0;
    e.active.state = SDL_APPINPUTFOCUS;
    events.push_back(e);
}

void watchWindowEvents() {
    SDL_SetEventFilter(windowEventFilter);
}

bool takeFullScreenSwitch() {
    return std::exchange(fullScreenSwitchAsked, false);
}

bool takeFocusLoss() {
    return std::exchange(focusLost, false);
}

void useFakePlatform(FakePlatform* f) {
    fake = f;
    quitSeen = false;
    fullScreenSwitchAsked = focusLost = false;
    ++platformCount;
}

FakePlatform* installedFakePlatform() {
    return fake;
}

const Uint8* Keyboard::current() const {
    return keys_ && platform_ == platformCount ? keys_ : noKeys.data();
}

void Keyboard::refresh() {
    if (platform_ != platformCount) heldAtFlush_.fill(0);
    platform_ = platformCount;
    if (fake) {
        keys_ = fake->held.data();
    } else {
        const Uint8* state = SDL_GetKeyState(nullptr);
        keys_ = state ? state : noKeys.data();
    }
    if (pads_) {
        pads_->refresh();
        mergePadKeys();
    }
    for (std::size_t code = 0; code < heldAtFlush_.size(); ++code)
        if (!keys_[code]) heldAtFlush_[code] = 0;
}

void Keyboard::mergePadKeys() {
    std::array<bool, kPadMenuKeyCount> held{};
    for (std::int32_t pad = 0; pad < kMaxPads; ++pad) {
        const auto keys = padMenuKeys(pads_->state(pad));
        for (std::size_t k = 0; k < held.size(); ++k)
            held[k] = held[k] || keys[k];
    }
    bool any = false;
    for (std::size_t k = 0; k < held.size(); ++k) {
        // A button that drove a car, or bound a control, is no menu key
        // until it has been let go.
        if (!padsAsKeys_ || !held[k]) padKeysUsed_[k] = held[k];
        const bool down = held[k] && !padKeysUsed_[k];
        if (down != padKeysDown_[k]) {
            SDL_Event e = keyEvent(down ? SDL_KEYDOWN : SDL_KEYUP, kPadMenuKeys[k]);
            if (fake)
                fake->events.push_back(e);
            else
                SDL_PushEvent(&e);
        }
        padKeysDown_[k] = down;
        any = any || down;
    }
    if (!any) return;
    std::copy(keys_, keys_ + SDLK_LAST, merged_.begin());
    for (std::size_t k = 0; k < held.size(); ++k)
        if (padKeysDown_[k]) merged_[kPadMenuKeys[k]] = 1;
    keys_ = merged_.data();
}

bool Keyboard::held(std::int32_t key) const {
    return key >= 0 && key < SDLK_LAST && current()[key];
}

bool Keyboard::usedUp(std::int32_t key) const {
    return key >= 0 && key < SDLK_LAST && platform_ == platformCount && heldAtFlush_[key];
}

void Keyboard::flush() {
    dropPendingEvents();
    refresh();
    std::copy(keys_, keys_ + SDLK_LAST, heldAtFlush_.begin());
    ++flushes_;
}

void Keyboard::takeMenuEvent() {
    pressed = 0;
    released = 0;
    SDL_Event event;
    if (pollEvent(event)) {
        if (event.type == SDL_KEYDOWN) pressed = event.key.keysym.sym;
        if (event.type == SDL_KEYUP) released = event.key.keysym.sym;
    }
}

void pumpEvents() {
    if (!fake) {
        // Peeked, not taken: the main menu still polls it in its turn.
        if (systemQuitPending()) quitSeen = true;
        return;
    }
    ++fake->pumps;
    if (fake->onPump) fake->onPump(*fake);
    // What SDL's event filter does as events come in.
    std::erase_if(fake->events, [](const SDL_Event& event) { return !keepEvent(event); });
    for (const SDL_Event& event : fake->events)
        if (event.type == SDL_QUIT) quitSeen = true;
}

void dropPendingEvents() {
    pumpEvents();
    SDL_Event event;
    while (pollEvent(event)) {
    }
}

bool pollEvent(SDL_Event& event) {
    if (!fake) {
        if (SDL_PollEvent(&event) == 0) return false;
    } else {
        do {
            if (fake->events.empty()) return false;
            event = fake->events.front();
            fake->events.pop_front();
        } while (!keepEvent(event));
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
    Display* display = Display::shown();
    if (display && screen && screen == display->picture())
        display->present();
    else if (screen)
        SDL_UpdateRect(screen, 0, 0, 0, 0);
}

// The menus' repeaters are made before SDL starts: only a screen that opens
// now asks for the time.
KeyRepeat::KeyRepeat(const Keyboard& keyboard, bool screenOpensNow)
    : keyboard_(&keyboard), flushes_(keyboard.flushes()), lastUpdate_(0) {
    if (!screenOpensNow) return;
    const Uint32 now = lastUpdate_ = ticks();
    for (std::size_t code = 0; code < keys_.size(); ++code)
        if (keyboard.held(std::int32_t(code))) keys_[code] = {State::Held, false, false, now, 0};
}

void KeyRepeat::ignoreHeld() {
    for (std::size_t code = 0; code < keys_.size(); ++code) {
        Key& k = keys_[code];
        k.fired = k.pressed = false;
        k.state = keyboard_->held(std::int32_t(code)) ? State::Used : State::Up;
    }
}

void KeyRepeat::update() {
    const Uint32 now = ticks();
    // Not served for a while (a race, a screen of its own in between): what
    // the keys did meanwhile is unknown, so their history starts afresh. A
    // key that acted meanwhile was used up by the flush that ended it.
    if (now - lastUpdate_ > kStale) keys_.fill(Key{});
    lastUpdate_ = now;
    if (flushes_ != keyboard_->flushes()) {
        flushes_ = keyboard_->flushes();
        // A key pressed after the flush is a new press all the same.
        for (std::size_t code = 0; code < keys_.size(); ++code)
            if (keyboard_->usedUp(std::int32_t(code)) && keyboard_->held(std::int32_t(code)))
                keys_[code].state = State::Used;
    }
    for (std::size_t code = 0; code < keys_.size(); ++code) {
        Key& k = keys_[code];
        k.fired = k.pressed = false;
        if (!keyboard_->held(std::int32_t(code))) {
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
