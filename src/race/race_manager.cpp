// The rule book of a race: who has finished and with how many points, the
// fastest lap and the lap record, drivers out of fuel or wrecked, the end
// of the race and the statistics it credits.
#include "app/game.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "gfx/font.hpp"
#include "race/race_text.hpp"
#include "race/season.hpp"
#include "records/profile.hpp"
#include "track/track.hpp"
#include "track/view.hpp"

#include <cstdio>

namespace {
// A human's warning: shown 50 frames in every 101, six times, then the
// driver is out with a closing message.
void runWarning(Game& game, Player& p, const char* text, const char* closing) {
    if (p.messageFrames < 50 && p.view)
        drawCentred(game.screen, game.fonts.menu, text, 0xFFFFFF00, p.view->y + p.view->height / 2);
    if (++p.messageFrames > 100) {
        p.messageFrames = 0;
        ++p.messageCycles;
    }
    if (p.messageCycles > 5) {
        p.out = true;
        raceMessage = closing;
    }
}
} // namespace

Player* Game::playerAt(std::int32_t index) const {
    if (players.empty()) return nullptr;
    if (index <= 0) return players[0].get();
    return std::size_t(index) < players.size() ? players[std::size_t(index)].get() : nullptr;
}

void Game::runRaceManager() {
    const bool racing = state == Racing;
    for (std::size_t i = 0; i < players.size(); ++i) {
        Player& p = *players[i];
        p.updateDriver();
        if (p.laps == settings->lapsPerRace && settings->mode != FreeDriving && !p.finished &&
            finishedCount < 8) {
            p.finished = true;
            if (settings->mode == RacingSeason && p.profile) countOne(p.profile->racesDriven);
            p.racePoints = kPointsTable[std::size_t(finishedCount)];
            p.points += p.racePoints;
            finishOrder[std::size_t(finishedCount)] = p.number;
            ++finishedCount;
        }
        if (!racing) continue;
        if (p.bestLap != 0 && p.bestLap < recordLapTime) {
            recordLapTime = p.bestLap;
            recordLapPlayer = std::int32_t(i);
        }
        if (p.bestLap != 0 && p.bestLap < fastestLapTime) {
            fastestLapTime = p.bestLap;
            fastestLapPlayer = p.number - 1;
            std::printf("fastest lap %d by %d\n", fastestLapTime, fastestLapPlayer);
        }
        const bool computer = !p.profile || p.profile->type == Computer;
        if (p.car->fuel == 0 && !p.out && !p.finished) {
            if (computer)
                p.out = true;
            else
                runWarning(*this, p, "OUT OF FUEL!!", "Remember refill!");
        }
        if (p.car->wrecked && !p.out && !p.finished) {
            if (computer)
                p.out = true;
            else
                runWarning(*this, p, "WRECK!!", "try not to hit things!");
        }
    }
    if (!racing) return;

    std::int32_t out = 0;
    for (auto& p : players)
        out += p->out ? 1 : 0;
    if (finishedCount != driverCount - out) return;
    if (settings->mode != FreeDriving) raceMessage = "Race Over!";
    state = RaceOver;
    if (settings->mode == RacingSeason) {
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
    Player* holder = std::size_t(recordLapPlayer) < players.size()
                         ? players[std::size_t(recordLapPlayer)].get()
                         : nullptr;
    if (track && holder && recordLapTime < track->record.time && settings->mode != FreeDriving &&
        !holder->out) {
        track->record.time = recordLapTime;
        track->record.driver = holder->name;
        track->record.car = holder->car->type->name;
        newLapRecord = true;
        if (!track->saveRecord()) lapRecordUnsaved = true;
    }
}
