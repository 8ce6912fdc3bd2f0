#include "car/car.hpp"

#include "car/car_type.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"
#include "track/track.hpp"

#include <SDL_rotozoom.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = kPi + kPi;
// Stored once as a float: the steering limit and the crash deflection.
const float kQuarterPi = float(3.1415926535 * 0.25);

float wrapAngle(float a) {
    if (a > kTwoPi) a = float(a - kTwoPi);
    if (a < 0) a = float(a + kTwoPi);
    return a;
}

const IntPoint& offsetOf(const CarType& type, std::int32_t frame) {
    static const IntPoint none;
    return frame >= 0 && std::size_t(frame) < type.frameOffsets.size()
               ? type.frameOffsets[std::size_t(frame)]
               : none;
}
} // namespace

std::int32_t Car::getX() const {
    return x - (type ? offsetOf(*type, frame).x : 0);
}
std::int32_t Car::getY() const {
    return y - (type ? offsetOf(*type, frame).y : 0);
}

void Car::steer(float amount) {
    steering += amount;
    if (steering > kQuarterPi) steering = kQuarterPi;
    if (steering < -kQuarterPi) steering = -kQuarterPi;
}

void Car::accelerate() {
    accel += (type->acceleration - accel) * 0.1f;
    if (accel > type->acceleration) accel = type->acceleration;
}

void Car::brake(float amount) {
    accel -= amount;
}

void Car::resetForRace() {
    damage = 0;
    nitroOn = false;
    crashed = false;
    wrecked = false;
    nitro = 100.0f;
    fuel = type ? type->tankSize : 0;
    reverseOn = false;
    reverseSpeed = 0;
    inPitBox = refuelling = false;
}

void Car::placeAt(float px, float py, float angle) {
    posX = px;
    posY = py;
    moveAngle = bodyAngle = angle;
    if (!type) return;
    frame = frameForAngle(bodyAngle, type->frameCount);
    const IntPoint& o = offsetOf(*type, frame);
    x = o.x + std::int32_t(posX);
    y = o.y + std::int32_t(posY);
}

std::int32_t frameForAngle(float bodyAngle, std::int32_t n) {
    if (n < 1) return 0;
    double deg = double(bodyAngle * 180.0f) / kPi;
    // Angles stay within a turn or two of 0; one far beyond (or not a
    // number) is wrapped here rather than overflow the cast below.
    if (!(std::fabs(deg) < 1e6)) deg = std::isfinite(deg) ? std::fmod(deg, 360.0) : 0.0;
    if (deg < 0) deg += 360.0;
    const std::int32_t step = 360 / n;
    if (step < 1) return 0;
    std::int32_t f = (n - std::int32_t(deg) / step) % n;
    if (f < 0) f += n;
    return f;
}

bool measureCarFrames(const CarType& type, std::vector<FrameSize>& frames, std::string& why) {
    frames.clear();
    SDL_Surface* picture = loadCheckedBmp(type.picture);
    if (!picture) {
        why = "its picture " + type.picture + " cannot be read";
        return false;
    }
    // Up to 128 turned copies are made of it: a picture the size of a
    // tileset would take gigabytes.
    if (picture->w > kMaxCarPictureSide || picture->h > kMaxCarPictureSide) {
        why = "its picture " + type.picture + " is " + std::to_string(picture->w) + " x " +
              std::to_string(picture->h) + ", more than " + std::to_string(kMaxCarPictureSide) +
              " a side";
        SDL_FreeSurface(picture);
        return false;
    }
    // Each frame is turned and converted as the drawn ones are, to a 32-bit
    // surface: the conversion can come out taller than the turned picture
    // claims to be (the rotation keeps guard rows under it), and the cars
    // have always been kept inside the track by the converted size.
    SDL_Surface* format = createSurface(1, 1, false);
    const std::int32_t step = type.frameCount > 0 ? 360 / type.frameCount : 0;
    for (std::int32_t k = 0; k < type.frameCount && k < kMaxCarFrames; ++k) {
        SDL_Surface* turned = rotozoomSurface(picture, double(k * step), 1.0, 1);
        SDL_Surface* converted =
            turned && format ? SDL_ConvertSurface(turned, format->format, SDL_SWSURFACE) : nullptr;
        if (converted) frames.push_back({converted->w, converted->h});
        if (converted) SDL_FreeSurface(converted);
        if (turned) SDL_FreeSurface(turned);
        if (!converted) break;
    }
    if (format) SDL_FreeSurface(format);
    SDL_FreeSurface(picture);
    if (std::int32_t(frames.size()) < std::min(type.frameCount, kMaxCarFrames)) {
        why = "the frames of " + type.picture + " cannot be made";
        return false;
    }
    return true;
}

