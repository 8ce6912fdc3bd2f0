#include "race/race_checksum.hpp"

#include "race/race.hpp"

#include <cstring>

namespace {
struct Hash32 {
    std::uint32_t value = 2166136261u;
    template <typename T> void add(const T& field) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &field, sizeof(T));
        for (unsigned char b : bytes)
            value = (value ^ b) * 16777619u;
    }
};
} // namespace

const char* const kStateFieldNames[kStateFields] = {
    "posX",     "posY",     "moveAngle",  "bodyAngle",   "steering",    "accel",
    "speed",    "fuel",     "damage",     "nitro",       "skid",        "reverseSpeed",
    "x",        "y",        "frame",      "crashFrames", "crashed",     "wrecked",
    "onRoad",   "nitroOn",  "reverseOn",  "laps",        "lapTime",     "bestLap",
    "raceTime", "finished", "finishTime", "pitStops",    "checkpoints", "race"};

RaceChecksum checksumRace(const Race& race) {
    std::array<Hash32, kStateFields> fields{};
    RaceChecksum sum;
    for (const auto& player : race.players()) {
        const Player& p = *player;
        const Car& c = *p.car;
        Hash32 mine;
        std::size_t f = 0;
        const auto add = [&](const auto& value) {
            fields[f++].add(value);
            mine.add(value);
        };
        for (float v : {c.posX, c.posY, c.moveAngle, c.bodyAngle, c.steering, c.accel, c.speed,
                        c.fuel, c.damage, c.nitro, c.skid, c.reverseSpeed})
            add(v);
        for (std::int32_t v : {c.x, c.y, c.frame, c.crashFrames})
            add(v);
        for (bool v : {c.crashed, c.wrecked, c.onRoad, c.nitroOn, c.reverseOn})
            add(v);
        for (std::int32_t v : {p.laps, p.lapTime, p.bestLap, p.raceTime})
            add(v);
        add(p.finished || p.out ? std::int32_t(p.finished) + 2 * std::int32_t(p.out) : 0);
        for (std::int32_t v : {p.finishTime, p.pitStops, p.checkpointsPassed})
            add(v);
        sum.participants.push_back(mine.value);
    }
    Hash32& whole = fields[kStateFields - 1];
    whole.add(std::int32_t(race.phase()));
    whole.add(race.lightStep());
    whole.add(race.finishedCount);
    whole.add(race.finishOrder);
    whole.add(race.fastestLapPlayer);
    whole.add(race.fastestLapTime);
    for (std::size_t i = 0; i < kStateFields; ++i)
        sum.fields[i] = fields[i].value;
    return sum;
}

std::uint64_t RaceChecksum::whole() const {
    std::uint64_t h = fnv1a(reinterpret_cast<const std::uint8_t*>(fields.data()),
                            fields.size() * sizeof(fields[0]));
    return fnv1a(reinterpret_cast<const std::uint8_t*>(participants.data()),
                 participants.size() * sizeof(std::uint32_t), h);
}

std::uint64_t fnv1a(const std::uint8_t* data, std::size_t size, std::uint64_t seed) {
    std::uint64_t h = seed;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 1099511628211ull;
    return h;
}
