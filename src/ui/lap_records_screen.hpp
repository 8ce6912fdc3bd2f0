// HALL OF FAME: every track's lap record, read afresh each frame so that a
// record set in a race shows at once. A record a human set keeps the race
// that set it; UP and DOWN pick a track and RETURN asks to watch it.
#pragma once

#include "platform/platform.hpp"
#include "ui/screen_context.hpp"

#include <functional>

#include <string>
#include <vector>

class LapRecordsScreen {
  public:
    // tracks: the file names of tracks/, in list order.
    LapRecordsScreen(const ScreenContext& context, const std::vector<std::string>& tracks)
        : context_(context), tracks_(tracks), keys_(context.keyboard) {}
    // One main-menu frame; ESC is the menu's to serve. Returns the track
    // whose record race the player asked to watch, empty when none.
    std::string drawLapRecords();
    // Where a track's record race is kept, by track file name.
    std::function<std::string(const std::string& track)> replayPath;
    std::int32_t selected = 0;

  private:
    const ScreenContext& context_;
    const std::vector<std::string>& tracks_;
    KeyRepeat keys_;
};
