#include "track/track.hpp"

#include <cmath>

std::int32_t Track::firstPitWaypoint() const {
    for (std::int32_t i = 0; i < kWaypoints; ++i)
        if (waypoints[std::size_t(i)].type == PitLane) return i;
    return -1;
}

std::int32_t Track::nextWaypoint(std::int32_t i) const {
    if (i < 0 || i >= kWaypoints) return 0;
    const std::int32_t kind = waypoints[std::size_t(i)].type;
    for (std::int32_t j = i + 1; j < kWaypoints; ++j) {
        const std::int32_t type = waypoints[std::size_t(j)].type;
        if (type == kind) return j;
        if (type == FreeWaypoint) break;
    }
    // The end of the table: the racing line loops, the pit lane rejoins.
    if (kind == RacingLine) return 0;
    const std::int32_t nearest = nearestRacingWaypoint(i);
    return nearest == -1 ? i : nearest;
}

std::int32_t Track::nearestRacingWaypoint(std::int32_t i) const {
    if (i < 0 || i >= kWaypoints) return -1;
    const Waypoint& from = waypoints[std::size_t(i)];
    std::int32_t best = -1;
    double bestDistance = 10000.0;
    for (std::int32_t j = 0; j < kWaypoints; ++j) {
        const Waypoint& w = waypoints[std::size_t(j)];
        if (j == i || w.type != RacingLine) continue;
        // In 64 bits: a map's checks keep points near the track, but a track
        // built in memory has no such guard.
        const double d =
            std::hypot(double(std::int64_t(w.x) - from.x), double(std::int64_t(w.y) - from.y));
        if (d < bestDistance) {
            bestDistance = d;
            best = j;
        }
    }
    return best;
}
