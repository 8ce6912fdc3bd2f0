// The game's sound output: samples in fixed slots, played on fixed channels
// that the race addresses by number (participant k owns 2k for its engine
// and 2k + 1 for its skid; channel 15 plays collisions). The countdown, the
// menu and the pit box's refuelling play on channels above that plan.
//
// Our own software mixer stands behind these calls and plays through SDL
// audio. When no audio device can be opened every call is a harmless no-op,
// so the game runs silently on a machine without sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SoundSample;

namespace sound {

enum SampleSlot {
    EngineSample = 0,
    CollisionSample = 1,
    SkidSample = 2,
    BeepSample = 3, // READY and STEADY
    GoSample = 4,
    MenuMoveSample = 5,
    MenuSelectSample = 6,
    RefuelSample = 7,
};

// Enough channels that the eighth participant's engine and skid (16, 17) play.
constexpr int kChannels = 32;
constexpr int kCollisionChannel = 15;
constexpr int kCountdownChannel = 18;
constexpr int kMenuChannel = 19;
// Participant k (from 0) refuels on kFirstRefuelChannel + k, up to 27.
constexpr int kFirstRefuelChannel = 20;

// Opens SDL audio (16-bit stereo at rate) and the mixer's channels. Returns
// false when no device could be opened; the game then stays silent.
bool init(int rate, int channels);
// Closes the audio device and drops every sample (tests, shutdown).
void shutdown();
bool available();

// Loads a WAV file into a slot, converted once to the output format; false
// when the file is missing or not a WAV the converter understands.
bool loadSample(int slot, const char* path);
// The decoding half of loadSample: reads a WAV file and converts it to
// 16-bit stereo at the file's own rate. Works without an audio device; a
// damaged file is refused with a line saying why.
bool decodeWav(const char* path, SoundSample& out);
// The same for a WAV file in memory: its header is checked
// (checkWavHeader) before SDL's loader reads it. False with the reason.
bool decodeWavBytes(const std::vector<std::uint8_t>& bytes, SoundSample& out, std::string& why);
bool hasSample(int slot);
void setLoop(int slot, bool loop);
// Starts the slot's sample on the channel from its beginning, at the
// sample's own rate, unpaused. A channel already playing is restarted.
void play(int channel, int slot);
void setPaused(int channel, bool paused);
// Playback rate in Hz; the sample is resampled against its own rate.
void setFrequency(int channel, int hz);

// True while the channel plays a sample unpaused: what a player hears.
bool isAudible(int channel);
// The slot last started on the channel by play, -1 for none: kept with or
// without an audio device, so that tests can tell which sound the game
// chose. forgetStarted sets every channel back to none.
int lastStarted(int channel);
void forgetStarted();

// Loads the game's samples. A missing engine, collision or skid sample ends
// the program; without one of the others the game only misses that sound.
void loadGameSamples();
// Pauses every channel (race over, ESC).
void stopAllSounds();

} // namespace sound
