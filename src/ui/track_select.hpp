// The track selection screen: up to eight tracks, in race order, for the
// next race or season. The same track may stand several times.
#pragma once

#include <cstdint>

// Cursor column (0 available tracks, 1 selected tracks) and row, and the
// first available track shown when the list is longer than the screen.
extern std::int32_t trackColumn;
extern std::int32_t trackRow;
extern std::int32_t trackTop;

// The list operations behind RETURN, on the shared selection state.
void addTrack(std::int32_t position);
void removeTrack(std::int32_t entry);
