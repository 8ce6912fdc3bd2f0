#include "car/sprite.hpp"

#include "car/car_type.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"

#include <SDL_rotozoom.h>

#include <algorithm>
#include <cstdio>

Animation::~Animation() {
    for (std::int32_t i = 0; i < frameCount; ++i)
        SDL_FreeSurface(frames[std::size_t(i)]);
    std::printf("Animation destructor!!\n");
}

void Animation::addFrame(SDL_Surface* frame) {
    if (frameCount >= kMaxFrames) return;
    frames[std::size_t(frameCount++)] = frame;
}

SDL_Surface* Animation::frameAt(std::int32_t index) const {
    return index >= 0 && index < frameCount ? frames[std::size_t(index)] : nullptr;
}

std::unique_ptr<Animation> buildAnimation(const std::string& picture, std::int32_t count) {
    SDL_Surface* loaded = loadCheckedBmp(picture);
    if (!loaded) return nullptr;
    // Up to 128 turned copies are made of it: a picture the size of a
    // tileset would take gigabytes.
    if (loaded->w > kMaxCarPictureSide || loaded->h > kMaxCarPictureSide) {
        std::printf("Car picture %s is %d x %d, more than %d a side\n", picture.c_str(), loaded->w,
                    loaded->h, kMaxCarPictureSide);
        SDL_FreeSurface(loaded);
        return nullptr;
    }
    auto animation = std::make_unique<Animation>();
    const std::int32_t step = count > 0 ? 360 / count : 0;
    for (std::int32_t k = 0; k < count && k < Animation::kMaxFrames; ++k) {
        SDL_Surface* rotated = rotozoomSurface(loaded, double(k * step), 1.0, 1);
        if (!rotated) continue;
        SDL_Surface* frame = SDL_DisplayFormat(rotated);
        SDL_FreeSurface(rotated);
        if (!frame) continue;
        // No RLE: the shadow copy reads the frame's pixels directly.
        SDL_SetColorKey(frame, SDL_SRCCOLORKEY, 0);
        animation->addFrame(frame);
    }
    SDL_FreeSurface(loaded);
    return animation;
}

namespace {
// Copies a w x h block between a surface and a buffer of rows w long, only
// where the block's place on the surface lies on it.
template <bool ToSurface>
void copyBlock(SDL_Surface* surface, std::int32_t x, std::int32_t y, std::uint32_t* buffer,
               std::int32_t w, std::int32_t h) {
    const std::int32_t left = std::max(0, -x), right = std::min(w, surface->w - x);
    if (right <= left) return;
    for (std::int32_t r = std::max(0, -y); r < h && y + r < surface->h; ++r) {
        std::uint32_t* row = pixelRow(surface, y + r) + x;
        std::uint32_t* saved = buffer + std::size_t(r) * std::size_t(w);
        if (ToSurface)
            blockCopy(row + left, saved + left, std::size_t(right - left) * 4);
        else
            blockCopy(saved + left, row + left, std::size_t(right - left) * 4);
    }
}
} // namespace

SDL_Rect Sprite::savedRect() const {
    if (!backgroundSaved) return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{Sint16(backgroundX_), Sint16(backgroundY_), Uint16(backgroundW_),
                    Uint16(backgroundH_)};
}

SDL_Rect Sprite::drawnRect() const {
    const SDL_Surface* f = animation ? animation->frameAt(frame) : nullptr;
    if (!f) return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{Sint16(x), Sint16(y), Uint16(f->w + 4), Uint16(f->h + 4)};
}

void Sprite::draw(SDL_Surface* target) {
    SDL_Surface* f = animation ? animation->frameAt(frame) : nullptr;
    if (!f || !target || target->format->BytesPerPixel != 4) return;
    const std::int32_t w = f->w + 4, h = f->h + 4;
    if (background_.size() < std::size_t(w) * std::size_t(h))
        background_.resize(std::size_t(w) * std::size_t(h));
    // Raw copies both ways: a blit would blend the saved pixels by their
    // alpha and leave a trail where the track had none.
    if (SDL_LockSurface(target) != 0) return;
    copyBlock<false>(target, x, y, background_.data(), w, h);
    SDL_UnlockSurface(target);
    shadowBlit(f, target, x + 4, y + 4);
    opaqueBlit(f, target, x, y);
    backgroundX_ = x;
    backgroundY_ = y;
    backgroundW_ = w;
    backgroundH_ = h;
    backgroundSaved = true;
}

void Sprite::restore(SDL_Surface* target) {
    if (!backgroundSaved) return;
    backgroundSaved = false;
    if (!target || target->format->BytesPerPixel != 4 || SDL_LockSurface(target) != 0) return;
    copyBlock<true>(target, backgroundX_, backgroundY_, background_.data(), backgroundW_,
                    backgroundH_);
    SDL_UnlockSurface(target);
}
