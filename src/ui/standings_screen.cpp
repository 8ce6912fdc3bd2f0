#include "ui/standings_screen.hpp"

#include "gfx/font.hpp"

void StandingsScreen::drawStandings(const std::array<StandingsEntry, 8>& table, std::int32_t count,
                                    std::int32_t raceIndex, std::int32_t raceCount) const {
    SDL_Surface* screen = context_.screen;
    const Fonts& fonts = context_.fonts;
    const std::string title = raceIndex < raceCount - 1
                                  ? "Standings after race " + std::to_string(raceIndex + 1) +
                                        " of " + std::to_string(raceCount)
                                  : std::string("Final results of the season");
    drawCentred(screen, fonts.menu, title, 0xFFAAFF00, 40);
    const Font& font = fonts.medium;
    drawText(screen, font, 50, 70, "Name", 0xFFFFFF00, true);
    drawText(screen, font, 300, 70, "Points", 0xFFFFFF00, true);
    std::int32_t y = 100;
    for (std::int32_t i = 0; i < count && i < 8; ++i) {
        const StandingsEntry& e = table[std::size_t(i)];
        drawText(screen, font, 50, y, std::to_string(i + 1) + ". " + e.name, 0xFFFFFFFF, true);
        drawText(screen, font, 300, y, std::to_string(e.points), 0xFFFFFFFF, true);
        y += glyphHeight(font, 'A') + 3;
    }
    drawCentred(screen, fonts.medium, "ENTER to continue", 0xFFFFFF00, 350);
}
