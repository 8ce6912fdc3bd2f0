// What a driver asks of a car in one frame. Human keys, the computer driver
// and, later, pads and replays all come down to a Controls value; the race
// applies it to the car and does not care where it came from.
#pragma once

#include <cstdint>

class Car;

// The keys a human holds in one frame.
struct CarControls {
    bool accelerate = false;
    bool brake = false;
    bool left = false; // both turns together cancel out
    bool right = false;
    bool nitro = false;
};

// The controls as the car takes them. The fields act in this order:
// throttle pushes, the brake, a turn right, a turn left; the order matters
// because each clamps what it changes.
struct Controls {
    // Pushes of the throttle: a computer driver pulling away from a
    // standstill pushes twice.
    std::uint8_t throttle = 0;
    float brake = 0; // taken off the acceleration; 0: no braking
    bool right = false;
    bool left = false;
    bool nitro = false;
    // Reverse gear, engaged only at a standstill.
    bool reverse = false;

    bool operator==(const Controls&) const = default;
};

// A human's held keys: BRAKE brakes at 0.1 a frame and, at a standstill,
// engages reverse.
Controls controlsFromKeys(const CarControls& keys);

void applyControls(Car& car, const Controls& controls);
inline void applyKeys(Car& car, const CarControls& keys) {
    applyControls(car, controlsFromKeys(keys));
}
