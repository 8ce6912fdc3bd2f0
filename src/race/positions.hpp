// The running order of a race: who leads, who is second, for the race
// display's "P3/8". Worked out afresh from the race's state each time it is
// asked (laps, the checkpoints passed this lap, and how far along the
// racing line each car has come since the finish line), so it keeps nothing,
// changes nothing, and a headless race never needs it.
#pragma once

#include <cstdint>
#include <vector>

class Race;
class Track;

// The track's racing line as a closed loop measured from its finish line:
// the waypoints of the line in driving order, the distance along the loop
// of each from the finish line, and that of each checkpoint, in driving
// order. Without two racing waypoints the loop is empty and every car is
// at distance 0.
struct LapLine {
    struct Point {
        double x = 0, y = 0;
        double along = 0; // from the finish line, 0..length
        // The way to the next point, and how long it is.
        double dx = 0, dy = 0, segment = 0;
    };
    std::vector<Point> points;
    double length = 0;
    std::vector<double> checkpoints; // sorted
};
// Made once a race: working it out takes longer than ordering the cars.
LapLine makeLapLine(const Track& track);

// How far along the lap a car at (x, y) has come, having passed the given
// number of checkpoints since the finish line: the distance to the line's
// next waypoint taken from that waypoint's own distance. The checkpoints
// tell which stretch of the lap the car is on, so that a nearby stretch
// running the other way is never taken for it; just behind the finish line
// the distance is below 0, and a car that has passed every checkpoint is
// never put back at the start.
double lapDistance(const LapLine& line, double x, double y, std::int32_t checkpointsPassed);

// Each participant's place (1-based), in grid order. Those who have
// finished come first, in the order they finished; the others by laps,
// then checkpoints passed this lap, then distance along the lap; ties keep
// grid order. The line is the race's track's.
std::vector<std::int32_t> racePositions(const Race& race, const LapLine& line);
// The same with the line made for this once.
std::vector<std::int32_t> racePositions(const Race& race);
