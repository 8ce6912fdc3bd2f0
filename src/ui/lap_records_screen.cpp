#include "ui/lap_records_screen.hpp"

#include "gfx/font.hpp"
#include "records/lap_record.hpp"
#include "track/directory.hpp"

#include <algorithm>
#include <sys/stat.h>

std::string LapRecordsScreen::drawLapRecords() {
    SDL_Surface* screen = context_.screen;
    const Fonts& fonts = context_.fonts;
    const Font& small = fonts.small;
    drawCentred(screen, fonts.menu, "Lap Records", 0xFFAAFF00, 40);
    drawText(screen, small, 20, 70, "TRACK", 0xFFFFFF00, true);
    drawText(screen, small, 180, 70, "DRIVER", 0xFFFFFF00, true);
    drawText(screen, small, 340, 70, "Lap Record", 0xFFFFFF00, true);
    drawText(screen, small, 430, 70, "CAR", 0xFFFFFF00, true);
    keys_.update();
    const std::int32_t count = std::int32_t(tracks_.size());
    if (count > 0) {
        if (keys_.fired(SDLK_DOWN)) selected = (selected + 1) % count;
        if (keys_.fired(SDLK_UP)) selected = (selected + count - 1) % count;
        selected = std::clamp(selected, 0, count - 1);
    }
    std::string watch;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string& track = tracks_[std::size_t(i)];
        const LapRecord record = readLapRecord(track);
        const std::int32_t y = 90 + 12 * i;
        const std::uint32_t colour = i == selected ? 0xFFFFFF00 : 0xFFFFFFFF;
        struct stat info;
        const bool replay = replayPath && ::stat(replayPath(track).c_str(), &info) == 0;
        drawText(screen, small, 20, y, stripExtension(track), colour, true);
        drawText(screen, small, 180, y, record.driver, colour, true);
        drawText(screen, small, 340, y, lapTimeText(record.time), colour, true);
        drawText(screen, small, 430, y, record.car, colour, true);
        if (replay) drawText(screen, small, 570, y, "replay", 0xFF00FFFF, true);
        if (replay && i == selected && keys_.pressed(SDLK_RETURN)) watch = track;
    }
    drawCentred(screen, fonts.medium, "ESC to go back, RETURN to watch a record's replay",
                0x00FFFF00, 350);
    return watch;
}
