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
#include "track_overlay.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

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
