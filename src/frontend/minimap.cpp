#include "frontend/minimap.hpp"

#include "car/car.hpp"
#include "car/sprite.hpp"
#include "driver/player.hpp"
#include "frontend/race_drawing.hpp"
#include "gfx/surface.hpp"
#include "race/race.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
constexpr std::uint32_t kOutline = 0xFF000000;
constexpr std::uint32_t kOwnMark = 0xFFFFFFFF;
constexpr std::uint32_t kFrame = 0xFF606060;

std::uint32_t channel(std::uint32_t p, int shift) {
    return (p >> shift) & 0xFF;
}
} // namespace

Minimap::~Minimap() {
    clear();
}

void Minimap::clear() {
    if (picture) SDL_FreeSurface(picture);
    picture = nullptr;
    colours.clear();
    trackWidth = trackHeight = 0;
}

bool Minimap::prepare(SDL_Surface* track, const std::vector<std::unique_ptr<Sprite>>& sprites,
                      std::int32_t maxWidth, std::int32_t maxHeight) {
    clear();
    if (!track || track->w <= 0 || track->h <= 0 || track->format->BytesPerPixel != 4 ||
        maxWidth <= 0 || maxHeight <= 0)
        return false;
    const std::int32_t tw = track->w, th = track->h;
    // The larger of the two shrinks wins, so that the whole track fits.
    std::int32_t w = maxWidth, h = std::int32_t(std::int64_t(th) * maxWidth / tw);
    if (h > maxHeight) {
        h = maxHeight;
        w = std::int32_t(std::int64_t(tw) * maxHeight / th);
    }
    w = std::clamp(w, 1, tw);
    h = std::clamp(h, 1, th);
    picture = createDisplaySurface(w, h);
    if (!picture) return false;
    trackWidth = tw;
    trackHeight = th;

    // Each small pixel averages the block of track pixels it stands for;
    // one pass over the track, a row of sums for the small row being made.
    std::vector<std::int32_t> firstColumn(std::size_t(w) + 1);
    for (std::int32_t x = 0; x <= w; ++x)
        firstColumn[std::size_t(x)] = std::int32_t(std::int64_t(x) * tw / w);
    std::vector<std::array<std::uint64_t, 3>> sums(static_cast<std::size_t>(w));
    if (SDL_LockSurface(track) != 0) {
        clear();
        return false;
    }
    for (std::int32_t y = 0; y < h; ++y) {
        const std::int32_t top = std::int32_t(std::int64_t(y) * th / h);
        const std::int32_t bottom = std::int32_t(std::int64_t(y + 1) * th / h);
        std::fill(sums.begin(), sums.end(), std::array<std::uint64_t, 3>{});
        for (std::int32_t sy = top; sy < bottom; ++sy) {
            const std::uint32_t* row = pixelRow(track, sy);
            for (std::int32_t x = 0; x < w; ++x) {
                auto& s = sums[std::size_t(x)];
                for (std::int32_t sx = firstColumn[std::size_t(x)];
                     sx < firstColumn[std::size_t(x) + 1]; ++sx) {
                    s[0] += channel(row[sx], 16);
                    s[1] += channel(row[sx], 8);
                    s[2] += channel(row[sx], 0);
                }
            }
        }
        std::uint32_t* out = pixelRow(picture, y);
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint64_t n =
                std::uint64_t(bottom - top) *
                std::uint64_t(firstColumn[std::size_t(x) + 1] - firstColumn[std::size_t(x)]);
            const auto& s = sums[std::size_t(x)];
            out[x] = n == 0 ? kOutline
                            : 0xFF000000u | std::uint32_t(s[0] / n) << 16 |
                                  std::uint32_t(s[1] / n) << 8 | std::uint32_t(s[2] / n);
        }
    }
    SDL_UnlockSurface(track);

    for (const auto& sprite : sprites)
        colours.push_back(
            carColour(sprite && sprite->animation ? sprite->animation->frameAt(0) : nullptr));
    return true;
}

IntPoint Minimap::place(float x, float y) const {
    if (!picture || trackWidth <= 0 || trackHeight <= 0) return {};
    const auto along = [](float v, std::int32_t from, std::int32_t to) {
        const float scaled = v * float(to) / float(from);
        return std::clamp(std::int32_t(scaled), 0, to - 1);
    };
    return {along(x, trackWidth, picture->w), along(y, trackHeight, picture->h)};
}

