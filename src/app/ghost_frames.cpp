// The ghost car of a time trial: the best lap driven on the track so far,
// the human's own since the game started or the lap record's race, shown
// see-through beside the human as its lap clock runs. G shows and hides it.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "car/sprite.hpp"
#include "frontend/view.hpp"
#include "gfx/surface.hpp"
#include "track/track.hpp"

#include <cstdio>

void Game::prepareGhost(const std::string& trackFile) {
    ghost = GhostLap{};
    ghostRecorder = GhostRecorder{};
    ghostAnimation.reset();
    ghostDriver = -1;
    if (!race || race->rules().mode != TimeTrial || drawing.viewPlayers.empty()) return;
    const std::int32_t human = drawing.viewPlayers[0];
    if (human < 0 || !race->playerAt(human) || !race->playerAt(human)->isHuman()) return;
    ghostDriver = human;
    if (const auto own = ghostLaps.find(trackFile); own != ghostLaps.end()) ghost = own->second;
    // The record's own race, when a human set it here.
    std::vector<std::uint8_t> bytes;
    Replay replay;
    std::string why;
    GhostLap recordLap;
    const std::string path = recordReplayPath(trackFile);
    if (readWholeFile(path, bytes, kMaxReplayFile) && decodeReplay(bytes, replay, why) &&
        ghostFromReplay(replay, cars, race->track()->record.driver, recordLap, why)) {
        if (ghost.time == 0 || recordLap.time < ghost.time) ghost = std::move(recordLap);
    } else if (!why.empty()) {
        std::fprintf(stderr, "No ghost from %s: %s\n", path.c_str(), why.c_str());
    }
    if (ghost.time == 0) return;
    for (const auto& type : cars)
        if (type->name == ghost.carName)
            ghostAnimation = buildAnimation(type->picture, type->frameCount);
    if (!ghostAnimation) ghost = GhostLap{};
}

void Game::followGhost(const std::string& trackFile) {
    if (ghostDriver < 0) return;
    const Player* human = race->playerAt(ghostDriver);
    if (!human) return;
    ghostRecorder.observe(*human);
    const GhostLap& best = ghostRecorder.best();
    GhostLap& kept = ghostLaps[trackFile];
    if (best.time > 0 && (kept.time == 0 || best.time < kept.time)) kept = best;
}

void Game::drawGhost() {
    if (!showGhost || ghostDriver < 0 || !ghostAnimation || ghost.time == 0) return;
    const Player* human = race->playerAt(ghostDriver);
    if (!human || human->beforeStart || human->finished) return;
    const GhostPose* pose = ghost.at(human->lapTime);
    if (!pose) return;
    SDL_Surface* frame = ghostAnimation->frameAt(pose->frame);
    if (!frame) return;
    for (std::size_t v = 0; v < drawing.views.size(); ++v) {
        if (drawing.viewPlayers[v] != ghostDriver) continue;
        const View& view = *drawing.views[v];
        const std::int32_t x = view.x + pose->x - view.scrollX;
        const std::int32_t y = view.y + pose->y - view.scrollY;
        // Whole or not at all: half a car would spill into the other view.
        if (x >= view.x && y >= view.y && x + frame->w <= view.x + view.width &&
            y + frame->h <= view.y + view.height)
            ghostBlit(frame, screen, x, y);
    }
}
