// Renders a track the way a race draws it, for track authors: the whole
// drawn track, optionally with the areas the race tests (as it tests them,
// lifted 16 pixels), the start grid and the waypoints drawn over it; or the
// screen of a race with one view or two split-screen views.
//
// usage: gravelin_trackview [--overlay] [--views 1|2] <map file> <out.bmp>
// Run it in the runtime directory (it reads tracks/ and data/ there).
#include "frontend/race_drawing.hpp"
#include "frontend/view.hpp"
#include "gfx/surface.hpp"
#include "race/race.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

void drawOverlay(const Track& track, SDL_Surface* s) {
    // Road first, so that the areas on it stay visible.
    for (int pass = 0; pass < 2; ++pass)
        for (const TrackArea& a : track.areas) {
            if ((a.kind == Road) != (pass == 0)) continue;
            drawBox(s, a.x1, a.y1 - kAreaTestLift, a.x2 - 1, a.y2 - kAreaTestLift - 1,
                    areaColour(a.kind));
        }
    if (const TrackArea* line = track.finishLine())
        for (std::int32_t i = 0; i < 8; ++i) {
            const GridPlace p = gridPlace(*line, i, i + 1);
            const bool down = std::fabs(p.angle - 3.1415926535f) < 0.01f;
            const std::int32_t hw = down ? 7 : 13, hh = down ? 13 : 7;
            drawBox(s, std::int32_t(p.x) - hw, std::int32_t(p.y) - hh, std::int32_t(p.x) + hw,
                    std::int32_t(p.y) + hh, 0xFFFFFF00);
        }
    const Waypoint* previous[2] = {nullptr, nullptr};
    const Waypoint* first = nullptr;
    for (const Waypoint& w : track.waypoints) {
        if (w.type == FreeWaypoint) break;
        const int chain = w.type == PitLane ? 1 : 0;
        const std::uint32_t colour = chain ? 0xFFFF80FF : 0xFF40FF40;
        if (previous[chain]) line(s, previous[chain]->x, previous[chain]->y, w.x, w.y, colour);
        dot(s, w.x, w.y, 3, colour);
        previous[chain] = &w;
        if (!chain && !first) first = &w;
    }
    if (first && previous[0])
        line(s, previous[0]->x, previous[0]->y, first->x, first->y, 0xFF40FF40);
}

int usage() {
    std::fprintf(stderr,
                 "usage: gravelin_trackview [--overlay] [--views 1|2] <map file> <out.bmp>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool overlay = false;
    int views = 0;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        if (std::strcmp(argv[i], "--overlay") == 0)
            overlay = true;
        else if (std::strcmp(argv[i], "--views") == 0 && i + 1 < argc)
            views = std::atoi(argv[++i]);
        else
            return usage();
    }
    if (argc - i != 2 || views < 0 || views > 2) return usage();
    const std::string mapFile = argv[i], out = argv[i + 1];

    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        return 1;
    }
    std::atexit(SDL_Quit);
    SDL_Surface* screen = SDL_SetVideoMode(640, 400, 32, 0);
    if (!screen) {
        std::fprintf(stderr, "Unable to set a video mode: %s\n", SDL_GetError());
        return 1;
    }
    Race race(RaceRules{});
    RaceDrawing drawing;
    std::string why;
    if (!race.prepareRace(mapFile, why) || !drawing.prepare(race)) return 1;
    const Track& track = *race.track();
    SDL_Surface* trackSurface = drawing.trackSurface;

    if (overlay) drawOverlay(track, trackSurface);
    SDL_Surface* picture = trackSurface;
    if (views > 0) {
        // The split screen of two humans: two 640 x 199 views one above the
        // other, following the first two places of the grid.
        SDL_FillRect(screen, nullptr, 0xFF000000);
        const TrackArea* finish = track.finishLine();
        for (int v = 0; v < views; ++v) {
            View view(0, v * 201, 640, views == 2 ? 199 : 400);
            view.setLimits(trackSurface->w, trackSurface->h);
            const GridPlace p = gridPlace(*finish, v, v + 1);
            view.centreOn(std::int32_t(p.x), std::int32_t(p.y));
            view.drawView(screen, trackSurface);
        }
        picture = screen;
    }
    if (SDL_SaveBMP(picture, out.c_str()) != 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", out.c_str(), SDL_GetError());
        return 1;
    }
    std::printf("%s: %d x %d cells, %d x %d pixels, %zu areas\n", mapFile.c_str(), track.width,
                track.height, track.pixelWidth(), track.pixelHeight(), track.areas.size());
    return 0;
}
