#include "driver/player.hpp"

#include "app/game.hpp"
#include "car/car.hpp"
#include "car/test_drive.hpp"
#include "platform/platform.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

bool soundFollowsHumans = false;

namespace {
// Key codes come from profile files; one outside the key table is never held.
bool held(std::int32_t code) {
    return Game::instance()->keyboard.held(code);
}

bool isHuman(const Player& p) {
    return p.profile && p.profile->type == Human;
}
} // namespace

void Player::placeOnGrid(std::int32_t index) {
    const Track* track = Game::instance()->track.get();
    const TrackArea* line = track ? track->finishLine() : nullptr;
    if (!line || !car) return;
    const GridPlace p = gridPlace(*line, index, number);
    car->placeAt(p.x, p.y, p.angle);
}

void Player::resetForRace() {
    out = finished = false;
    laps = lapTime = bestLap = raceTime = checkpointsPassed = 0;
    engineStarted = skidStarted = false;
    waypoint = 0;
    pitState = OnTrack;
    racePoints = 0;
    beforeStart = true;
    // Measured anew on every track: the last track's fuel use would plan
    // this one's pit stops, and a spent warning would never show again.
    lapStartFuel = lapFuelUse = 0;
    messageFrames = messageCycles = 0;
    stuckFrames = reverseFrames = 0;
    // The last race's areas are gone with its track.
    lastLine = nullptr;
    if (car) car->resetForRace();
}

void Player::updateDriver() {
    const bool human = isHuman(*this);
    if (!engineStarted) {
        if (human || !soundFollowsHumans) sound::play(channel, sound::EngineSample);
        engineStarted = true;
    }

    if (finished || car->fuel <= 0 || car->wrecked) {
        car->brake(0.1f);
        car->reverseOn = false;
    } else if (human) {
        CarControls c;
        c.accelerate = held(keyAccelerate);
        c.brake = held(keyBrake);
        c.right = held(keyRight);
        c.left = held(keyLeft);
        c.nitro = held(keyNitro);
        applyControls(*car, c);
    } else {
        driveComputer();
    }

    const TrackArea* hit = car->probeArea(Checkpoint);
    if (hit && hit != lastLine) ++checkpointsPassed;
    if (hit) lastLine = hit;
    hit = car->probeArea(FinishLine);
    if (hit && hit != lastLine) crossFinishLine();
    if (hit) lastLine = hit;

    if (++lapTime > 90) shownLapTime = lapTime;
    ++raceTime;

    sound::setFrequency(channel, std::int32_t(car->engineFreq));
    if (car->skid <= 0 || !car->onRoad) {
        sound::setPaused(channel + 1, true);
    } else if (human || !soundFollowsHumans) {
        if (!skidStarted) {
            sound::play(channel + 1, sound::SkidSample);
            skidStarted = true;
        } else {
            sound::setPaused(channel + 1, false);
        }
    }
}

void Player::crossFinishLine() {
    if (beforeStart) {
        lapStartFuel = car->fuel;
        lapTime = laps = bestLap = raceTime = 0;
        beforeStart = false;
        checkpointsPassed = 0;
        return;
    }
    const Track* track = Game::instance()->track.get();
    if (track && checkpointsPassed == track->countAreas(Checkpoint)) {
        if (bestLap == 0 || lapTime < bestLap) bestLap = lapTime;
        lapTime = 0;
        ++laps;
        if (profile) countOne(profile->totalLaps);
    }
    if (lapFuelUse == 0) lapFuelUse = lapStartFuel - car->fuel;
    checkpointsPassed = 0;
}
