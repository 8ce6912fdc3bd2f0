#include "app/game.hpp"

#include "base/bytes.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "gfx/font.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"
#include "ui/menu.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr Uint32 kFrameMilliseconds = 16;
} // namespace

Game::Game()
    : context{nullptr, nullptr, fonts, keyboard, settingsRecord, selection, nullptr},
      messageBox(context), roster{profiles, cars, nullptr, nullptr},
      keySettings(context, profiles, pads), driverCreation(context, roster),
      driverSelection(context, roster, keySettings, driverCreation),
      trackSelection(context, tracks), lapRecords(context, tracks), standingsScreen(context),
      resultsScreen(context), menuKeys(keyboard) {
    keyboard.attachPads(&pads);
    context.message = [this](const std::string& message, bool withCancel) {
        return showDialog(message, withCancel);
    };
    roster.create = [this](const std::string& name, std::int32_t type) {
        createProfile(name, type);
    };
    roster.filePath = [this](const PlayerProfile& profile) { return profileFilePath(profile); };
    lapRecords.replayPath = recordReplayPath;
}
Game::~Game() = default;

Game* Game::instance() {
    static Game* game = new Game();
    return game;
}

void Game::init(int, char**) {
    selection.tracks.fill(-1);
    selection.drivers.fill(-1);
    if (initialised) return;
    initialised = true;

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    std::atexit(SDL_Quit);
    std::string why;
    if (!display.open(displayOptions, why)) {
        std::fprintf(stderr, "Unable to set selected videomode: %s\n", why.c_str());
        std::exit(1);
    }
    screen = display.picture();
    context.screen = screen;
    SDL_WM_SetCaption("Gravelin", "Gravelin");
    std::printf("Display Info:\n");
    std::printf("Width:%d, Height:%d,depth:%d\n\n", screen->w, screen->h,
                screen->format->BitsPerPixel);

    if (!sound::init(44100, sound::kChannels))
        std::printf("\nFATAL ERROR: CANNOT INITIALISE AUDIO!!\n");
    pads.open();

    SDL_Surface* loaded = loadCheckedBmp("data/title.bmp");
    if (!loaded) {
        std::fprintf(stderr, "FATAL ERROR:cannot load title.bmp!\n");
        std::exit(1);
    }
    titleImage = SDL_DisplayFormatAlpha(loaded);
    SDL_FreeSurface(loaded);
    if (!titleImage) {
        std::fprintf(stderr, "FATAL ERROR:cannot load title.bmp!\n");
        std::exit(1);
    }
    context.background = titleImage;
}

void Game::run() {
    startUp();
    if (!quit) {
        do {
            runFrame();
        } while (!quit);
    }
    shutDown();
}

void Game::startUp() {
    // A caller that brings its own drivers keeps the game out of players/.
    bool driversCanBeSaved = true;
    if (profiles.empty()) {
        clearLeftoverSaves();
        driversCanBeSaved = preparePlayersDirectory();
        loadProfiles();
    }
    driverCount = 1;
    if (!fontsLoaded) {
        // Every screen is text: without a whole font there is no game to
        // show, only blank menus.
        std::string missing;
        if (!fonts.load(missing)) {
            std::fprintf(stderr, "FATAL ERROR: cannot load font %s!\n", missing.c_str());
            std::exit(1);
        }
        fontsLoaded = true;
    }
    SDL_ShowCursor(0);

    settings = &settingsRecord;
    settings->raceIndex = 0;
    settings->raceCount = 1;
    buildMainMenu();
    sound::loadGameSamples();
    loadCarList();
    loadTrackList();
    keyboard.refresh();
    readSettings();
    if (!driversCanBeSaved) showDialog("Drivers can't be saved in players/.", false);

    loopStart = ticks();
    state = MainMenu;
    blinkIndex = raceOverFrames = 0;
    framesPerSecondValue = 0;
}

void Game::runFrame() {
    const Uint32 frameStart = ticks();
    // Asked every frame, so that a loss in the menus is not taken for one
    // in the next race.
    const bool inRace = state == StartLights || state == Racing || state == RaceOver;
    if (takeFocusLoss() && inRace) pauseRace();
    // In a race the pads drive cars; otherwise, and while paused, they work
    // the menus, and pads plugged in meanwhile are found.
    keyboard.setPadsAsKeys(!inRace || paused);
    if (!inRace && state != PreRace) pads.rescanWhenDue();
    switch (state) {
    case MainMenu:
        mainMenuFrame();
        break;
    case PreRace:
        preRaceFrame();
        break;
    case StartLights:
    case Racing:
        raceFrame();
        break;
    case RaceOver:
        raceOverFrame();
        break;
    case Standings:
        standingsFrame();
        break;
    case RaceResults:
        resultsFrame();
        break;
    case ReplayWatch:
        replayWatchFrame();
        break;
    default:
        break;
    }

    pumpEvents();
    keyboard.refresh();
    // A window close, Ctrl+C or SIGTERM, in whatever state or screen it came:
    // the loop ends as after the QUIT item, and run saves the same way.
    if (quitRequested()) quit = true;
    // The results table answers ESC itself; and an ESC still held from a
    // screen or box that took it asks nothing again.
    const bool escape = keyboard.held(SDLK_ESCAPE) && state != RaceResults &&
                        state != ReplayWatch &&
                        !(state != MainMenu && keyboard.usedUp(SDLK_ESCAPE));
    if (escape && seasonUnderway() && !confirmLeavingSeason()) {
        // Back to the race as it stood.
        keyboard.flush();
    } else if (escape) {
        if (state != MainMenu) saveProfiles();
        sound::stopAllSounds();
        // In the menu this ESC is still to be served: it closes a screen or
        // goes back a page in the next frame.
        if (state == MainMenu)
            dropPendingEvents();
        else
            keyboard.flush();
        state = MainMenu;
        delay(10);
    }
    updateScreen(screen);

    const Uint32 elapsed = ticks() - frameStart;
    if (elapsed < kFrameMilliseconds) delay(kFrameMilliseconds - elapsed);
    ++frameCounter;
}