bool carFitsFrames(const CarType& type, const std::vector<FrameSize>& frames, std::string& why) {
    std::int32_t widest = 0, tallest = 0;
    for (std::int32_t k = 0; k < type.frameCount; ++k) {
        const IntPoint& o = offsetOf(type, k);
        if (std::size_t(k) >= frames.size()) {
            why = "frame " + std::to_string(k) + " was not made";
            return false;
        }
        const FrameSize* f = &frames[std::size_t(k)];
        if (o.x < -f->w || o.x > 0 || o.y < -f->h || o.y > 0) {
            why = "frame offset " + std::to_string(k) + " (" + std::to_string(o.x) + ", " +
                  std::to_string(o.y) + ") puts the car off its " + std::to_string(f->w) + " x " +
                  std::to_string(f->h) + " frame";
            return false;
        }
        widest = std::max(widest, f->w);
        tallest = std::max(tallest, f->h);
    }
    const auto within = [&](const char* name, const IntPoint& p) {
        if (std::abs(std::int64_t(p.x)) <= widest && std::abs(std::int64_t(p.y)) <= tallest)
            return true;
        why = std::string(name) + " (" + std::to_string(p.x) + ", " + std::to_string(p.y) +
              ") lies outside the car's " + std::to_string(widest) + " x " +
              std::to_string(tallest) + " frames";
        return false;
    };
    if (!within("the pivot", type.pivot)) return false;
    for (const IntPoint& w : type.wheels)
        if (!within("a wheel", w)) return false;
    return true;
}

const TrackArea* Car::probeArea(std::int32_t kind, std::int32_t* side) const {
    return probeAreaOf(frame, kind, side);
}

IntPoint Car::probePoint(std::int32_t placedFrame) const {
    if (!type) return {x, y};
    // A fixed point of the car's own picture (the second frame's offset
    // plus the pivot, from the centre, nose up; the car builder puts it at
    // the nose) turned with the body and set on the car's centre, which is
    // the drawn corner less the offset of the frame that placed it. Adding
    // the corner and the pivot unturned made the point circle the car.
    const double b = bodyAngle;
    const IntPoint& placed = offsetOf(*type, placedFrame);
    const IntPoint& o = offsetOf(*type, 1);
    const double u = o.x + type->pivot.x, v = o.y + type->pivot.y;
    const double qx = u * std::cos(b) - v * std::sin(b) + (x - placed.x);
    const double qy = u * std::sin(b) + v * std::cos(b) + (y - placed.y);
    return {std::int32_t(qx), std::int32_t(qy)};
}

const TrackArea* Car::probeAreaOf(std::int32_t placedFrame, std::int32_t kind,
                                  std::int32_t* side) const {
    const TrackArea* area = nullptr;
    if (track && type) {
        const IntPoint q = probePoint(placedFrame);
        area = track->areaAt(q.x, q.y, kind);
    }
    if (side) {
        *side = -1;
        if (area) {
            const float dx = std::fabs(std::fabs(area->x1 - posX) - std::fabs(area->x2 - posX));
            const float dy = std::fabs(std::fabs(area->y1 - posY) - std::fabs(area->y2 - posY));
            *side = dy <= dx ? 1 : 0;
        }
    }
    return area;
}

namespace {
// The angle between two directions, the shorter way round (0..pi); either
// may lie a little outside 0..2pi (travel not yet wrapped, or deflected).
float driftBetween(float a, float b) {
    float d = std::fabs(a - b);
    if (d > kPi) d = float(std::fabs(kTwoPi - d));
    return d;
}
} // namespace

float Car::driftAngle() const {
    return driftBetween(bodyAngle, moveAngle);
}

float Car::reverseTopSpeed() const {
    return type ? type->topSpeed / 3.0f : 0.0f;
}

