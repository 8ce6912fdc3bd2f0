// The drawn track of the current race: the whole map drawn once into one
// surface, which the cars are drawn into and the views copy from. Its
// limits (kMaxTrackSide, kMaxTrackPixels) are in track/track.hpp.
#pragma once

#include <SDL.h>

#include <cstdint>

extern SDL_Surface* trackSurface;
// The drawn track's size; the cars are kept inside it.
extern std::int32_t trackPixelWidth;
extern std::int32_t trackPixelHeight;
