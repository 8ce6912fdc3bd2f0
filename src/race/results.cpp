#include "race/results.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "race/race.hpp"

#include <algorithm>

std::vector<ResultRow> raceResults(const Race& race) {
    const auto& players = race.players();
    std::vector<std::size_t> order;
    std::vector<bool> placed(players.size(), false);
    const std::int32_t finishers = std::clamp(race.finishedCount, 0, 8);
    for (std::int32_t k = 0; k < finishers; ++k) {
        // finishOrder holds 1-based numbers; a damaged one is passed over.
        const std::int32_t number = race.finishOrder[std::size_t(k)];
        if (number < 1 || std::size_t(number) > players.size() || placed[std::size_t(number - 1)])
            continue;
        order.push_back(std::size_t(number - 1));
        placed[std::size_t(number - 1)] = true;
    }
    std::vector<std::size_t> rest;
    for (std::size_t i = 0; i < players.size(); ++i)
        if (!placed[i]) rest.push_back(i);
    std::stable_sort(rest.begin(), rest.end(), [&players](std::size_t a, std::size_t b) {
        const Player& pa = *players[a];
        const Player& pb = *players[b];
        if (pa.laps != pb.laps) return pa.laps > pb.laps;
        return pa.checkpointsPassed > pb.checkpointsPassed;
    });
    order.insert(order.end(), rest.begin(), rest.end());

    // The race keeps its fastest lap and record holder by grid index; the
    // fastest time stays at its start value until someone laps.
    const bool anyFastest = race.fastestLapTime < 10000;
    std::vector<ResultRow> rows;
    for (std::size_t i : order) {
        const Player& p = *players[i];
        ResultRow row;
        row.participant = std::int32_t(i);
        row.driver = p.name;
        if (p.car && p.car->type) row.car = p.car->type->name;
        row.bestLap = p.bestLap;
        row.finished = p.finished;
        row.totalTime = p.finished ? p.finishTime : 0;
        row.laps = p.laps;
        row.pitStops = p.pitStops;
        row.out = p.out;
        row.fastestLap = anyFastest && race.fastestLapPlayer == std::int32_t(i) && p.bestLap > 0;
        row.lapRecord = race.newLapRecord && race.recordLapPlayer == std::int32_t(i);
        rows.push_back(std::move(row));
    }
    return rows;
}
