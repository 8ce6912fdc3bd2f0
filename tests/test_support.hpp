// Helpers shared by the unit tests.
#pragma once

#include "app/game.hpp"
#include "base/bytes.hpp"
#include "frontend/race_drawing.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "race/race.hpp"
#include "records/profile.hpp"
#include "scratch_dir.hpp"
#include "track/track.hpp"
#include "ui/driver_select.hpp"
#include "ui/screen_context.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

constexpr double kPi = 3.1415926535;

// The one game, initialised once on the dummy video driver from the runtime
// directory (the title picture is read from there).
inline Game* initGame() {
    Game* game = Game::instance();
    if (!game->initialised) game->init(0, nullptr);
    return game;
}

// The game started afresh for a race on the test track: no drivers, no
// race, nothing selected but the first track, one race.
inline Game* startGameForARace() {
    Game* game = initGame();
    game->clearRace();
    game->profiles.clear();
    game->quit = false;
    game->startUp();
    game->profiles.clear();
    game->selection.tracks.fill(-1);
    game->selection.drivers.fill(-1);
    game->selection.tracks[0] = 0;
    game->settings->raceCount = 1;
    game->settings->trackNames[0] = "test.map";
    return game;
}

// The shipped tracks, seen from a scratch directory that has none of their
// lap records, so that no record set here is kept and none set before
// changes a race or shows on the screen.
inline std::vector<std::string> linkShippedTracks(const std::filesystem::path& runtime) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(runtime / "tracks"))
        if (entry.path().extension() == ".map") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& track : names) {
        const std::string base = track.substr(0, track.size() - 4);
        for (const std::string& file : {track, base + "_tiles.bmp", base + ".tl"})
            if (std::filesystem::exists(runtime / "tracks" / file))
                std::filesystem::create_symlink(runtime / "tracks" / file,
                                                std::filesystem::path("tracks") / file);
    }
    return names;
}

// The game's options and selections as a fresh start has them.
inline void defaultOptions(Game& game) {
    game.selection.tracks.fill(-1);
    game.selection.drivers.fill(-1);
    game.options.skidmarks = game.options.carDamage = game.options.fuelConsumption = true;
    game.options.unlimitedNitro = game.options.showFps = game.options.showLapRecord = false;
}

inline std::vector<std::uint8_t> bytesOf(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    readWholeFile(path, bytes);
    return bytes;
}
inline std::string textOf(const std::string& path) {
    const std::vector<std::uint8_t> bytes = bytesOf(path);
    return {bytes.begin(), bytes.end()};
}
inline bool writeText(const std::string& path, const std::string& text) {
    return writeFileAtomically(path, {text.begin(), text.end()});
}

inline PlayerProfile namedProfile(const std::string& name, std::int32_t type = Human) {
    PlayerProfile p;
    p.name = name;
    p.type = type;
    p.carName = "Comet";
    return p;
}

// A driver's file in players/, named after the driver unless told otherwise.
inline void writeDriver(const PlayerProfile& p, const std::string& file = "") {
    ASSERT_TRUE(
        writeFileAtomically("players/" + (file.empty() ? p.name + ".pl" : file), encodeProfile(p)));
}

// The game's drivers by name, in its order.
inline std::vector<std::string> profileNames(const Game& game) {
    std::vector<std::string> out;
    for (auto& p : game.profiles)
        out.push_back(p->name);
    return out;
}

// A PCX file of width x height over the given data, with a palette of
// paletteFill, paletteFill + 1, ... and, unless asked not to, its marker.
inline std::vector<std::uint8_t> pcxFile(int width, int height,
                                         const std::vector<std::uint8_t>& data,
                                         std::uint8_t paletteFill = 0, bool marker = true) {
    std::vector<std::uint8_t> f(128, 0);
    f[0] = 10;
    f[8] = std::uint8_t((width - 1) & 0xFF);
    f[9] = std::uint8_t((width - 1) >> 8);
    f[10] = std::uint8_t((height - 1) & 0xFF);
    f[11] = std::uint8_t((height - 1) >> 8);
    for (std::uint8_t b : data)
        f.push_back(b);
    if (marker) f.push_back(12);
    for (int i = 0; i < 768; ++i)
        f.push_back(std::uint8_t(paletteFill + i));
    return f;
}

// Whether a race would take a car of the type: its frames can be made
// and its geometry fits them.
inline bool carCanBeMade(const CarType& type) {
    Race race{RaceRules{}};
    RaceDrawing drawing;
    std::string why;
    return race.addParticipant(nullptr, type, why) && drawing.addSprite(type, why);
}

// FNV-1a over a surface's pixels, carried on from h.
inline std::uint64_t hashPixels(SDL_Surface* s, std::uint64_t h = 1469598103934665603ull) {
    for (std::int32_t y = 0; y < s->h; ++y) {
        const std::uint32_t* row = pixelRow(s, y);
        for (std::int32_t x = 0; x < s->w; ++x)
            h = (h ^ row[x]) * 1099511628211ull;
    }
    return h;
}

