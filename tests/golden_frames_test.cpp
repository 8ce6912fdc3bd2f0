// Golden frames: what the screen shows of a race, pixel for pixel. On every
// shipped track, with one view and with the split screen, a race of eight
// is drawn through the game's own frames and every shown frame is hashed;
// the running hash is compared every 30 frames with the recorded one. Work
// on the drawing (faster covers, sprites, copies) must leave them alone.
//
//     GRAVELIN_RECORD_GOLDEN=1   rewrite tests/golden/frames/*.txt
#include "app/game.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::uint64_t hashScreen(std::uint64_t h, SDL_Surface* s) {
    for (std::int32_t y = 0; y < s->h; ++y) {
        const std::uint32_t* row = pixelRow(s, y);
        for (std::int32_t x = 0; x < s->w; ++x)
            h = (h ^ row[x]) * 1099511628211ull;
    }
    return h;
}

// The humans' keys by race frame: flat out, weaving, nitro now and then;
// the second human turns the other way.
void humanKeys(FakePlatform& keys, int frame) {
    keys.releaseAll();
    keys.press(SDLK_UP);
    keys.press(SDLK_w);
    if (frame % 120 >= 70 && frame % 120 < 95) keys.press(SDLK_LEFT);
    if (frame % 120 >= 70 && frame % 120 < 95) keys.press(SDLK_d);
    if (frame % 200 >= 150) keys.press(SDLK_RCTRL);
}

std::vector<std::string> frameHashes(const std::string& track, int humans, FakePlatform& keys) {
    Game* game = initGame();
    game->clearRace();
    game->profiles.clear();
    game->quit = false;
    game->startUp();
    game->profiles.clear();
    for (int i = 0; i < 8; ++i) {
        auto p = std::make_unique<PlayerProfile>();
        p->name = "F" + std::to_string(i);
        p->type = i < humans ? Human : Computer;
        p->controls =
            i == 0
                ? std::array<std::int32_t, 5>{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RCTRL}
                : std::array<std::int32_t, 5>{SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_LSHIFT};
        p->carName = game->cars[std::size_t(i) % game->cars.size()]->name;
        game->profiles.push_back(std::move(p));
    }
    const auto found = std::find(game->tracks.begin(), game->tracks.end(), track);
    if (found == game->tracks.end()) return {"no track " + track};
    game->selection.tracks.fill(-1);
    game->selection.tracks[0] = std::int32_t(found - game->tracks.begin());
    game->selection.drivers = {0, 1, 2, 3, 4, 5, 6, 7};
    game->settings->trackNames[0] = track;
    game->settings->raceCount = 1;
    game->settings->selectedDriverCount = 8;
    game->options.showFps = false;
    game->startRace(FreeDriving);

    std::vector<std::string> lines;
    std::uint64_t hash = 1469598103934665603ull;
    int raceFrame = 0;
    for (int frame = 0; frame < 600 && game->state != MainMenu; ++frame) {
        if (game->state == Racing) humanKeys(keys, raceFrame++);
        game->runFrame();
        hash = hashScreen(hash, game->screen);
        if (frame % 30 == 29) {
            std::ostringstream line;
            line << frame << ' ' << std::hex << hash;
            lines.push_back(line.str());
        }
    }
    keys.releaseAll();
    game->clearRace();
    game->profiles.clear();
    game->state = MainMenu;
    return lines;
}

} // namespace

TEST(GoldenFrames, EveryShippedTrackIsDrawnAsRecorded) {
    const fs::path runtime = fs::current_path();
    std::vector<std::string> tracks;
    for (const auto& entry : fs::directory_iterator(runtime / "tracks"))
        if (entry.path().extension() == ".map") tracks.push_back(entry.path().filename());
    std::sort(tracks.begin(), tracks.end());
    ASSERT_FALSE(tracks.empty());
    const bool record = std::getenv("GRAVELIN_RECORD_GOLDEN") != nullptr;
    // Raced where no lap record is kept, so that none set here or before
    // shows on the screen.
    ScratchDir dir;
    for (const std::string& track : tracks) {
        const std::string base = track.substr(0, track.size() - 4);
        for (const std::string& file : {track, base + "_tiles.bmp", base + ".tl"})
            if (fs::exists(runtime / "tracks" / file))
                fs::create_symlink(runtime / "tracks" / file, fs::path("tracks") / file);
    }
    FakePlatformScope platform;
    for (const std::string& track : tracks)
        for (int humans : {1, 2}) {
            SCOPED_TRACE(track + " with " + std::to_string(humans) + " views");
            const std::vector<std::string> lines = frameHashes(track, humans, platform.fake);
            const std::string path = std::string(GRAVELIN_GOLDEN_DIR) + "/frames/" +
                                     track.substr(0, track.size() - 4) + "-" +
                                     std::to_string(humans) + ".txt";
            if (record) {
                fs::create_directories(fs::path(path).parent_path());
                std::ofstream out(path);
                for (const std::string& line : lines)
                    out << line << '\n';
                continue;
            }
            std::ifstream in(path);
            ASSERT_TRUE(in) << path << " is missing; record it with GRAVELIN_RECORD_GOLDEN=1";
            std::vector<std::string> expected;
            for (std::string line; std::getline(in, line);)
                expected.push_back(line);
            for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
                ASSERT_EQ(lines[i], expected[i])
                    << "the screen first differs by frame " << lines[i];
            EXPECT_EQ(lines.size(), expected.size());
        }
}
