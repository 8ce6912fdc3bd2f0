#include "race/ghost.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "race/replay_run.hpp"

const GhostPose* GhostLap::at(std::int32_t lapTime) const {
    return lapTime >= 0 && std::size_t(lapTime) < poses.size() ? &poses[std::size_t(lapTime)]
                                                               : nullptr;
}

void GhostRecorder::observe(const Player& p) {
    if (p.beforeStart || !p.car) return;
    if (p.laps > laps_) {
        // The lap just ended is the best when the driver's best is now its
        // time, the frames it was recorded over.
        if (p.bestLap > 0 && (best_.time == 0 || p.bestLap < best_.time) &&
            std::size_t(p.bestLap) + 1 == current_.poses.size()) {
            best_ = current_;
            best_.time = p.bestLap;
        }
        current_.poses.clear();
        laps_ = p.laps;
    }
    if (p.laps < laps_) laps_ = p.laps; // a new race
    current_.carName = p.car->type ? p.car->type->name : std::string();
    const std::size_t t = std::size_t(std::max(p.lapTime, 0));
    if (t > 1 << 20) return; // a lap of five hours: kept no further
    const GhostPose pose{p.car->x, p.car->y, p.car->frame};
    if (current_.poses.size() <= t) current_.poses.resize(t + 1, pose);
    current_.poses[t] = pose;
}

bool ghostFromReplay(const Replay& replay, const std::vector<std::unique_ptr<CarType>>& cars,
                     const std::string& driver, GhostLap& out, std::string& why) {
    ReplayRace run;
    if (!setUpReplay(replay, cars, run, why)) return false;
    const auto& players = run.race->players();
    std::size_t index = players.size();
    for (std::size_t i = 0; i < players.size(); ++i)
        if (players[i]->name == driver) index = i;
    if (index == players.size()) {
        why = "no driver " + driver + " in the replay";
        return false;
    }
    GhostRecorder recorder;
    const std::vector<ControlSource*> sources = run.sourcePointers();
    for (std::uint32_t frame = 0; frame < replay.frames; ++frame) {
        run.race->step(sources);
        recorder.observe(*players[index]);
    }
    if (recorder.best().time == 0) {
        why = driver + " drove no whole lap";
        return false;
    }
    out = recorder.best();
    return true;
}
