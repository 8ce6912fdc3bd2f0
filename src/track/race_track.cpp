#include "track/race_track.hpp"

#include "app/game.hpp"
#include "driver/player.hpp"
#include "gfx/surface.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"
#include "track/view.hpp"

#include <cstdio>
#include <cstdlib>

SDL_Surface* trackSurface = nullptr;
std::int32_t trackPixelWidth = 1600;
std::int32_t trackPixelHeight = 1280;

void Game::loadTrackList() {
    std::vector<std::string> list = listDirectory("tracks/", "*.map");
    if (list.empty()) {
        std::fprintf(stderr, "FATAL ERROR, no tracks in tracks/ -directory!!!\n");
        std::exit(1);
    }
    tracks = std::move(list);
}

bool Game::loadTrack() {
    std::printf("loading track...\n");
    track = std::make_unique<Track>();
    const std::string& fileName =
        settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces];
    if (!track->loadMap(fileName)) {
        std::printf("Cannot load map %s\n", fileName.c_str());
        return false;
    }
    const std::int64_t w = std::int64_t(track->pitchX()) * track->width;
    const std::int64_t h = std::int64_t(track->pitchY()) * track->height;
    if (w < 1 || h < 1 || w > kMaxTrackSide || h > kMaxTrackSide || w * h > kMaxTrackPixels) {
        std::printf("Map %s is too large to draw (%lld x %lld pixels)\n", fileName.c_str(),
                    static_cast<long long>(w), static_cast<long long>(h));
        return false;
    }
    if (!track->finishLine()) {
        std::printf("Map %s has no finish line\n", fileName.c_str());
        return false;
    }
    trackPixelWidth = std::int32_t(w);
    trackPixelHeight = std::int32_t(h);
    layer3Cells = collectCoveringCells(*track, 3);
    layer4Cells = collectCoveringCells(*track, 4);
    std::printf("track loaded.\n");
    for (std::size_t i = 0; i < players.size(); ++i)
        players[i]->placeOnGrid(std::int32_t(i));
    return true;
}

bool Game::prepareRace() {
    track.reset();
    if (trackSurface) SDL_FreeSurface(trackSurface);
    trackSurface = nullptr;
    layer3Cells.clear();
    layer4Cells.clear();
    finishedCount = 0;
    finishOrder.fill(-1);
    raceReady = true;
    fastestLapTime = 10000;
    recordLapTime = 10000;
    newLapRecord = false;
    if (!loadTrack()) {
        track.reset();
        return false;
    }
    SDL_Surface* plain = createSurface(trackPixelWidth, trackPixelHeight, true);
    trackSurface = SDL_DisplayFormatAlpha(plain);
    SDL_FreeSurface(plain);
    if (!trackSurface) {
        std::printf("Cannot make a surface for the track\n");
        track.reset();
        return false;
    }
    for (View* v : {view1, view2})
        if (v && (v == view1 || viewCount == 2)) v->setLimits(trackSurface->w, trackSurface->h);
    track->renderArea(trackSurface, 0, 0, 0, 0, trackPixelWidth / track->pitchX(),
                      trackPixelHeight / track->pitchY());
    for (auto& player : players)
        player->resetForRace();
    // Decided before the first driver update starts any engine, so that in
    // a race with a human the computer drivers' engines never play.
    soundFollowsHumans = false;
    for (auto& player : players)
        if (player->profile && player->profile->type == Human) soundFollowsHumans = true;
    return true;
}
