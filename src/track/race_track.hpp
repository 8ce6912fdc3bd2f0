// The drawn track of the current race: the whole map drawn once into one
// surface, which the cars are drawn into and the views copy from.
#pragma once

#include <SDL.h>

#include <cstdint>

extern SDL_Surface* trackSurface;
// The drawn track's size; the cars are kept inside it.
extern std::int32_t trackPixelWidth;
extern std::int32_t trackPixelHeight;

// Largest drawn track the game makes (a damaged map must not ask for
// gigabytes): each side and the whole area.
constexpr std::int32_t kMaxTrackSide = 16384;
constexpr std::int64_t kMaxTrackPixels = std::int64_t(1) << 25;
