// The drive options of the coming race or season, the six MISC. SETTINGS
// flags, and the track and driver selections. The menu edits them, set.dat
// keeps them between runs, and the race reads them.
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

extern bool skidmarksOn;
extern bool carDamageOn;
extern bool fuelConsumptionOn;
extern bool unlimitedNitro;
extern bool showFps;
extern bool showLapRecord;

// Positions in the track list and the driver list, used entries packed at
// the front, -1 for a free slot.
extern std::array<std::int32_t, kMaxRaces> selectedTracks;
extern std::int32_t numSelected;
extern std::array<std::int32_t, kMaxDrivers> selectedPlayers;
extern std::int32_t numSelectedPlayers;

// Moves the used entries of a selection to the front, keeping their order,
// and turns anything below -1 into a free slot; returns the used count.
std::int32_t packSelection(std::int32_t* entries, int count);
