// The season table between races: the drivers by points, as the race side
// has counted them, under a title saying how far the season is.
#pragma once

#include "race/race.hpp"
#include "ui/screen_context.hpp"

#include <array>
#include <cstdint>

class StandingsScreen {
  public:
    explicit StandingsScreen(const ScreenContext& context) : context_(context) {}
    // The first count entries of the table (at most eight), after race
    // raceIndex (from 0) of raceCount.
    void drawStandings(const std::array<StandingsEntry, 8>& table, std::int32_t count,
                       std::int32_t raceIndex, std::int32_t raceCount) const;

  private:
    const ScreenContext& context_;
};
