#include "trackbuild_layout.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kT = kTileSide;
constexpr int kGridCars = 8;
constexpr int kMaxWaypoints = 100;
// How close the first pit point must lie to the racing line: drivers turn
// into the pit lane when they pass within 48 pixels of it.
constexpr double kPitEntryReach = 20;
// The point a car is tested at wanders about 15 pixels around its centre.
constexpr double kObstacleClearance = 16;
constexpr double kRoadMargin = 10;
// Cars are points to obstacles and move up to 9.2 pixels a frame (the
// fastest car's top speed with nitro); a thinner obstacle could be jumped.
// Two pixels more for the probe point's rounding and its swing as the car
// turns.
constexpr int kMinObstacleSide = 12;
// How far past the finish line the racing line's first point may lie: the
// cars drive straight at it from the grid.
constexpr double kMaxStartReach = 6 * kT;

struct Vec {
    double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(Vec a, double k) {
    return {a.x * k, a.y * k};
}
double length(Vec a) {
    return std::hypot(a.x, a.y);
}
Vec toVec(LayoutPoint p) {
    return {double(p.x), double(p.y)};
}

double segmentDistance(Vec p, Vec a, Vec b) {
    const Vec ab = b - a;
    const double l2 = ab.x * ab.x + ab.y * ab.y;
    const double t =
        l2 > 0 ? std::clamp(((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / l2, 0.0, 1.0) : 0;
    return length(p - (a + ab * t));
}

double rectDistance(Vec p, const PixelRect& r) {
    const double dx = std::max({double(r.x1) - p.x, 0.0, p.x - double(r.x2)});
    const double dy = std::max({double(r.y1) - p.y, 0.0, p.y - double(r.y2)});
    return std::hypot(dx, dy);
}

// Calls f on points every 2 pixels from a up to (not including) b.
template <typename F> void walk(Vec a, Vec b, F f) {
    const int n = std::max(1, int(std::ceil(length(b - a) / 2)));
    for (int i = 0; i < n; ++i)
        f(a + (b - a) * (double(i) / n));
}

PixelRect cellsToPixels(const SourceRect& r) {
    return {r.x1 * kT, r.y1 * kT, (r.x2 + 1) * kT, (r.y2 + 1) * kT};
}

bool isWide(const SourceRect& r) {
    return r.x2 > r.x1;
}

// The chequered band a finish line paints and tests: half a cell thick,
// across the middle of its cells.
PixelRect finishBand(const SourceRect& r) {
    if (isWide(r)) return {r.x1 * kT, r.y1 * kT + 8, (r.x2 + 1) * kT, r.y1 * kT + 24};
    return {r.x1 * kT + 8, r.y1 * kT, r.x1 * kT + 24, (r.y2 + 1) * kT};
}

// The finish area the map stores. The grid stands behind a wide line with
// room to spare, but the front row of a tall line's grid reaches 8 pixels
// back into the area it is placed from. So a tall line's area runs 16
// pixels past its chequer on the grid's side: the front row then stands
// clear of the painted line, and a lap counts half a car length early.
PixelRect finishArea(const SourceRect& r) {
    PixelRect a = finishBand(r);
    if (!isWide(r)) a.x2 += 16;
    return a;
}

// Where the race puts the cars: from the stored (16 pixels lower) corners of
// the first finish line, pairs 35 pixels apart and rows 60 apart.
std::vector<GridSlot> gridSlots(const PixelRect& band) {
    const int x1 = band.x1, y1 = band.y1 + 16, x2 = band.x2, y2 = band.y2 + 16;
    std::vector<GridSlot> out;
    for (int index = 0; index < kGridCars; ++index) {
        const int number = index + 1;
        const int side = number % 2 ? 0 : -35;
        const int row = index / 2;
        if (x2 - x1 > y2 - y1)
            out.push_back({x1 + 64 + side, y1 - 60 * (row + 1), true});
        else
            out.push_back({x2 + 5 + 60 * row, y1 + 32 + side, false});
    }
    return out;
}

class Checker {
  public:
    Checker(const TrackSource& src, const Scene& scene, const Painter& painter, Layout& out,
            std::string& error)
        : src_(src), scene_(scene), painter_(painter), out_(out), error_(error) {}

    bool fail(int line, const std::string& message) {
        error_ = src_.file + ":" + std::to_string(line) + ": " + message;
        return false;
    }
    void warn(int line, const std::string& message) {
        out_.warnings.push_back(src_.file + ":" + std::to_string(line) + ": warning: " + message);
    }

    bool run() {
        findRoadCells();
        std::vector<LayoutArea> roads, obstacles;
        for (const PixelRect& r : mergeRects(roadCells_, scene_.width, scene_.height))
            roads.push_back({AreaRoad, {r.x1 * kT, r.y1 * kT, r.x2 * kT, r.y2 * kT}});
        findObstacles();
        if (!solidsCovered()) return false;
        for (const PixelRect& r : obstacles_)
            obstacles.push_back({AreaObstacle, r});

        if (src_.finishes.empty()) return fail(src_.mapLine, "no finish line");
        for (const SourceRect& r : src_.finishes)
            if (!across(r, "finish line")) return false;
        if (src_.checkpoints.size() < 3)
            return fail(src_.mapLine, "a lap needs at least 3 checkpoints, there are " +
                                          std::to_string(src_.checkpoints.size()));
        for (const SourceRect& r : src_.checkpoints)
            if (!across(r, "checkpoint")) return false;
        if (!gatesApart()) return false;
        if (src_.pitBoxes.empty()) return fail(src_.mapLine, "no pit box");
        if (src_.refuels.empty()) return fail(src_.mapLine, "no refuel area");
        for (const auto* list : {&src_.pitBoxes, &src_.refuels})
            for (const SourceRect& r : *list)
                for (int y = r.y1; y <= r.y2; ++y)
                    for (int x = r.x1; x <= r.x2; ++x)
                        if (!roadCell(x, y))
                            return fail(r.line, "pit box and refuel area must lie on the road");
        if (!grid()) return false;
        if (!waypoints()) return false;

        out_.areas = roads;
        out_.areas.insert(out_.areas.end(), obstacles.begin(), obstacles.end());
        for (const SourceRect& r : src_.refuels)
            out_.areas.push_back({AreaRefuel, cellsToPixels(r)});
        for (const SourceRect& r : src_.pitBoxes)
            out_.areas.push_back({AreaPitBox, cellsToPixels(r)});
        for (const SourceRect& r : src_.checkpoints)
            out_.areas.push_back({AreaCheckpoint, cellsToPixels(r)});
        for (const SourceRect& r : src_.finishes)
            out_.areas.push_back({AreaFinish, finishArea(r)});
        if (roads.size() > 300) warn(src_.mapLine, std::to_string(roads.size()) + " road areas");
        return true;
    }

  private:
    // Cells the race treats as road: the road's own and those half filled
    // by a rounded inner corner, so everything that looks like road is.
    void findRoadCells() {
        roadCells_.assign(std::size_t(scene_.width) * scene_.height, 0);
        for (int y = 0; y < scene_.height; ++y)
            for (int x = 0; x < scene_.width; ++x) {
                bool road = scene_.at(x, y).ground == Ground::Road;
                if (!road) {
                    int covered = 0;
                    for (int j = 0; j < kT; j += 2)
                        for (int i = 0; i < kT; i += 2)
                            covered += painter_.roadCoverage(x * kT + i, y * kT + j) > 0.5f;
                    road = covered * 4 >= kT * kT * 2 / 5;
                }
                roadCells_[std::size_t(y) * scene_.width + x] = road;
            }
    }

    void findObstacles() { obstacles_ = obstacleRects(scene_, kMinObstacleSide); }

    // Every pixel drawn as something solid must stop a car.
    bool solidsCovered() {
        const int w = scene_.width * kT, h = scene_.height * kT;
        std::vector<std::uint8_t> covered(std::size_t(w) * h, 0);
        for (const PixelRect& r : obstacles_) {
            if (r.x2 - r.x1 < kMinObstacleSide || r.y2 - r.y1 < kMinObstacleSide)
                return fail(src_.mapLine + 1 + std::clamp(r.y1 / kT, 0, scene_.height - 1),
                            "an obstacle at " + fmt({double(r.x1), double(r.y1)}) +
                                " thinner than " + std::to_string(kMinObstacleSide) + " pixels");
            for (int y = std::max(r.y1, 0); y < std::min(r.y2, h); ++y)
                for (int x = std::max(r.x1, 0); x < std::min(r.x2, w); ++x)
                    covered[std::size_t(y) * w + x] = 1;
        }
        std::array<bool, kT * kT> solid;
        for (int cy = 0; cy < scene_.height; ++cy)
            for (int cx = 0; cx < scene_.width; ++cx) {
                if (!solidPixels(scene_, cx, cy, solid)) continue;
                for (int v = 0; v < kT; ++v)
                    for (int u = 0; u < kT; ++u)
                        if (solid[std::size_t(v) * kT + u] &&
                            !covered[std::size_t(cy * kT + v) * w + cx * kT + u])
                            return fail(src_.mapLine + 1 + cy,
                                        "column " + std::to_string(cx + 1) +
                                            ": something solid is drawn outside the obstacles");
            }
        return true;
    }

    bool roadCell(int x, int y) const {
        return x >= 0 && y >= 0 && x < scene_.width && y < scene_.height &&
               roadCells_[std::size_t(y) * scene_.width + x];
    }
    bool onRoad(Vec p) const {
        return p.x >= 0 && p.y >= 0 && roadCell(int(p.x) / kT, int(p.y) / kT);
    }
    bool trueRoad(int x, int y) const {
        return x >= 0 && y >= 0 && x < scene_.width && y < scene_.height &&
               scene_.at(x, y).ground == Ground::Road;
    }

    // A finish line or checkpoint: one cell thick, on road, reaching the
    // road's edge at both ends so no car can pass beside it.
    bool across(const SourceRect& r, const std::string& what) {
        if (r.x1 != r.x2 && r.y1 != r.y2) return fail(r.line, what + " must be one cell thick");
        if (r.x1 == r.x2 && r.y1 == r.y2)
            return fail(r.line, what + " must be at least two cells long");
        for (int y = r.y1; y <= r.y2; ++y)
            for (int x = r.x1; x <= r.x2; ++x)
                if (!trueRoad(x, y)) return fail(r.line, what + " leaves the road");
        const bool wide = isWide(r);
        if ((wide && (trueRoad(r.x1 - 1, r.y1) || trueRoad(r.x2 + 1, r.y1))) ||
            (!wide && (trueRoad(r.x1, r.y1 - 1) || trueRoad(r.x1, r.y2 + 1))))
            return fail(r.line, what + " does not span the road");
        return true;
    }

    bool gatesApart() {
        std::vector<const SourceRect*> gates;
        for (const SourceRect& r : src_.finishes)
            gates.push_back(&r);
        for (const SourceRect& r : src_.checkpoints)
            gates.push_back(&r);
        // Finish lines may stand side by side: the pit lane has its own.
        for (std::size_t i = 0; i < gates.size(); ++i)
            for (std::size_t j =
                     std::max(i + 1, i < src_.finishes.size() ? src_.finishes.size() : 0);
                 j < gates.size(); ++j) {
                const SourceRect &a = *gates[i], &b = *gates[j];
                const int gapX = std::max(a.x1 - b.x2, b.x1 - a.x2) - 1;
                const int gapY = std::max(a.y1 - b.y2, b.y1 - a.y2) - 1;
                if (std::max(gapX, gapY) < 2)
                    return fail(b.line,
                                "too close to the line given at line " + std::to_string(a.line));
            }
        return true;
    }

    bool clearOfObstacles(Vec p) const {
        for (const PixelRect& r : obstacles_)
            if (rectDistance(p, r) < kObstacleClearance) return false;
        return true;
    }

    bool grid() {
        const SourceRect& line = src_.finishes[0];
        const PixelRect band = finishArea(line);
        const int mapW = scene_.width * kT, mapH = scene_.height * kT;
        for (const GridSlot& g : gridSlots(band)) {
            const int hx = g.down ? 7 : 13, hy = g.down ? 13 : 7;
            const PixelRect body{g.x - hx, g.y - hy, g.x + hx, g.y + hy};
            out_.gridCars.push_back(body);
            for (int y = body.y1; y <= body.y2; y += hy)
                for (int x = body.x1; x <= body.x2; x += hx) {
                    const Vec p{double(x), double(y)};
                    if (x < 0 || y < 0 || x >= mapW || y >= mapH || !onRoad(p))
                        return fail(line.line, "the start grid behind this line (cars " +
                                                   std::string(g.down ? "above" : "to the right") +
                                                   ") does not fit on the road");
                }
            for (const PixelRect& o : obstacles_)
                if (o.x1 < body.x2 && body.x1 < o.x2 && o.y1 < body.y2 && body.y1 < o.y2)
                    return fail(line.line, "an obstacle stands on the start grid");
        }
        return true;
    }

    // Which finish lines (all 0) and checkpoints (100..) a path enters, in
    // order: a lap may end on the pit lane's own finish line.
    std::vector<int> gatesEntered(const std::vector<Vec>& path, bool loop) const {
        std::vector<PixelRect> rects;
        std::vector<int> ids;
        for (std::size_t i = 0; i < src_.finishes.size(); ++i) {
            rects.push_back(finishBand(src_.finishes[i]));
            ids.push_back(0);
        }
        for (std::size_t i = 0; i < src_.checkpoints.size(); ++i) {
            rects.push_back(cellsToPixels(src_.checkpoints[i]));
            ids.push_back(100 + int(i));
        }
        std::vector<bool> in(rects.size(), false);
        std::vector<int> seq;
        const std::size_t segments = loop ? path.size() : path.size() - 1;
        // A loop is walked twice so that a line under its first point is
        // seen being entered at the end of the lap; only the second walk counts.
        for (int pass = loop ? 0 : 1; pass < 2; ++pass) {
            auto visit = [&](Vec p) {
                for (std::size_t g = 0; g < rects.size(); ++g) {
                    const bool now = rects[g].contains(p.x, p.y);
                    if (now && !in[g] && pass == 1) seq.push_back(ids[g]);
                    in[g] = now;
                }
            };
            if (!loop) visit(path[0]), seq.clear();
            for (std::size_t i = 0; i < segments; ++i)
                walk(path[i], path[(i + 1) % path.size()], visit);
            if (!loop) visit(path.back());
        }
        return seq;
    }

    bool pathOnRoad(const std::vector<Vec>& path, const std::vector<SourcePoint>& lines, bool loop,
                    const char* what) {
        const std::size_t segments = loop ? path.size() : path.size() - 1;
        for (std::size_t i = 0; i < path.size(); ++i) {
            if (i > 0 && length(path[i] - path[i - 1]) < 8)
                return fail(lines[i].line, std::string(what) + " point repeats the one before");
            if (!onRoad(path[i]))
                return fail(lines[i].line, std::string(what) + " point off the road");
        }
        for (std::size_t i = 0; i < segments; ++i) {
            const std::size_t j = (i + 1) % path.size();
            bool off = false, tight = false, blocked = false;
            walk(path[i], path[j], [&](Vec p) {
                off = off || !onRoad(p);
                blocked = blocked || !clearOfObstacles(p);
                for (Vec d : {Vec{kRoadMargin, 0}, Vec{-kRoadMargin, 0}, Vec{0, kRoadMargin},
                              Vec{0, -kRoadMargin}})
                    tight = tight || !onRoad(p + d);
            });
            const std::string which =
                std::string(what) + " from " + fmt(path[i]) + " to " + fmt(path[j]);
            if (off) return fail(lines[j].line, which + " leaves the road");
            if (blocked) return fail(lines[j].line, which + " passes too close to an obstacle");
            if (tight) warn(lines[j].line, which + " runs close to the road's edge");
        }
        return true;
    }

    static std::string fmt(Vec p) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.4g,%.4g", p.x / kT, p.y / kT);
        return buf;
    }

    // Drivers aim at the first racing point when the lights go green: it
    // must lie ahead of the grid, or every one of them turns round. The
    // line is turned to start at its first point past the main finish line,
    // which it must cross the way the grid faces.
    bool startAhead(std::vector<Vec>& r, std::vector<SourcePoint>& lines) {
        const SourceRect& finish = src_.finishes[0];
        const PixelRect band = finishBand(finish);
        const bool down = isWide(finish);
        const Vec facing = down ? Vec{0, 1} : Vec{-1, 0};
        const Vec middle{(band.x1 + band.x2) / 2.0, (band.y1 + band.y2) / 2.0};
        auto past = [&](Vec p) { return (p - middle).x * facing.x + (p - middle).y * facing.y; };
        auto acrossBand = [&](Vec a, Vec b) {
            const double t = past(a) / (past(a) - past(b));
            const Vec q = a + (b - a) * t;
            return down ? q.x >= band.x1 && q.x <= band.x2 : q.y >= band.y1 && q.y <= band.y2;
        };
        const std::size_t n = r.size();
        std::size_t first = n;
        bool backwards = false;
        for (std::size_t i = 0; i < n; ++i) {
            const Vec a = r[i], b = r[(i + 1) % n];
            if (past(a) <= 0 && past(b) > 0 && acrossBand(a, b)) first = (i + 1) % n;
            if (past(a) > 0 && past(b) <= 0 && acrossBand(a, b)) backwards = true;
        }
        if (first == n || backwards)
            return fail(finish.line, std::string("the racing line must cross this finish line ") +
                                         (down ? "downwards" : "leftwards") +
                                         ", the way the start grid faces");
        const double reach = past(r[first]);
        if (reach > kMaxStartReach)
            return fail(lines[first].line,
                        "the first racing point past the finish line, " + fmt(r[first]) + ", is " +
                            std::to_string(int(reach)) + " pixels beyond it; put one within " +
                            std::to_string(int(kMaxStartReach)));
        const auto shift = std::ptrdiff_t(first);
        std::rotate(r.begin(), r.begin() + shift, r.end());
        std::rotate(lines.begin(), lines.begin() + shift, lines.end());
        std::rotate(out_.race.begin(), out_.race.begin() + shift, out_.race.end());
        return true;
    }

    bool waypoints() {
        std::vector<SourcePoint> race = src_.race;
        const auto& pit = src_.pit;
        if (race.size() < 3) return fail(src_.mapLine, "the racing line needs at least 3 points");
        if (pit.size() < 2) return fail(src_.mapLine, "the pit lane needs at least 2 points");
        if (race.size() + pit.size() > std::size_t(kMaxWaypoints))
            return fail(pit.back().line,
                        "more than " + std::to_string(kMaxWaypoints) + " waypoints");
        auto pixels = [](const std::vector<SourcePoint>& in, std::vector<LayoutPoint>& out) {
            std::vector<Vec> v;
            for (const SourcePoint& p : in) {
                out.push_back({int(std::lround(p.x * kT)), int(std::lround(p.y * kT))});
                v.push_back(toVec(out.back()));
            }
            return v;
        };
        std::vector<Vec> r = pixels(race, out_.race);
        const std::vector<Vec> p = pixels(pit, out_.pit);
        const std::size_t n = r.size();
        if (!pathOnRoad(r, race, true, "racing line")) return false;
        if (!pathOnRoad(p, pit, false, "pit lane")) return false;
        for (std::size_t i = 0; i < n; ++i) {
            const Vec a = r[(i + n - 1) % n], b = r[i], c = r[(i + 1) % n];
            const double ab = length(b - a), bc = length(c - b), ca = length(a - c);
            const double area2 = std::abs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
            const double radius = area2 > 1e-6 ? ab * bc * ca / (2 * area2) : 1e9;
            if (radius < 100)
                warn(race[i].line, "tight turn at " + fmt(b) + " (radius " +
                                       std::to_string(int(radius)) + " pixels)");
            if (ab < 40) warn(race[i].line, "waypoint " + fmt(b) + " close to the one before");
        }

        // Lap order: the main finish line, then each checkpoint once, in order.
        std::vector<int> seq = gatesEntered(r, true);
        std::vector<int> want = {0};
        for (std::size_t i = 0; i < src_.checkpoints.size(); ++i)
            want.push_back(100 + int(i));
        const auto start = std::find(seq.begin(), seq.end(), 0);
        if (start != seq.end()) std::rotate(seq.begin(), start, seq.end());
        if (seq != want) {
            std::string got;
            for (int g : seq)
                got += g >= 100 ? " checkpoint " + std::to_string(g - 99) : " finish";
            return fail(race[0].line, "the racing line does not pass the finish line and then each "
                                      "checkpoint once in order; it passes" +
                                          (got.empty() ? std::string(" nothing") : got));
        }

        if (!startAhead(r, race)) return false;

        // Pit lane: entered from the racing line, through a box, back ahead.
        std::size_t entry = 0;
        double best = 1e18;
        for (std::size_t i = 0; i < n; ++i) {
            const double d = segmentDistance(p[0], r[i], r[(i + 1) % n]);
            if (d < best) best = d, entry = i;
        }
        if (best > kPitEntryReach)
            return fail(pit[0].line, "the first pit point must lie on the racing line (it is " +
                                         std::to_string(int(best)) + " pixels off)");
        std::size_t rejoin = 0;
        best = 1e18;
        for (std::size_t i = 0; i < n; ++i)
            if (length(r[i] - p.back()) < best) best = length(r[i] - p.back()), rejoin = i;
        const std::size_t ahead = (rejoin + n - entry) % n;
        // A driver done with the pit lane (within 50 pixels of its last
        // point) heads for the racing point nearest him: one behind him would
        // turn him round, unless he is close enough to pass it at once.
        bool behind = false;
        const Vec lastLeg = p.back() - p[p.size() - 2];
        const double legLength = std::max(length(lastLeg), 1.0);
        for (double back = 0; back <= std::min(50.0, legLength); back += 5) {
            const Vec car = p.back() - lastLeg * (back / legLength);
            std::size_t near = 0;
            for (std::size_t i = 1; i < n; ++i)
                if (length(r[i] - car) < length(r[near] - car)) near = i;
            // More than 60 degrees off his heading is behind for a car that
            // turns as slowly as ours.
            const Vec to = r[near] - car;
            const double cosine =
                (lastLeg.x * to.x + lastLeg.y * to.y) / (legLength * std::max(length(to), 1.0));
            behind = behind || (cosine < 0.5 && length(to) >= 45);
        }
        if (ahead < 1 || ahead > n / 2 || behind)
            return fail(pit.back().line, "after the last pit point the nearest racing point " +
                                             fmt(r[rejoin]) + " is not ahead of the pit entry");
        bool boxed = false, fuelled = false;
        for (const Vec& q : p)
            for (const SourceRect& b : src_.pitBoxes)
                boxed = boxed || cellsToPixels(b).contains(q.x, q.y);
        for (std::size_t i = 0; i + 1 < p.size(); ++i)
            walk(p[i], p[i + 1], [&](Vec q) {
                for (const SourceRect& f : src_.refuels)
                    fuelled = fuelled || cellsToPixels(f).contains(q.x, q.y);
            });
        if (!boxed) return fail(pit[0].line, "no pit point inside a pit box");
        if (!fuelled) return fail(pit[0].line, "the pit lane misses the refuel area");
        std::vector<Vec> pitPath = p;
        pitPath.push_back(r[rejoin]);
        std::vector<Vec> racePath = {p[0]};
        for (std::size_t k = 1; k <= ahead; ++k)
            racePath.push_back(r[(entry + k) % n]);
        if (gatesEntered(pitPath, false) != gatesEntered(racePath, false))
            return fail(pit[0].line, "the pit lane does not pass the same finish lines and "
                                     "checkpoints as the racing line beside it");
        return true;
    }

    const TrackSource& src_;
    const Scene& scene_;
    const Painter& painter_;
    Layout& out_;
    std::string& error_;
    std::vector<std::uint8_t> roadCells_;
    std::vector<PixelRect> obstacles_;
};

} // namespace

int Layout::count(int kind) const {
    return int(std::count_if(areas.begin(), areas.end(),
                             [&](const LayoutArea& a) { return a.kind == kind; }));
}

namespace {

// The ground most of a cell's neighbours that are not road have: what
// road trimmed away from a bend gives way to.
Ground groundAround(const Scene& scene, const std::vector<std::uint8_t>& trimmed, int cx, int cy) {
    std::array<int, kGroundLevels> count{};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= scene.width || y >= scene.height) continue;
            const SceneCell& c = scene.at(x, y);
            if (c.ground != Ground::Road && !trimmed[std::size_t(y) * scene.width + x])
                ++count[std::size_t(c.ground)];
        }
    const auto most = std::max_element(count.begin(), count.end());
    return *most ? Ground(most - count.begin()) : Ground::Plain;
}

