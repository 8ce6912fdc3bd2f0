// The season table: rebuilt from the participants after every race, each
// fastest lap worth a point, sorted keeping grid order on equal points; the
// leader after the last race is champion.
#include "app/game.hpp"
#include "driver/player.hpp"
#include "gfx/font.hpp"
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

void Game::drawStandings() {
    setFont(fontMenu);
    const std::string title = settings->raceIndex < settings->raceCount - 1
                                  ? "Standings after race " +
                                        std::to_string(settings->raceIndex + 1) + " of " +
                                        std::to_string(settings->raceCount)
                                  : std::string("Final results of the season");
    drawCentred(title, 0xFFAAFF00, 40);
    setFont(fontMedium);
    drawText(screen, 50, 70, "Name", 0xFFFFFF00, true);
    drawText(screen, 300, 70, "Points", 0xFFFFFF00, true);
    std::int32_t y = 100;
    for (std::int32_t i = 0; i < driverCount && i < 8; ++i) {
        const StandingsEntry& e = standings[std::size_t(i)];
        drawText(screen, 50, y, std::to_string(i + 1) + ". " + e.name, 0xFFFFFFFF, true);
        drawText(screen, 300, y, std::to_string(e.points), 0xFFFFFFFF, true);
        y += glyphHeight('A') + 3;
    }
    drawCentred("ENTER to continue", 0xFFFFFF00, 350);
    setFont(fontSmall);
}
