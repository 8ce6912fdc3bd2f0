// A race participant: a driver's profile joined with the car made for this
// race, the lap counters and times, the sound channels of the car, the
// computer driver's state and the race manager's flags and points.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

class Car;
class View;
struct PlayerProfile;
struct TrackArea;

// Adds one to a career counter of a driver's profile. A profile read from a
// file may hold any count; one at the top of int32 stays there rather than
// turn negative and be saved so.
inline void countOne(std::int32_t& counter) {
    if (counter < std::numeric_limits<std::int32_t>::max()) ++counter;
}

enum PitState : std::int32_t { OnTrack = 0, WantsPit = 1, InPitLane = 2, InBox = 3, Leaving = 4 };

class Player {
  public:
    virtual ~Player() = default;

    // Puts the car on the start grid behind the track's first finish line,
    // by grid position (index) and the player's number.
    void placeOnGrid(std::int32_t index);
    // Once per race frame: engine sound, controls from the keys or the
    // computer driver, checkpoints, the finish line, times, skid sound.
    void updateDriver();
    // A lap counts only after exactly as many distinct checkpoint entries
    // as the track has; the first crossing starts the race clock.
    void crossFinishLine();
    // The race fields back to the start of a race (every race of a season).
    void resetForRace();
    // One frame of a computer driver's decisions, through the same car
    // controls a human uses.
    void driveComputer();
    void setName(const std::string& text) { name = text; }

    Car* car = nullptr; // owned by the game's object list
    std::string name;
    std::int32_t number = 0; // 1-based grid order, also what finishOrder holds
    std::int32_t laps = 0;
    std::int32_t lapTime = 0; // frames in the current lap
    std::int32_t bestLap = 0; // 0: none yet
    std::int32_t raceTime = 0;
    std::int32_t keyAccelerate = 0, keyBrake = 0, keyLeft = 0, keyRight = 0, keyNitro = 0;
    bool beforeStart = true;
    std::int32_t checkpointsPassed = 0;
    const TrackArea* lastLine = nullptr;
    bool finished = false;
    std::int32_t channel = 0; // engine; the skid plays on channel + 1
    bool engineStarted = false;
    bool skidStarted = false;
    std::int32_t shownLapTime = 0;
    bool out = false;
    PlayerProfile* profile = nullptr; // not owned
    float lapStartFuel = 0;
    float lapFuelUse = 0; // 0: not measured yet
    std::int32_t points = 0;
    std::int32_t racePoints = 0;
    std::int32_t waypoint = 0;
    float targetAngle = 0;
    std::int32_t pitState = OnTrack;
    View* view = nullptr;
    std::int32_t messageFrames = 0, messageCycles = 0;
    // A computer driver's way out when it is stuck against something: frames
    // spent barely moving, then frames to spend in reverse.
    std::int32_t stuckFrames = 0, reverseFrames = 0;
    std::int32_t wins = 0;
    std::int32_t fastestLaps = 0;
};

// True while a race has a human driver whose engine was started: the
// computer drivers' cars are then silent.
extern bool soundFollowsHumans;
