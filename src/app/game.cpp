#include "app/game.hpp"

#include "base/bytes.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "frontend/view.hpp"
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

const char* const kBannerText = "Gravelin v0.33 (C) 2003";

namespace {
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 400;
constexpr Uint32 kFrameMilliseconds = 16;

// The four fonts live for the whole run.
Font* loadFont(const char* path) {
    return new Font(path);
}
} // namespace

Game::Game() = default;
Game::~Game() = default;

Game* Game::instance() {
    static Game* game = new Game();
    return game;
}

void Game::init(int, char**) {
    selectedTracks.fill(-1);
    selectedPlayers.fill(-1);
    if (initialised) return;
    initialised = true;

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    std::atexit(SDL_Quit);
    screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, fullScreen ? SDL_FULLSCREEN : 0);
    if (!screen) {
        std::fprintf(stderr, "Unable to set selected videomode: %s\n", SDL_GetError());
        std::exit(1);
    }
    SDL_WM_SetCaption("Gravelin", "Gravelin");
    std::printf("Display Info:\n");
    std::printf("Width:%d, Height:%d,depth:%d\n\n", screen->w, screen->h,
                screen->format->BitsPerPixel);

    if (!sound::init(44100, sound::kChannels))
        std::printf("\nFATAL ERROR: CANNOT INITIALISE AUDIO!!\n");

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
    if (!fontSmall) {
        fontSmall = loadFont("data/verd10.fnt");
        fontLarge = loadFont("data/verd24.fnt");
        fontMenu = loadFont("data/verdana20b.fnt");
        fontMedium = loadFont("data/verd14.fnt");
        // Every screen is text: without a whole font there is no game to
        // show, only blank menus.
        const std::pair<Font*, const char*> fonts[] = {{fontSmall, "data/verd10.fnt"},
                                                       {fontLarge, "data/verd24.fnt"},
                                                       {fontMenu, "data/verdana20b.fnt"},
                                                       {fontMedium, "data/verd14.fnt"}};
        for (const auto& [font, path] : fonts)
            if (!font->complete) {
                std::fprintf(stderr, "FATAL ERROR: cannot load font %s!\n", path);
                std::exit(1);
            }
    }
    SDL_ShowCursor(0);
    setFont(fontSmall);

    settings = &settingsRecord;
    settings->raceIndex = 0;
    settings->raceCount = 1;
    buildMainMenu();
    sound::loadGameSamples();
    loadCarList();
    loadTrackList();
    refreshKeys();
    readSettings();
    if (!driversCanBeSaved) showDialog("Drivers can't be saved in players/.", false);

    loopStart = ticks();
    state = MainMenu;
    blinkIndex = raceOverFrames = 0;
    framesPerSecondValue = 0;
}

void Game::runFrame() {
    const Uint32 frameStart = ticks();
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
    default:
        break;
    }

    pumpEvents();
    refreshKeys();
    // A window close, Ctrl+C or SIGTERM, in whatever state or screen it came:
    // the loop ends as after the QUIT item, and run saves the same way.
    if (quitRequested()) quit = true;
    if (keys[SDLK_ESCAPE]) {
        if (state != MainMenu) saveProfiles();
        sound::stopAllSounds();
        // In the menu this ESC is still to be served: it closes a screen or
        // goes back a page in the next frame.
        if (state == MainMenu)
            dropPendingEvents();
        else
            flushInput();
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
    const std::pair<const char*, const char*> saved[] = {
        {".", "set.dat"}, {".", "selection.txt"}, {"players", "*.pl"}, {"tracks", "*.rec"}};
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
    refreshKeys();
    copySurface(screen, titleImage);
    switch (menuScreen) {
    case 0:
        mainMenu->draw(screen);
        break;
    case 1:
        drawLapRecords();
        break;
    case 3:
        trackSelectionFrame();
        break;
    case 5:
        driverSelectionFrame();
        break;
    default:
        break;
    }
    drawBanner();
    handleMenuKeys(*mainMenu);

    keyPressed = 0;
    keyReleased = 0;
    SDL_Event event;
    if (pollEvent(event)) {
        if (event.type == SDL_KEYDOWN) keyPressed = event.key.keysym.sym;
        if (event.type == SDL_KEYUP) keyReleased = event.key.keysym.sym;
    }
}

void Game::standingsFrame() {
    copySurface(screen, titleImage);
    drawStandings();
    if (keys[SDLK_RETURN]) {
        settings->raceIndex += 1;
        if (settings->raceIndex == settings->raceCount) {
            flushInput();
            state = MainMenu;
        } else {
            raceReady = false;
            preRaceFrames = 0;
            state = PreRace;
        }
    }
}

void Game::drawBanner() {
    const std::size_t length = std::char_traits<char>::length(kBannerText);
    const std::uint32_t width = std::uint32_t(length) * std::uint32_t(glyphWidth('A') + 1);
    const std::int32_t x = screen->w / 2 - std::int32_t(width / 2);
    drawText(screen, x, screen->h - 15, kBannerText, 0xFFFFFFFF, true);
}

float averageFrameRate(std::uint32_t frames, Uint32 elapsedMilliseconds) {
    const Uint32 seconds = elapsedMilliseconds / 1000;
    if (seconds > 0) return float(frames) / float(seconds);
    if (elapsedMilliseconds == 0) return 0.0f;
    return float(frames) * 1000.0f / float(elapsedMilliseconds);
}
