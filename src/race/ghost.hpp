// Ghost cars: a lap driven before, kept as where the car stood and which
// way it pointed at every frame of it, so that it can be shown again beside
// a driver on the same lap. A ghost is no participant: it never collides
// and never counts in the race.
#pragma once

#include "race/replay.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Player;
struct CarType;

struct GhostPose {
    std::int32_t x = 0, y = 0; // the car frame's drawn corner
    std::int32_t frame = 0;
    bool operator==(const GhostPose&) const = default;
};

struct GhostLap {
    std::string carName;
    std::int32_t time = 0; // frames; 0: no lap
    // By the lap clock: poses[t] is where the car stood when its lap clock
    // read t.
    std::vector<GhostPose> poses;
    // Where the ghost stands at a lap clock reading; none once its lap is
    // over or before it began.
    const GhostPose* at(std::int32_t lapTime) const;
};

// Follows one driver through a race and keeps its fastest whole lap.
class GhostRecorder {
  public:
    // After every race frame.
    void observe(const Player& player);
    const GhostLap& best() const { return best_; }

  private:
    GhostLap current_;
    GhostLap best_;
    std::int32_t laps_ = 0;
};

// The fastest lap of the named driver in a replay, found by playing it
// headless; false with the reason when it cannot be played or the driver
// drove no whole lap.
bool ghostFromReplay(const Replay& replay, const std::vector<std::unique_ptr<CarType>>& cars,
                     const std::string& driver, GhostLap& out, std::string& why);
