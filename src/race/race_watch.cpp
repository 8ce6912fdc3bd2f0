#include "race/race_watch.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "driver/player.hpp"
#include "race/race.hpp"
#include "track/track.hpp"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.1415926535;

// Half the width of the unturned picture: cars count as circles that wide.
double radiusOf(const Car& car) {
    if (!car.type || car.type->frameOffsets.empty()) return 0;
    return std::abs(car.type->frameOffsets[0].x);
}

// The nose's direction against the way to the waypoint, 0..pi.
double headingError(const Car& car, const Waypoint& target) {
    const double dx = target.x - car.posX, dy = target.y - car.posY;
    if (dx == 0 && dy == 0) return 0;
    const double toTarget = std::atan2(dx, -dy); // 0 up, clockwise
    double e = std::fmod(std::fabs(toTarget - double(car.bodyAngle)), 2 * kPi);
    if (e > kPi) e = 2 * kPi - e;
    return e;
}
} // namespace

void RaceWatch::start(std::size_t drivers, std::int32_t stuckLimit) {
    drivers_.assign(drivers, DriverWatch{});
    touching_.assign(drivers * drivers, 0);
    stuckLimit_ = stuckLimit;
    framesSinceGo_ = -1;
    contacts_ = 0;
    frame_ = 0;
}

bool RaceWatch::anyStuck() const {
    return std::any_of(drivers_.begin(), drivers_.end(),
                       [](const DriverWatch& w) { return w.stuck; });
}

void RaceWatch::observe(const Race& race, const std::vector<const ComputerDriver*>& drivers) {
    const auto& players = race.players();
    const Track& track = *race.track();
    const bool racing = race.phase() == RacePhase::Racing;
    const std::size_t n = std::min(players.size(), drivers_.size());
    if (framesSinceGo_ < 0) {
        for (std::size_t i = 0; i < n; ++i)
            if (players[i]->car && players[i]->car->speed > 0) framesSinceGo_ = 0;
    } else {
        ++framesSinceGo_;
    }

    for (std::size_t i = 0; i < n; ++i) {
        const Player& p = *players[i];
        DriverWatch& w = drivers_[i];
        const Car& car = *p.car;
        if (car.reverseSpeed > 0) ++w.reverseFrames;
        if (racing && !p.finished && !p.out) {
            ++w.racingFrames;
            if (!car.onRoad) ++w.offRoadFrames;
        }
        // Places change where a driver reaches a line: one that reaches a
        // stage before another at the same stage is ahead of it.
        const std::int32_t stage = p.laps * 1000 + p.checkpointsPassed;
        if (stage > w.stage) {
            for (std::size_t j = 0; j < n; ++j) {
                const DriverWatch& o = drivers_[j];
                // j was ahead: further on, or as far on and there first.
                if (j != i &&
                    (o.stage > w.stage || (o.stage == w.stage && o.stageFrame < w.stageFrame)) &&
                    (o.stage < stage))
                    ++w.overtakes;
            }
            w.stage = stage;
            w.stageFrame = frame_;
        } else if (stage < w.stage) {
            // The start crossing sets the counters back to the start.
            w.stage = stage;
            w.stageFrame = frame_;
        }
        const ComputerDriver* d = i < drivers.size() ? drivers[i] : nullptr;
        if (!d) continue;
        if (d->pitState == InBox && w.lastPitState != InBox) ++w.pitStops;
        w.lastPitState = d->pitState;

        const bool driving = !p.finished && !p.out && !car.crashed && car.reverseSpeed == 0;
        if (driving && framesSinceGo_ >= 0 && d->waypoint >= 0 && d->waypoint < kWaypoints) {
            if (headingError(car, track.waypoints[std::size_t(d->waypoint)]) > kPi / 2) {
                ++w.wrongWayFrames;
                if (framesSinceGo_ < kEarlyFrames) ++w.earlyWrongWayFrames;
            }
        }

        if (!racing) continue;
        if (p.finished || p.out || d->waypoint != w.waypoint) {
            w.waypoint = d->waypoint;
            w.sinceProgress = 0;
        } else if (++w.sinceProgress > stuckLimit_) {
            w.stuck = true;
        }
    }

    ++frame_;

    // Contacts: a pair counts once each time it comes to touch; cars
    // already side by side when watching starts do not count.
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const Car* a = players[i]->car.get();
            const Car* b = players[j]->car.get();
            const bool touch = std::hypot(double(a->posX - b->posX), double(a->posY - b->posY)) <
                               radiusOf(*a) + radiusOf(*b);
            std::uint8_t& was = touching_[i * drivers_.size() + j];
            if (touch && !was && framesSinceGo_ > 0) {
                ++drivers_[i].contacts;
                ++drivers_[j].contacts;
                ++contacts_;
            }
            was = touch;
        }
}
