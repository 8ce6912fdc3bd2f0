// The track selection screen: up to eight tracks, in race order, for the
// next race or season. The same track may stand several times. The track
// under the cursor is shown small, with its racing line and lap record.
#pragma once

#include "ui/screen_context.hpp"
#include "ui/track_preview.hpp"

#include <cstdint>
#include <string>
#include <vector>

class TrackSelectionScreen {
  public:
    // tracks: the file names of tracks/, in list order.
    TrackSelectionScreen(const ScreenContext& context, const std::vector<std::string>& tracks)
        : context_(context), tracks_(tracks) {}

    // One main-menu frame: draws the lists and applies the frame's key
    // event, then writes the chosen track names into the settings.
    void frame();
    // Each time the screen is opened: a race since the last visit may have
    // set a lap record.
    void open() { previews.forgetRecords(); }

    // The list operations behind RETURN.
    void addTrack(std::int32_t position);
    void removeTrack(std::int32_t entry);

    // Cursor column (0 available tracks, 1 selected tracks) and row, and the
    // first available track shown when the list is longer than the screen.
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t top = 0;

    TrackPreviews previews;

  private:
    // The highlighted track's picture and lap record beside the lists.
    void drawPreview(std::int32_t position);

    const ScreenContext& context_;
    const std::vector<std::string>& tracks_;
};