void Minimap::draw(SDL_Surface* screen, std::int32_t x, std::int32_t y, const Race& race,
                   std::int32_t own) const {
    if (!picture || !screen) return;
    // An opaque copy, row by row: the picture was made in the screen's
    // format, and blockCopy is what the views use too.
    const std::int32_t left = std::max(x, 0), right = std::min(x + picture->w, screen->w);
    const std::int32_t top = std::max(y, 0), bottom = std::min(y + picture->h, screen->h);
    if (right <= left || bottom <= top) return;
    if (SDL_LockSurface(screen) != 0) return;
    for (std::int32_t sy = top; sy < bottom; ++sy)
        blockCopy(pixelRow(screen, sy) + left, pixelRow(picture, sy - y) + (left - x),
                  std::size_t(right - left) * 4);
    SDL_UnlockSurface(screen);
    drawBox(screen, x - 1, y - 1, x + picture->w, y + picture->h, kFrame);

    const auto& players = race.players();
    auto dot = [&](std::size_t i, bool marked) {
        const Car* car = players[i]->car.get();
        if (!car) return;
        const IntPoint at = place(car->posX, car->posY);
        const std::int32_t cx = x + at.x, cy = y + at.y;
        const std::uint32_t colour = i < colours.size() ? colours[i] : kOwnMark;
        if (marked) {
            fillBox(screen, cx - 3, cy - 3, cx + 4, cy + 4, kOutline);
            fillBox(screen, cx - 2, cy - 2, cx + 3, cy + 3, kOwnMark);
        } else {
            fillBox(screen, cx - 2, cy - 2, cx + 3, cy + 3, kOutline);
        }
        fillBox(screen, cx - 1, cy - 1, cx + 2, cy + 2, colour);
    };
    for (std::size_t i = 0; i < players.size(); ++i)
        if (std::int32_t(i) != own) dot(i, false);
    if (own >= 0 && std::size_t(own) < players.size()) dot(std::size_t(own), true);
}

void drawMinimaps(SDL_Surface* screen, const Race& race, const RaceDrawing& drawing) {
    const Minimap& map = drawing.minimap;
    if (!map.picture) return;
    for (std::size_t v = 0; v < drawing.views.size(); ++v) {
        const View& view = *drawing.views[v];
        const std::int32_t own = v < drawing.viewPlayers.size() ? drawing.viewPlayers[v] : -1;
        map.draw(screen, view.x + view.width - map.picture->w - 6, view.y + 6, race, own);
    }
}

std::uint32_t carColour(SDL_Surface* picture) {
    if (!picture || picture->format->BytesPerPixel != 4 || SDL_LockSurface(picture) != 0)
        return kOwnMark;
    // Shades binned by the top three bits of each channel; only clearly
    // coloured pixels count, so that grey glass and black tyres never win.
    std::array<std::uint32_t, 512> counts{};
    std::array<std::array<std::uint64_t, 3>, 512> sums{};
    for (std::int32_t y = 0; y < picture->h; ++y) {
        const std::uint32_t* row = pixelRow(picture, y);
        for (std::int32_t x = 0; x < picture->w; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t r = channel(p, 16), g = channel(p, 8), b = channel(p, 0);
            const std::uint32_t hi = std::max({r, g, b}), lo = std::min({r, g, b});
            if (hi - lo < 48) continue;
            const std::size_t bin = (r >> 5) << 6 | (g >> 5) << 3 | (b >> 5);
            ++counts[bin];
            sums[bin][0] += r;
            sums[bin][1] += g;
            sums[bin][2] += b;
        }
    }
    SDL_UnlockSurface(picture);
    const std::size_t best =
        std::size_t(std::max_element(counts.begin(), counts.end()) - counts.begin());
    if (counts[best] == 0) return kOwnMark;
    std::uint32_t c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = std::uint32_t(sums[best][std::size_t(k)] / counts[best]);
    // Dark paint would vanish on the small map's dark road: lift the
    // brightest channel to at least 200, the others with it.
    const std::uint32_t top = std::max({c[0], c[1], c[2]});
    if (top > 0 && top < 200)
        for (auto& v : c)
            v = std::min<std::uint32_t>(255, v * 200 / top);
    return 0xFF000000u | c[0] << 16 | c[1] << 8 | c[2];
}
