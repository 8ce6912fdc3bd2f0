// Helpers shared by the unit tests.
#pragma once

#include "app/game.hpp"
#include "base/bytes.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "track/track.hpp"
#include "ui/screen_context.hpp"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

// The one game, initialised once on the dummy video driver from the runtime
// directory (the title picture is read from there).
inline Game* initGame() {
    Game* game = Game::instance();
    if (!game->initialised) game->init(0, nullptr);
    return game;
}

// A tile file of count plain tiles of one size, tile i filled with colour
// 0xFF000000 + i + 1 (never black).
inline std::vector<std::uint8_t> tileFile(int count, int w, int h) {
    ByteWriter out;
    out.i32(0);
    out.i32(count);
    for (int i = 0; i < count; ++i) {
        out.i32(w);
        out.i32(h);
        for (int p = 0; p < w * h; ++p)
            out.u32(0xFF000000u + std::uint32_t(i + 1));
    }
    return out.bytes();
}

// A small raceable map: columns x rows of tile 0 on layer 0, a road over
// everything and a wide finish line with room for the grid above it.
inline Track testTrack(int columns, int rows, const std::string& tiles = "tracks/test.tl") {
    Track t;
    t.version = 4;
    t.width = columns;
    t.height = rows;
    t.tileWidth = t.tileHeight = 32;
    t.cells.resize(std::size_t(columns) * rows);
    for (MapCell& c : t.cells)
        c.layers[0] = 0;
    t.tilesetName = tiles;
    const auto w = std::int16_t(columns * 32), h = std::int16_t(rows * 32);
    t.areas.push_back({Road, 0, 16, w, std::int16_t(h + 16)});
    // On a map narrower than the line it is cut to the map, which the map's
    // checks ask for.
    const auto right = std::int16_t(std::min(300, columns * 32));
    const auto left = std::int16_t(std::min(100, right / 3));
    t.areas.push_back({FinishLine, left, std::int16_t(h - 60), right, std::int16_t(h - 40)});
    return t;
}

// A throw-away working directory that sees the runtime directory's data
// through links, so that a test may write set.dat and profiles freely. Its
// own tracks/ holds one small track, test.map.
class ScratchDir {
  public:
    ScratchDir() {
        namespace fs = std::filesystem;
        original_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "gravelin-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        for (const char* sub : {"data", "sounds", "cars"})
            if (fs::exists(original_ / sub))
                fs::create_directory_symlink(original_ / sub, path_ / sub);
        fs::create_directory(path_ / "players");
        fs::create_directory(path_ / "tracks");
        fs::current_path(path_);
        writeFileAtomically("tracks/test.tl", tileFile(2, 32, 32));
        writeFileAtomically("tracks/test.map", encodeMap(testTrack(30, 20)));
    }
    ~ScratchDir() {
        std::filesystem::current_path(original_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path original_, path_;
};

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
