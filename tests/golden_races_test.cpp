// Golden races and frames on every shipped track through the game's own race
// frames: a running hash of every car's state (undrawn races) or of every
// shown frame (drawn ones), compared with the recorded one, so that the first
// frame that differs is named. Moving code about must leave them alone.
//
//     GRAVELIN_RECORD_GOLDEN=1   rewrite tests/golden/frames/
//
// Re-record only on purpose (a rule or handling change meant to change
// races) and say why in the commit.
#include "app/game.hpp"
#include "car/car.hpp"
#include "driver/computer_driver.hpp"
#include "driver/player.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// Records the lines (GRAVELIN_RECORD_GOLDEN set) or compares them with the
// recorded ones, naming the first that differs.
void recordOrCompare(const std::string& path, const std::vector<std::string>& lines) {
    if (std::getenv("GRAVELIN_RECORD_GOLDEN")) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream out(path);
        for (const std::string& line : lines)
            out << line << '\n';
        return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << path << " is missing; record it with GRAVELIN_RECORD_GOLDEN=1";
    std::vector<std::string> expected;
    for (std::string line; std::getline(in, line);)
        expected.push_back(line);
    for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
        ASSERT_EQ(lines[i], expected[i]) << "it first differs by frame " << lines[i];
    EXPECT_EQ(lines.size(), expected.size());
}

// The humans' keys for the drawn races: flat out, weaving, nitro now and
// then; the second human turns the other way.
void viewKeys(FakePlatform& keys, int frame) {
    keys.releaseAll();
    keys.press(SDLK_UP);
    keys.press(SDLK_w);
    if (frame % 120 >= 70 && frame % 120 < 95) keys.press(SDLK_LEFT);
    if (frame % 120 >= 70 && frame % 120 < 95) keys.press(SDLK_d);
    if (frame % 200 >= 150) keys.press(SDLK_RCTRL);
}

// The running hash of the shown frames of a free drive of eight, every 30
// frames: the first `humans` drivers on the keys above, the rest computers,
// each with the car of the list in turn.
std::vector<std::string> frameHashes(const std::string& track, int humans, FakePlatform& keys) {
    Game* game = startGameForARace();
    game->options.showFps = false;
    const auto found = std::find(game->tracks.begin(), game->tracks.end(), track);
    if (found == game->tracks.end()) return {"no track " + track};
    for (int i = 0; i < 8; ++i) {
        auto p = std::make_unique<PlayerProfile>(
            namedProfile("F" + std::to_string(i), i < humans ? Human : Computer));
        p->controls =
            i == 0
                ? std::array<std::int32_t, 5>{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RCTRL}
                : std::array<std::int32_t, 5>{SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_LSHIFT};
        p->carName = game->cars[std::size_t(i) % game->cars.size()]->name;
        game->profiles.push_back(std::move(p));
    }
    game->selection.tracks[0] = std::int32_t(found - game->tracks.begin());
    game->selection.drivers = {0, 1, 2, 3, 4, 5, 6, 7};
    game->settings->trackNames[0] = track;
    game->settings->selectedDriverCount = 8;
    game->settings->lapsPerRace = 0;
    game->startRace(FreeDriving);
    std::vector<std::string> lines;
    std::uint64_t hash = 1469598103934665603ull;
    int raceFrame = 0;
    for (int frame = 0; frame < 600 && game->state != MainMenu; ++frame) {
        if (game->state == Racing) viewKeys(keys, raceFrame++);
        game->runFrame();
        hash = hashPixels(game->screen, hash);
        std::ostringstream line;
        line << frame << ' ' << std::hex << hash;
        if (frame % 30 == 29) lines.push_back(line.str());
    }
    keys.releaseAll();
    game->clearRace();
    game->profiles.clear();
    game->state = MainMenu;
    return lines;
}

} // namespace

TEST(GoldenReplays, EveryShippedTrackHasARaceAndAHumanReplay) {
    ScratchDir dir;
    for (const std::string& track : linkShippedTracks(dir.original())) {
        const std::string base =
            std::string(GRAVELIN_GOLDEN_DIR) + "/replays/" + track.substr(0, track.size() - 4);
        for (const char* kind : {"-race.rpl", "-human.rpl"})
            EXPECT_TRUE(fs::exists(base + kind))
                << base + kind << ": bash scripts/record_golden_replays.sh";
    }
}

TEST(GoldenFrames, EveryShippedTrackIsDrawnAsRecorded) {
    ScratchDir dir;
    const std::vector<std::string> tracks = linkShippedTracks(dir.original());
    ASSERT_FALSE(tracks.empty());
    FakePlatformScope platform;
    for (const std::string& track : tracks)
        for (int humans : {1, 2}) {
            SCOPED_TRACE(track + " with " + std::to_string(humans) + " views");
            recordOrCompare(std::string(GRAVELIN_GOLDEN_DIR) + "/frames/" +
                                track.substr(0, track.size() - 4) + "-" + std::to_string(humans) +
                                ".txt",
                            frameHashes(track, humans, platform.fake));
        }
}
