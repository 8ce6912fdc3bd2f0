// The race states, frame by frame: PreRace sets the race up (and in a
// season announces it), StartLights shows READY, STEADY, GO, Racing runs
// the race, RaceOver keeps it running behind the closing messages, and
// RaceResults shows the table of the race that ended.
#include "app/game.hpp"
#include "driver/control_source.hpp"
#include "driver/player.hpp"
#include "frontend/minimap.hpp"
#include "frontend/race_display.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "race/results.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "track/directory.hpp"
#include "track/track.hpp"
#include "ui/menu.hpp"

#include <cstdio>

namespace {
const char* const kStartTexts[] = {"READY...", "STEADY...", "GO!!!"};
constexpr std::uint32_t kBlinkColours[] = {0xFFFFFF00, 0xFFFF0000};

// A human who drives with the key needs it for the car: it cannot pause too.
bool humanDrivesWith(const Race& race, std::int32_t key) {
    for (const auto& p : race.players())
        if (p->isHuman() && p->profile)
            for (std::int32_t control : p->profile->controls)
                if (control == key) return true;
    return false;
}
} // namespace

void Game::abandonRace(const std::string& why) {
    std::printf("%s\n", why.c_str());
    clearRace();
    sound::stopAllSounds();
    keyboard.flush();
    state = MainMenu;
    showDialog(why, false);
}

bool Game::prepareRace() {
    raceReady = true;
    if (!race) return false;
    const std::string& file = settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces];
    std::string why;
    if (!race->prepareRace(file, why)) return false;
    paused = false;
    drawing.skidmarks = options.skidmarks;
    // A race nobody watches needs no drawn track: the largest is 18 MB.
    if (drawRace && !drawing.prepare(*race)) return false;
    for (auto& source : controlSources)
        if (source) source->raceStarts();
    raceSound.prepare(*race);
    keepReplay(); // the season's race before this one
    if (!recorder.begin(*race, file)) std::fprintf(stderr, "The race is not recorded\n");
    if (drawRace)
        prepareGhost(file);
    else
        ghostDriver = -1;
    return true;
}

void Game::preRaceFrame() {
    if (!raceReady) {
        if (!prepareRace()) {
            // Nothing is drawn or driven on a track that cannot be raced.
            return abandonRace("Cannot load map " +
                               settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces]);
        }
        raceOverFrames = 0;
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

void Game::stepRace() {
    keyboard.refresh();
    toggleOnKey(SDLK_m, minimapKeyHeld, showMinimap);
    toggleOnKey(SDLK_g, ghostKeyHeld, showGhost);
    if (drawRace) drawing.eraseCars();
    std::vector<ControlSource*> sources;
    for (auto& source : controlSources)
        sources.push_back(source.get());
    const RaceEvents events = race->step(sources);
    recorder.afterStep(*race);
    followGhost(settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces]);
    if (events.newLapRecord && !race->track()->saveRecord()) lapRecordUnsaved = true;
    // A human's record keeps the race that set it, for HALL OF FAME.
    if (events.newLapRecord) {
        const Player* holder = race->playerAt(race->recordLapPlayer);
        recordReplayDue = holder && holder->isHuman();
    }
    raceSound.afterStep(*race, events);
    if (drawRace) {
        drawing.paintSkidMarks(*race);
        drawing.drawObjects(*race, race->phase() == RacePhase::Over);
        drawing.drawViews(screen);
        drawGhost();
        drawRaceDisplay(screen, fonts.small, *race, drawing, options.showLapRecord);
        if (showMinimap) drawMinimaps(screen, *race, drawing);
        drawWarnings();
    }
    state = std::int32_t(race->phase());
}

void Game::toggleOnKey(std::int32_t key, bool& keyHeld, bool& shown) {
    const bool held = keyboard.held(key);
    const bool pressed = held && !keyHeld;
    keyHeld = held;
    // A driver may steer with the key; then it drives and leaves the switch
    // alone.
    if (pressed && race && !humanDrivesWith(*race, key)) shown = !shown;
}

void Game::drawWarnings() {
    const auto& players = race->players();
    for (std::size_t v = 0; v < drawing.views.size(); ++v) {
        const std::int32_t i = drawing.viewPlayers[v];
        if (i < 0 || std::size_t(i) >= players.size()) continue;
        const Player& p = *players[std::size_t(i)];
        const View& view = *drawing.views[v];
        if (p.warningsShown & OutOfFuelWarning)
            drawCentred(screen, fonts.menu, "OUT OF FUEL!!", 0xFFFFFF00, view.y + view.height / 2);
        if (p.warningsShown & WreckWarning)
            drawCentred(screen, fonts.menu, "WRECK!!", 0xFFFFFF00, view.y + view.height / 2);
    }
}

void Game::pauseRace() {
    if (paused || !race) return;
    paused = true;
    raceSound.pause();
    if (drawRace && screen) {
        if (!pausedFrame) pausedFrame = createSurface(screen->w, screen->h, false);
        copySurface(pausedFrame, screen);
    }
}

void Game::resumeRace() {
    if (!paused) return;
    paused = false;
    // Without the overlay: the next frame draws over what was shown.
    if (drawRace && screen && pausedFrame) copySurface(screen, pausedFrame);
    raceSound.resume();
}

