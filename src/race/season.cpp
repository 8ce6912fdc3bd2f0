// The season table: rebuilt from the participants after every race, each
// fastest lap worth a point, sorted keeping grid order on equal points; the
// leader after the last race is champion.
#include "app/game.hpp"
#include "driver/player.hpp"
#include "records/profile.hpp"

PlayerProfile* Game::findProfile(const std::string& name) const {
    for (const auto& p : profiles)
        if (p->name == name) return p.get();
    return nullptr;
}

void Game::updateStandings() {
    const std::size_t n = std::min(players.size(), standings.size());
    for (std::size_t k = 0; k < n; ++k) {
        standings[k].name = players[k]->name;
        standings[k].points = players[k]->points + players[k]->fastestLaps;
    }
    // A bubble sort that swaps only on strictly more points keeps grid order.
    for (std::size_t pass = n > 0 ? n - 1 : 0; pass >= 1; --pass)
        for (std::size_t j = 0; j < pass; ++j)
            if (standings[j + 1].points > standings[j].points)
                std::swap(standings[j], standings[j + 1]);
    if (settings->raceIndex == settings->raceCount - 1 && n > 0)
        if (PlayerProfile* champion = findProfile(standings[0].name))
            countOne(champion->championshipsWon);
}
