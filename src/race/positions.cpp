#include "race/positions.hpp"

#include "car/car.hpp"
#include "driver/player.hpp"
#include "race/race.hpp"
#include "track/track.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How far before a checkpoint's middle a car may already count it (the
// probe meets the area's near edge), or still be short of it, in pixels.
constexpr double kCheckpointSlack = 64.0;

struct Projection {
    double distanceSquared = std::numeric_limits<double>::max();
    double along = 0;
};

// The nearest point to (x, y) of the part of the line's segments lying
// between lo and hi along the lap (which may reach below 0 or beyond the
// length: the loop is looked at one lap back and one ahead as well).
Projection nearestWithin(const LapLine& line, double x, double y, double lo, double hi) {
    Projection best;
    const std::size_t n = line.points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const LapLine::Point& a = line.points[i];
        const double dx = a.dx, dy = a.dy, len = a.segment;
        if (len <= 0) continue;
        const double t = ((x - a.x) * dx + (y - a.y) * dy) / (len * len);
        for (double shift : {-line.length, 0.0, line.length}) {
            const double start = a.along + shift;
            const double from = std::max(lo, start), to = std::min(hi, start + len);
            if (from > to) continue;
            const double tc = std::clamp(t, (from - start) / len, (to - start) / len);
            const double px = a.x + tc * dx - x, py = a.y + tc * dy - y;
            const double d = px * px + py * py;
            if (d < best.distanceSquared) best = {d, start + tc * len};
        }
    }
    return best;
}

} // namespace

LapLine makeLapLine(const Track& track) {
    LapLine line;
    std::int32_t first = -1;
    for (std::int32_t i = 0; i < kWaypoints && first < 0; ++i)
        if (track.waypoints[std::size_t(i)].type == RacingLine) first = i;
    if (first < 0) return line;
    std::vector<bool> seen(kWaypoints, false);
    for (std::int32_t i = first; i >= 0 && i < kWaypoints && !seen[std::size_t(i)] &&
                                 track.waypoints[std::size_t(i)].type == RacingLine;
         i = track.nextWaypoint(i)) {
        seen[std::size_t(i)] = true;
        const Waypoint& w = track.waypoints[std::size_t(i)];
        line.points.push_back({double(w.x), double(w.y), line.length});
        if (line.points.size() > 1) {
            const LapLine::Point& p = line.points[line.points.size() - 2];
            line.length += std::hypot(w.x - p.x, w.y - p.y);
            line.points.back().along = line.length;
        }
    }
    if (line.points.size() < 2) return {};
    line.length += std::hypot(line.points.front().x - line.points.back().x,
                              line.points.front().y - line.points.back().y);
    if (line.length <= 0) return {};
    for (std::size_t i = 0; i < line.points.size(); ++i) {
        LapLine::Point& a = line.points[i];
        const LapLine::Point& b = line.points[(i + 1) % line.points.size()];
        a.dx = b.x - a.x;
        a.dy = b.y - a.y;
        a.segment = std::hypot(a.dx, a.dy);
    }

    // Measured so far from the first waypoint; the lap starts at the
    // finish line, where the race counts it.
    auto centreAlong = [&line](const TrackArea& area) {
        const double cx = (area.x1 + area.x2) / 2.0;
        const double cy = (area.y1 + area.y2) / 2.0 - kAreaTestLift;
        return nearestWithin(line, cx, cy, 0, line.length).along;
    };
    const TrackArea* finish = track.finishLine();
    const double start = finish ? centreAlong(*finish) : 0.0;
    auto fromStart = [&](double along) {
        const double d = std::fmod(along - start + line.length, line.length);
        return d < 0 ? d + line.length : d;
    };
    for (const TrackArea& area : track.areas)
        if (area.kind == Checkpoint) line.checkpoints.push_back(fromStart(centreAlong(area)));
    std::sort(line.checkpoints.begin(), line.checkpoints.end());
    for (LapLine::Point& p : line.points)
        p.along = fromStart(p.along);
    return line;
}

double lapDistance(const LapLine& line, double x, double y, std::int32_t checkpointsPassed) {
    if (line.points.empty()) return 0;
    const double length = line.length;
    const auto& c = line.checkpoints;
    const std::int32_t n = std::int32_t(c.size());
    if (n == 0) return nearestWithin(line, x, y, 0, length).along;
    const std::int32_t k = std::clamp(checkpointsPassed, 0, n);
    // Before the first checkpoint a car may stand behind the finish line
    // (on the grid, or having just crossed it); after the last it may reach
    // over the line before the race counts the lap.
    const double lo =
        k == 0 ? -(length - c[std::size_t(n - 1)]) / 2 : c[std::size_t(k - 1)] - kCheckpointSlack;
    const double hi = k == n ? length + c[0] / 2 : c[std::size_t(k)] + kCheckpointSlack;
    return nearestWithin(line, x, y, lo, hi).along;
}

std::vector<std::int32_t> racePositions(const Race& race) {
    return racePositions(race, race.track() ? makeLapLine(*race.track()) : LapLine{});
}

std::vector<std::int32_t> racePositions(const Race& race, const LapLine& line) {
    const auto& players = race.players();
    const std::size_t count = players.size();
    struct Standing {
        std::int32_t finishPlace = std::numeric_limits<std::int32_t>::max();
        std::int32_t laps = 0, checkpoints = 0;
        double distance = 0;
    };
    std::vector<Standing> standings(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Player& p = *players[i];
        Standing& s = standings[i];
        for (std::size_t place = 0; place < race.finishOrder.size(); ++place)
            if (p.finished && race.finishOrder[place] == p.number)
                s.finishPlace = std::int32_t(place);
        s.laps = p.laps;
        s.checkpoints = p.checkpointsPassed;
        if (p.car) s.distance = lapDistance(line, p.car->posX, p.car->posY, p.checkpointsPassed);
    }
    std::vector<std::int32_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = std::int32_t(i);
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const Standing& x = standings[std::size_t(a)];
        const Standing& y = standings[std::size_t(b)];
        if (x.finishPlace != y.finishPlace) return x.finishPlace < y.finishPlace;
        if (x.laps != y.laps) return x.laps > y.laps;
        if (x.checkpoints != y.checkpoints) return x.checkpoints > y.checkpoints;
        return x.distance > y.distance;
    });
    std::vector<std::int32_t> positions(count);
    for (std::size_t place = 0; place < count; ++place)
        positions[std::size_t(order[place])] = std::int32_t(place + 1);
    return positions;
}
