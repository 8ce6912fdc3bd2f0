// Skidding: sideways sliding and wheelspin make a car skid; a slow car
// spinning its wheels revs its engine up, and the rear wheels darken the
// drawn track under them, where the marks stay for the rest of the race.
#include "app/game.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "gfx/surface.hpp"
#include "track/race_track.hpp"

#include <cmath>

void Car::skidStep() {
    // The drift the shorter way round: a car just across angle 0 is not
    // sliding sideways.
    float k = driftAngle() * speed;
    if (speed > 0) k += (accel / speed) * 20.0f;
    if (k > 1.0f) {
        skid = k;
        if (speed < 2.0f) engineRev += 600.0f;
        if (engineRev > 10000.0f) engineRev = 10000.0f;
        if (Game::instance()->options.skidmarks && trackSurface && type &&
            trackSurface->format->BytesPerPixel == 4) {
            const double c = std::cos(double(bodyAngle)), s = std::sin(double(bodyAngle));
            // frame still holds the frame shown before this update, while x
            // and y are already the corner for the new one.
            const IntPoint o = std::size_t(frame) < type->frameOffsets.size()
                                   ? type->frameOffsets[std::size_t(frame)]
                                   : IntPoint{};
            const double originX = x - o.x + type->pivot.x, originY = y - o.y + type->pivot.y;
            const IntPoint& a = type->wheels[2];
            const IntPoint& b = type->wheels[3];
            const double points[4][2] = {{double(a.x), double(a.y)},
                                         {double(a.x - 1), double(a.y)},
                                         {double(b.x), double(b.y)},
                                         {double(b.x + 1), double(b.y)}};
            std::uint32_t* pixel[4] = {};
            std::uint32_t value[4] = {};
            if (SDL_LockSurface(trackSurface) == 0) {
                for (int i = 0; i < 4; ++i) {
                    const double u = points[i][0], v = points[i][1];
                    const std::int32_t px = std::int32_t(u * c - v * s + originX);
                    const std::int32_t py = std::int32_t(u * s + v * c + originY);
                    if (px < 0 || py < 0 || px >= trackSurface->w || py >= trackSurface->h)
                        continue;
                    pixel[i] = pixelRow(trackSurface, py) + px;
                    value[i] = *pixel[i];
                }
                // All four are read before any is written, so a pixel shared
                // by two points darkens once.
                for (int i = 0; i < 4; ++i)
                    if (pixel[i]) *pixel[i] = halfColour(value[i]);
                SDL_UnlockSurface(trackSurface);
            }
        }
    } else {
        engineRev -= 300.0f;
        skid = 0;
    }
    if (engineRev < 0) engineRev = 0;
}
