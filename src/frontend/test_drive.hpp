// Driving one car on a real track without a window, frame by frame, with
// given controls: for tests, the race tools and benchmarks. It uses the
// race's own set-up and handling and draws each frame as a race frame does.
#pragma once

#include "car/controls.hpp"
#include "frontend/race_drawing.hpp"
#include "race/race.hpp"

#include <cstdint>
#include <memory>
#include <string>

class Car;
struct CarType;

class TestDrive {
  public:
    TestDrive();
    ~TestDrive();
    // Loads the track (a name in tracks/) and puts a car of the type on the
    // grid place given. False with a message when either fails.
    bool start(const std::string& trackFile, const CarType& type, std::int32_t gridIndex = 0,
               const RaceRules& rules = RaceRules{});
    // Applies the controls, then one race frame: erase and move the car,
    // its skid marks, the covered cells, the car, the covers.
    void step(const CarControls& controls);
    Car* car = nullptr; // the race's
    std::unique_ptr<Race> race;
    RaceDrawing drawing;
};
