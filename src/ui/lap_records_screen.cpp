#include "ui/lap_records_screen.hpp"

#include "gfx/font.hpp"
#include "records/lap_record.hpp"
#include "track/directory.hpp"

void LapRecordsScreen::drawLapRecords() const {
    SDL_Surface* screen = context_.screen;
    const Fonts& fonts = context_.fonts;
    const Font& small = fonts.small;
    drawCentred(screen, fonts.menu, "Lap Records", 0xFFAAFF00, 40);
    drawText(screen, small, 20, 70, "TRACK", 0xFFFFFF00, true);
    drawText(screen, small, 180, 70, "DRIVER", 0xFFFFFF00, true);
    drawText(screen, small, 340, 70, "Lap Record", 0xFFFFFF00, true);
    drawText(screen, small, 430, 70, "CAR", 0xFFFFFF00, true);
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        const LapRecord record = readLapRecord(tracks_[i]);
        const std::int32_t y = 90 + 12 * std::int32_t(i);
        drawText(screen, small, 20, y, stripExtension(tracks_[i]), 0xFFFFFFFF, true);
        drawText(screen, small, 180, y, record.driver, 0xFFFFFFFF, true);
        drawText(screen, small, 340, y, lapTimeText(record.time), 0xFFFFFFFF, true);
        drawText(screen, small, 430, y, record.car, 0xFFFFFFFF, true);
    }
    drawCentred(screen, fonts.medium, "ESC to go back", 0x00FFFF00, 350);
}
