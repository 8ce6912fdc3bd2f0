// Watches a race from outside, frame by frame, and keeps what a tester
// wants to know of each driver: progress along the waypoints (a driver
// making none is stuck), pit stops, frames spent heading away from the
// waypoint it aims at (above all just after GO), and contacts with other
// cars. It only reads the participants; the race runs as it would anyway.
// The headless race runner and the race tests share it.
#pragma once

#include <cstdint>
#include <vector>

class ComputerDriver;
class Race;

struct DriverWatch {
    std::int32_t waypoint = -1;
    std::int32_t sinceProgress = 0; // race frames without a new waypoint
    bool stuck = false;             // sinceProgress once passed the limit
    std::int32_t pitStops = 0;
    std::int32_t lastPitState = 0;
    std::int32_t wrongWayFrames = 0;      // nose more than 90 degrees off
    std::int32_t earlyWrongWayFrames = 0; // the same, in the first seconds after GO
    std::int32_t contacts = 0;            // times another car came to touch it
    std::int32_t reverseFrames = 0;       // frames with reverse gear engaged
    // Frames racing (from the race's start until it finishes or drops out),
    // and of those the frames its car was off the road.
    std::int32_t racingFrames = 0;
    std::int32_t offRoadFrames = 0;
    // Cars it passed: it reached a line (a checkpoint or the finish) ahead
    // of one that had been ahead of it.
    std::int32_t overtakes = 0;
    // Its stage (laps and lines passed) and the frame it reached it.
    std::int32_t stage = 0, stageFrame = 0;
};

class RaceWatch {
  public:
    // The frames after GO in which heading the wrong way means the racing
    // line starts behind the grid: three seconds.
    static constexpr std::int32_t kEarlyFrames = 180;

    // Forgets the last race; the stuck limit is in race frames.
    void start(std::size_t drivers, std::int32_t stuckLimit);
    // One race frame, after it ran. drivers: each participant's computer
    // driver, none for a human (whose waypoint progress is not watched).
    void observe(const Race& race, const std::vector<const ComputerDriver*>& drivers);

    const std::vector<DriverWatch>& drivers() const { return drivers_; }
    // True once any driver passed the stuck limit.
    bool anyStuck() const;
    // Contacts between cars over the race (one per pair and touch).
    std::int32_t contacts() const { return contacts_; }
    // The share of its racing frames a driver spent off the road, 0..1.
    static double offRoadShare(const DriverWatch& w) {
        return w.racingFrames > 0 ? double(w.offRoadFrames) / w.racingFrames : 0.0;
    }

  private:
    std::vector<DriverWatch> drivers_;
    std::vector<std::uint8_t> touching_; // pairs, i * n + j with i < j
    std::int32_t stuckLimit_ = 0;
    std::int32_t framesSinceGo_ = -1; // -1 until the first car moves
    std::int32_t contacts_ = 0;
    std::int32_t frame_ = 0;
};
