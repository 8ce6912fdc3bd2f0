// The rule book of a race: who has finished and with how many points, the
// fastest lap and the lap record, drivers out of fuel or wrecked, the end
// of the race and the statistics it credits.
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/control_source.hpp"
#include "driver/player.hpp"
#include "race/race.hpp"
#include "race/season.hpp"
#include "records/profile.hpp"
#include "track/track.hpp"

#include <cstdio>

namespace {
// A human's warning: shown 50 frames in every 101, six times, then the
// driver is out with a closing message.
void runWarning(Player& p, RaceWarning warning, const char* closing, std::string& message) {
    if (p.messageFrames < 50) p.warningsShown |= warning;
    if (++p.messageFrames > 100) {
        p.messageFrames = 0;
        ++p.messageCycles;
    }
    if (p.messageCycles > 5) {
        p.out = true;
        message = closing;
    }
}
} // namespace

void Race::updateDriver(std::size_t index, ControlSource* source) {
    track_->indexAreas();
    driveOne(index, source);
}

void Race::driveOne(std::size_t index, ControlSource* source) {
    Player& p = *players_[index];
    Car& car = *p.car;
    if (p.finished || car.fuel <= 0 || car.wrecked) {
        car.brake(0.1f);
        car.reverseOn = false;
    } else if (source) {
        const Controls controls = source->controls(p, *track_, rules_);
        if (log_) log_->taken(index, controls);
        applyControls(car, controls);
    }
    p.passLines(*track_);
    if (car.inPitBox && !p.inBox && !p.finished) ++p.pitStops;
    p.inBox = car.inPitBox;
    if (++p.lapTime > 90) p.shownLapTime = p.lapTime;
    ++p.raceTime;
}

void Race::judge(Player& p, std::size_t index) {
    p.warningsShown = 0;
    if (p.laps == rules_.laps && rules_.mode != FreeDriving && !p.finished && finishedCount < 8) {
        p.finished = true;
        p.finishTime = p.raceTime;
        if (rules_.mode == RacingSeason && p.profile) countOne(p.profile->racesDriven);
        p.racePoints = kPointsTable[std::size_t(finishedCount)];
        p.points += p.racePoints;
        finishOrder[std::size_t(finishedCount)] = p.number;
        ++finishedCount;
    }
    if (phase_ != RacePhase::Racing) return;
    if (p.bestLap != 0 && p.bestLap < recordLapTime) {
        recordLapTime = p.bestLap;
        recordLapPlayer = std::int32_t(index);
    }
    if (p.bestLap != 0 && p.bestLap < fastestLapTime) {
        fastestLapTime = p.bestLap;
        fastestLapPlayer = p.number - 1;
        std::printf("fastest lap %d by %d\n", fastestLapTime, fastestLapPlayer);
    }
    const bool computer = !p.isHuman();
    if (p.car->fuel == 0 && !p.out && !p.finished) {
        if (computer)
            p.out = true;
        else
            runWarning(p, OutOfFuelWarning, "Remember refill!", message_);
    }
    if (p.car->wrecked && !p.out && !p.finished) {
        if (computer)
            p.out = true;
        else
            runWarning(p, WreckWarning, "try not to hit things!", message_);
    }
}

void Race::runRaceManager(std::span<ControlSource* const> sources, RaceEvents& events) {
    for (std::size_t i = 0; i < players_.size(); ++i) {
        driveOne(i, i < sources.size() ? sources[i] : nullptr);
        judge(*players_[i], i);
    }
    if (phase_ != RacePhase::Racing) return;

    std::int32_t out = 0;
    for (auto& p : players_)
        out += p->out ? 1 : 0;
    if (finishedCount != std::int32_t(players_.size()) - out) return;
    endRace(events);
}

void Race::endRace(RaceEvents& events) {
    if (rules_.mode != FreeDriving) message_ = "Race Over!";
    phase_ = RacePhase::Over;
    events.over = true;
    if (rules_.mode == RacingSeason) {
        if (finishedCount > 0) {
            if (Player* winner = playerAt(finishOrder[0] - 1)) {
                ++winner->wins;
                if (winner->profile) countOne(winner->profile->racesWon);
            }
        }
        if (fastestLapPlayer != -1) {
            if (Player* fastest = playerAt(fastestLapPlayer)) {
                ++fastest->fastestLaps;
                if (fastest->profile) countOne(fastest->profile->fastestLaps);
            }
        }
    }
    Player* holder = std::size_t(recordLapPlayer) < players_.size()
                         ? players_[std::size_t(recordLapPlayer)].get()
                         : nullptr;
    if (holder && recordLapTime < track_->record.time && rules_.mode != FreeDriving &&
        !holder->out) {
        track_->record.time = recordLapTime;
        track_->record.driver = holder->name;
        track_->record.car = holder->car->type->name;
        newLapRecord = true;
        events.newLapRecord = true;
    }
}
