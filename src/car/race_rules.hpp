// The rules a race is run by, as one value: the drive mode, the laps, and
// the MISC. SETTINGS flags that change what the cars do. The menu and
// set.dat keep them; a race takes a copy when it starts and reads nothing
// else.
#pragma once

#include <cstdint>

enum DriveMode : std::int32_t { FreeDriving = 0, TimeTrial = 1, RacingSeason = 2 };

constexpr int kMaxRaces = 8;
constexpr int kMaxDrivers = 8;

struct RaceRules {
    std::int32_t mode = FreeDriving;
    std::int32_t laps = 0; // 0 in free driving: no limit
    bool carDamage = true;
    bool fuelConsumption = true;
    bool unlimitedNitro = false;
    bool operator==(const RaceRules&) const = default;
};
