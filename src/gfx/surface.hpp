// 32-bit surfaces and the game's own pixel routines.
//
// Pixels are 0xAARRGGBB values written unchanged. "Black" for the masked and
// shadow copies is any pixel whose low 24 bits are zero, whatever its alpha,
// so tile and car pictures use pure black as their transparent colour.
// Every routine clips to its destination: nothing outside a surface is ever
// read or written, whatever position a caller passes.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

// A software or hardware 32-bit surface with the game's masks. Ends the
// program when SDL cannot make one: nothing can be drawn without it.
SDL_Surface* createSurface(std::int32_t width, std::int32_t height, bool hardware);
// A surface of the display's format with alpha, every pixel 0 (without a
// display, the format createSurface makes); none when there is no memory.
SDL_Surface* createDisplaySurface(std::int32_t width, std::int32_t height);

// Halves each colour channel (rounding down) and makes the pixel opaque.
constexpr std::uint32_t halfColour(std::uint32_t p) {
    return 0xFF000000u + ((p >> 17) & 0x7F) * 65536u + ((p >> 9) & 0x7F) * 256u + ((p >> 1) & 0x7F);
}

// Copies every non-black pixel of source to destination at (at.x, at.y).
void maskedBlit(SDL_Surface* source, SDL_Surface* destination, SDL_Rect at);
// Halves the destination wherever the source is not black (shadows).
void shadowBlit(SDL_Surface* source, SDL_Surface* destination, SDL_Rect at);
// The same at positions beyond the 16 bits of an SDL_Rect (large tracks).
void maskedBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y);
void shadowBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y);
// The picture's non-black pixels made opaque: what SDL's colour-key blit
// of a picture without alpha onto one with alpha writes, without its
// per-blit set-up.
void opaqueBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y);
// Half the picture, half what lies under it, wherever the picture is not
// black: a see-through car.
void ghostBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y);
// Halves every pixel of [x1, x2) x [y1, y2); dims the picture behind panels.
void darkenRect(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                std::int32_t y2);
// Leaves a quarter of every pixel's light in [x1, x2) x [y1, y2) (each
// channel shifted down twice): a see-through panel cheap enough to lay
// under the race display every frame.
void dimRect(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
             std::int32_t y2);
// The outline of (x1, y1)-(x2, y2); the corner (x2, y2) itself stays undrawn.
void drawBox(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
             std::int32_t y2, std::uint32_t colour);
void fillBox(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
             std::int32_t y2, std::uint32_t colour);
// Lays source over the top-left corner of destination, row by row.
void copySurface(SDL_Surface* destination, SDL_Surface* source);
// Copies exactly count bytes. The regions must not overlap.
void blockCopy(void* destination, const void* source, std::size_t count);

// Row stride in pixels; the raw routines step by it.
inline std::int32_t rowPixels(const SDL_Surface* s) {
    return s->pitch / 4;
}
inline std::uint32_t* pixelRow(SDL_Surface* s, std::int32_t y) {
    return static_cast<std::uint32_t*>(s->pixels) + std::ptrdiff_t(y) * rowPixels(s);
}
// Reads one pixel, 0 outside the surface (tests and tools).
std::uint32_t getPixel(SDL_Surface* s, std::int32_t x, std::int32_t y);
