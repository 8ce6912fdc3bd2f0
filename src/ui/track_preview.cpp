#include "ui/track_preview.hpp"

#include "gfx/surface.hpp"
#include "track/track.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
constexpr std::uint32_t kRacingLineColour = 0xFFFFE040;
constexpr std::uint32_t kFinishLineColour = 0xFFFFFFFF;

void plot(SDL_Surface* s, std::int32_t x, std::int32_t y, std::uint32_t colour) {
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
    pixelRow(s, y)[x] = colour;
}

// Two pixels thick: a one-pixel line is lost among the shrunk kerbs.
void thickLine(SDL_Surface* s, double x1, double y1, double x2, double y2, std::uint32_t colour) {
    const double steps = std::max({std::fabs(x2 - x1), std::fabs(y2 - y1), 1.0});
    for (std::int32_t i = 0; i <= std::int32_t(steps); ++i) {
        const double t = i / steps;
        const auto x = std::int32_t(std::floor(x1 + (x2 - x1) * t));
        const auto y = std::int32_t(std::floor(y1 + (y2 - y1) * t));
        plot(s, x, y, colour);
        plot(s, x + 1, y, colour);
        plot(s, x, y + 1, colour);
        plot(s, x + 1, y + 1, colour);
    }
}

// Each pixel of the small picture is the average of the block of the large
// one it stands for, channel by channel, so thin roads and kerbs keep their
// share of colour instead of flickering in or out as a sample would.
void shrinkInto(SDL_Surface* large, SDL_Surface* small) {
    const std::int64_t lw = large->w, lh = large->h, sw = small->w, sh = small->h;
    std::vector<std::uint64_t> sums(std::size_t(sw) * 3);
    for (std::int64_t ty = 0; ty < sh; ++ty) {
        const std::int64_t y0 = ty * lh / sh, y1 = std::max(y0 + 1, (ty + 1) * lh / sh);
        for (std::int64_t tx = 0; tx < sw; ++tx) {
            const std::int64_t x0 = tx * lw / sw, x1 = std::max(x0 + 1, (tx + 1) * lw / sw);
            std::uint64_t r = 0, g = 0, b = 0;
            for (std::int64_t y = y0; y < y1 && y < lh; ++y) {
                const std::uint32_t* row = pixelRow(large, std::int32_t(y));
                for (std::int64_t x = x0; x < x1 && x < lw; ++x) {
                    const std::uint32_t p = row[x];
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                }
            }
            const std::uint64_t n =
                std::uint64_t((std::min(y1, lh) - y0) * (std::min(x1, lw) - x0));
            pixelRow(small, std::int32_t(ty))[tx] = 0xFF000000u | std::uint32_t(r / n) << 16 |
                                                    std::uint32_t(g / n) << 8 |
                                                    std::uint32_t(b / n);
        }
    }
}

void drawLines(const Track& track, SDL_Surface* small, double scale) {
    if (const TrackArea* finish = track.finishLine()) {
        // Where the race tests it: lifted like every area.
        const double y1 = (finish->y1 - kAreaTestLift) * scale;
        const double y2 = (finish->y2 - kAreaTestLift) * scale;
        fillBox(small, std::int32_t(finish->x1 * scale), std::int32_t(y1),
                std::int32_t(finish->x2 * scale) + 1,
                std::max(std::int32_t(y2), std::int32_t(y1) + 2), kFinishLineColour);
    }
    if (track.waypoints[0].type != RacingLine) return;
    std::int32_t from = 0;
    for (std::int32_t step = 0; step < kWaypoints; ++step) {
        const std::int32_t to = track.nextWaypoint(from);
        const Waypoint& a = track.waypoints[std::size_t(from)];
        const Waypoint& b = track.waypoints[std::size_t(to)];
        thickLine(small, a.x * scale, a.y * scale, b.x * scale, b.y * scale, kRacingLineColour);
        if (to == 0) break;
        from = to;
    }
}
} // namespace

SDL_Surface* makeTrackThumbnail(const Track& track, std::int32_t width, std::int32_t height) {
    const std::int32_t w = track.pixelWidth(), h = track.pixelHeight();
    if (w <= 0 || h <= 0 || width <= 0 || height <= 0) return nullptr;
    const double scale = std::min(double(width) / w, double(height) / h);
    const std::int32_t sw = std::clamp(std::int32_t(std::lround(w * scale)), 1, width);
    const std::int32_t sh = std::clamp(std::int32_t(std::lround(h * scale)), 1, height);
    // The whole track drawn once, as a race draws it, then let go: the
    // picture is all that is kept.
    SDL_Surface* large = createDisplaySurface(w, h);
    if (!large) return nullptr;
    track.renderArea(large, 0, 0, 0, 0, track.width, track.height);
    SDL_Surface* small = createSurface(sw, sh, false);
    shrinkInto(large, small);
    SDL_FreeSurface(large);
    drawLines(track, small, double(sw) / w);
    return small;
}

TrackPreviews::~TrackPreviews() {
    for (auto& [name, e] : pictures_)
        SDL_FreeSurface(e.picture);
}

const TrackPreviews::Entry& TrackPreviews::entry(const std::string& mapFile) {
    auto found = pictures_.find(mapFile);
    if (found != pictures_.end()) return found->second;
    Entry e;
    Track track;
    ++mapsRead;
    if (track.loadMap(mapFile)) e.picture = makeTrackThumbnail(track, kWidth, kHeight);
    if (!e.picture) {
        std::printf("No picture of track %s\n", mapFile.c_str());
        e.picture = createSurface(kWidth, kHeight, false);
        SDL_FillRect(e.picture, nullptr, kPlaceholderColour);
        e.placeholder = true;
    }
    return pictures_.emplace(mapFile, e).first->second;
}

SDL_Surface* TrackPreviews::picture(const std::string& mapFile) {
    return entry(mapFile).picture;
}

bool TrackPreviews::unreadable(const std::string& mapFile) {
    return entry(mapFile).placeholder;
}

const LapRecord& TrackPreviews::record(const std::string& mapFile) {
    auto found = records_.find(mapFile);
    if (found == records_.end()) found = records_.emplace(mapFile, readLapRecord(mapFile)).first;
    return found->second;
}
