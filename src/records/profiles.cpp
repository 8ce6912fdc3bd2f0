// The game's driver list: read at start-up, written at quit and when a race
// is left with ESC, grown by driver creation, and the statistics screen.
#include "app/bytes.hpp"
#include "app/game.hpp"
#include "app/platform.hpp"
#include "car/car_type.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"

#include <cstdio>

void Game::loadProfiles() {
    for (const std::string& fileName : listDirectory("players/", "*.pl")) {
        std::vector<std::uint8_t> bytes;
        auto profile = std::make_unique<PlayerProfile>();
        // A file that cannot be read or is damaged is left out; the others
        // still load, and the file itself stays as it is.
        if (!readWholeFile("players/" + fileName, bytes, 1 << 16)) {
            std::printf("Cannot read driver file players/%s\n", fileName.c_str());
            continue;
        }
        if (!decodeProfile(bytes, *profile)) {
            std::printf("Driver file players/%s is damaged and is left out\n", fileName.c_str());
            continue;
        }
        profiles.push_back(std::move(profile));
    }
}

bool Game::saveProfile(const PlayerProfile& profile) {
    const std::string path = profilePath(profile.name);
    return !path.empty() && writeFileAtomically(path, encodeProfile(profile));
}

void Game::saveProfiles() {
    for (const auto& profile : profiles)
        saveProfile(*profile);
}

const CarType* Game::carAt(std::size_t position) const {
    return position < cars.size() ? cars[position].get() : nullptr;
}

PlayerProfile* Game::profileAt(std::int32_t position) const {
    return position >= 0 && std::size_t(position) < profiles.size()
               ? profiles[std::size_t(position)].get()
               : nullptr;
}

void Game::createProfile(const std::string& name, std::int32_t type) {
    auto profile = std::make_unique<PlayerProfile>();
    profile->name = name;
    profile->type = type;
    if (const CarType* first = carAt(0)) profile->carName = first->name;
    profile->id = std::int32_t(profiles.size());
    // The list stays in the order the next start reads players/ back in, so
    // that the positions set.dat keeps still name the same drivers then.
    const std::string fileName = name + ".pl";
    std::size_t at = 0;
    while (at < profiles.size() && !listedBefore(fileName, profiles[at]->name + ".pl"))
        ++at;
    profiles.insert(profiles.begin() + std::ptrdiff_t(at), std::move(profile));
    for (std::int32_t& slot : selectedPlayers)
        if (slot >= std::int32_t(at)) ++slot;
    showDialog("Player " + name + " created.", false);
}

void Game::showStatistics(std::int32_t position) {
    const PlayerProfile* p = profileAt(position);
    if (!p) return;
    setFont(fontMedium);
    const std::int32_t bx = screen->w / 2 - 200, by = screen->h / 2 - 75;
    darkenRect(screen, bx, by, bx + 420, by + 190);
    const std::string title = p->name + " STATISTICS";
    drawText(screen, bx + 210 - textWidth(title) / 2, by + 20, title, 0xFFFFFF00, true);
    const std::int32_t step = glyphHeight('W') + 8;
    const std::pair<const char*, std::int32_t> lines[] = {
        {"Total laps driven:", p->totalLaps},
        {"Races driven:", p->racesDriven},
        {"Races Won:", p->racesWon},
        {"Fastest laps:", p->fastestLaps},
        {"Championships won:", p->championshipsWon}};
    for (int i = 0; i < 5; ++i)
        drawText(screen, bx + 10, by + 50 + i * step,
                 lines[i].first + std::to_string(lines[i].second), 0xFFFFFFFF, true);
    setFont(fontSmall);
    drawBanner();
    flushInput();
    updateScreen(screen);
    // The RETURN that opened the box does not close it, unless held on like a
    // message box's.
    refreshKeys();
    KeyRepeat held(true);
    for (;;) {
        pumpEvents();
        delay(10);
        refreshKeys();
        held.update();
        if (quitRequested() || held.fired(SDLK_RETURN)) break;
    }
    flushInput();
    delay(30);
}
