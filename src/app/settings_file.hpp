// set.dat: what the player set in the main menu and the two selections.
//
// No header and no names: one record per menu item in slot order (label,
// value, value text), then 8 track and 8 driver positions, all little-endian
// int32 with texts as counted strings. A record belongs to whatever item
// holds the same slot, so reader and writer must build the same menu.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class GameMenu;

// Texts longer than this are damage (the game's own are far shorter).
constexpr std::int32_t kMaxSettingsText = 255;

std::vector<std::uint8_t> encodeSettings(const GameMenu& menu,
                                         const std::array<std::int32_t, 8>& tracks,
                                         const std::array<std::int32_t, 8>& players);

// Applies the file to the menu record by record, running the action of text
// and value items so that flags and laps follow. A damaged record and all
// after it are left alone, so their items keep the menu's own values; the
// selections are taken only when both arrays are whole. Returns false when
// anything could not be read.
bool decodeSettings(const std::vector<std::uint8_t>& bytes, GameMenu& menu,
                    std::array<std::int32_t, 8>& tracks, std::array<std::int32_t, 8>& players);

// selection.txt, written beside set.dat whenever it is: the selected tracks
// and drivers by name, so that a driver file removed, left out or added by
// hand does not shift the selection onto other drivers. It also holds the
// positions set.dat was written with; a start takes the names only while
// set.dat still holds those positions (docs/selection.md).
struct SavedSelection {
    std::array<std::int32_t, 8> trackPositions{-1, -1, -1, -1, -1, -1, -1, -1};
    std::array<std::int32_t, 8> driverPositions{-1, -1, -1, -1, -1, -1, -1, -1};
    // In selection order. A list that cannot be written as lines (a name
    // with a line break) is written empty, and then does not count.
    std::vector<std::string> tracks;
    std::vector<std::string> drivers;
};

constexpr const char* kSelectionHeader = "Gravelin selection 1";

std::vector<std::uint8_t> encodeSelection(const SavedSelection& selection);
// False for another header or version, a line it does not know, bad
// positions or more than eight names in a list.
bool decodeSelection(const std::vector<std::uint8_t>& bytes, SavedSelection& out);
