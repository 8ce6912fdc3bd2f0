// The table of a race that has ended: every participant in the order the
// race placed them, with the counters the race itself kept (best lap, time
// from the start crossing to the finish, pit stops), and which best lap was
// the race's fastest or a new lap record. The front end shows it after the
// race; nothing here reads anything but the race.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Race;

struct ResultRow {
    std::int32_t participant = 0; // in grid order, from 0
    std::string driver;
    std::string car;
    std::int32_t bestLap = 0;   // frames; 0 without a whole lap
    std::int32_t totalTime = 0; // frames; 0 for a driver who did not finish
    std::int32_t laps = 0;
    std::int32_t pitStops = 0;
    bool finished = false;
    bool out = false;
    bool fastestLap = false; // the race's fastest lap
    bool lapRecord = false;  // a new record for the track
};

// Finishers in the order they finished, then the others by laps and lines
// passed, equals in grid order.
std::vector<ResultRow> raceResults(const Race& race);