// What f printed on standard output.
template <typename F> std::string stdoutOf(F f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// A 32-bit software surface filled with one value.
inline SDL_Surface* filledSurface(int w, int h, std::uint32_t fill) {
    SDL_Surface* s = createSurface(w, h, false);
    SDL_FillRect(s, nullptr, fill);
    return s;
}

// Installs a fake keyboard and clock for one test. A script of key
// changes can be timed by shown frames (screen updates) or by the fake
// clock, so that modal screens with loops of their own can be driven too.
class FakePlatformScope {
  public:
    FakePlatformScope() { useFakePlatform(&fake); }
    ~FakePlatformScope() { useFakePlatform(nullptr); }
    // From the given shown frame on (counted from now), hold or release keys.
    void at(int frame, std::function<void(FakePlatform&)> change) {
        const int due = fake.screenUpdates + frame;
        add([due](const FakePlatform& f) { return f.screenUpdates >= due; }, std::move(change));
    }
    // From the given milliseconds on (counted from now), the same.
    void after(Uint32 milliseconds, std::function<void(FakePlatform&)> change) {
        const Uint32 due = fake.now + milliseconds;
        add([due](const FakePlatform& f) { return f.now >= due; }, std::move(change));
    }
    void press(int frame, SDLKey key) {
        at(frame, [key](FakePlatform& f) { f.press(key); });
    }
    void release(int frame, SDLKey key) {
        at(frame, [key](FakePlatform& f) { f.release(key); });
    }
    // Held in the key state from one shown frame to another.
    void tap(int from, int to, SDLKey key) {
        press(from, key);
        release(to, key);
    }
    // A key held from one moment to another, as a keyboard reports it: held
    // in the key state, and a key-down and a key-up event.
    void keyStroke(Uint32 from, Uint32 to, SDLKey key) {
        after(from, [key](FakePlatform& f) {
            f.press(key);
            f.queueKeyDown(key);
        });
        after(to, [key](FakePlatform& f) {
            f.release(key);
            f.queueKeyUp(key);
        });
    }
    FakePlatform fake;

  private:
    struct Step {
        std::function<bool(const FakePlatform&)> due;
        std::function<void(FakePlatform&)> change;
        bool done;
    };
    void add(std::function<bool(const FakePlatform&)> due,
             std::function<void(FakePlatform&)> change) {
        script.push_back({std::move(due), std::move(change), false});
        fake.onPump = [this](FakePlatform& f) {
            for (std::size_t i = 0; i < script.size(); ++i) {
                Step& step = script[i];
                if (!step.done && step.due(f)) {
                    step.done = true;
                    step.change(f);
                }
            }
        };
    }
    std::vector<Step> script;
};

// What a menu screen needs, with no game behind it: a black 640 x 400
// screen, the game's fonts (read from the runtime directory), a keyboard and
// nothing selected. Message boxes answer what `answer` says.
struct ScreenRig {
    ScreenRig() {
        std::string missing;
        fonts.load(missing);
        context.message = [this](const std::string& text, bool) {
            messages.push_back(text);
            return answer;
        };
    }
    ~ScreenRig() { SDL_FreeSurface(screen); }
    ScreenRig(const ScreenRig&) = delete;
    ScreenRig& operator=(const ScreenRig&) = delete;

    Fonts fonts;
    Keyboard keyboard;
    Settings settings;
    Selection selection;
    SDL_Surface* screen = filledSurface(640, 400, 0xFF000000);
    ScreenContext context{screen, nullptr, fonts, keyboard, settings, selection, nullptr};
    std::vector<std::string> messages;
    bool answer = true;
};

// A test of the one game, in a scratch directory on the fake platform.
struct GameTest : ::testing::Test {
    void SetUp() override { game = initGame(); }
    void frames(int n) {
        for (int i = 0; i < n; ++i)
            game->runFrame();
    }
    // Held for some frames, then up for one.
    void tap(SDLKey key, int held = 1) {
        platform.fake.press(key);
        frames(held);
        platform.fake.release(key);
        frames(1);
    }
    ScratchDir dir;
    FakePlatformScope platform;
    Game* game = nullptr;
};

// The game started for a race on the test track; drivers are added with
// driver(), each with the first car.
struct RaceGame : GameTest {
    void SetUp() override {
        game = startGameForARace();
        ASSERT_FALSE(game->cars.empty());
    }
    void TearDown() override { newField(); }
    // No race and no drivers, back in the menu.
    void newField() {
        game->clearRace();
        game->profiles.clear();
        game->selection.drivers.fill(-1);
        game->state = MainMenu;
    }
    void drivers(std::initializer_list<std::int32_t> types) {
        for (std::int32_t type : types)
            driver(type);
    }
    PlayerProfile& driver(std::int32_t type,
                          std::array<std::int32_t, 5> keys = {273, 274, 276, 275, 306}) {
        auto p = std::make_unique<PlayerProfile>();
        p->name = "D" + std::to_string(game->profiles.size());
        p->type = type;
        p->controls = keys;
        p->carName = game->cars[0]->name;
        game->selection.drivers[game->profiles.size()] = std::int32_t(game->profiles.size());
        game->settings->selectedDriverCount = std::int32_t(game->profiles.size()) + 1;
        game->profiles.push_back(std::move(p));
        return *game->profiles.back();
    }
};

// The driver selection screen on its own roster, with no game behind it.
struct DriverScreenRig : ::testing::Test {
    void key(std::int32_t k) {
        rig.keyboard.pressed = k;
        screen.frame();
        rig.keyboard.pressed = 0;
    }
    // RETURN held for one frame, then let go.
    void enter() {
        platform.fake.press(SDLK_RETURN);
        screen.frame();
        platform.fake.release(SDLK_RETURN);
        screen.frame();
    }
    FakePlatformScope platform;
    ScreenRig rig;
    std::vector<std::unique_ptr<PlayerProfile>> profiles;
    std::vector<std::unique_ptr<CarType>> cars;
    DriverRoster roster{profiles, cars, nullptr, nullptr};
    Pads pads;
    KeySettingsScreen keySettings{rig.context, profiles, pads};
    DriverCreationScreen creation{rig.context, roster};
    DriverSelectionScreen screen{rig.context, roster, keySettings, creation};
};
