// Watching a replay: the recorded race run again from its controls, drawn
// as a race with one view that follows any car the player picks. It runs
// in a race and drawing of its own, so that a season's race and its
// standings wait untouched behind it.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "frontend/minimap.hpp"
#include "frontend/race_display.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "records/profile.hpp"

#include <cstdio>

namespace {
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::size_t kMaxReplayName = 24;

// Letters, digits, '-' and '_': a name that is a file name everywhere.
bool replayNameChar(std::int32_t key) {
    return (key >= 'a' && key <= 'z') || (key >= '0' && key <= '9') || key == '-' || key == '_';
}
} // namespace

bool Game::watchReplay(const Replay& replay) {
    auto run = std::make_unique<ReplayRace>();
    std::string why;
    if (!setUpReplay(replay, cars, *run, why)) {
        showDialog(why, false);
        return false;
    }
    replayDrawing.clear();
    for (const auto& p : run->race->players()) {
        if (!replayDrawing.addSprite(*p->car->type, why)) {
            showDialog("The replay cannot be shown: " + why, false);
            replayDrawing.clear();
            return false;
        }
    }
    replayDrawing.skidmarks = options.skidmarks;
    if (!replayDrawing.prepare(*run->race)) {
        replayDrawing.clear();
        return false;
    }
    watched = replay;
    replayRace = std::move(run);
    // The first human, else the winner, else the first car.
    replayFollowed = 0;
    const auto& players = replayRace->race->players();
    for (std::size_t i = players.size(); i-- > 0;)
        if (players[i]->isHuman()) replayFollowed = std::int32_t(i);
    replayDrawing.makeViews(*replayRace->race, screen->w, screen->h, replayFollowed, -1);
    replayFrames = 0;
    replayReturnState = state;
    replayKeys.ignoreHeld();
    keyboard.flush();
    state = ReplayWatch;
    return true;
}

bool Game::watchReplayFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    Replay replay;
    std::string why;
    if (!readWholeFile(path, bytes, kMaxReplayFile)) {
        why = "cannot be read";
    } else if (decodeReplay(bytes, replay, why)) {
        return watchReplay(replay);
    }
    showDialog("The replay " + path + " is refused: " + why + ".", false);
    return false;
}

void Game::stopWatching() {
    replayRace.reset();
    replayDrawing.clear();
    keyboard.flush();
    state = replayReturnState;
}

void Game::replayWatchFrame() {
    if (!replayRace) {
        state = replayReturnState;
        return;
    }
    Race& race = *replayRace->race;
    replayKeys.update();
    const std::int32_t count = std::int32_t(race.players().size());
    if (replayKeys.fired(SDLK_RIGHT) || replayKeys.fired(SDLK_LEFT)) {
        replayFollowed = (replayFollowed + (replayKeys.fired(SDLK_RIGHT) ? 1 : count - 1)) % count;
        replayDrawing.makeViews(race, screen->w, screen->h, replayFollowed, -1);
    }
    if (replayKeys.pressed(SDLK_ESCAPE)) return stopWatching();
    if (replayKeys.pressed(SDLK_s)) {
        saveWatchedReplay();
        replayKeys.ignoreHeld();
    }
    const bool over = replayFrames >= watched.frames;
    replayDrawing.eraseCars();
    if (!over) {
        race.step(replayRace->sourcePointers());
        ++replayFrames;
    }
    replayDrawing.paintSkidMarks(race);
    replayDrawing.drawObjects(race, race.phase() == RacePhase::Over);
    replayDrawing.drawViews(screen);
    drawRaceDisplay(screen, fonts.small, race, replayDrawing, options.showLapRecord, true);
    if (showMinimap) drawMinimaps(screen, race, replayDrawing);
    const Player& followed = *race.players()[std::size_t(replayFollowed)];
    const std::string title = "REPLAY: " + followed.name + " (" + followed.car->type->name + ")";
    dimRect(screen, 0, screen->h - 44, screen->w, screen->h);
    drawCentred(screen, fonts.medium, over ? "REPLAY OVER: " + followed.name : title, kYellow,
                screen->h - 40);
    drawCentred(screen, fonts.small, "LEFT/RIGHT: other car   S: save   ESC: back", kWhite,
                screen->h - 18);
}

void Game::saveWatchedReplay() {
    std::string name;
    for (;;) {
        delay(20);
        pumpEvents();
        if (quitRequested()) return;
        keyboard.refresh();
        keyboard.takeMenuEvent();
        const std::int32_t key = keyboard.pressed;
        if (key == SDLK_ESCAPE) break;
        if (key == SDLK_RETURN && !name.empty()) {
            const std::string path = "replays/" + name + ".rpl";
            const bool saved = writeFileAtomically(path, encodeReplay(watched));
            showDialog(saved ? "Replay saved as " + path + "." : "Could not save " + path + ".",
                       false);
            break;
        }
        if (key == SDLK_BACKSPACE && !name.empty()) name.pop_back();
        if (replayNameChar(key) && name.size() < kMaxReplayName) name.push_back(char(key));
        dimRect(screen, 120, 160, 520, 240);
        drawCentred(screen, fonts.medium, "Save the replay as:", kYellow, 170);
        drawCentred(screen, fonts.menu, name + "_", kWhite, 200);
        updateScreen(screen);
    }
    keyboard.flush();
}
