// Lap records: one .rec file per track in tracks/, named after the map
// without ".map". int32 format value (1), int32 time in frames, then driver,
// car and date as counted strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LapRecord {
    std::int32_t time = 0; // frames
    std::string driver;
    std::string car;
    std::string date;
};

// Strings were read through 80-byte buffers.
constexpr std::int32_t kMaxRecordText = 79;
// The time a race compares against when a track has no record file yet.
constexpr std::int32_t kNoRecordTime = 100000;

bool decodeLapRecord(const std::vector<std::uint8_t>& bytes, LapRecord& out);
std::vector<std::uint8_t> encodeLapRecord(const LapRecord& record);

// "%2d:%2d:%2d" of minutes, seconds and hundredths of a frame count at 60
// frames a second (the hundredths run 0, 1, 3, 4 ... 88).
std::string lapTimeText(std::int32_t frames);

// A map file name up to its first ".map" (all of it when there is none).
std::string trackBaseName(const std::string& mapFileName);

// The record of any track by its map file name, for the lap records screen:
// the fixed record of the game's first release when the file is missing or
// damaged, "N/A" for an empty date.
LapRecord readLapRecord(const std::string& mapFileName);
