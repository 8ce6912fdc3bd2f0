// The results of a race as the player sees them after it, before the
// season's standings or the menu: position, driver, car, best lap, total
// time and pit stops for every participant, the race's fastest lap and a
// new lap record picked out in colours of their own. RETURN or ESC goes on;
// R asks to watch the race again.
#pragma once

#include "platform/platform.hpp"
#include "race/results.hpp"
#include "ui/screen_context.hpp"

#include <string>
#include <vector>

class ResultsScreen {
  public:
    explicit ResultsScreen(const ScreenContext& context);
    // The table of the race just ended on the track (a map file name); keys
    // held as it opens (the race's own) do not close it.
    void open(std::vector<ResultRow> rows, const std::string& track);
    // Draws the table over whatever the screen shows; true once the player
    // has pressed RETURN or ESC to go on.
    bool frame();
    // R was pressed in the last frame: the player wants to watch the race.
    bool watchAsked() const { return keys_.pressed(SDLK_r); }

    const std::vector<ResultRow>& rows() const { return rows_; }

  private:
    const ScreenContext& context_;
    KeyRepeat keys_;
    std::vector<ResultRow> rows_;
    std::string track_;
};
