#include "driver/computer_driver.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "track/track.hpp"

#include <cmath>

namespace {
constexpr double kPi = 3.1415926535;
// Tuned on the shipped tracks: a car pulling away from the grid or out of a
// crash passes this speed well within the frames allowed.
constexpr float kStuckSpeed = 0.3f;
constexpr std::int32_t kStuckFrames = 90;
constexpr std::int32_t kReverseFrames = 60;
} // namespace

void ComputerDriver::raceStarts() {
    waypoint = 0;
    targetAngle = 0;
    pitState = OnTrack;
    stuckFrames = reverseFrames = 0;
}

Controls ComputerDriver::driveComputer(const Player& self, const Track& track,
                                       const RaceRules& rules) {
    Controls c;
    const Car* car = self.car.get();
    if (!car) return c;
    // Unless it decides otherwise, nitro stays as it was.
    c.nitro = car->nitroOn;
    if (waypoint < 0 || waypoint >= kWaypoints) waypoint = 0;
    const Waypoint& t = track.waypoints[std::size_t(waypoint)];
    // In 64 bits, so that no waypoint or car position can overflow it.
    const std::int64_t dx = std::int64_t(t.x) - car->getX(), dy = std::int64_t(t.y) - car->getY();

    // Direction to the waypoint, 0 up and clockwise, by quadrant.
    // Standing on the point itself (0 / 0) counts as straight ahead.
    // The quotient is taken in single precision, as the driver always has.
    const double a = dx == 0 && dy == 0 ? 0.0 : std::atan(double(float(dx) / float(dy)));
    if (dx > 0 && dy < 0)
        targetAngle = float(-a);
    else if (dy > 0 && dx != 0)
        targetAngle = float(kPi - a);
    else if (dx < 0 && dy < 0)
        targetAngle = float(2 * kPi - a);
    else
        targetAngle = float(a);

    const float h = car->moveAngle;
    float e = std::fabs(targetAngle - h);

    // Stuck: barely moving for a second and a half out of the pit box, for
    // example nose against a wall after a crash. Then a second in reverse,
    // swinging the nose round towards the waypoint, gets it free; otherwise
    // a computer driver never reverses.
    if (pitState != InBox && reverseFrames == 0 && car->speed < kStuckSpeed)
        ++stuckFrames;
    else
        stuckFrames = 0;
    if (stuckFrames > kStuckFrames) {
        stuckFrames = 0;
        reverseFrames = kReverseFrames;
    }
    c.reverse = reverseFrames > 0;
    // A turn towards the waypoint: right is +0.06, left -0.06.
    const auto turn = [&c](bool right) {
        if (right)
            c.right = true;
        else
            c.left = true;
    };
    if (reverseFrames > 0) {
        --reverseFrames;
        c.brake = 0.1f;
        c.nitro = false;
        // Backing up turns the body against the steering.
        if (h < targetAngle) turn(!(e < kPi));
        if (h > targetAngle) turn(e < kPi);
    } else if (pitState == InBox) {
        c.brake = 0.3f;
    } else {
        if (h < targetAngle) turn(e < kPi);
        if (h > targetAngle) turn(!(e < kPi));
        if (e > kPi) e = float(2 * kPi - e);
        const float v = car->speed;
        const float d = v < 1.0f ? 1.0f : v;
        if (e < (kPi / 2) / d) {
            ++c.throttle;
            c.nitro = true;
        } else {
            c.nitro = false;
        }
        // Braking and the throttle never come together: the one needs the
        // angle below pi/2/d, the other above pi/d.
        if (e > kPi / d) c.brake = 0.01f;
        if (v == 0) ++c.throttle;
    }

    const bool freeDriving = rules.mode == FreeDriving;
    if (self.lapFuelUse != 0 && pitState == OnTrack && car->fuel < self.lapFuelUse + 7.0f &&
        (self.laps < rules.laps - 1 || freeDriving))
        pitState = WantsPit;

    if (pitState != InBox && std::sqrt(double(dx) * dx + double(dy) * dy) < 50.0) {
        waypoint = track.nextWaypoint(waypoint);
        if (pitState == Leaving && track.waypoints[std::size_t(waypoint)].type == RacingLine)
            pitState = OnTrack;
    }
    const std::int32_t pit = track.firstPitWaypoint();
    if (pitState == WantsPit && pit != -1) {
        const Waypoint& p = track.waypoints[std::size_t(pit)];
        const double px = double(std::int64_t(p.x) - car->getX());
        const double py = double(std::int64_t(p.y) - car->getY());
        if (std::sqrt(px * px + py * py) < 48.0) {
            pitState = InPitLane;
            waypoint = pit;
        }
    }
    if (pitState == InPitLane && car->probeArea(PitBox)) pitState = InBox;
    if (pitState == InBox && car->fuel == car->type->tankSize) pitState = Leaving;
    return c;
}
