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

CarControls PadControls::held() const {
    CarControls c = keys_.keys();
    const auto on = [this](const PadInput& input) {
        return input.valid() && input.active(pads_(input.pad));
    };
    c.accelerate = c.accelerate || on(binding_[0]);
    c.brake = c.brake || on(binding_[1]);
    c.left = c.left || on(binding_[2]);
    c.right = c.right || on(binding_[3]);
    c.nitro = c.nitro || on(binding_[4]);
    const PadInput& steering = binding_[2].valid() ? binding_[2] : binding_[3];
    if (steering.valid()) {
        c.left = c.left || on(PadInput{PadInput::Hat, steering.pad, 0, SDL_HAT_LEFT});
        c.right = c.right || on(PadInput{PadInput::Hat, steering.pad, 0, SDL_HAT_RIGHT});
    }
    return c;
}

Controls PadControls::controls(const Player&, const Track&, const RaceRules&) {
    return controlsFromKeys(held());
}
