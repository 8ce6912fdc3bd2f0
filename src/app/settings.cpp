#include "app/settings.hpp"

bool skidmarksOn = true;
bool carDamageOn = true;
bool fuelConsumptionOn = true;
bool unlimitedNitro = false;
bool showFps = false;
bool showLapRecord = false;

std::array<std::int32_t, kMaxRaces> selectedTracks = {-1, -1, -1, -1, -1, -1, -1, -1};
std::int32_t numSelected = 0;
std::array<std::int32_t, kMaxDrivers> selectedPlayers = {-1, -1, -1, -1, -1, -1, -1, -1};
std::int32_t numSelectedPlayers = 0;

std::int32_t packSelection(std::int32_t* entries, int count) {
    std::int32_t used = 0;
    for (int i = 0; i < count; ++i)
        if (entries[i] >= 0) entries[used++] = entries[i];
    for (int i = used; i < count; ++i)
        entries[i] = -1;
    return used;
}
