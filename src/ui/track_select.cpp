#include "ui/track_select.hpp"

#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/platform.hpp"
#include "track/directory.hpp"

#include <algorithm>
#include <cstdio>

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kDimWhite = 0xFF7F7F7F;
constexpr std::uint32_t kGreen = 0xFF00FF00;
// Rows below this would run into the help line; the list stops there.
constexpr std::int32_t kListBottom = 340;
// The preview stands between the two lists.
constexpr std::int32_t kPreviewX = 208;
constexpr std::int32_t kPreviewY = 110;
} // namespace

void TrackSelectionScreen::drawPreview(std::int32_t position) {
    SDL_Surface* screen = context_.screen;
    if (!screen || position < 0 || position >= std::int32_t(tracks_.size())) return;
    const std::string& file = tracks_[std::size_t(position)];
    constexpr std::int32_t w = TrackPreviews::kWidth, h = TrackPreviews::kHeight;
    SDL_Surface* picture = previews.picture(file);
    const Font& small = context_.fonts.small;
    darkenRect(screen, kPreviewX - 3, kPreviewY - 3, kPreviewX + w + 3, kPreviewY + h + 40);
    const std::int32_t px = kPreviewX + (w - picture->w) / 2;
    const std::int32_t py = kPreviewY + (h - picture->h) / 2;
    maskedBlit(picture, screen, px, py);
    if (previews.unreadable(file))
        drawText(screen, small, kPreviewX + w / 2 - textWidth(small, "NO PICTURE") / 2,
                 kPreviewY + h / 2 - 4, "NO PICTURE", kDimWhite, true);
    const LapRecord& record = previews.record(file);
    const std::int32_t line = glyphHeight(small, 'A') + 3;
    drawText(screen, small, kPreviewX, kPreviewY + h + 6, "Lap record: " + lapTimeText(record.time),
             0xFFFFFF00, true);
    // Names run up to 79 characters: cut to the box rather than into the
    // selected list.
    std::string holder = record.driver + ", " + record.car;
    while (!holder.empty() && textWidth(small, holder) > w)
        holder.pop_back();
    drawText(screen, small, kPreviewX, kPreviewY + h + 6 + line, holder, kWhite, true);
}

void TrackSelectionScreen::addTrack(std::int32_t position) {
    Selection& selection = context_.selection;
    if (selection.trackCount == kMaxRaces) {
        std::printf("LIST FULL\n");
        return;
    }
    std::printf("numSelected is %d\n", selection.trackCount);
    for (std::int32_t& slot : selection.tracks)
        if (slot == -1) {
            slot = position;
            ++selection.trackCount;
            return;
        }
    std::printf("No Free entry!\n");
}

void TrackSelectionScreen::removeTrack(std::int32_t entry) {
    Selection& selection = context_.selection;
    std::printf("removing num %d\n", entry);
    if (entry >= 0 && entry < kMaxRaces) {
        for (std::int32_t i = entry; i + 1 < kMaxRaces; ++i)
            selection.tracks[std::size_t(i)] = selection.tracks[std::size_t(i + 1)];
        selection.tracks[kMaxRaces - 1] = -1;
        if (selection.trackCount > 0) --selection.trackCount;
    }
    if (row == selection.trackCount) --row;
    if (row < 0) {
        row = 0;
        column = 0;
    }
    for (int i = 0; i < kMaxRaces; ++i)
        std::printf("selectedTracks[%d]=%d\n", i, selection.tracks[std::size_t(i)]);
}

void TrackSelectionScreen::frame() {
    SDL_Surface* screen = context_.screen;
    const Fonts& fonts = context_.fonts;
    const Selection& selection = context_.selection;
    drawCentred(screen, fonts.menu, "Track Selection", 0xFFAAFF00, 40);
    const std::int32_t n = std::int32_t(tracks_.size());
    const Font& font = fonts.medium;
    delay(10);
    context_.keyboard.refresh();
    drawText(screen, font, 40, 85, "Available Tracks:", kGreen, true);
    if (selection.trackCount == 0 || column < 0 || column > 1) column = 0;
    const std::int32_t step = std::max(glyphHeight(font, 'A') + 3, 1);
    // The list scrolls so that the cursor's row is always one of those shown.
    const std::int32_t rows = std::max((kListBottom - 110 + step - 1) / step, 1);
    if (column == 0) {
        if (row < top) top = row;
        if (row >= top + rows) top = row - rows + 1;
    }
    top = std::max(0, std::min(top, n - rows));
    for (std::int32_t i = top, y = 110; i < n && y < kListBottom; ++i, y += step)
        drawText(screen, font, 40, y, stripExtension(tracks_[std::size_t(i)]),
                 column == 0 && row == i ? kWhite : kDimWhite, true);
    drawText(screen, font, 400, 85, "Selected Tracks:", kGreen, true);
    for (std::int32_t j = 0, y = 110; j < selection.trackCount; ++j, y += step) {
        const std::int32_t position = selection.tracks[std::size_t(j)];
        if (position < 0 || position >= n) continue;
        drawText(screen, font, 400, y, stripExtension(tracks_[std::size_t(position)]),
                 column == 1 && row == j ? kWhite : kDimWhite, true);
    }
    drawCentred(screen, font, "Hit ESC to go back.", 0xFFFFFF00, 350);
    if (column == 0)
        drawPreview(row);
    else if (row >= 0 && row < selection.trackCount)
        drawPreview(selection.tracks[std::size_t(row)]);

    switch (context_.keyboard.pressed) {
    case SDLK_UP:
        if (row > 0) --row;
        break;
    case SDLK_DOWN:
        ++row;
        if (row >= (column == 0 ? n : selection.trackCount)) row = 0;
        break;
    case SDLK_RIGHT:
        row = 0;
        column = column == 1 ? 0 : column + 1;
        break;
    case SDLK_LEFT:
        row = 0;
        column = column == 0 ? 1 : column - 1;
        break;
    case SDLK_RETURN:
        // An empty track list has no position to add.
        if (column == 0 && row < n)
            addTrack(row);
        else if (column == 1)
            removeTrack(row);
        break;
    default:
        break;
    }

    Settings& settings = context_.settings;
    settings.raceCount = 0;
    for (int i = 0; i < kMaxRaces; ++i) {
        const std::int32_t position = selection.tracks[std::size_t(i)];
        if (position != -1) ++settings.raceCount;
        settings.trackNames[std::size_t(i)] =
            position >= 0 && position < n ? tracks_[std::size_t(position)] : std::string();
    }
}
