#include "ui/results_screen.hpp"

#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "records/lap_record.hpp"
#include "track/directory.hpp"

#include <algorithm>
#include <utility>

namespace {
constexpr std::uint32_t kTitle = 0xFF55FFFF;
constexpr std::uint32_t kHeading = 0xFFFFFF00;
constexpr std::uint32_t kPlain = 0xFFFFFFFF;
constexpr std::uint32_t kOut = 0xFFAAAAAA;
constexpr std::uint32_t kFastest = 0xFF55FF55;
constexpr std::uint32_t kRecord = 0xFFFF55FF;

// The columns' left edges; each text is cut to end before the next column.
constexpr std::int32_t kPosition = 24, kDriver = 64, kCar = 236, kBest = 352, kTotal = 450,
                       kPits = 560, kRight = 616;

// The text shortened until it fits the width, with ".." when cut.
std::string fitted(const Font& font, const std::string& text, std::int32_t width) {
    if (textWidth(font, text) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && textWidth(font, cut + "..") > width)
        cut.pop_back();
    return cut + "..";
}

std::string totalText(const ResultRow& row) {
    if (row.finished) return lapTimeText(row.totalTime);
    if (row.out) return "out";
    return "-";
}
} // namespace

ResultsScreen::ResultsScreen(const ScreenContext& context)
    : context_(context), keys_(context.keyboard) {}

void ResultsScreen::open(std::vector<ResultRow> rows, const std::string& track) {
    rows_ = std::move(rows);
    track_ = track;
    keys_ = KeyRepeat(context_.keyboard, true);
}

bool ResultsScreen::frame() {
    keys_.update();
    SDL_Surface* screen = context_.screen;
    const Fonts& fonts = context_.fonts;
    const Font& font = fonts.medium;
    const std::int32_t line = glyphHeight(font, 'A') + 4;
    if (screen) {
        // Below the picture's name, on a dimmed panel that keeps the table
        // readable over the picture.
        const std::int32_t rows = std::int32_t(std::min<std::size_t>(rows_.size(), 8));
        const std::int32_t top = 114;
        const std::int32_t legend = top + line * (rows + 1) + 12;
        darkenRect(screen, kPosition - 12, 74, kRight + 12, legend + line + 6);
        drawCentred(screen, fonts.menu, "Results: " + stripExtension(track_), kTitle, 80);
        const std::pair<std::int32_t, const char*> headings[] = {
            {kPosition, "Pos"},  {kDriver, "Driver"}, {kCar, "Car"},
            {kBest, "Best lap"}, {kTotal, "Time"},    {kPits, "Pits"}};
        for (const auto& [x, text] : headings)
            drawText(screen, font, x, top, text, kHeading, true);
        const ResultRow* record = nullptr;
        for (std::int32_t i = 0; i < rows; ++i) {
            const ResultRow& row = rows_[std::size_t(i)];
            const std::int32_t y = top + line * (i + 1);
            const std::uint32_t colour = row.finished ? kPlain : kOut;
            const std::uint32_t best =
                row.lapRecord ? kRecord : (row.fastestLap ? kFastest : colour);
            if (row.lapRecord) record = &row;
            drawText(screen, font, kPosition, y, std::to_string(i + 1) + ".", colour, true);
            drawText(screen, font, kDriver, y, fitted(font, row.driver, kCar - kDriver - 8), colour,
                     true);
            drawText(screen, font, kCar, y, fitted(font, row.car, kBest - kCar - 8), colour, true);
            drawText(screen, font, kBest, y, row.bestLap > 0 ? lapTimeText(row.bestLap) : "-", best,
                     true);
            drawText(screen, font, kTotal, y, totalText(row), colour, true);
            drawText(screen, font, kPits, y, std::to_string(row.pitStops), colour, true);
        }
        if (record) {
            const std::string text = "New lap record " + lapTimeText(record->bestLap) + " by ";
            drawCentred(
                screen, font,
                text + fitted(font, record->driver, kRight - kPosition - textWidth(font, text)),
                kRecord, legend);
        } else if (std::any_of(rows_.begin(), rows_.end(),
                               [](const ResultRow& r) { return r.fastestLap; })) {
            drawCentred(screen, font, "Fastest lap in green", kFastest, legend);
        }
        drawCentred(screen, fonts.medium, "ENTER to continue, R to watch the race again", kHeading,
                    350);
    }
    return keys_.pressed(SDLK_RETURN) || keys_.pressed(SDLK_ESCAPE);
}
