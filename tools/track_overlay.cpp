#include "track_overlay.hpp"

#include "gfx/surface.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

std::uint32_t areaColour(std::int16_t kind) {
    switch (kind) {
    case Road:
        return 0xFF808080;
    case FinishLine:
        return 0xFFFFFFFF;
    case Checkpoint:
        return 0xFF00FFFF;
    case Obstacle:
        return 0xFFFF2020;
    case PitBox:
        return 0xFFFF00FF;
    case Refuel:
        return 0xFFFFA000;
    default:
        return 0xFF8000FF;
    }
}

void dot(SDL_Surface* s, std::int32_t x, std::int32_t y, std::int32_t r, std::uint32_t colour) {
    fillBox(s, x - r, y - r, x + r + 1, y + r + 1, colour);
}

void line(SDL_Surface* s, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
          std::uint32_t colour) {
    const std::int32_t steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (std::int32_t i = 0; i <= steps; ++i) {
        const double t = steps ? double(i) / steps : 0.0;
        dot(s, std::int32_t(std::lround(x1 + (x2 - x1) * t)),
            std::int32_t(std::lround(y1 + (y2 - y1) * t)), 0, colour);
    }
}

} // namespace

void drawOverlay(const Track& track, SDL_Surface* s, double scale) {
    const auto at = [scale](double v) { return std::int32_t(std::lround(v * scale)); };
    // Road first, so that the areas on it stay visible.
    for (int pass = 0; pass < 2; ++pass)
        for (const TrackArea& a : track.areas) {
            if ((a.kind == Road) != (pass == 0)) continue;
            drawBox(s, at(a.x1), at(a.y1 - kAreaTestLift), at(a.x2 - 1),
                    at(a.y2 - kAreaTestLift - 1), areaColour(a.kind));
        }
    if (const TrackArea* line = track.finishLine())
        for (std::int32_t i = 0; i < 8; ++i) {
            const GridPlace p = gridPlace(*line, i, i + 1);
            const bool down = std::fabs(p.angle - 3.1415926535f) < 0.01f;
            const std::int32_t hw = down ? 7 : 13, hh = down ? 13 : 7;
            drawBox(s, at(p.x - hw), at(p.y - hh), at(p.x + hw), at(p.y + hh), 0xFFFFFF00);
        }
    const Waypoint* previous[2] = {nullptr, nullptr};
    const Waypoint* first = nullptr;
    const std::int32_t r = std::max(1, at(3));
    for (const Waypoint& w : track.waypoints) {
        if (w.type == FreeWaypoint) break;
        const int chain = w.type == PitLane ? 1 : 0;
        const std::uint32_t colour = chain ? 0xFFFF80FF : 0xFF40FF40;
        if (previous[chain])
            line(s, at(previous[chain]->x), at(previous[chain]->y), at(w.x), at(w.y), colour);
        dot(s, at(w.x), at(w.y), r, colour);
        previous[chain] = &w;
        if (!chain && !first) first = &w;
    }
    if (first && previous[0])
        line(s, at(previous[0]->x), at(previous[0]->y), at(first->x), at(first->y), 0xFF40FF40);
}
