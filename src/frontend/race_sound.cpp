#include "frontend/race_sound.hpp"

#include "car/car.hpp"
#include "driver/player.hpp"
#include "race/race.hpp"
#include "sound/sound.hpp"

void RaceSound::prepare(const Race& race) {
    const auto& players = race.players();
    engineStarted_.assign(players.size(), 0);
    skidStarted_.assign(players.size(), 0);
    pausedChannels_.clear();
    refuelling_.assign(players.size(), 0);
    lightShown_ = -1;
    // Decided before the first driver moves and starts any engine, so that
    // in a race with a human the computer drivers' engines never play.
    soundFollowsHumans_ = false;
    for (const auto& p : players)
        if (p->isHuman()) soundFollowsHumans_ = true;
}

void RaceSound::afterStep(const Race& race, const RaceEvents& events) {
    // READY and STEADY beep, GO answers higher; the lights going out
    // (step 3) is the race starting, heard in the engines.
    if (race.phase() == RacePhase::StartLights && race.lightStep() != lightShown_ &&
        race.lightStep() < 3) {
        lightShown_ = race.lightStep();
        sound::play(sound::kCountdownChannel,
                    lightShown_ == 2 ? sound::GoSample : sound::BeepSample);
    }
    if (events.crash) sound::play(sound::kCollisionChannel, sound::CollisionSample);
    if (events.driversMoved) {
        const auto& players = race.players();
        for (std::size_t i = 0; i < players.size() && i < engineStarted_.size(); ++i) {
            const Player& p = *players[i];
            const std::int32_t channel = channelOf(i);
            const bool heard = p.isHuman() || !soundFollowsHumans_;
            if (!engineStarted_[i]) {
                if (heard) sound::play(channel, sound::EngineSample);
                engineStarted_[i] = 1;
            }
            sound::setFrequency(channel, std::int32_t(p.car->engineFreq));
            if (p.car->skid <= 0 || !p.car->onRoad) {
                sound::setPaused(channel + 1, true);
            } else if (heard) {
                if (!skidStarted_[i]) {
                    sound::play(channel + 1, sound::SkidSample);
                    skidStarted_[i] = 1;
                } else {
                    sound::setPaused(channel + 1, false);
                }
            }
        }
    }
    if (events.go) startEngineSounds(race);
    if (events.driversMoved) followRefuelling(race);
}

void RaceSound::followRefuelling(const Race& race) {
    const auto& players = race.players();
    for (std::size_t i = 0; i < players.size() && i < refuelling_.size(); ++i) {
        const bool heard = soundFollowsHumans_ ? players[i]->isHuman() : i == 0;
        const bool now = heard && players[i]->car->refuelling;
        const int channel = sound::kFirstRefuelChannel + int(i);
        if (now && !refuelling_[i]) sound::play(channel, sound::RefuelSample);
        if (!now && refuelling_[i]) sound::setPaused(channel, true);
        refuelling_[i] = now;
    }
}

void RaceSound::startEngineSounds(const Race& race) {
    const auto& players = race.players();
    soundFollowsHumans_ = false;
    for (std::size_t i = 0; i < players.size(); ++i)
        if (players[i]->isHuman()) {
            sound::setPaused(channelOf(i), false);
            sound::setPaused(channelOf(i) + 1, false);
            soundFollowsHumans_ = true;
        }
    if (!soundFollowsHumans_ && !players.empty()) {
        sound::setPaused(channelOf(0), false);
        sound::setPaused(channelOf(0) + 1, false);
    }
    sound::setPaused(sound::kCollisionChannel, false);
}

void RaceSound::pause() {
    for (std::int32_t channel = 0; channel < sound::kChannels; ++channel)
        if (sound::isAudible(channel)) {
            sound::setPaused(channel, true);
            pausedChannels_.push_back(channel);
        }
}

void RaceSound::resume() {
    for (std::int32_t channel : pausedChannels_)
        sound::setPaused(channel, false);
    pausedChannels_.clear();
}
