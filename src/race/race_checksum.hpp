// A fingerprint of a race as it stands: every car's handling state and every
// participant's race fields, bit for bit. Two runs of a race that agree on it
// frame after frame raced the same. Kept in pieces, one a field across all
// participants and one a participant across all fields, so that a replay
// that stops agreeing can say which field of which driver went astray.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class Race;

// The fields a checksum covers, in the order of kStateFieldNames.
constexpr std::size_t kStateFields = 30;
extern const char* const kStateFieldNames[kStateFields];

struct RaceChecksum {
    std::array<std::uint32_t, kStateFields> fields{};
    std::vector<std::uint32_t> participants;
    // All of the above in one number.
    std::uint64_t whole() const;
    bool operator==(const RaceChecksum&) const = default;
};

RaceChecksum checksumRace(const Race& race);

// 64-bit FNV-1a, for checksums and file contents.
std::uint64_t fnv1a(const std::uint8_t* data, std::size_t size,
                    std::uint64_t seed = 1469598103934665603ull);
