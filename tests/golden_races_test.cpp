// Golden races: on every shipped track, seven computer drivers and one human
// on a fixed script of keys race two laps, undrawn, through the game's own
// race frames. A running hash of every car's and driver's state is taken
// each frame and compared every 60 frames with the recorded one, so that a
// change to the handling or the race rules, however small, shows as the
// first frame that differs. Moving code about must leave them all alone.
//
//     GRAVELIN_RECORD_GOLDEN=1   rewrite tests/golden/races/*.txt
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

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

std::vector<std::string> shippedTracks(const fs::path& runtime) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(runtime / "tracks"))
        if (entry.path().extension() == ".map") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The hashes of one race, a line every 60 frames and the last frame's.
std::vector<std::string> raceHashes(const std::string& track, FakePlatform& keys) {
    Game* game = initGame();
    game->clearRace();
    game->profiles.clear();
    game->quit = false;
    game->startUp();
    game->profiles.clear();
    for (int i = 0; i < 8; ++i) {
        auto p = std::make_unique<PlayerProfile>();
        p->name = "G" + std::to_string(i);
        p->type = i == 3 ? Human : Computer;
        p->controls = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RCTRL};
        p->carName = game->cars[std::size_t(i) % game->cars.size()]->name;
        game->profiles.push_back(std::move(p));
    }
    game->selection.tracks.fill(-1);
    game->selection.drivers = {0, 1, 2, 3, 4, 5, 6, 7};
    const auto found = std::find(game->tracks.begin(), game->tracks.end(), track);
    if (found == game->tracks.end()) return {"no track " + track};
    game->selection.tracks[0] = std::int32_t(found - game->tracks.begin());
    game->settings->trackNames[0] = track;
    game->settings->raceCount = 1;
    game->settings->selectedDriverCount = 8;
    game->settings->lapsPerRace = 2;
    game->drawRace = false;
    keys.press(SDLK_RETURN); // closes whatever message box the start shows
    game->startRace(RacingSeason);

    std::vector<std::string> lines;
    Hash hash;
    int frame = 0, raceFrame = 0;
    for (; frame < 9000 && game->state != Standings && game->state != MainMenu; ++frame) {
        if (game->state == Racing) humanKeys(keys, raceFrame++);
        game->runFrame();
        hashFrame(hash, *game);
        if (frame % 60 == 0) {
            std::ostringstream line;
            line << frame << ' ' << std::hex << hash.value;
            lines.push_back(line.str());
        }
    }
    std::ostringstream last;
    last << "end " << frame << " state " << game->state << ' ' << std::hex << hash.value;
    lines.push_back(last.str());
    keys.releaseAll();
    game->drawRace = true;
    game->clearRace();
    game->profiles.clear();
    game->state = MainMenu;
    return lines;
}

} // namespace

TEST(GoldenRaces, EveryShippedTrackRacesAsRecorded) {
    const fs::path runtime = fs::current_path();
    const std::vector<std::string> tracks = shippedTracks(runtime);
    ASSERT_FALSE(tracks.empty());
    const bool record = std::getenv("GRAVELIN_RECORD_GOLDEN") != nullptr;
    // The races run in a scratch directory that sees the shipped tracks but
    // none of their records, so that no record set here is kept, and none
    // set before changes a race.
    ScratchDir dir;
    for (const std::string& track : tracks) {
        const std::string base = track.substr(0, track.size() - 4);
        for (const std::string& file : {track, base + "_tiles.bmp", base + ".tl"})
            if (fs::exists(runtime / "tracks" / file))
                fs::create_symlink(runtime / "tracks" / file, fs::path("tracks") / file);
    }
    FakePlatformScope platform;
    for (const std::string& track : tracks) {
        SCOPED_TRACE(track);
        const std::vector<std::string> lines = raceHashes(track, platform.fake);
        const std::string path = std::string(GRAVELIN_GOLDEN_DIR) + "/races/" +
                                 track.substr(0, track.size() - 4) + ".txt";
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
            ASSERT_EQ(lines[i], expected[i]) << "the race first differs by frame " << lines[i];
        EXPECT_EQ(lines.size(), expected.size());
    }
}