void Car::update(float) {
    const CarType& t = *type;
    hit = false;
    inPitBox = refuelling = false;
    // Refuelling is fuel gained over the whole update: a running engine
    // burns a little even in the pit box, which the box tops up again.
    const float fuelAtStart = fuel;

    // Nitro: five pixels a frame more while it lasts.
    float top = t.topSpeed;
    if (nitroOn) {
        if (nitro > 0) top = t.topSpeed + 5.0f;
        if (!rules.unlimitedNitro) {
            nitro -= 0.1f;
            if (nitro < 0) nitro = 0;
        }
    }

    // Drift angle; a sliding body turns more slowly, a still one not at all.
    // Reversing turns the body the other way round, as a car's rear leads.
    float s = std::fabs(bodyAngle - moveAngle);
    if (s > kPi) s = float(kTwoPi - s);
    if (speed > 0)
        bodyAngle = float(bodyAngle + (std::fabs(kTwoPi - s) / kTwoPi) * steering);
    else if (reverseSpeed > 0)
        bodyAngle -= steering;
    bodyAngle = wrapAngle(bodyAngle);

    // The direction of travel follows the body the shorter way round.
    if (!crashed) {
        const float g = t.grip;
        if (moveAngle < bodyAngle) {
            if (bodyAngle - moveAngle < kPi) {
                moveAngle += g;
                if (moveAngle > bodyAngle) moveAngle = bodyAngle;
            } else {
                moveAngle -= g;
            }
        } else if (moveAngle > bodyAngle) {
            if (moveAngle - bodyAngle < kPi) {
                moveAngle -= g;
                if (moveAngle < bodyAngle) moveAngle = bodyAngle;
            } else {
                moveAngle += g;
            }
        }
    }

    // Drift drag on the drift angle the shorter way round: a car whose body
    // and travel sit either side of angle 0 is barely drifting, and must not
    // be braked as if it had turned nearly a whole circle.
    const float divisor = (top + 1.0f - speed) * 70.0f;
    if (divisor != 0) accel -= driftAngle() / divisor;
    moveAngle = wrapAngle(moveAngle);

    speed += accel;
    engineFreq = speed * 2000.0f + engineRev + 10000.0f + reverseSpeed * 2000.0f;
    if (engineFreq > 0 && rules.fuelConsumption) {
        fuel -= t.consumption * 0.0007142857f;
        if (fuel <= 0) fuel = 0;
        if (fuel == 0) engineFreq = 0;
    }
    if (speed > top) speed = top;
    if (speed < 0) speed = 0;

    // Reverse gear: only from a standstill, slow, and it winds down as soon
    // as the driver lets go of the brake or drives forwards.
    if (reverseOn && speed == 0 && !crashed && fuel > 0 && !wrecked) {
        reverseSpeed += t.acceleration * 0.5f;
        if (reverseSpeed > reverseTopSpeed()) reverseSpeed = reverseTopSpeed();
    } else if (reverseSpeed > 0) {
        reverseSpeed -= t.acceleration;
        if (reverseSpeed < 0) reverseSpeed = 0;
    }

    // Surface, tested where the car stood before this move.
    onRoad = probeAreaOf(frame, Road) != nullptr;
    const bool inObstacle = probeAreaOf(frame, Obstacle) != nullptr;
    const float drag = onRoad ? (nitroOn ? 9000.0f : 5000.0f) : 500.0f;
    accel -= speed * speed / drag;
    if (crashed) speed = float(speed - 0.2);
    if (accel < -t.acceleration) accel = -t.acceleration;

    float vx = float(std::sin(double(moveAngle)) * speed);
    float vy = float(-std::cos(double(moveAngle)) * speed);
    if (reverseSpeed > 0) {
        vx -= float(std::sin(double(bodyAngle)) * reverseSpeed);
        vy += float(std::cos(double(bodyAngle)) * reverseSpeed);
    }

    // Move, each axis blocked on its own at the edges of the drawn track.
    const std::int32_t f = frameForAngle(bodyAngle, t.frameCount);
    const IntPoint& o = offsetOf(t, f);
    const FrameSize* size =
        std::size_t(f) < frameSizes.size() ? &frameSizes[std::size_t(f)] : nullptr;
    const std::int32_t w = size ? size->w : -2 * o.x;
    const std::int32_t h = size ? size->h : -2 * o.y;
    if (o.x + posX + vx > 2.0f && w + o.x + posX + vx < trackWidth) posX += vx;
    if (o.y + posY + vy > 10.0f && h + o.y + posY + vy < trackHeight - 20) posY += vy;
    x = o.x + std::int32_t(posX);
    y = o.y + std::int32_t(posY);

    // Obstacles: damage, a step back, a deflection and the crash sound.
    std::int32_t side = -1;
    const TrackArea* wall = probeAreaOf(f, Obstacle, &side);
    if (wall && !crashed) {
        if (rules.carDamage) damage += speed * 3.0f + 1.0f;
        crashed = true;
        posX -= vx;
        posY -= vy;
        x = std::int32_t(o.x + posX);
        y = std::int32_t(o.y + posY);
        const float sign = side == 1 ? -1.0f : 1.0f;
        const float m = moveAngle;
        if (m < kPi / 2)
            moveAngle = float(m - sign * (kPi / 2 + m));
        else if (m < kPi)
            moveAngle = m + sign * kQuarterPi;
        else if (m < 3 * kPi / 2)
            moveAngle = m - sign * kQuarterPi;
        else
            moveAngle = m + sign * kQuarterPi;
        crashFrames = 0;
        hit = true;
    } else if ((wall && !inObstacle) || (crashed && obstacleAhead(f, leadingHeading()))) {
        // A crashed car still meets walls: the deflection may point into
        // the one it hit or send it sideways or backwards into another, and
        // with nitro it would slide through. So the point leading its travel
        // is watched too, and a move into a wall is taken back, without
        // another crash. A nose already inside one (turned into it) may
        // move, so that the car can always get out; the crash ends anyway.
        posX -= vx;
        posY -= vy;
        x = std::int32_t(o.x + posX);
        y = std::int32_t(o.y + posY);
    } else if (reverseSpeed > 0 && rearObstacle(f)) {
        // The probe sits at the nose, so backing into something is felt at
        // the tail instead: the car stops short of it, without a crash.
        posX -= vx;
        posY -= vy;
        x = std::int32_t(o.x + posX);
        y = std::int32_t(o.y + posY);
        reverseSpeed = 0;
    }

    if (damage > t.maxDamage) {
        wrecked = true;
        damage = t.maxDamage;
        engineFreq = 0;
    }
    if (wrecked) engineFreq = 0;

    // Service areas.
    if (probeAreaOf(f, PitBox)) {
        inPitBox = true;
        fuel = float(fuel + 0.07);
        if (fuel > t.tankSize) fuel = t.tankSize;
        damage = float(damage - 0.04);
        if (damage < 0) damage = 0;
        if (rules.mode == FreeDriving) {
            nitro += 1.0f;
            if (nitro > 100.0f) nitro = 100.0f;
        }
    }
    if (probeAreaOf(f, Refuel)) {
        fuel = float(fuel + 0.06);
        if (fuel > t.tankSize) fuel = t.tankSize;
    }
    refuelling = fuel > fuelAtStart;

    skidStep();

    if (crashed && ++crashFrames > 50) {
        crashed = false;
        moveAngle = bodyAngle;
        accel = 0;
    }
    frame = f;

    // Each turn input acts in the next update only.
    if (steering < 0) {
        steering = float(steering + 0.1);
        if (steering > 0) steering = 0;
    }
    if (steering > 0) {
        steering = float(steering - 0.1);
        if (steering < 0) steering = 0;
    }
}

float Car::leadingHeading() const {
    return speed < 0 ? float(moveAngle + kPi) : moveAngle;
}

bool Car::obstacleAhead(std::int32_t placedFrame, float heading) const {
    if (!track || !type) return false;
    // As far ahead of the centre as the nose, in the given direction.
    const IntPoint& placed = offsetOf(*type, placedFrame);
    const IntPoint& o = offsetOf(*type, 1);
    const double reach = std::hypot(double(o.x + type->pivot.x), double(o.y + type->pivot.y));
    const double px = (x - placed.x) + reach * std::sin(double(heading));
    const double py = (y - placed.y) - reach * std::cos(double(heading));
    return track->areaAt(std::int32_t(px), std::int32_t(py), Obstacle) != nullptr;
}

bool Car::rearObstacle(std::int32_t placedFrame) const {
    if (!track) return false;
    // The nose's probe point mirrored through the car's centre.
    const IntPoint q = probePoint(placedFrame);
    const std::int32_t cx = x - offsetOf(*type, placedFrame).x;
    const std::int32_t cy = y - offsetOf(*type, placedFrame).y;
    return track->areaAt(2 * cx - q.x, 2 * cy - q.y, Obstacle) != nullptr;
}
