#include "race/race.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/control_source.hpp"
#include "records/profile.hpp"
#include "track/track.hpp"

#include <cstdio>

Race::Race(const RaceRules& rules) : rules_(rules) {}
Race::~Race() = default;

std::unique_ptr<Car> Race::createCar(const CarType& type, std::string& why) const {
    std::vector<FrameSize> frames;
    if (!measureCarFrames(type, frames, why) || !carFitsFrames(type, frames, why)) {
        std::printf("Car %s does not fit its picture %s: %s\n", type.name.c_str(),
                    type.picture.c_str(), why.c_str());
        return nullptr;
    }
    auto car = std::make_unique<Car>();
    car->type = &type;
    car->frame = 0;
    car->fuel = type.tankSize;
    car->frameSizes = std::move(frames);
    car->rules = rules_;
    return car;
}

bool Race::addParticipant(PlayerProfile* profile, const CarType& type, std::string& why) {
    std::unique_ptr<Car> car = createCar(type, why);
    if (!car) return false;
    auto player = std::make_unique<Player>();
    player->profile = profile;
    if (profile) player->name = profile->name;
    player->car = std::move(car);
    player->number = std::int32_t(players_.size()) + 1;
    players_.push_back(std::move(player));
    return true;
}

bool Race::prepareRace(const std::string& trackFile, std::string& why) {
    finishedCount = 0;
    finishOrder.fill(-1);
    fastestLapTime = 10000;
    recordLapTime = 10000;
    newLapRecord = false;
    if (!loadTrack(trackFile, why)) return false;
    for (auto& p : players_)
        p->resetForRace();
    phase_ = RacePhase::StartLights;
    lightStep_ = lightFrames_ = 0;
    message_.clear();
    return true;
}

bool Race::loadTrack(const std::string& trackFile, std::string& why) {
    track_.reset();
    std::printf("loading track...\n");
    auto track = std::make_unique<Track>();
    if (!track->loadMap(trackFile)) {
        why = "Cannot load map " + trackFile;
        std::printf("%s\n", why.c_str());
        return false;
    }
    const std::int64_t w = std::int64_t(track->pitchX()) * track->width;
    const std::int64_t h = std::int64_t(track->pitchY()) * track->height;
    if (w < 1 || h < 1 || w > kMaxTrackSide || h > kMaxTrackSide || w * h > kMaxTrackPixels) {
        why = "Map " + trackFile + " is too large to draw (" + std::to_string(w) + " x " +
              std::to_string(h) + " pixels)";
        std::printf("%s\n", why.c_str());
        return false;
    }
    if (!track->finishLine()) {
        why = "Map " + trackFile + " has no finish line";
        std::printf("%s\n", why.c_str());
        return false;
    }
    track_ = std::move(track);
    std::printf("track loaded.\n");
    for (std::size_t i = 0; i < players_.size(); ++i) {
        Player& p = *players_[i];
        p.car->track = track_.get();
        p.car->trackWidth = std::int32_t(w);
        p.car->trackHeight = std::int32_t(h);
        p.placeOnGrid(*track_, std::int32_t(i));
    }
    return true;
}

Player* Race::playerAt(std::int32_t index) const {
    if (players_.empty()) return nullptr;
    if (index <= 0) return players_[0].get();
    return std::size_t(index) < players_.size() ? players_[std::size_t(index)].get() : nullptr;
}

void Race::updateObjects() {
    // Tests and tools may change a track's areas between frames.
    if (track_) track_->indexAreas();
    // The last car first, as they have always moved: a car's update may
    // read nothing of another, but the order is part of the recorded races.
    for (auto it = players_.rbegin(); it != players_.rend(); ++it)
        (*it)->car->update(1.0f);
}

RaceEvents Race::step(std::span<ControlSource* const> sources) {
    RaceEvents events;
    if (!track_) return events;
    updateObjects();
    for (const auto& p : players_)
        events.crash = events.crash || p->car->hit;
    if (phase_ != RacePhase::StartLights || lightStep_ == 2) {
        runRaceManager(sources, events);
        events.driversMoved = true;
    }
    if (phase_ == RacePhase::StartLights && ++lightFrames_ % 50 == 0 && ++lightStep_ == 3) {
        phase_ = RacePhase::Racing;
        events.go = true;
    }
    return events;
}
