#include "driver/player.hpp"

#include "records/profile.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

bool Player::isHuman() const {
    return profile && profile->type == Human;
}

void Player::placeOnGrid(const Track& track, std::int32_t index) {
    const TrackArea* line = track.finishLine();
    if (!line || !car) return;
    const GridPlace p = gridPlace(*line, index, number);
    car->placeAt(p.x, p.y, p.angle);
}

void Player::resetForRace() {
    out = finished = false;
    laps = lapTime = bestLap = raceTime = checkpointsPassed = 0;
    finishTime = pitStops = 0;
    inBox = false;
    racePoints = 0;
    beforeStart = true;
    // Measured anew on every track: the last track's fuel use would plan
    // this one's pit stops, and a spent warning would never show again.
    lapStartFuel = lapFuelUse = 0;
    messageFrames = messageCycles = 0;
    warningsShown = 0;
    // The last race's areas are gone with its track.
    lastLine = nullptr;
    if (car) car->resetForRace();
}

void Player::passLines(const Track& track) {
    const TrackArea* hit = car->probeArea(Checkpoint);
    if (hit && hit != lastLine) ++checkpointsPassed;
    if (hit) lastLine = hit;
    hit = car->probeArea(FinishLine);
    if (hit && hit != lastLine) crossFinishLine(track);
    if (hit) lastLine = hit;
}

void Player::crossFinishLine(const Track& track) {
    if (beforeStart) {
        lapStartFuel = car->fuel;
        lapTime = laps = bestLap = raceTime = 0;
        beforeStart = false;
        checkpointsPassed = 0;
        return;
    }
    if (checkpointsPassed == track.countAreas(Checkpoint)) {
        if (bestLap == 0 || lapTime < bestLap) bestLap = lapTime;
        lapTime = 0;
        ++laps;
        if (profile) countOne(profile->totalLaps);
    }
    if (lapFuelUse == 0) lapFuelUse = lapStartFuel - car->fuel;
    checkpointsPassed = 0;
}
