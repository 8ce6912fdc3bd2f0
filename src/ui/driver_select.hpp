// The driver selection screen: every driver, eight to a page, with type
// and car; up to eight chosen for the next race (at most two human); car
// cycling, statistics, key settings, creation and deletion.
#pragma once

#include <cstdint>

// Cursor column: 0 driver, 1 statistics, 2 controls, 3 car, 4 the selected
// list, 5 "Create Driver...".
extern std::int32_t driverColumn;
extern std::int32_t driverRow;
extern std::int32_t driverPage;
extern std::int32_t humanCount;

void addDriver(std::int32_t position);
void removeDriver(std::int32_t entry);
// Removes the driver at a position from the game's list and its file, and
// renumbers the selection so that every entry names the same driver.
void deleteDriver(std::int32_t position);
