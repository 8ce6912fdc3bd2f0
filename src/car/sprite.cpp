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

Sprite::~Sprite() {
    if (background) SDL_FreeSurface(background);
}

namespace {
// Copies a w x h block between surfaces, row by row, only where both the
// block's place on the track and the store hold it.
void copyBlock(SDL_Surface* to, std::int32_t toX, std::int32_t toY, SDL_Surface* from,
               std::int32_t fromX, std::int32_t fromY, std::int32_t w, std::int32_t h) {
    for (std::int32_t r = 0; r < h; ++r) {
        const std::int32_t fy = fromY + r, ty = toY + r;
        if (fy < 0 || fy >= from->h || ty < 0 || ty >= to->h) continue;
        const std::int32_t left = std::max({0, -fromX, -toX});
        const std::int32_t right = std::min({w, from->w - fromX, to->w - toX});
        if (right <= left) continue;
        blockCopy(pixelRow(to, ty) + toX + left, pixelRow(from, fy) + fromX + left,
                  std::size_t(right - left) * 4);
    }
}
} // namespace

void Sprite::draw(SDL_Surface* target) {
    SDL_Surface* f = animation ? animation->frameAt(frame) : nullptr;
    if (!f || !target || target->format->BytesPerPixel != 4) return;
    if (background) SDL_FreeSurface(background);
    SDL_Surface* plain = createSurface(f->w + 4, f->h + 4, false);
    background = SDL_DisplayFormatAlpha(plain);
    SDL_FreeSurface(plain);
    if (!background) return;
    SDL_FillRect(background, nullptr, 0);
    // Raw copies both ways: a blit would blend the saved pixels by their
    // alpha and leave a trail where the track had none.
    if (SDL_LockSurface(background) == 0) {
        copyBlock(background, 0, 0, target, x, y, background->w, background->h);
        SDL_UnlockSurface(background);
    }
    shadowBlit(f, target, x + 4, y + 4);
    SDL_Rect at{Sint16(x), Sint16(y), 0, 0};
    SDL_BlitSurface(f, nullptr, target, &at);
    backgroundX = x;
    backgroundY = y;
    backgroundSaved = true;
}

void Sprite::restore(SDL_Surface* target) {
    if (!backgroundSaved) return;
    if (background && target && target->format->BytesPerPixel == 4 &&
        SDL_LockSurface(target) == 0) {
        copyBlock(target, backgroundX, backgroundY, background, 0, 0, background->w, background->h);
        SDL_UnlockSurface(target);
    }
    if (background) SDL_FreeSurface(background);
    background = nullptr;
    backgroundSaved = false;
}
