// Golden races and frames on every shipped track through the game's own race
// frames: a running hash of every car's state (undrawn races) or of every
// shown frame (drawn ones), compared with the recorded one, so that the first
// frame that differs is named. Moving code about must leave them alone.
//
//     GRAVELIN_RECORD_GOLDEN=1   rewrite tests/golden/races/ and frames/
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

struct Hash {
    std::uint64_t value = 1469598103934665603ull;
    template <typename T> void add(const T& field) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &field, sizeof(T));
        for (unsigned char b : bytes)
            value = (value ^ b) * 1099511628211ull;
    }
};

void hashFrame(Hash& h, const Game& game) {
    h.add(game.state);
    if (!game.race) return;
    const auto& players = game.race->players();
    for (std::size_t i = 0; i < players.size(); ++i) {
        const Player* p = players[i].get();
        const auto* computer = dynamic_cast<const ComputerDriver*>(game.controlSources[i].get());
        const std::int32_t waypoint = computer ? computer->waypoint : 0;
        const Car& c = *p->car;
        for (float f : {c.posX, c.posY, c.moveAngle, c.bodyAngle, c.steering, c.accel, c.speed,
                        c.fuel, c.damage, c.nitro, c.skid, c.reverseSpeed})
            h.add(f);
        for (std::int32_t i : {c.x, c.y, c.frame, c.crashFrames, p->laps, p->lapTime, p->bestLap,
                               waypoint, p->checkpointsPassed})
            h.add(i);
        for (bool b : {c.crashed, c.wrecked, c.onRoad, p->finished, p->out})
            h.add(b);
    }
}

// The human's keys, by frame of the race: flat out with a weave, nitro on
// the straights, a brake now and then; it crashes, leaves the road and
// sometimes backs out.
void humanKeys(FakePlatform& keys, int frame) {
    keys.releaseAll();
    keys.press(SDLK_UP);
    if (frame % 150 >= 100 && frame % 150 < 125) keys.press(SDLK_LEFT);
    if (frame % 230 >= 180 && frame % 230 < 200) keys.press(SDLK_RIGHT);
    if (frame % 400 >= 300 && frame % 400 < 340) keys.press(SDLK_RCTRL);
    if (frame % 700 >= 640) {
        keys.release(SDLK_UP);
        keys.press(SDLK_DOWN);
    }
}

// The shipped tracks, seen from a scratch directory that has none of their
// lap records, so that no record set here is kept and none set before
// changes a race or shows on the screen.
std::vector<std::string> linkShippedTracks(const fs::path& runtime) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(runtime / "tracks"))
        if (entry.path().extension() == ".map") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& track : names) {
        const std::string base = track.substr(0, track.size() - 4);
        for (const std::string& file : {track, base + "_tiles.bmp", base + ".tl"})
            if (fs::exists(runtime / "tracks" / file))
                fs::create_symlink(runtime / "tracks" / file, fs::path("tracks") / file);
    }
    return names;
}

// Eight drivers on the track, each with the car of the list in turn, the
// kind and keys given; then the race is started. False for a track the
// game does not list.
bool startRace(Game* game, const std::string& track, const std::string& prefix, std::int32_t mode,
               std::int32_t laps, const std::function<std::int32_t(int)>& typeOf,
               const std::function<std::array<std::int32_t, 5>(int)>& keysOf) {
    startGameForARace();
    for (int i = 0; i < 8; ++i) {
        auto p = std::make_unique<PlayerProfile>();
        p->name = prefix + std::to_string(i);
        p->type = typeOf(i);
        p->controls = keysOf(i);
        p->carName = game->cars[std::size_t(i) % game->cars.size()]->name;
        game->profiles.push_back(std::move(p));
    }
    const auto found = std::find(game->tracks.begin(), game->tracks.end(), track);
    if (found == game->tracks.end()) return false;
    game->selection.tracks[0] = std::int32_t(found - game->tracks.begin());
    game->selection.drivers = {0, 1, 2, 3, 4, 5, 6, 7};
    game->settings->trackNames[0] = track;
    game->settings->selectedDriverCount = 8;
    game->settings->lapsPerRace = laps;
    game->startRace(mode);
    return true;
}

void endRace(Game* game, FakePlatform& keys) {
    keys.releaseAll();
    game->drawRace = true;
    game->clearRace();
    game->profiles.clear();
    game->state = MainMenu;
}

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

std::string hexLine(int frame, std::uint64_t hash) {
    std::ostringstream line;
    line << frame << ' ' << std::hex << hash;
    return line.str();
}

// The hashes of one race, a line every 60 frames and the last frame's.
std::vector<std::string> raceHashes(const std::string& track, FakePlatform& keys) {
    Game* game = initGame();
    game->drawRace = false;
    keys.press(SDLK_RETURN); // closes whatever message box the start shows
    if (!startRace(
            game, track, "G", RacingSeason, 2, [](int i) { return i == 3 ? Human : Computer; },
            [](int) {
                return std::array<std::int32_t, 5>{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT,
                                                   SDLK_RCTRL};
            }))
        return {"no track " + track};
    std::vector<std::string> lines;
    Hash hash;
    int frame = 0, raceFrame = 0;
    for (; frame < 9000 && game->state != Standings && game->state != MainMenu; ++frame) {
        if (game->state == Racing) humanKeys(keys, raceFrame++);
        game->runFrame();
        hashFrame(hash, *game);
        if (frame % 60 == 0) lines.push_back(hexLine(frame, hash.value));
    }
    std::ostringstream last;
    last << "end " << frame << " state " << game->state << ' ' << std::hex << hash.value;
    lines.push_back(last.str());
    endRace(game, keys);
    return lines;
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

// The running hash of the shown frames of a drawn race, every 30 frames.
std::vector<std::string> frameHashes(const std::string& track, int humans, FakePlatform& keys) {
    Game* game = initGame();
    game->options.showFps = false;
    if (!startRace(
            game, track, "F", FreeDriving, 0,
            [humans](int i) { return i < humans ? Human : Computer; },
            [](int i) {
                return i == 0 ? std::array<std::int32_t, 5>{SDLK_UP, SDLK_DOWN, SDLK_LEFT,
                                                            SDLK_RIGHT, SDLK_RCTRL}
                              : std::array<std::int32_t, 5>{SDLK_w, SDLK_s, SDLK_a, SDLK_d,
                                                            SDLK_LSHIFT};
            }))
        return {"no track " + track};
    std::vector<std::string> lines;
    std::uint64_t hash = 1469598103934665603ull;
    int raceFrame = 0;
    for (int frame = 0; frame < 600 && game->state != MainMenu; ++frame) {
        if (game->state == Racing) viewKeys(keys, raceFrame++);
        game->runFrame();
        hash = hashPixels(game->screen, hash);
        if (frame % 30 == 29) lines.push_back(hexLine(frame, hash));
    }
    endRace(game, keys);
    return lines;
}

} // namespace

TEST(GoldenRaces, EveryShippedTrackRacesAsRecorded) {
    ScratchDir dir;
    const std::vector<std::string> tracks = linkShippedTracks(dir.original());
    ASSERT_FALSE(tracks.empty());
    FakePlatformScope platform;
    for (const std::string& track : tracks) {
        SCOPED_TRACE(track);
        recordOrCompare(std::string(GRAVELIN_GOLDEN_DIR) + "/races/" +
                            track.substr(0, track.size() - 4) + ".txt",
                        raceHashes(track, platform.fake));
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
