// The season table: rebuilt from the participants after every race, each
// fastest lap worth a point, sorted keeping grid order on equal points; the
// leader after the last race is champion.
#include "race/season.hpp"

#include "driver/player.hpp"
#include "race/race.hpp"
#include "records/profile.hpp"

void Race::updateStandings(bool lastRace) {
    const std::size_t n = std::min(players_.size(), standings.size());
    for (std::size_t k = 0; k < n; ++k) {
        standings[k].name = players_[k]->name;
        standings[k].points = players_[k]->points + players_[k]->fastestLaps;
    }
    // A bubble sort that swaps only on strictly more points keeps grid order.
    for (std::size_t pass = n > 0 ? n - 1 : 0; pass >= 1; --pass)
        for (std::size_t j = 0; j < pass; ++j)
            if (standings[j + 1].points > standings[j].points)
                std::swap(standings[j], standings[j + 1]);
    if (lastRace && n > 0)
        for (const auto& p : players_)
            if (p->name == standings[0].name && p->profile) {
                countOne(p->profile->championshipsWon);
                break;
            }
}
