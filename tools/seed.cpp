// Gives a fresh runtime directory its drivers and a ready selection, so that
// a newcomer can start a race at once: two human drivers whose keys can be
// held together on one keyboard, a field of computer drivers on a spread of
// cars, and a set.dat (written by the game's own settings writer) choosing
// the first track, the first human driver and three computer drivers.
//
// Nothing that exists is touched: drivers are made only when players/ has
// none, set.dat only when there is none. Run it in the runtime directory.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

struct SeedDriver {
    const char* name;
    DriverType type;
    std::array<std::int32_t, 5> controls;
};

constexpr std::array<std::int32_t, 5> kArrows{273, 274, 276, 275, 305}; // nitro RIGHT CTRL
constexpr std::array<std::int32_t, 5> kWasd{'w', 's', 'a', 'd', 304};   // nitro LEFT SHIFT
constexpr std::array<std::int32_t, 5> kDefault{273, 274, 276, 275, 306};

const SeedDriver kDrivers[] = {
    {"Player One", Human, kArrows},        {"Player Two", Human, kWasd},
    {"Ace Ridley", Computer, kDefault},    {"Bo Lindqvist", Computer, kDefault},
    {"Carla Nunes", Computer, kDefault},   {"Dmitri Orlov", Computer, kDefault},
    {"Eve Marchetti", Computer, kDefault}, {"Finn O'Hara", Computer, kDefault},
    {"Gwen Tallis", Computer, kDefault},   {"Hiro Sato", Computer, kDefault},
};

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::filesystem::create_directories("players");
    Game* game = Game::instance();
    game->init(argc, argv);

    if (listDirectory("players/", "*.pl").empty()) {
        game->loadCarList();
        if (game->cars.empty()) {
            std::fprintf(stderr, "gravelin_seed: no cars in cars/ to give the drivers\n");
            return 1;
        }
        std::size_t carIndex = 0;
        for (const SeedDriver& seed : kDrivers) {
            PlayerProfile p;
            p.name = seed.name;
            p.type = seed.type;
            p.controls = seed.controls;
            p.carName = game->cars[carIndex++ % game->cars.size()]->name;
            if (!writeFileAtomically(profilePath(p.name), encodeProfile(p))) {
                std::fprintf(stderr, "gravelin_seed: cannot write %s\n",
                             profilePath(p.name).c_str());
                return 1;
            }
        }
        game->cars.clear();
        std::printf("gravelin_seed: %zu drivers made\n", std::size(kDrivers));
    }

    if (!std::filesystem::exists("set.dat")) {
        game->startUp();
        game->selection.tracks.fill(-1);
        game->selection.drivers.fill(-1);
        game->selection.tracks[0] = 0;
        std::size_t used = 0;
        for (bool human : {true, false})
            for (std::size_t i = 0; i < game->profiles.size() && used < 4; ++i) {
                const bool isHuman = game->profiles[i]->type == Human;
                if (isHuman != human || (human && used > 0)) continue;
                game->selection.drivers[used++] = std::int32_t(i);
            }
        if (!game->writeSettings()) {
            std::fprintf(stderr, "gravelin_seed: cannot write set.dat\n");
            return 1;
        }
        std::printf("gravelin_seed: set.dat chooses %s and %zu drivers\n",
                    game->tracks.front().c_str(), used);
    }
    return 0;
}
