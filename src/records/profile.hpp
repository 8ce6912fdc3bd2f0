// Driver profiles: one .pl file a driver in players/, named after the
// driver. int32 format number (1), type, the name and the car name as
// counted strings, five control keys, an id and five career counters, all
// little-endian; 60 bytes plus the two texts.
#pragma once

#include "platform/pads.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum DriverType : std::int32_t { Human = 0, Computer = 1 };

enum Control : int { ControlAccelerate = 0, ControlBrake, ControlLeft, ControlRight, ControlNitro };

struct PlayerProfile {
    std::int32_t type = Human;
    std::string name;
    std::string carName;
    std::array<std::int32_t, 5> controls{273, 274, 276, 275, 306}; // UP DOWN LEFT RIGHT LEFT CTRL
    std::int32_t id = 0;
    std::int32_t racesDriven = 0;
    std::int32_t racesWon = 0;
    std::int32_t fastestLaps = 0;
    std::int32_t totalLaps = 0;
    std::int32_t championshipsWon = 0;
    // Kept in a file of its own beside the driver's (records/pad_file.hpp);
    // unbound, the driver has the default binding of its pad.
    bool padBound = false;
    PadBinding pad{};
    // Not stored: the file in players/ it was read from or will be saved
    // to, which need not be its name with ".pl".
    std::string fileName;
};

// Names and car names longer than this are damage.
constexpr std::int32_t kMaxProfileText = 255;
// What a player may type as a name.
constexpr std::size_t kMaxDriverName = 15;

bool decodeProfile(const std::vector<std::uint8_t>& bytes, PlayerProfile& out);
std::vector<std::uint8_t> encodeProfile(const PlayerProfile& profile);

// A driver's name becomes a file name in players/: no '/' or '\\', no
// control characters, not empty and not only dots. Anything else would
// leave players/ or be refused by the file system.
bool isSafeProfileName(const std::string& name);
// "players/" + name + ".pl", empty for an unsafe name.
std::string profilePath(const std::string& name);