// The cells round a bend follow its ring: a cell the ring covers an eighth
// of becomes road (with kerbs when the bend has them), so the race counts
// what is drawn as road; road drawn roughly round the bend that the ring
// misses becomes the ground around it. A cell mostly outside the bend's
// reach keeps what the map says, which is how a 45-degree run meets a bend.
void fitCellsToCurves(Scene& scene) {
    std::vector<std::uint8_t> trimmed(scene.cells.size(), 0);
    constexpr int kSamples = 8;
    for (int cy = 0; cy < scene.height; ++cy)
        for (int cx = 0; cx < scene.width; ++cx) {
            int owned = 0, road = 0;
            bool kerbs = false;
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i) {
                    const double x = cx * kT + (i + 0.5) * kT / kSamples;
                    const double y = cy * kT + (j + 0.5) * kT / kSamples;
                    const Curve* c = scene.curveAt(x, y);
                    if (!c) continue;
                    ++owned;
                    if (c->road(x, y)) {
                        ++road;
                        kerbs = kerbs || c->kerbs;
                    }
                }
            if (!owned) continue;
            SceneCell& cell = scene.cells[std::size_t(cy) * scene.width + cx];
            if (road * 8 >= kSamples * kSamples) {
                cell.ground = Ground::Road;
                cell.kerb = cell.kerb || kerbs;
            } else if (road == 0 && owned * 2 >= kSamples * kSamples &&
                       cell.ground == Ground::Road) {
                trimmed[std::size_t(cy) * scene.width + cx] = 1;
            }
        }
    // Trimmed cells take their ground from the untrimmed ground beside
    // them, working inwards from the edge of what was drawn as road.
    for (bool left = true; left;) {
        left = false;
        std::vector<std::pair<std::size_t, Ground>> settled;
        for (int cy = 0; cy < scene.height; ++cy)
            for (int cx = 0; cx < scene.width; ++cx) {
                const std::size_t i = std::size_t(cy) * scene.width + cx;
                if (!trimmed[i]) continue;
                const Ground g = groundAround(scene, trimmed, cx, cy);
                bool beside = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int x = cx + dx, y = cy + dy;
                        beside =
                            beside || (x >= 0 && y >= 0 && x < scene.width && y < scene.height &&
                                       scene.at(x, y).ground != Ground::Road &&
                                       !trimmed[std::size_t(y) * scene.width + x]);
                    }
                if (beside) settled.push_back({i, g});
                left = true;
            }
        if (settled.empty()) {
            // Nothing but road round them: plain ground.
            for (std::size_t i = 0; i < trimmed.size(); ++i)
                if (trimmed[i]) settled.push_back({i, Ground::Plain});
        }
        for (const auto& [i, g] : settled) {
            scene.cells[i] = SceneCell{g, scene.cells[i].thing, false};
            trimmed[i] = 0;
        }
        left = left && !settled.empty();
    }
}

} // namespace

Scene makeScene(const TrackSource& source) {
    Scene scene;
    scene.width = source.width;
    scene.height = source.height;
    scene.cells = source.cells;
    scene.theme = source.theme;
    for (const SourceCurve& c : source.curves)
        scene.curves.push_back({c.cx * kT, c.cy * kT, (c.radius - c.width) * kT, c.radius * kT,
                                c.from, c.span, c.kerbs});
    fitCellsToCurves(scene);
    for (const SourceRect& r : source.finishes)
        scene.chequers.push_back(finishBand(r));
    if (!source.finishes.empty()) scene.gridSlots = gridSlots(finishArea(source.finishes[0]));
    for (const SourceRect& r : source.pitBoxes)
        scene.pitBoxes.push_back(cellsToPixels(r));
    for (const SourceRect& r : source.refuels)
        scene.refuels.push_back(cellsToPixels(r));
    for (const SourceRect& r : source.bridges)
        scene.bridges.push_back({r.x1, r.y1, r.x2, r.y2, r.horizontal});
    return scene;
}

bool layOut(const TrackSource& source, const Scene& scene, const Painter& painter, Layout& out,
            std::string& error) {
    out = Layout{};
    return Checker(source, scene, painter, out, error).run();
}
