#include "driver/control_source.hpp"

CarControls KeyboardControls::keys() const {
    CarControls c;
    c.accelerate = held_(codes_[0]);
    c.brake = held_(codes_[1]);
    c.left = held_(codes_[2]);
    c.right = held_(codes_[3]);
    c.nitro = held_(codes_[4]);
    return c;
}

Controls KeyboardControls::controls(const Player&, const Track&, const RaceRules&) {
    return controlsFromKeys(keys());
}
