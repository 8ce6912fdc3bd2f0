// The four race states, frame by frame: PreRace sets the race up (and in a
// season announces it), StartLights shows READY, STEADY, GO, Racing runs
// the race, RaceOver keeps it running behind the closing messages.
#include "app/game.hpp"
#include "driver/player.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "race/race_text.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "track/directory.hpp"
#include "track/geometry.hpp"
#include "track/race_track.hpp"
#include "track/track.hpp"
#include "track/view.hpp"
#include "ui/menu.hpp"

#include <cstdio>

namespace {
const char* const kStartTexts[] = {"READY...", "STEADY...", "GO!!!"};
constexpr std::uint32_t kBlinkColours[] = {0xFFFFFF00, 0xFFFF0000};
} // namespace

void Game::abandonRace(const std::string& why) {
    std::printf("%s\n", why.c_str());
    clearRace();
    sound::stopAllSounds();
    keyboard.flush();
    state = MainMenu;
    showDialog(why, false);
}

void Game::preRaceFrame() {
    if (!raceReady) {
        if (!prepareRace()) {
            // Nothing is drawn or driven on a track that cannot be raced.
            return abandonRace("Cannot load map " +
                               settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces]);
        }
        startLightStep = startLightFrames = raceOverFrames = 0;
    }
    if (settings->mode == RacingSeason) {
        copySurface(screen, titleImage);
        drawCentred(
            screen, fonts.menu,
            stripExtension(settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces]),
            0x00FFFFFF, screen->h / 2 - 40);
        drawCentred(screen, fonts.menu,
                    "Race " + std::to_string(settings->raceIndex + 1) + " of " +
                        std::to_string(settings->raceCount),
                    0x00FFFFFF, screen->h / 2);
        if (++preRaceFrames > 120) {
            preRaceFrames = 0;
            state = StartLights;
        }
    } else {
        state = StartLights;
    }
}

void Game::drawViews() {
    for (auto& view : views) {
        view->follow();
        view->drawView(screen, trackSurface);
    }
}

void Game::startEngineSounds() {
    soundFollowsHumans = false;
    for (auto& p : players)
        if (p->profile && p->profile->type == Human) {
            sound::setPaused(p->channel, false);
            sound::setPaused(p->channel + 1, false);
            soundFollowsHumans = true;
        }
    if (!soundFollowsHumans && !players.empty()) {
        sound::setPaused(players[0]->channel, false);
        sound::setPaused(players[0]->channel + 1, false);
    }
    sound::setPaused(sound::kCollisionChannel, false);
}

void Game::raceFrame() {
    if (!track || !trackSurface) return;
    updateObjects();
    if (drawRace) {
        restoreCells(*track, layer4Cells, trackSurface);
        drawObjects();
        drawCellCovers(*track, layer4Cells, trackSurface);
        drawViews();
        drawRaceDisplay();
    }
    keyboard.refresh();
    if (state == Racing || startLightStep == 2) runRaceManager();
    if (options.showFps) {
        if (frameCounter % 10 == 0)
            framesPerSecondValue = averageFrameRate(frameCounter, ticks() - loopStart);
        char text[32];
        std::snprintf(text, sizeof text, "FPS:%.2f", double(framesPerSecondValue));
        drawText(screen, fonts.small, 10, 75, text, 0xFFFFFF00, false);
    }
    if (state == StartLights) {
        drawCentred(screen, fonts.large, kStartTexts[std::min(startLightStep, 2)], 0xFFFFFF00,
                    screen->h / 2);
        if (++startLightFrames % 50 == 0 && ++startLightStep == 3) {
            state = Racing;
            startEngineSounds();
        }
    }
}

void Game::raceOverFrame() {
    if (!track || !trackSurface) return;
    updateObjects();
    if (drawRace) {
        restoreCells(*track, layer3Cells, trackSurface);
        drawObjects();
        drawCellShadows(*track, layer3Cells, trackSurface);
        drawViews();
        drawRaceDisplay();
    }
    keyboard.refresh();
    runRaceManager();
    bool recordShown = false;
    if (newLapRecord) {
        if (Player* p = playerAt(recordLapPlayer))
            drawCentred(screen, fonts.large, "new lap record by " + p->name,
                        kBlinkColours[blinkIndex], 100);
        blinkIndex ^= 1;
        recordShown = true;
    }
    if (settings->mode == RacingSeason && finishedCount > 0) {
        const std::int32_t winner = finishOrder[0] - 1;
        if (winner >= 0 && std::size_t(winner) < players.size())
            drawCentred(screen, fonts.large, players[std::size_t(winner)]->name + " WINS!",
                        kBlinkColours[blinkIndex], screen->h / 2 - 60);
        if (!recordShown) blinkIndex ^= 1;
    }
    drawCentred(screen, fonts.large, raceMessage, 0xFFFFFF00, -1);
    if (++raceOverFrames > 250) {
        sound::stopAllSounds();
        if (lapRecordUnsaved) {
            lapRecordUnsaved = false;
            showDialog("Could not save the lap record.", false);
        }
        mainMenu->page = 0;
        mainMenu->item = 0;
        if (settings->mode == RacingSeason) {
            updateStandings();
            state = Standings;
        } else {
            keyboard.flush();
            delay(60);
            state = MainMenu;
        }
    }
}
