// Driving one car on a real track without a window, frame by frame, with
// given controls: for tests, the race tools and benchmarks. It goes through
// the race's own set-up and the same per-frame passes as a race frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Car;
struct Settings;

// What a driver asks of the car in one frame; human keys and the computer
// driver both come down to these calls.
struct CarControls {
    bool accelerate = false;
    bool brake = false;
    bool left = false; // both turns together cancel out
    bool right = false;
    bool nitro = false;
};

// Applies the controls as a human driver's held keys do.
void applyControls(Car& car, const CarControls& controls);

class TestDrive {
  public:
    TestDrive();
    ~TestDrive();
    // Loads the track (a name in tracks/) and puts a car of the named type
    // on the grid place given. False with a message when either fails.
    bool start(const std::string& trackFile, const std::string& carName,
               std::int32_t gridIndex = 0);
    // Applies the controls, then one race frame: erase and move the car,
    // restore the covered cells, draw it, draw the covers.
    void step(const CarControls& controls);
    Car* car = nullptr; // owned by the game's object list

  private:
    std::unique_ptr<Settings> settings_;
};
