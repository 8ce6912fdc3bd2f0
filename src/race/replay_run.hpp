// Recording a race as it runs, and running a recorded one again.
#pragma once

#include "driver/control_source.hpp"
#include "race/race.hpp"
#include "race/replay.hpp"

#include <memory>
#include <string>
#include <vector>

struct CarType;
struct PlayerProfile;

// Keeps the controls the race takes and a checksum every kChecksumFrames
// of its steps. Begin it on a race whose track is prepared; it unhooks
// itself at finish or when begun on another race.
class ReplayRecorder : public ControlLog {
  public:
    ~ReplayRecorder() override;
    // False (and nothing recorded) when the track file cannot be read.
    bool begin(Race& race, const std::string& trackFile);
    // After every step of the race.
    void afterStep(const Race& race);
    void taken(std::size_t participant, const Controls& controls) override;
    bool recording() const { return race_ != nullptr; }
    // The race so far, closed with a checksum of its last frame; the
    // recorder stops.
    Replay finish();

  private:
    Race* race_ = nullptr;
    Replay replay_;
};

// A participant's recorded controls, turn by turn; once they run out the
// driver lets go of everything.
class ReplayControls : public ControlSource {
  public:
    explicit ReplayControls(const std::vector<ControlRun>& runs) : runs_(&runs) {}
    void raceStarts() override { run_ = used_ = 0; }
    Controls controls(const Player&, const Track&, const RaceRules&) override;
    bool exhausted() const { return run_ >= runs_->size(); }

  private:
    const std::vector<ControlRun>* runs_;
    std::size_t run_ = 0;
    std::uint32_t used_ = 0;
};

// A replay made into a race on the track of tracks/ it names, with the
// cars of the list it names, ready to step. The profiles stand in for the
// drivers, who need not be known here.
struct ReplayRace {
    std::unique_ptr<Race> race;
    std::vector<std::unique_ptr<PlayerProfile>> profiles;
    std::vector<std::unique_ptr<ControlSource>> sources;
    std::vector<ControlSource*> sourcePointers() const;
    ReplayRace();
    ~ReplayRace();
    ReplayRace(ReplayRace&&) noexcept;
    ReplayRace& operator=(ReplayRace&&) noexcept;
};

// Refuses, with a clear reason, a replay made by another simulation, of a
// track or car that is missing or not the same file, or whose race cannot
// be set up; never plays one wrong.
bool setUpReplay(const Replay& replay, const std::vector<std::unique_ptr<CarType>>& cars,
                 ReplayRace& out, std::string& why);

// The first difference between a replay's checksum and the race's, as
// "frame 120: speed of Ace differs", empty when they agree.
std::string checksumDifference(const ReplayChecksum& expected, const Race& race);

// Plays the whole replay headless and compares every checksum: false at the
// first difference, which why names with its frame and field.
bool verifyReplay(const Replay& replay, const std::vector<std::unique_ptr<CarType>>& cars,
                  std::string& why);
