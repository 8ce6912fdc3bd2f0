// Each human driver's corner of its view: laps, lap times, the optional lap
// record, and the fuel, damage and nitro bars.
#include "frontend/race_display.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "frontend/race_drawing.hpp"
#include "frontend/view.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "race/positions.hpp"
#include "race/race.hpp"
#include "records/lap_record.hpp"
#include "records/profile.hpp"
#include "track/track.hpp"

namespace {
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
// The place ("P3/8") stands right of the bars, the panel ends after it.
constexpr std::int32_t kPositionX = 330;
constexpr std::int32_t kPanelWidth = 380;

void drawBar(SDL_Surface* s, const Font& font, std::int32_t bx, std::int32_t vy, const char* label,
             float r, std::uint32_t colour) {
    drawText(s, font, bx - 10, vy + 15, label, kYellow, true);
    drawBox(s, bx, vy + 5, bx + 34, vy + 15, 0xFF000000);
    fillBox(s, bx + 1, vy + 6, std::int32_t(float(bx + 1) + r * 32.0f), vy + 14, colour);
}

// Full is good for fuel and nitro.
std::uint32_t fullIsGood(float r) {
    return r < 0.2f ? kRed : r < 0.5f ? kYellow : kGreen;
}
std::uint32_t fullIsBad(float r) {
    return r > 0.8f ? kRed : r > 0.5f ? kYellow : kGreen;
}
} // namespace

void drawRaceDisplay(SDL_Surface* screen, const Font& font, const Race& race,
                     const RaceDrawing& drawing, bool showLapRecord, bool followedOnly) {
    const auto& views = drawing.views;
    const auto& players = race.players();
    const Track* track = race.track();
    const std::int32_t mode = race.rules().mode;
    // Alone on the track a driver has no place worth showing.
    const std::vector<std::int32_t> positions =
        players.size() > 1 ? racePositions(race, drawing.lapLine) : std::vector<std::int32_t>{};
    const std::int32_t lineHeight = glyphHeight(font, 'A');
    std::size_t viewIndex = 0;
    for (std::size_t i = 0; i < players.size(); ++i) {
        const auto& p = players[i];
        const bool followed =
            !drawing.viewPlayers.empty() && drawing.viewPlayers[0] == std::int32_t(i);
        const bool shown = followedOnly ? followed : p->isHuman() || players.size() == 1;
        if (!shown) continue;
        if (viewIndex >= views.size()) break;
        const View& v = *views[viewIndex++];
        const std::int32_t vx = v.x, vy = v.y;
        // The text sits on a dark see-through panel, readable over kerbs,
        // the start line and snow alike; it reaches down to the lap
        // record's line when that is shown, else the best lap's.
        const bool recordShown = showLapRecord && track;
        const std::int32_t panelBottom =
            vy + 20 + (recordShown ? 4 * lineHeight + 13 : 3 * lineHeight + 8) + 5;
        // A quarter of the light behind it: half would leave snow too bright.
        dimRect(screen, vx + 4, vy + 2, vx + kPanelWidth, panelBottom);
        if (i < positions.size())
            drawText(screen, font, vx + kPositionX, vy + 20,
                     "P" + std::to_string(positions[i]) + "/" + std::to_string(players.size()),
                     kWhite, false);
        std::int32_t y = vy + 20;
        const std::string lap =
            mode == FreeDriving
                ? "lap " + std::to_string(p->laps + 1)
                : "lap " + std::to_string(p->laps + 1) + " of " + std::to_string(race.rules().laps);
        drawText(screen, font, vx + 10, y, lap, kYellow, false);
        y += glyphHeight(font, 'A') + 5;
        drawText(screen, font, vx + 10, y, "laptime:" + lapTimeText(p->shownLapTime), kYellow,
                 false);
        y += glyphHeight(font, 'A') + 3;
        drawText(screen, font, vx + 10, y, "best lap:" + lapTimeText(p->bestLap), kYellow, false);
        y += glyphHeight(font, 'A') + 5;
        if (recordShown)
            drawText(screen, font, vx + 10, y, "Lap Record:" + lapTimeText(track->record.time),
                     kYellow, false);
        const Car& car = *p->car;
        const std::int32_t bx = vx + 150;
        const float fuel = car.fuel / car.type->tankSize;
        const float damage = car.damage / car.type->maxDamage;
        const float nitro = car.nitro / 100.0f;
        drawBar(screen, font, bx, vy, "F", fuel, fullIsGood(fuel));
        drawBar(screen, font, bx + 64, vy, "D", damage, fullIsBad(damage));
        drawBar(screen, font, bx + 128, vy, "N", nitro, fullIsGood(nitro));
    }
}
