#include "gfx/surface.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

SDL_Surface* createSurface(std::int32_t width, std::int32_t height, bool hardware) {
    SDL_Surface* s = SDL_CreateRGBSurface(hardware ? SDL_HWSURFACE : SDL_SWSURFACE, width, height,
                                          32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    if (!s) {
        std::fprintf(stderr, "CreateRGBSurface failed: %s\n", SDL_GetError());
        std::exit(1);
    }
    return s;
}

SDL_Surface* createDisplaySurface(std::int32_t width, std::int32_t height) {
    // What converting a new surface to the display's format with alpha
    // would give, made at once: no second surface of the same size, no
    // conversion of pixels that are all 0 anyway.
    SDL_Surface* probe = nullptr;
    if (SDL_GetVideoSurface()) {
        SDL_Surface* one = createSurface(1, 1, false);
        probe = SDL_DisplayFormatAlpha(one);
        SDL_FreeSurface(one);
    }
    if (!probe) return createSurface(width, height, false);
    const SDL_PixelFormat* f = probe->format;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, f->BitsPerPixel, f->Rmask,
                                          f->Gmask, f->Bmask, f->Amask);
    if (s && (probe->flags & SDL_SRCALPHA)) SDL_SetAlpha(s, SDL_SRCALPHA, f->alpha);
    SDL_FreeSurface(probe);
    return s;
}

namespace {

// The part of a w x h picture placed at (x, y) that lies on the destination,
// as source offsets and size; empty when nothing overlaps.
struct Clip {
    std::int32_t srcX = 0, srcY = 0, dstX = 0, dstY = 0, w = 0, h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
};

Clip clipTo(const SDL_Surface* dst, std::int64_t x, std::int64_t y, std::int64_t w,
            std::int64_t h) {
    Clip c;
    // The raw routines write 32-bit pixels; on any other surface they would
    // run past its memory, so they draw nothing there.
    if (dst->format->BytesPerPixel != 4) return c;
    const std::int64_t x1 = std::max<std::int64_t>(x, 0);
    const std::int64_t y1 = std::max<std::int64_t>(y, 0);
    const std::int64_t x2 = std::min<std::int64_t>(x + w, dst->w);
    const std::int64_t y2 = std::min<std::int64_t>(y + h, dst->h);
    if (x2 <= x1 || y2 <= y1) return c;
    c.srcX = std::int32_t(x1 - x);
    c.srcY = std::int32_t(y1 - y);
    c.dstX = std::int32_t(x1);
    c.dstY = std::int32_t(y1);
    c.w = std::int32_t(x2 - x1);
    c.h = std::int32_t(y2 - y1);
    return c;
}

constexpr bool isBlack(std::uint32_t p) {
    return (p & 0x00FFFFFF) == 0;
}

template <typename PixelOp>
void maskedOp(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y,
              PixelOp op) {
    if (!source || !destination || source == destination || source->format->BytesPerPixel != 4)
        return;
    const Clip c = clipTo(destination, x, y, source->w, source->h);
    if (c.empty()) return;
    if (SDL_LockSurface(destination) != 0) return;
    for (std::int32_t r = 0; r < c.h; ++r) {
        const std::uint32_t* in = pixelRow(source, c.srcY + r) + c.srcX;
        std::uint32_t* out = pixelRow(destination, c.dstY + r) + c.dstX;
        // Without a branch a pixel, so that the compiler can do several at
        // once; a picture's opaque rows are plain copies.
        for (std::int32_t k = 0; k < c.w; ++k)
            out[k] = isBlack(in[k]) ? out[k] : op(in[k], out[k]);
    }
    SDL_UnlockSurface(destination);
}

void fillClipped(SDL_Surface* s, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                 std::uint32_t colour) {
    if (!s) return;
    const Clip c = clipTo(s, x, y, w, h);
    if (c.empty()) return;
    SDL_Rect r{Sint16(c.dstX), Sint16(c.dstY), Uint16(c.w), Uint16(c.h)};
    SDL_FillRect(s, &r, colour);
}

} // namespace

void maskedBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y) {
    maskedOp(source, destination, x, y, [](std::uint32_t in, std::uint32_t) { return in; });
}

void opaqueBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y) {
    maskedOp(source, destination, x, y,
             [](std::uint32_t in, std::uint32_t) { return in | 0xFF000000u; });
}

void shadowBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y) {
    maskedOp(source, destination, x, y,
             [](std::uint32_t, std::uint32_t under) { return halfColour(under); });
}

void ghostBlit(SDL_Surface* source, SDL_Surface* destination, std::int32_t x, std::int32_t y) {
    maskedOp(source, destination, x, y, [](std::uint32_t in, std::uint32_t under) {
        return (((in & 0xFEFEFEu) >> 1) + ((under & 0xFEFEFEu) >> 1)) | 0xFF000000u;
    });
}

void maskedBlit(SDL_Surface* source, SDL_Surface* destination, SDL_Rect at) {
    maskedBlit(source, destination, at.x, at.y);
}

void shadowBlit(SDL_Surface* source, SDL_Surface* destination, SDL_Rect at) {
    shadowBlit(source, destination, at.x, at.y);
}

void darkenRect(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                std::int32_t y2) {
    if (!surface) return;
    const Clip c = clipTo(surface, x1, y1, std::int64_t(x2) - x1, std::int64_t(y2) - y1);
    if (c.empty() || SDL_LockSurface(surface) != 0) return;
    for (std::int32_t r = 0; r < c.h; ++r) {
        std::uint32_t* row = pixelRow(surface, c.dstY + r) + c.dstX;
        for (std::int32_t k = 0; k < c.w; ++k)
            row[k] = halfColour(row[k]);
    }
    SDL_UnlockSurface(surface);
}

void dimRect(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
             std::int32_t y2) {
    if (!surface) return;
    const Clip c = clipTo(surface, x1, y1, std::int64_t(x2) - x1, std::int64_t(y2) - y1);
    if (c.empty() || SDL_LockSurface(surface) != 0) return;
    // Masks rather than halfColour's products: this form vectorises.
    for (std::int32_t r = 0; r < c.h; ++r) {
        std::uint32_t* row = pixelRow(surface, c.dstY + r) + c.dstX;
        for (std::int32_t k = 0; k < c.w; ++k)
            row[k] = 0xFF000000u | ((row[k] >> 2) & 0x003F3F3Fu);
    }
    SDL_UnlockSurface(surface);
}

void drawBox(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
             std::int32_t y2, std::uint32_t colour) {
    const std::int64_t w = std::int64_t(x2) - x1, h = std::int64_t(y2) - y1;
    fillClipped(surface, x1, y1, w, 1, colour);
    fillClipped(surface, x1, y2, w, 1, colour);
    fillClipped(surface, x1, y1, 1, h, colour);
    fillClipped(surface, x2, y1, 1, h, colour);
}

void fillBox(SDL_Surface* surface, std::int32_t x1, std::int32_t y1, std::int32_t x2,
             std::int32_t y2, std::uint32_t colour) {
    fillClipped(surface, x1, y1, std::int64_t(x2) - x1, std::int64_t(y2) - y1, colour);
}

void copySurface(SDL_Surface* destination, SDL_Surface* source) {
    if (!source || !destination || source == destination || source->format->BytesPerPixel != 4)
        return;
    const Clip c = clipTo(destination, 0, 0, source->w, source->h);
    if (c.empty() || SDL_LockSurface(destination) != 0) return;
    for (std::int32_t r = 0; r < c.h; ++r)
        blockCopy(pixelRow(destination, r), pixelRow(source, r), std::size_t(c.w) * 4);
    SDL_UnlockSurface(destination);
}

void blockCopy(void* destination, const void* source, std::size_t count) {
    // The regions never overlap, so the library's copy, the fastest there
    // is, gives the same bytes.
    if (count > 0) std::memcpy(destination, source, count);
}

std::uint32_t getPixel(SDL_Surface* s, std::int32_t x, std::int32_t y) {
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h) return 0;
    return pixelRow(s, y)[x];
}
