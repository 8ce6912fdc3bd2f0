// A race kept as what its drivers did: the track, the cars and the rules it
// was run by, every participant's controls in the order the race took them,
// and a checksum of the race state every 60 frames. A race is deterministic,
// so playing the controls back through a new race of the same track, cars
// and rules gives the same race, and the checksums prove it frame by frame.
// The file layout is in docs/replays.md.
#pragma once

#include "car/controls.hpp"
#include "car/race_rules.hpp"
#include "race/race_checksum.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Goes up with every change to the handling or the race rules that changes
// what a race does with the same controls; a replay of another version is
// refused rather than played wrong.
constexpr std::uint32_t kSimulationVersion = 1;
constexpr std::uint32_t kReplayFormat = 1;
constexpr std::int32_t kChecksumFrames = 60;
// Nine hours of racing; anything longer is damage.
constexpr std::uint32_t kMaxReplayFrames = 2'000'000;
constexpr std::size_t kMaxReplayFile = 64u << 20;

// A participant's controls for a number of its turns in a row: the same
// controls every turn, or two taken by turns (a computer driver holds its
// line by steering left and right in alternate frames).
struct ControlRun {
    std::uint32_t count = 0;
    Controls controls;
    bool alternating = false;
    Controls other; // every second turn of an alternating run
    bool operator==(const ControlRun&) const = default;
    const Controls& at(std::uint32_t turn) const {
        return alternating && turn % 2 ? other : controls;
    }
};

struct ReplayParticipant {
    std::string name;    // the driver's profile name
    std::string carName; // the car type's name
    std::uint64_t carHash = 0;
    std::int32_t type = 0; // Human or Computer: the race warns humans before they are out
    std::vector<ControlRun> runs;
    bool operator==(const ReplayParticipant&) const = default;
};

// What a replay keeps of a RaceChecksum: the whole in 64 bits, and a byte
// of each piece, enough to name the field and driver that went astray.
struct ReplayChecksum {
    std::uint32_t frame = 0; // race steps taken when it was made
    std::uint64_t whole = 0;
    std::array<std::uint8_t, kStateFields> fields{};
    std::vector<std::uint8_t> participants;
    bool operator==(const ReplayChecksum&) const = default;
};
ReplayChecksum replayChecksum(std::uint32_t frame, const RaceChecksum& sum);

struct Replay {
    std::uint32_t simulationVersion = kSimulationVersion;
    std::string trackFile; // in tracks/
    std::uint64_t trackHash = 0;
    RaceRules rules;
    std::vector<ReplayParticipant> participants;
    std::uint32_t frames = 0; // race steps recorded
    std::vector<ReplayChecksum> checksums;
    bool operator==(const Replay&) const = default;
};

std::vector<std::uint8_t> encodeReplay(const Replay& replay);
// False with the reason for anything that is not a whole, consistent replay:
// every count is checked against the bytes left before anything is made.
bool decodeReplay(const std::vector<std::uint8_t>& bytes, Replay& out, std::string& why);

// Appends a participant's controls for one turn, joining equal runs.
void appendControls(std::vector<ControlRun>& runs, const Controls& controls);

// The hashes a replay keeps of the files a race was made from.
std::uint64_t hashBytes(const std::vector<std::uint8_t>& bytes);
