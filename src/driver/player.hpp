// A race participant: a driver's profile joined with the car made for this
// race, the lap counters and times, and the race manager's flags, warnings
// and points. Where its controls come from (keys, the computer driver, a
// pad, a replay) is not its business: see driver/control_source.hpp.
#pragma once

#include "car/car.hpp"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

struct PlayerProfile;
struct TrackArea;
class Track;

// Adds one to a career counter of a driver's profile. A profile read from a
// file may hold any count; one at the top of int32 stays there rather than
// turn negative and be saved so.
inline void countOne(std::int32_t& counter) {
    if (counter < std::numeric_limits<std::int32_t>::max()) ++counter;
}

// The warnings a human gets before being out of a race, as bits of
// Player::warningsShown.
enum RaceWarning : std::uint8_t { OutOfFuelWarning = 1, WreckWarning = 2 };

class Player {
  public:
    // Puts the car on the start grid behind the track's first finish line,
    // by grid position (index) and the player's number.
    void placeOnGrid(const Track& track, std::int32_t index);
    // A lap counts only after exactly as many distinct checkpoint entries
    // as the track has; the first crossing starts the race clock.
    void crossFinishLine(const Track& track);
    // Counts the lines the car's probe is on: checkpoints, the finish line.
    void passLines(const Track& track);
    // The race fields back to the start of a race (every race of a season).
    void resetForRace();
    bool isHuman() const;
    void setName(const std::string& text) { name = text; }

    std::unique_ptr<Car> car;
    std::string name;
    std::int32_t number = 0; // 1-based grid order, also what finishOrder holds
    std::int32_t laps = 0;
    std::int32_t lapTime = 0; // frames in the current lap
    std::int32_t bestLap = 0; // 0: none yet
    std::int32_t raceTime = 0;
    // raceTime when the driver finished; 0 until then.
    std::int32_t finishTime = 0;
    // Visits to the pit box, counted as the car comes in; inBox: it stood
    // there in the last frame driven.
    std::int32_t pitStops = 0;
    bool inBox = false;
    bool beforeStart = true;
    std::int32_t checkpointsPassed = 0;
    const TrackArea* lastLine = nullptr;
    bool finished = false;
    std::int32_t shownLapTime = 0;
    bool out = false;
    PlayerProfile* profile = nullptr; // not owned
    float lapStartFuel = 0;
    float lapFuelUse = 0; // 0: not measured yet
    std::int32_t points = 0;
    std::int32_t racePoints = 0;
    // A human's warning runs 50 frames shown in every 101, six times;
    // warningsShown tells the front end which to show this frame.
    std::int32_t messageFrames = 0, messageCycles = 0;
    std::uint8_t warningsShown = 0;
    std::int32_t wins = 0;
    std::int32_t fastestLaps = 0;
};
