// HALL OF FAME: every track's lap record, read afresh each frame so that a
// record set in a race shows at once.
#pragma once

#include "ui/screen_context.hpp"

#include <string>
#include <vector>

class LapRecordsScreen {
  public:
    // tracks: the file names of tracks/, in list order.
    LapRecordsScreen(const ScreenContext& context, const std::vector<std::string>& tracks)
        : context_(context), tracks_(tracks) {}
    // One main-menu frame; ESC is the menu's to serve.
    void drawLapRecords() const;

  private:
    const ScreenContext& context_;
    const std::vector<std::string>& tracks_;
};
