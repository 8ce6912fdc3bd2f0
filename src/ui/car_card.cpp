#include "ui/car_card.hpp"

#include "car/car_type.hpp"
#include "gfx/font.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

const std::array<const char*, kHandlingBars> kHandlingLabels{"Top speed", "Acceleration", "Grip",
                                                             "Tank", "Damage limit"};

namespace {
constexpr float kStub = 0.1f;
constexpr std::int32_t kZoom = 2;

std::array<float, kHandlingBars> figures(const CarType& car) {
    return {car.topSpeed, car.acceleration, car.grip, car.tankSize, car.maxDamage};
}

// A pixel of a loaded picture of any depth as 0xFFRRGGBB, the screen's
// order; black stays black so that it stays transparent.
std::uint32_t readPixel(SDL_Surface* s, std::int32_t x, std::int32_t y) {
    const std::int32_t bytes = s->format->BytesPerPixel;
    const auto* p = static_cast<const std::uint8_t*>(s->pixels) + std::ptrdiff_t(y) * s->pitch +
                    std::ptrdiff_t(x) * bytes;
    Uint32 value = 0;
    switch (bytes) {
    case 1:
        value = p[0];
        break;
    case 2:
        value = Uint32(p[0] | p[1] << 8);
        break;
    case 3:
        value = Uint32(p[0] | p[1] << 8 | p[2] << 16);
        break;
    case 4:
        std::memcpy(&value, p, 4);
        break;
    default:
        return 0;
    }
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(value, s->format, &r, &g, &b);
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
}

// Car pictures point up; the card's car drives to the right, to the bars.
SDL_Surface* turnedAndDoubled(SDL_Surface* loaded) {
    const std::int32_t w = loaded->w, h = loaded->h;
    SDL_Surface* out = createSurface(h * kZoom, w * kZoom, false);
    if (SDL_MUSTLOCK(loaded)) SDL_LockSurface(loaded);
    for (std::int32_t y = 0; y < out->h; ++y) {
        std::uint32_t* row = pixelRow(out, y);
        for (std::int32_t x = 0; x < out->w; ++x)
            row[x] = readPixel(loaded, y / kZoom, h - 1 - x / kZoom);
    }
    if (SDL_MUSTLOCK(loaded)) SDL_UnlockSurface(loaded);
    return out;
}
} // namespace

std::array<float, kHandlingBars> handlingBars(const CarType& car,
                                              const std::vector<std::unique_ptr<CarType>>& cars) {
    std::array<float, kHandlingBars> low = figures(car), high = low;
    for (const auto& other : cars) {
        const auto f = figures(*other);
        for (int i = 0; i < kHandlingBars; ++i) {
            low[i] = std::min(low[i], f[i]);
            high[i] = std::max(high[i], f[i]);
        }
    }
    // The range takes the car in too, so it never falls outside; the
    // comparison is still against the cars offered.
    std::array<float, kHandlingBars> bars{};
    const auto own = figures(car);
    for (int i = 0; i < kHandlingBars; ++i) {
        const float span = high[i] - low[i];
        bars[i] = span > 0 ? kStub + (1 - kStub) * (own[i] - low[i]) / span : 1.0f;
    }
    return bars;
}

CarPictures::~CarPictures() {
    for (auto& [path, surface] : pictures_)
        SDL_FreeSurface(surface);
}

SDL_Surface* CarPictures::picture(const std::string& path) {
    auto found = pictures_.find(path);
    if (found != pictures_.end()) return found->second;
    ++filesRead;
    SDL_Surface* shown = nullptr;
    if (SDL_Surface* loaded = loadCheckedBmp(path)) {
        if (loaded->w > 0 && loaded->h > 0 && loaded->w <= kMaxCarPictureSide &&
            loaded->h <= kMaxCarPictureSide)
            shown = turnedAndDoubled(loaded);
        SDL_FreeSurface(loaded);
    }
    pictures_.emplace(path, shown);
    return shown;
}

void drawCarCard(SDL_Surface* screen, const Font& font, std::int32_t x, std::int32_t y,
                 const CarType& car, const std::vector<std::unique_ptr<CarType>>& cars,
                 CarPictures& pictures) {
    if (!screen) return;
    constexpr std::int32_t kPictureBox = 2 * kMaxCarPictureSide / 4; // shipped cars, doubled
    const std::int32_t line = glyphHeight(font, 'A') + 3;
    std::int32_t labelWidth = 0;
    for (const char* label : kHandlingLabels)
        labelWidth = std::max(labelWidth, textWidth(font, label));
    const std::int32_t barsX = x + kPictureBox + 8;
    const std::int32_t barX = barsX + labelWidth + 4;
    darkenRect(screen, x - 4, y - 4, barX + kBarWidth + 6, y + kCardHeight);

    std::string name = car.name; // up to 79 characters: kept on the card
    while (!name.empty() && textWidth(font, name) > barX + kBarWidth - x)
        name.pop_back();
    drawText(screen, font, x, y, name, 0xFFFFFF00, true);
    if (SDL_Surface* picture = pictures.picture(car.picture)) {
        const std::int32_t px = x + (kPictureBox - picture->w) / 2;
        const std::int32_t py = y + line + (kCardHeight - line - picture->h) / 2;
        maskedBlit(picture, screen, SDL_Rect{Sint16(px), Sint16(py), 0, 0});
    }

    const auto bars = handlingBars(car, cars);
    const std::int32_t barHeight = std::max(glyphHeight(font, 'A') - 2, 3);
    for (int i = 0; i < kHandlingBars; ++i) {
        const std::int32_t rowY = y + line + i * line;
        drawText(screen, font, barsX, rowY, kHandlingLabels[std::size_t(i)], 0xFFFFFFFF, true);
        const auto filled = std::int32_t(std::lround(bars[std::size_t(i)] * kBarWidth));
        fillBox(screen, barX, rowY + 1, barX + kBarWidth, rowY + 1 + barHeight, 0xFF202020);
        fillBox(screen, barX, rowY + 1, barX + filled, rowY + 1 + barHeight, kBarColour);
    }
}
