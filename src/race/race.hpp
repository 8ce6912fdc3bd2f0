// One race, or the races of one season: the track, the participants with
// their cars, the start lights, the race manager's rule book and the season
// standings. It advances one frame at a time from the controls of every
// participant and draws nothing, plays nothing, reads no clock and no key,
// so the same controls always give the same race: the game, the headless
// race runner and the tests all drive it the same way.
//
// One frame (step): every car moves (the last one first); then, from the
// moment the lights show GO, each participant in grid order takes its
// controls from its source, passes its lines and is judged by the rule
// book; then the lights count on. What happened that the front end must
// show or sound comes back as RaceEvents; the rest it reads from the state.
#pragma once

#include "car/controls.hpp"
#include "car/race_rules.hpp"
#include "driver/player.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class ControlSource;
class Track;
struct CarType;
struct PlayerProfile;

// Told every control a participant takes, in the order the race takes
// them: a replay records them.
class ControlLog {
  public:
    virtual ~ControlLog() = default;
    virtual void taken(std::size_t participant, const Controls& controls) = 0;
};

// The phases of a race, numbered as the game's states that show them.
enum class RacePhase : std::int32_t { StartLights = 2, Racing = 3, Over = 4 };

struct StandingsEntry {
    std::string name;
    std::int32_t points = 0;
};

struct RaceEvents {
    bool driversMoved = false; // the participants took controls this frame
    bool go = false;           // the lights went out: the race is on
    bool over = false;         // every driver has finished or is out
    bool newLapRecord = false; // the track's record changed; it wants saving
    bool crash = false;        // some car ran into an obstacle
};

class Race {
  public:
    explicit Race(const RaceRules& rules);
    ~Race();
    Race(const Race&) = delete;
    Race& operator=(const Race&) = delete;

    // A participant for every race to come, numbered in the order added,
    // with a car of the type (not owned; it must outlive the race). The
    // profile (not owned) may be none: the driver counts as a computer.
    // False with the reason when the car cannot be made from its picture.
    bool addParticipant(PlayerProfile* profile, const CarType& type, std::string& why);
    // A car of the type for this race's rules, its frames measured from its
    // picture; none (with the reason) when its geometry does not fit them.
    std::unique_ptr<Car> createCar(const CarType& type, std::string& why) const;
    // Resets the rule book and the lights, loads the track and puts the
    // participants on its grid with their race fields reset. False, with
    // the reason, when the map cannot be raced; nothing may then be driven
    // on it.
    bool prepareRace(const std::string& trackFile, std::string& why);
    // Throws the last track away and loads this one from tracks/ with the
    // checks a race needs (a drawn size within bounds, a finish line), then
    // sets the cars on it.
    bool loadTrack(const std::string& trackFile, std::string& why);

    // One frame. sources holds one per participant, in grid order; a null
    // one leaves its car's controls as they were.
    RaceEvents step(std::span<ControlSource* const> sources);
    // Only the cars' handling, for one frame: the first half of step.
    void updateObjects();
    // One participant's part of a frame once the cars have moved: its
    // controls (only braking for a driver finished, out of fuel or
    // wrecked), the lines its car is on, its clocks.
    void updateDriver(std::size_t index, ControlSource* source);

    // The season table from the participants' points, each fastest lap
    // worth a point; on the last race the leader's profile is credited with
    // the championship.
    void updateStandings(bool lastRace);

    // None by default; not owned.
    void logControls(ControlLog* log) { log_ = log; }

    const RaceRules& rules() const { return rules_; }
    Track* track() const { return track_.get(); }
    const std::vector<std::unique_ptr<Player>>& players() const { return players_; }
    // The participant by index (0-based), the first for any index below 1;
    // none past the last.
    Player* playerAt(std::int32_t index) const;

    RacePhase phase() const { return phase_; }
    // 0 READY, 1 STEADY, 2 GO (the drivers go), 3 the lights are out.
    std::int32_t lightStep() const { return lightStep_; }
    // "Race Over!" or a human's closing warning; empty while racing.
    const std::string& message() const { return message_; }

    // The rule book's results.
    std::array<std::int32_t, 8> finishOrder{-1, -1, -1, -1, -1, -1, -1, -1};
    std::int32_t finishedCount = 0;
    std::int32_t fastestLapPlayer = -1;
    std::int32_t fastestLapTime = 10000;
    std::int32_t recordLapPlayer = 0;
    std::int32_t recordLapTime = 10000;
    bool newLapRecord = false;
    std::array<StandingsEntry, 8> standings;

  private:
    void runRaceManager(std::span<ControlSource* const> sources, RaceEvents& events);
    // updateDriver on a track already indexed this frame.
    void driveOne(std::size_t index, ControlSource* source);
    void judge(Player& p, std::size_t index);
    void endRace(RaceEvents& events);

    RaceRules rules_;
    ControlLog* log_ = nullptr;
    std::unique_ptr<Track> track_;
    std::vector<std::unique_ptr<Player>> players_;
    RacePhase phase_ = RacePhase::StartLights;
    std::int32_t lightStep_ = 0;
    std::int32_t lightFrames_ = 0;
    std::string message_;
};
