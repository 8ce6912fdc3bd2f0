#include "car/controls.hpp"

#include "car/car.hpp"

Controls controlsFromKeys(const CarControls& keys) {
    Controls c;
    c.throttle = keys.accelerate ? 1 : 0;
    c.brake = keys.brake ? 0.1f : 0.0f;
    c.right = keys.right;
    c.left = keys.left;
    c.nitro = keys.nitro;
    c.reverse = keys.brake;
    return c;
}

void applyControls(Car& car, const Controls& c) {
    for (std::uint8_t i = 0; i < c.throttle; ++i)
        car.accelerate();
    if (c.brake != 0) car.brake(c.brake);
    if (c.right) car.steer(0.06f);
    if (c.left) car.steer(-0.06f);
    car.nitroOn = c.nitro;
    car.reverseOn = c.reverse;
}
