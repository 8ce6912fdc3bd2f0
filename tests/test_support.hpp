// Helpers shared by the unit tests.
#pragma once

#include "app/game.hpp"
#include "app/platform.hpp"
#include "gfx/surface.hpp"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// The one game, initialised once on the dummy video driver from the runtime
// directory (the title picture is read from there).
inline Game* initGame() {
    Game* game = Game::instance();
    if (!game->initialised) game->init(0, nullptr);
    return game;
}

// A throw-away working directory that sees the runtime directory's data
// through links, so that a test may write set.dat and profiles freely.
class ScratchDir {
  public:
    ScratchDir() {
        namespace fs = std::filesystem;
        original_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "gravelin-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        for (const char* sub : {"data", "sounds", "cars", "tracks"})
            if (fs::exists(original_ / sub))
                fs::create_directory_symlink(original_ / sub, path_ / sub);
        fs::create_directory(path_ / "players");
        fs::current_path(path_);
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

// Installs a fake keyboard and clock for one test.
class FakePlatformScope {
  public:
    FakePlatformScope() { useFakePlatform(&fake); }
    ~FakePlatformScope() { useFakePlatform(nullptr); }
    FakePlatform fake;
};
