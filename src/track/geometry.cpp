#include "track/geometry.hpp"

#include "gfx/surface.hpp"

namespace {
constexpr double kPi = 3.1415926535;
} // namespace

GridPlace gridPlace(const TrackArea& line, std::int32_t index, std::int32_t number) {
    const std::int32_t side = number % 2 != 0 ? 0 : -35;
    const std::int32_t row = index / 2;
    const std::int32_t x1 = line.x1, y1 = line.y1, x2 = line.x2, y2 = line.y2;
    GridPlace p;
    if (x2 - x1 > y2 - y1) {
        p.x = float(x1 + 64 + side);
        p.y = float(y1 - 60 * (row + 1));
        p.angle = float(kPi);
    } else {
        p.x = float(x2 + 5 + 60 * row);
        p.y = float(y1 + 32 + side);
        p.angle = float(kPi * 3.0 * 0.5);
    }
    return p;
}

std::vector<CoveringCell> collectCoveringCells(const Track& track, std::int32_t layer) {
    std::vector<CoveringCell> cells;
    for (std::int32_t y = 0; y < track.height; ++y)
        for (std::int32_t x = 0; x < track.width; ++x) {
            const std::int32_t t = track.layerTile(x, y, layer);
            if (t != -1) cells.push_back({x, y, t});
        }
    return cells;
}

namespace {
void drawLayer(const Track& track, const CoveringCell& c, std::int32_t layer, SDL_Surface* surface,
               bool shadow) {
    const Tile* t = track.tile(track.layerTile(c.x, c.y, layer));
    if (!t) return;
    const std::int32_t x = c.x * track.pitchX(), y = c.y * track.pitchY();
    if (shadow)
        shadowBlit(t->surface, surface, x, y);
    else
        maskedBlit(t->surface, surface, x, y);
}
} // namespace

void restoreCells(const Track& track, const std::vector<CoveringCell>& cells,
                  SDL_Surface* surface) {
    for (const CoveringCell& c : cells)
        for (std::int32_t layer : {0, 1, 2, 4})
            drawLayer(track, c, layer, surface, false);
}

void drawCellShadows(const Track& track, const std::vector<CoveringCell>& cells,
                     SDL_Surface* surface) {
    for (const CoveringCell& c : cells)
        drawLayer(track, c, 3, surface, true);
}

void drawCellCovers(const Track& track, const std::vector<CoveringCell>& cells,
                    SDL_Surface* surface) {
    for (const CoveringCell& c : cells) {
        drawLayer(track, c, 4, surface, false);
        drawLayer(track, c, 3, surface, true);
    }
}
