// HALL OF FAME: every track's lap record, read afresh each frame so that a
// record set in a race shows at once.
#include "app/game.hpp"
#include "gfx/font.hpp"
#include "records/lap_record.hpp"
#include "track/directory.hpp"

void Game::drawLapRecords() {
    setFont(fontMenu);
    drawCentred("Lap Records", 0xFFAAFF00, 40);
    setFont(fontSmall);
    drawText(screen, 20, 70, "TRACK", 0xFFFFFF00, true);
    drawText(screen, 180, 70, "DRIVER", 0xFFFFFF00, true);
    drawText(screen, 340, 70, "Lap Record", 0xFFFFFF00, true);
    drawText(screen, 430, 70, "CAR", 0xFFFFFF00, true);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const LapRecord record = readLapRecord(tracks[i]);
        const std::int32_t y = 90 + 12 * std::int32_t(i);
        drawText(screen, 20, y, stripExtension(tracks[i]), 0xFFFFFFFF, true);
        drawText(screen, 180, y, record.driver, 0xFFFFFFFF, true);
        drawText(screen, 340, y, lapTimeText(record.time), 0xFFFFFFFF, true);
        drawText(screen, 430, y, record.car, 0xFFFFFFFF, true);
    }
    setFont(fontMedium);
    drawCentred("ESC to go back", 0x00FFFF00, 350);
    setFont(fontSmall);
}
