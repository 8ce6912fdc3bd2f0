#include "carbuild_fit.hpp"

#include "car/car.hpp"

#include <SDL_rotozoom.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kAngleSamples = 360 * 20;
constexpr int kSearch = 30; // pivot coordinates tried: -30..30

// Body angles are floats in the game; sampling them as floats keeps the
// frame choice identical to the game's.
double angleSample(int i) {
    return double(float(2 * std::numbers::pi * double(i) / kAngleSamples));
}

// Worst distance from a pixel centre at whole-pixel offset (qx, qy) from the
// position's whole part to the point (tx, ty) from the position itself, over
// the position's fractional part.
double worstFromPixel(double qx, double qy, double tx, double ty) {
    const double dx = qx + 0.5 - tx, dy = qy + 0.5 - ty;
    return std::hypot(std::max(std::fabs(dx), std::fabs(dx - 1)),
                      std::max(std::fabs(dy), std::fabs(dy - 1)));
}

} // namespace

std::vector<IntPoint> frameOffsetsFor(int width, int height, int frames) {
    // rotozoomSurface does not turn the picture exactly about the middle of
    // its frame: by half a turn the picture sits more than a pixel off. A
    // card of the picture's size, turned the same way, shows by how much,
    // and each offset takes the whole pixel that puts the car back where
    // frame 0 has it.
    SDL_Surface* card =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    if (card) {
        // Only a block around the middle is lit, so that no part of it is
        // clipped by the frame's edge and pulls the measurement aside.
        SDL_FillRect(card, nullptr, 0xFF000000);
        SDL_Rect middle{Sint16(width / 2 - 3), Sint16(height / 2 - 3), 6, 6};
        SDL_FillRect(card, &middle, 0xFF808080);
    }
    const int step = 360 / frames;
    std::vector<IntPoint> offsets;
    for (int k = 0; k < frames; ++k) {
        int w = 0, h = 0;
        rotozoomSurfaceSize(width, height, double(k * step), 1.0, &w, &h);
        IntPoint offset{-(w / 2), -(h / 2)};
        SDL_Surface* turned =
            card ? rotozoomSurface(card, double(k * step), 1.0, SMOOTHING_ON) : nullptr;
        if (turned && turned->w == w && turned->h == h && turned->format->BytesPerPixel == 4) {
            double sx = 0, sy = 0, sum = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const std::uint32_t p = static_cast<const std::uint32_t*>(
                        turned->pixels)[std::size_t(y) * (turned->pitch / 4) + std::size_t(x)];
                    Uint8 r, g, b;
                    SDL_GetRGB(p, turned->format, &r, &g, &b);
                    const double weight = double(r) + g + b;
                    sx += weight * (x + 0.5);
                    sy += weight * (y + 0.5);
                    sum += weight;
                }
            if (sum > 0) {
                offset.x -= std::clamp(int(std::lround(sx / sum - w / 2.0)), -1, 1);
                offset.y -= std::clamp(int(std::lround(sy / sum - h / 2.0)), -1, 1);
            }
        }
        if (turned) SDL_FreeSurface(turned);
        offsets.push_back(offset);
    }
    if (card) SDL_FreeSurface(card);
    return offsets;
}

double worstProbeDistance(const std::vector<IntPoint>& offsets, IntPoint pivot, double nose) {
    double worst = 0;
    for (int i = 0; i < kAngleSamples; ++i) {
        const double b = angleSample(i), c = std::cos(b), s = std::sin(b);
        // The position's whole part cancels: only this offset from it counts.
        const double u = offsets[1].x + pivot.x, v = offsets[1].y + pivot.y;
        const double qx = std::floor(u * c - v * s);
        const double qy = std::floor(u * s + v * c);
        worst = std::max(worst, worstFromPixel(qx, qy, nose * s, -nose * c));
    }
    return worst;
}

double worstMarkDistance(IntPoint pivot, IntPoint wheel, double tyreX, double tyreY) {
    double worst = 0;
    for (int i = 0; i < kAngleSamples; ++i) {
        const double b = angleSample(i), c = std::cos(b), s = std::sin(b);
        const double mx = pivot.x + std::floor(wheel.x * c - wheel.y * s) + 0.5;
        const double my = pivot.y + std::floor(wheel.x * s + wheel.y * c) + 0.5;
        // Against the tyre, with the position's fractional part f in [0, 1).
        const double ax = mx - (tyreX * c - tyreY * s), ay = my - (tyreX * s + tyreY * c);
        const double dx = std::max(std::fabs(ax), std::fabs(ax - 1));
        const double dy = std::max(std::fabs(ay), std::fabs(ay - 1));
        worst = std::max(worst, std::hypot(dx, dy));
    }
    return worst;
}

CarFit fitCar(const std::vector<IntPoint>& offsets, const TyrePlaces& tyres, double nose) {
    // The probe decides road, grass and pits, so it comes first; among
    // pivots that probe equally well the one closest for the skid marks wins.
    std::vector<std::pair<double, IntPoint>> pivots;
    for (int y = -kSearch; y <= kSearch; ++y)
        for (int x = -kSearch; x <= kSearch; ++x)
            pivots.push_back({worstProbeDistance(offsets, {x, y}, nose), {x, y}});
    const double bestProbe = std::min_element(pivots.begin(), pivots.end(), [](auto& a, auto& b) {
                                 return a.first < b.first;
                             })->first;
    CarFit best;
    best.worstMark = 1e9;
    for (const auto& [probe, pivot] : pivots) {
        if (probe > bestProbe + 1e-9) continue;
        CarFit fit;
        fit.pivot = pivot;
        fit.worstProbe = probe;
        for (int side = 0; side < 2; ++side) {
            const double tx = side ? tyres.halfTrack : -tyres.halfTrack;
            double sideWorst = 1e9;
            for (int dy = -4; dy <= 4; ++dy)
                for (int dx = -4; dx <= 4; ++dx) {
                    const IntPoint w{int(std::lround(tx)) + dx, int(std::lround(tyres.rearY)) + dy};
                    const double d = worstMarkDistance(pivot, w, tx, tyres.rearY);
                    if (d < sideWorst) {
                        sideWorst = d;
                        fit.rearWheels[side] = w;
                    }
                }
            fit.worstMark = std::max(fit.worstMark, sideWorst);
        }
        if (fit.worstMark < best.worstMark) best = fit;
    }
    return best;
}
