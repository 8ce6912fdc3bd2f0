#include "race/replay_run.hpp"

#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "records/profile.hpp"

ReplayRecorder::~ReplayRecorder() {
    if (race_) race_->logControls(nullptr);
}

bool ReplayRecorder::begin(Race& race, const std::string& trackFile) {
    if (race_) race_->logControls(nullptr);
    race_ = nullptr;
    std::vector<std::uint8_t> trackBytes;
    if (!readWholeFile("tracks/" + trackFile, trackBytes)) return false;
    replay_ = Replay{};
    replay_.trackFile = trackFile;
    replay_.trackHash = hashBytes(trackBytes);
    replay_.rules = race.rules();
    for (const auto& p : race.players()) {
        ReplayParticipant r;
        r.name = p->profile ? p->profile->name : p->name;
        r.carName = p->car->type->name;
        r.carHash = hashBytes(encodeCarType(*p->car->type));
        r.type = p->isHuman() ? Human : Computer;
        replay_.participants.push_back(std::move(r));
    }
    race_ = &race;
    race.logControls(this);
    return true;
}

void ReplayRecorder::taken(std::size_t participant, const Controls& controls) {
    if (participant < replay_.participants.size())
        appendControls(replay_.participants[participant].runs, controls);
}

void ReplayRecorder::afterStep(const Race& race) {
    if (&race != race_ || replay_.frames >= kMaxReplayFrames) return;
    if (++replay_.frames % kChecksumFrames == 0)
        replay_.checksums.push_back(replayChecksum(replay_.frames, checksumRace(race)));
}

Replay ReplayRecorder::finish() {
    if (race_) {
        if (replay_.checksums.empty() || replay_.checksums.back().frame != replay_.frames)
            replay_.checksums.push_back(replayChecksum(replay_.frames, checksumRace(*race_)));
        race_->logControls(nullptr);
        race_ = nullptr;
    }
    return std::move(replay_);
}

Controls ReplayControls::controls(const Player&, const Track&, const RaceRules&) {
    if (exhausted()) return Controls{};
    const ControlRun& run = (*runs_)[run_];
    const Controls c = run.at(used_);
    if (++used_ >= run.count) {
        ++run_;
        used_ = 0;
    }
    return c;
}

ReplayRace::ReplayRace() = default;
ReplayRace::~ReplayRace() = default;
ReplayRace::ReplayRace(ReplayRace&&) noexcept = default;
ReplayRace& ReplayRace::operator=(ReplayRace&&) noexcept = default;

std::vector<ControlSource*> ReplayRace::sourcePointers() const {
    std::vector<ControlSource*> pointers;
    for (const auto& s : sources)
        pointers.push_back(s.get());
    return pointers;
}

bool setUpReplay(const Replay& replay, const std::vector<std::unique_ptr<CarType>>& cars,
                 ReplayRace& out, std::string& why) {
    if (replay.simulationVersion != kSimulationVersion) {
        why = "The replay was made by another version of the game's racing (" +
              std::to_string(replay.simulationVersion) + ", this game runs " +
              std::to_string(kSimulationVersion) + ").";
        return false;
    }
    std::vector<std::uint8_t> trackBytes;
    if (!readWholeFile("tracks/" + replay.trackFile, trackBytes)) {
        why = "The replay's track " + replay.trackFile + " is not here.";
        return false;
    }
    if (hashBytes(trackBytes) != replay.trackHash) {
        why = "The track " + replay.trackFile + " has changed since the replay was made.";
        return false;
    }
    ReplayRace made;
    made.race = std::make_unique<Race>(replay.rules);
    for (const ReplayParticipant& p : replay.participants) {
        const CarType* type = nullptr;
        for (const auto& car : cars)
            if (car->name == p.carName) type = car.get();
        if (!type) {
            why = "The replay's car " + p.carName + " is not here.";
            return false;
        }
        if (hashBytes(encodeCarType(*type)) != p.carHash) {
            why = "The car " + p.carName + " has changed since the replay was made.";
            return false;
        }
        auto profile = std::make_unique<PlayerProfile>();
        profile->name = p.name;
        profile->carName = p.carName;
        profile->type = p.type;
        std::string carWhy;
        if (!made.race->addParticipant(profile.get(), *type, carWhy)) {
            why = "The car " + p.carName + " cannot race: " + carWhy;
            return false;
        }
        made.profiles.push_back(std::move(profile));
        made.sources.push_back(std::make_unique<ReplayControls>(p.runs));
    }
    std::string trackWhy;
    if (!made.race->prepareRace(replay.trackFile, trackWhy)) {
        why = trackWhy;
        return false;
    }
    for (auto& source : made.sources)
        source->raceStarts();
    out = std::move(made);
    return true;
}

std::string checksumDifference(const ReplayChecksum& expected, const Race& race) {
    const ReplayChecksum now = replayChecksum(expected.frame, checksumRace(race));
    if (now.whole == expected.whole) return std::string();
    const std::string at = "frame " + std::to_string(expected.frame) + ": ";
    if (now.participants.size() != expected.participants.size())
        return at + "the number of drivers differs";
    std::string field, who;
    for (std::size_t f = 0; f < kStateFields && field.empty(); ++f)
        if (now.fields[f] != expected.fields[f]) field = kStateFieldNames[f];
    for (std::size_t i = 0; i < now.participants.size() && who.empty(); ++i)
        if (now.participants[i] != expected.participants[i]) who = race.players()[i]->name;
    if (field.empty() || field == "race" || who.empty()) return at + "the race state differs";
    return at + field + " of " + who + " differs";
}

bool verifyReplay(const Replay& replay, const std::vector<std::unique_ptr<CarType>>& cars,
                  std::string& why) {
    ReplayRace run;
    if (!setUpReplay(replay, cars, run, why)) return false;
    const std::vector<ControlSource*> sources = run.sourcePointers();
    std::size_t next = 0;
    for (std::uint32_t frame = 1; frame <= replay.frames; ++frame) {
        run.race->step(sources);
        while (next < replay.checksums.size() && replay.checksums[next].frame == frame) {
            why = checksumDifference(replay.checksums[next], *run.race);
            if (!why.empty()) return false;
            ++next;
        }
    }
    return true;
}
