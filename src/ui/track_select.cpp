#include "ui/track_select.hpp"

#include "app/game.hpp"
#include "platform/platform.hpp"
#include "gfx/font.hpp"
#include "track/directory.hpp"

#include <algorithm>
#include <cstdio>

std::int32_t trackColumn = 0;
std::int32_t trackRow = 0;
std::int32_t trackTop = 0;

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kDimWhite = 0xFF7F7F7F;
constexpr std::uint32_t kGreen = 0xFF00FF00;
// Rows below this would run into the help line; the list stops there.
constexpr std::int32_t kListBottom = 340;
} // namespace

void addTrack(std::int32_t position) {
    if (numSelected == kMaxRaces) {
        std::printf("LIST FULL\n");
        return;
    }
    std::printf("numSelected is %d\n", numSelected);
    for (std::int32_t& slot : selectedTracks)
        if (slot == -1) {
            slot = position;
            ++numSelected;
            return;
        }
    std::printf("No Free entry!\n");
}

void removeTrack(std::int32_t entry) {
    std::printf("removing num %d\n", entry);
    if (entry >= 0 && entry < kMaxRaces) {
        for (std::int32_t i = entry; i + 1 < kMaxRaces; ++i)
            selectedTracks[i] = selectedTracks[i + 1];
        selectedTracks[kMaxRaces - 1] = -1;
        if (numSelected > 0) --numSelected;
    }
    if (trackRow == numSelected) --trackRow;
    if (trackRow < 0) {
        trackRow = 0;
        trackColumn = 0;
    }
    for (int i = 0; i < kMaxRaces; ++i)
        std::printf("selectedTracks[%d]=%d\n", i, selectedTracks[i]);
}

void Game::trackSelectionFrame() {
    setFont(fontMenu);
    drawCentred("Track Selection", 0xFFAAFF00, 40);
    const std::int32_t n = std::int32_t(tracks.size());
    setFont(fontMedium);
    delay(10);
    refreshKeys();
    drawText(screen, 40, 85, "Available Tracks:", kGreen, true);
    if (numSelected == 0 || trackColumn < 0 || trackColumn > 1) trackColumn = 0;
    const std::int32_t step = std::max(glyphHeight('A') + 3, 1);
    // The list scrolls so that the cursor's row is always one of those shown.
    const std::int32_t rows = std::max((kListBottom - 110 + step - 1) / step, 1);
    if (trackColumn == 0) {
        if (trackRow < trackTop) trackTop = trackRow;
        if (trackRow >= trackTop + rows) trackTop = trackRow - rows + 1;
    }
    trackTop = std::max(0, std::min(trackTop, n - rows));
    for (std::int32_t i = trackTop, y = 110; i < n && y < kListBottom; ++i, y += step)
        drawText(screen, 40, y, stripExtension(tracks[std::size_t(i)]),
                 trackColumn == 0 && trackRow == i ? kWhite : kDimWhite, true);
    drawText(screen, 400, 85, "Selected Tracks:", kGreen, true);
    for (std::int32_t j = 0, y = 110; j < numSelected; ++j, y += step) {
        const std::int32_t position = selectedTracks[std::size_t(j)];
        if (position < 0 || std::size_t(position) >= tracks.size()) continue;
        drawText(screen, 400, y, stripExtension(tracks[std::size_t(position)]),
                 trackColumn == 1 && trackRow == j ? kWhite : kDimWhite, true);
    }
    drawCentred("Hit ESC to go back.", 0xFFFFFF00, 350);

    switch (keyPressed) {
    case SDLK_UP:
        if (trackRow > 0) --trackRow;
        break;
    case SDLK_DOWN:
        ++trackRow;
        if (trackRow >= (trackColumn == 0 ? n : numSelected)) trackRow = 0;
        break;
    case SDLK_RIGHT:
        trackRow = 0;
        trackColumn = trackColumn == 1 ? 0 : trackColumn + 1;
        break;
    case SDLK_LEFT:
        trackRow = 0;
        trackColumn = trackColumn == 0 ? 1 : trackColumn - 1;
        break;
    case SDLK_RETURN:
        // An empty track list has no position to add.
        if (trackColumn == 0 && trackRow < n)
            addTrack(trackRow);
        else if (trackColumn == 1)
            removeTrack(trackRow);
        break;
    default:
        break;
    }

    settings->raceCount = 0;
    for (int i = 0; i < kMaxRaces; ++i) {
        const std::int32_t position = selectedTracks[std::size_t(i)];
        if (position != -1) ++settings->raceCount;
        settings->trackNames[std::size_t(i)] =
            position >= 0 && std::size_t(position) < tracks.size() ? tracks[std::size_t(position)]
                                                                   : std::string();
    }
    setFont(fontSmall);
}
