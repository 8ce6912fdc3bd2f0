// The track selection screen: up to eight tracks, in race order, for the
// next race or season. The same track may stand several times.
#pragma once

#include <cstdint>

// Cursor column (0 available tracks, 1 selected tracks; the driver screen
// uses it with its own columns) and row.
extern std::int32_t selColumn;
extern std::int32_t trackRow;

// The list operations behind RETURN, on the shared selection state.
void addTrack(std::int32_t position);
void removeTrack(std::int32_t entry);
