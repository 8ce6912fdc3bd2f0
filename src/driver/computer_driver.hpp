// The computer driver: aims at the current waypoint, steers its direction
// of travel towards it, picks throttle, nitro and brake from the angle still
// to turn and its speed, and plans one pit stop when the fuel will not last
// another lap. It drives through the same controls a human has and gets no
// other help; what it keeps between frames is its own.
#pragma once

#include "driver/control_source.hpp"

#include <cstdint>

enum PitState : std::int32_t { OnTrack = 0, WantsPit = 1, InPitLane = 2, InBox = 3, Leaving = 4 };

class ComputerDriver : public ControlSource {
  public:
    void raceStarts() override;
    Controls controls(const Player& self, const Track& track, const RaceRules& rules) override {
        return driveComputer(self, track, rules);
    }
    // One frame of decisions for the participant's car.
    Controls driveComputer(const Player& self, const Track& track, const RaceRules& rules);

    std::int32_t waypoint = 0; // the one aimed at
    float targetAngle = 0;
    std::int32_t pitState = OnTrack;
    // The way out when stuck against something: frames spent barely
    // moving, then frames to spend in reverse.
    std::int32_t stuckFrames = 0, reverseFrames = 0;
};