void Game::shutDown() {
    if (!writeSettings()) showDialog("Could not save the settings.", false);
    saveProfiles();
}

void Game::clearLeftoverSaves() {
    const std::pair<const char*, const char*> saved[] = {{".", "set.dat"},
                                                         {".", "selection.txt"},
                                                         {"players", "*.pl"},
                                                         {"players", "*.pad"},
                                                         {"tracks", "*.rec"}};
    for (const auto& [directory, pattern] : saved)
        for (const std::string& path : ::removeLeftoverTemporaries(directory, pattern))
            std::printf("Removed %s, left by a save that did not finish\n", path.c_str());
}

bool Game::preparePlayersDirectory() {
    struct stat info;
    if (::stat("players", &info) != 0) {
        if (errno == ENOENT && ::mkdir("players", 0777) == 0) return true;
        std::fprintf(stderr, "Cannot make the directory players/: %s\n", std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "players is not a directory: drivers cannot be saved\n");
        return false;
    }
    // Only writing tells: permissions say nothing to root or of a file
    // system mounted read-only. The name is one a start clears away.
    const std::string probe = temporaryPathFor("players/.write-test.pl");
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
        std::fprintf(stderr, "Cannot write to players/: %s\n", std::strerror(errno));
        return false;
    }
    if (fd >= 0) ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void Game::mainMenuFrame() {
    keyboard.refresh();
    const MenuItem* cursor = mainMenu->at(mainMenu->page, mainMenu->item);
    const std::int32_t page = mainMenu->page, item = mainMenu->item, shown = menuScreen;
    const std::int32_t value = cursor ? cursor->value : 0;
    copySurface(screen, titleImage);
    switch (menuScreen) {
    case MenuPages:
        mainMenu->draw(screen, keyboard);
        break;
    case LapRecordsShown:
        if (const std::string track = lapRecords.drawLapRecords(); !track.empty())
            watchReplayFile(recordReplayPath(track));
        break;
    case TrackSelectionShown:
        trackSelection.frame();
        break;
    case DriverSelectionShown:
        driverSelection.frame();
        break;
    default:
        break;
    }
    drawBanner(context);
    menuKeys.serve(*mainMenu, menuScreen);
    followMenuSound(page, item, shown, value);
    keyboard.takeMenuEvent();
}

void Game::followMenuSound(std::int32_t page, std::int32_t item, std::int32_t shownScreen,
                           std::int32_t value) {
    // A new page or screen, a race started or the game left: a choice. The
    // cursor or a value moved on the same page: a tick.
    const MenuItem* cursor = mainMenu->at(mainMenu->page, mainMenu->item);
    if (mainMenu->page != page || menuScreen != shownScreen || state != MainMenu || quit)
        sound::play(sound::kMenuChannel, sound::MenuSelectSample);
    else if (mainMenu->item != item || (cursor && cursor->value != value))
        sound::play(sound::kMenuChannel, sound::MenuMoveSample);
}

void Game::standingsFrame() {
    copySurface(screen, titleImage);
    if (race)
        standingsScreen.drawStandings(race->standings, driverCount, settings->raceIndex,
                                      settings->raceCount);
    // A RETURN that closed the results table or a box goes on only when
    // pressed anew.
    if (keyboard.held(SDLK_RETURN) && !keyboard.usedUp(SDLK_RETURN)) {
        settings->raceIndex += 1;
        if (settings->raceIndex == settings->raceCount) {
            keyboard.flush();
            state = MainMenu;
        } else {
            raceReady = false;
            preRaceFrames = 0;
            state = PreRace;
        }
    }
}

bool Game::showDialog(const std::string& message, bool withCancel) {
    // No one would ever see the box, let alone press a key for it.
    if (headless) {
        std::printf("%s\n", message.c_str());
        return false;
    }
    return messageBox.show(message, withCancel);
}

RaceRules Game::raceRules() const {
    const Settings& s = settings ? *settings : settingsRecord;
    RaceRules rules;
    rules.mode = s.mode;
    rules.laps = s.lapsPerRace;
    rules.carDamage = options.carDamage;
    rules.fuelConsumption = options.fuelConsumption;
    rules.unlimitedNitro = options.unlimitedNitro;
    return rules;
}

float averageFrameRate(std::uint32_t frames, Uint32 elapsedMilliseconds) {
    const Uint32 seconds = elapsedMilliseconds / 1000;
    if (seconds > 0) return float(frames) / float(seconds);
    if (elapsedMilliseconds == 0) return 0.0f;
    return float(frames) * 1000.0f / float(elapsedMilliseconds);
}
