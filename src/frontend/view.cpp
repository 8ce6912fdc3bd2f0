#include "frontend/view.hpp"

#include "car/car.hpp"
#include "gfx/surface.hpp"

#include <algorithm>
#include <cstring>

void View::follow() {
    if (target) centreOn(target->getX(), target->getY());
}

void View::centreOn(std::int32_t centreX, std::int32_t centreY) {
    scrollX = centreX - width / 2;
    scrollY = centreY - height / 2;
    if (scrollX < 0) scrollX = 0;
    if (scrollY < 0) scrollY = 0;
    if (scrollX > maxScrollX) scrollX = maxScrollX;
    if (scrollY > maxScrollY) scrollY = maxScrollY;
}

void View::setLimits(std::int32_t trackWidth, std::int32_t trackHeight) {
    maxScrollX = trackWidth - width - 1;
    maxScrollY = trackHeight - 1 - height;
}

void View::drawView(SDL_Surface* screen, SDL_Surface* source) const {
    if (!screen || !source || screen->format->BytesPerPixel != 4 ||
        source->format->BytesPerPixel != 4)
        return;
    // The part of the view on the screen, and the part of the track under it.
    const std::int32_t left = std::max(x, 0), right = std::min(x + width, screen->w);
    if (right <= left || SDL_LockSurface(screen) != 0) return;
    const std::int32_t srcLeft = std::max(scrollX + (left - x), 0);
    const std::int32_t srcRight = std::min(scrollX + (right - x), source->w);
    for (std::int32_t r = 0; r < height; ++r) {
        const std::int32_t dy = y + r, sy = scrollY + r;
        if (dy < 0 || dy >= screen->h) continue;
        std::uint32_t* out = pixelRow(screen, dy);
        if (sy < 0 || sy >= source->h || srcRight <= srcLeft) {
            std::fill(out + left, out + right, 0xFF000000u);
            continue;
        }
        const std::int32_t at = x + (srcLeft - scrollX);
        std::fill(out + left, out + at, 0xFF000000u);
        blockCopy(out + at, pixelRow(source, sy) + srcLeft, std::size_t(srcRight - srcLeft) * 4);
        std::fill(out + at + (srcRight - srcLeft), out + right, 0xFF000000u);
    }
    SDL_UnlockSurface(screen);
}