bool Game::racePausedFrame() {
    pauseKeys.update();
    bool pressed = false;
    for (const std::int32_t key : {SDLK_p, SDLK_PAUSE})
        if (pauseKeys.pressed(key) && !humanDrivesWith(*race, key)) pressed = true;
    // A pad's Start does the same, unless a driver here has it for a control.
    bool start = false;
    for (std::uint8_t pad = 0; pad < kMaxPads; ++pad) {
        const PadInput button{PadInput::Button, pad, kPadStartButton, 0};
        bool bound = false;
        for (const auto& player : race->players())
            for (const PadInput& input : player->profile ? player->profile->pad : PadBinding{})
                bound = bound || (player->profile->padBound && input == button);
        start = start || (pads.active(button) && !bound);
    }
    if (start && !padStartHeld) pressed = true;
    padStartHeld = start;
    if (pressed) paused ? resumeRace() : pauseRace();
    if (!paused) return false;
    if (drawRace && screen && pausedFrame) {
        // From the kept frame every time, so that the band does not darken
        // frame after frame.
        copySurface(screen, pausedFrame);
        // An eighth of its light: the race shows through, READY or STEADY
        // under the word no longer reads.
        for (int i = 0; i < 3; ++i)
            darkenRect(screen, 0, screen->h / 2 - 32, screen->w, screen->h / 2 + 32);
        drawCentred(screen, fonts.large, "PAUSED", 0xFFFFFF00, -1);
    }
    return true;
}

void Game::raceFrame() {
    if (!race || !race->track() || (drawRace && !drawing.trackSurface)) return;
    if (racePausedFrame()) return;
    // The lights as they stood when the frame began: the race counts them
    // on after its drivers have moved.
    const bool lightsOn = race->phase() == RacePhase::StartLights;
    const std::int32_t lightStep = race->lightStep();
    stepRace();
    if (options.showFps) {
        if (frameCounter % 10 == 0)
            framesPerSecondValue = averageFrameRate(frameCounter, ticks() - loopStart);
        char text[32];
        std::snprintf(text, sizeof text, "FPS:%.2f", double(framesPerSecondValue));
        drawText(screen, fonts.small, 10, 75, text, 0xFFFFFF00, false);
    }
    if (lightsOn) {
        drawCentred(screen, fonts.large, kStartTexts[std::min(lightStep, 2)], 0xFFFFFF00,
                    screen->h / 2);
    }
}

void Game::raceOverFrame() {
    if (!race || !race->track() || (drawRace && !drawing.trackSurface)) return;
    if (racePausedFrame()) return;
    stepRace();
    bool recordShown = false;
    if (race->newLapRecord) {
        if (Player* p = race->playerAt(race->recordLapPlayer))
            drawCentred(screen, fonts.large, "new lap record by " + p->name,
                        kBlinkColours[blinkIndex], 100);
        blinkIndex ^= 1;
        recordShown = true;
    }
    const auto& players = race->players();
    if (settings->mode == RacingSeason && race->finishedCount > 0) {
        const std::int32_t winner = race->finishOrder[0] - 1;
        if (winner >= 0 && std::size_t(winner) < players.size())
            drawCentred(screen, fonts.large, players[std::size_t(winner)]->name + " WINS!",
                        kBlinkColours[blinkIndex], screen->h / 2 - 60);
        if (!recordShown) blinkIndex ^= 1;
    }
    drawCentred(screen, fonts.large, race->message(), 0xFFFFFF00, -1);
    if (++raceOverFrames > 250) {
        sound::stopAllSounds();
        keepReplay();
        if (lapRecordUnsaved) {
            lapRecordUnsaved = false;
            showDialog("Could not save the lap record.", false);
        }
        mainMenu->page = 0;
        mainMenu->item = 0;
        if (settings->mode == RacingSeason) updateStandings();
        // Free driving has no result to show, and nobody reads the table of
        // a race nobody watches.
        if (settings->mode != FreeDriving && drawRace && !headless) {
            resultsScreen.open(raceResults(*race),
                               settings->trackNames[std::size_t(settings->raceIndex) % kMaxRaces]);
            state = RaceResults;
        } else {
            leaveResults();
        }
    }
}

void Game::resultsFrame() {
    copySurface(screen, titleImage);
    const bool done = resultsScreen.frame();
    if (resultsScreen.watchAsked() && lastReplay.frames > 0) {
        watchReplay(lastReplay);
        return;
    }
    if (!done) return;
    sound::play(sound::kMenuChannel, sound::MenuSelectSample);
    keyboard.flush();
    leaveResults();
}

void Game::leaveResults() {
    if (settings->mode == RacingSeason) {
        state = Standings;
    } else {
        keyboard.flush();
        delay(60);
        state = MainMenu;
    }
}

bool Game::seasonUnderway() const {
    if (!race || !settings || settings->mode != RacingSeason) return false;
    switch (state) {
    case PreRace:
    case StartLights:
    case Racing:
    case RaceOver:
        return true;
    case Standings:
        // The final standings: the season is complete, nothing to lose.
        return settings->raceIndex < settings->raceCount - 1;
    default:
        return false;
    }
}

bool Game::confirmLeavingSeason() {
    // The box is modal: the race does not step while it shows, and its
    // engines and skids are held and go on as they were after Cancel.
    std::vector<int> heard;
    for (int c = 0; c < sound::kChannels; ++c)
        if (sound::isAudible(c)) heard.push_back(c);
    sound::stopAllSounds();
    const bool leave = showDialog("Leave the season? Its results will be lost.", true);
    if (!leave)
        for (int c : heard)
            sound::setPaused(c, false);
    return leave;
}

void Game::updateStandings() {
    if (race) race->updateStandings(settings->raceIndex == settings->raceCount - 1);
}
