#include "driver/control_source.hpp"

#include <SDL.h>

CarControls KeyboardControls::keys() const {
    // Key codes come from profile files; one outside SDL's key table is
    // never held.
    const auto held = [this](std::int32_t code) {
        return code >= 0 && code < SDLK_LAST && held_(code);
    };
    CarControls c;
    c.accelerate = held(codes_[0]);
    c.brake = held(codes_[1]);
    c.left = held(codes_[2]);
    c.right = held(codes_[3]);
    c.nitro = held(codes_[4]);
    return c;
}

Controls KeyboardControls::controls(const Player&, const Track&, const RaceRules&) {
    return controlsFromKeys(keys());
}
