// Track geometry used by the race: where the start grid puts each car, and
// the cells whose layer-3 shadows and layer-4 covers are drawn again over
// the cars every frame.
#pragma once

#include "track/track.hpp"

#include <cstdint>
#include <vector>

struct GridPlace {
    float x = 0, y = 0; // the car's centre
    float angle = 0;    // body and travel direction
};

// The place of participant number (1-based) at grid position index
// (0-based) behind a finish line: pairs 35 pixels apart, rows 60 apart. A
// line wider than tall has the cars above it pointing down; otherwise they
// stand to its right pointing left.
GridPlace gridPlace(const TrackArea& finishLine, std::int32_t index, std::int32_t number);

struct CoveringCell {
    std::int32_t x = 0, y = 0; // column and row
    std::int32_t tile = -1;    // the tile on the collected layer
};

// The cells of a layer that hold a tile, row by row.
std::vector<CoveringCell> collectCoveringCells(const Track& track, std::int32_t layer);

// Puts the cells' own picture back under where cars were: layers 0, 1, 2
// and 4 (the shadow of layer 3 is drawn afterwards).
void restoreCells(const Track& track, const std::vector<CoveringCell>& cells, SDL_Surface* surface);
// Layer-3 shadows over the cars.
void drawCellShadows(const Track& track, const std::vector<CoveringCell>& cells,
                     SDL_Surface* surface);
// Layer-4 covers over the cars, each with its cell's shadow.
void drawCellCovers(const Track& track, const std::vector<CoveringCell>& cells,
                    SDL_Surface* surface);
