#include "app/platform.hpp"

Uint8* keys = nullptr;
std::int32_t keyPressed = 0;
std::int32_t keyReleased = 0;

namespace {
FakePlatform* fake = nullptr;
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

void useFakePlatform(FakePlatform* f) {
    fake = f;
    keys = noKeys.data();
}

void refreshKeys() {
    if (fake) {
        keys = fake->held.data();
        return;
    }
    Uint8* state = SDL_GetKeyState(nullptr);
    keys = state ? state : noKeys.data();
}

void pumpEvents() {
    if (!fake) {
        SDL_PumpEvents();
        return;
    }
    ++fake->pumps;
    if (fake->onPump) fake->onPump(*fake);
}

void flushInput() {
    for (int i = 0; i < 100; ++i)
        pumpEvents();
}

bool pollEvent(SDL_Event& event) {
    if (!fake) return SDL_PollEvent(&event) != 0;
    if (fake->events.empty()) return false;
    event = fake->events.front();
    fake->events.pop_front();
    return true;
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
    if (fake) ++fake->screenUpdates;
    if (screen) SDL_UpdateRect(screen, 0, 0, 0, 0);
}
