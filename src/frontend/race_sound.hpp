// The race as the player hears it: an engine and a skid channel for each
// participant, the crash sound, a beep for each start light and the pump
// while a car refuels. In a race with a human driver only the humans' cars
// are heard; without one, the first car's. It reads the race and what its
// steps report, and nothing in the race reads it.
#pragma once

#include <cstdint>
#include <vector>

class Race;
struct RaceEvents;

class RaceSound {
  public:
    // The engine channel of a participant (0-based); its skid plays on the
    // next one.
    static std::int32_t channelOf(std::size_t participant) {
        return 2 * (std::int32_t(participant) + 1);
    }
    // A new race on the track: nothing has been started yet.
    void prepare(const Race& race);
    // After each step: a beep as each start light comes on, engines started
    // as their drivers first move, their pitch, the skids, the crash, the
    // refuelling of heard cars.
    void afterStep(const Race& race, const RaceEvents& events);
    // When the lights go out: the heard engines and skids, and crashes.
    void startEngineSounds(const Race& race);
    // True while a race has a human driver: the computer drivers' cars are
    // then silent.
    bool followsHumans() const { return soundFollowsHumans_; }
    // A paused race: every channel heard falls silent, and resume brings
    // back those and only those.
    void pause();
    void resume();

  private:
    void followRefuelling(const Race& race);

    bool soundFollowsHumans_ = false;
    std::vector<std::int32_t> pausedChannels_;
    std::vector<std::uint8_t> engineStarted_, skidStarted_, refuelling_;
    std::int32_t lightShown_ = -1; // the start light last beeped for
};
