// The drive options of the coming race or season, the six MISC. SETTINGS
// flags, and the track and driver selections. The menu edits them, set.dat
// keeps them between runs, and a race takes its rules from them.
#pragma once

#include "car/race_rules.hpp"

#include <array>
#include <cstdint>
#include <string>

struct Settings {
    std::array<std::string, kMaxRaces> trackNames; // track file of race i, with ".map"
    std::int32_t mode = FreeDriving;
    std::int32_t lapsPerRace = 0; // 0 in free driving: no limit
    std::int32_t raceIndex = 0;
    std::int32_t raceCount = 1;
    std::int32_t selectedDriverCount = 0;
};

// The MISC. SETTINGS page; the menu's items write them.
struct Options {
    bool skidmarks = true;
    bool carDamage = true;
    bool fuelConsumption = true;
    bool unlimitedNitro = false;
    bool showFps = false;
    bool showLapRecord = false;
};

// Positions in the track list and the driver list, used entries packed at
// the front, -1 for a free slot.
struct Selection {
    std::array<std::int32_t, kMaxRaces> tracks{-1, -1, -1, -1, -1, -1, -1, -1};
    std::int32_t trackCount = 0;
    std::array<std::int32_t, kMaxDrivers> drivers{-1, -1, -1, -1, -1, -1, -1, -1};
    std::int32_t driverCount = 0;

    // Nothing selected.
    void clear() { *this = Selection{}; }
};

// Moves the used entries of a selection to the front, keeping their order,
// and turns anything below -1 into a free slot; returns the used count.
std::int32_t packSelection(std::int32_t* entries, int count);
