// The computer driver: aims at the current waypoint, steers its direction
// of travel towards it, picks throttle, nitro and brake from the angle still
// to turn and its speed, and plans one pit stop when the fuel will not last
// another lap. It uses the same controls as a human and gets no other help.
#include "app/game.hpp"
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

void Player::driveComputer() {
    Game* game = Game::instance();
    const Track* track = game->track.get();
    if (!track || !car) return;
    if (waypoint < 0 || waypoint >= kWaypoints) waypoint = 0;
    const Waypoint& t = track->waypoints[std::size_t(waypoint)];
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
    car->reverseOn = reverseFrames > 0;
    if (reverseFrames > 0) {
        --reverseFrames;
        car->brake(0.1f);
        car->nitroOn = false;
        // Backing up turns the body against the steering.
        if (h < targetAngle) car->steer(e < kPi ? -0.06f : 0.06f);
        if (h > targetAngle) car->steer(e < kPi ? 0.06f : -0.06f);
    } else if (pitState == InBox) {
        car->brake(0.3f);
    } else {
        if (h < targetAngle) car->steer(e < kPi ? 0.06f : -0.06f);
        if (h > targetAngle) car->steer(e < kPi ? -0.06f : 0.06f);
        if (e > kPi) e = float(2 * kPi - e);
        const float v = car->speed;
        const float d = v < 1.0f ? 1.0f : v;
        if (e < (kPi / 2) / d) {
            car->accelerate();
            car->nitroOn = true;
        } else {
            car->nitroOn = false;
        }
        if (e > kPi / d) car->brake(0.01f);
        if (v == 0) car->accelerate();
    }

    const Settings* settings = game->settings;
    const bool freeDriving = settings && settings->mode == FreeDriving;
    const std::int32_t lapsPerRace = settings ? settings->lapsPerRace : 0;
    if (lapFuelUse != 0 && pitState == OnTrack && car->fuel < lapFuelUse + 7.0f &&
        (laps < lapsPerRace - 1 || freeDriving))
        pitState = WantsPit;

    if (pitState != InBox && std::sqrt(double(dx) * dx + double(dy) * dy) < 50.0) {
        waypoint = track->nextWaypoint(waypoint);
        if (pitState == Leaving && track->waypoints[std::size_t(waypoint)].type == RacingLine)
            pitState = OnTrack;
    }
    const std::int32_t pit = track->firstPitWaypoint();
    if (pitState == WantsPit && pit != -1) {
        const Waypoint& p = track->waypoints[std::size_t(pit)];
        const double px = double(std::int64_t(p.x) - car->getX());
        const double py = double(std::int64_t(p.y) - car->getY());
        if (std::sqrt(px * px + py * py) < 48.0) {
            pitState = InPitLane;
            waypoint = pit;
        }
    }
    if (pitState == InPitLane && car->probeArea(PitBox)) pitState = InBox;
    if (pitState == InBox && car->fuel == car->type->tankSize) pitState = Leaving;
}
