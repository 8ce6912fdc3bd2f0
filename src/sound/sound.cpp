#include "sound/sound.hpp"

#include "base/bytes.hpp"
#include "sound/mixer.hpp"
#include "sound/wav_header.hpp"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace sound {

namespace {

constexpr int kSlots = 16;
// A RIFF header, a format chunk and a data chunk header; anything shorter
// cannot be a WAV and is refused before SDL parses it.
constexpr long long kMinWavBytes = 44;
// Our largest sample is a few hundred kilobytes; a file far beyond that is
// not game audio, and converting it could need several times its size.
constexpr long long kMaxWavBytes = 32ll << 20;

struct State {
    bool open = false;
    std::unique_ptr<Mixer> mixer;
    std::array<std::unique_ptr<SoundSample>, kSlots> samples;
    std::array<int, kChannels> started = filledStarted();

    static std::array<int, kChannels> filledStarted() {
        std::array<int, kChannels> none;
        none.fill(-1);
        return none;
    }
};

// Never destroyed: SDL's audio thread may still run the callback while the
// program exits, until SDL_Quit (registered at exit) closes the device.
State& state() {
    static State* s = new State;
    return *s;
}

// The callback runs on SDL's audio thread; every change to the mixer or to a
// sample it may be reading holds this lock while the device is open.
class AudioLock {
  public:
    AudioLock() : locked_(state().open) {
        if (locked_) SDL_LockAudio();
    }
    ~AudioLock() {
        if (locked_) SDL_UnlockAudio();
    }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

  private:
    bool locked_;
};

void callback(void* userdata, Uint8* stream, int len) {
    auto* mixer = static_cast<Mixer*>(userdata);
    mixer->mix(reinterpret_cast<std::int16_t*>(stream), len / int(2 * sizeof(std::int16_t)));
}

SoundSample* slotSample(int slot) {
    if (slot < 0 || slot >= kSlots) return nullptr;
    return state().samples[std::size_t(slot)].get();
}

void closeDevice() {
    State& s = state();
    if (!s.open) return;
    // Closing waits for the callback to finish, so the mixer can go after it.
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.open = false;
    s.mixer.reset();
}

} // namespace

bool init(int rate, int channels) {
    closeDevice();
    if (rate <= 0 || rate > 384000) return false;
    channels = std::clamp(channels, 0, 256);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;

    State& s = state();
    auto mixer = std::make_unique<Mixer>(rate, channels);
    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof want);
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = callback;
    want.userdata = mixer.get();
    // Nothing asked back: SDL then converts from exactly this format itself,
    // so the mixer can rely on its own rate and layout.
    if (SDL_OpenAudio(&want, nullptr) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    s.mixer = std::move(mixer);
    s.open = true;
    SDL_PauseAudio(0);
    return true;
}

void shutdown() {
    closeDevice();
    for (auto& sample : state().samples)
        sample.reset();
}

bool available() {
    return state().open;
}

bool decodeWavBytes(const std::vector<std::uint8_t>& bytes, SoundSample& out, std::string& why) {
    if (bytes.size() < std::size_t(kMinWavBytes) || bytes.size() > std::size_t(kMaxWavBytes)) {
        why = "its size of " + std::to_string(bytes.size()) + " bytes is not a game sound's";
        return false;
    }
    if (!checkWavHeader(bytes, why)) return false;

    SDL_AudioSpec file;
    std::memset(&file, 0, sizeof file);
    Uint8* wav = nullptr;
    Uint32 wavLength = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &file, &wav, &wavLength)) {
        why = std::string("SDL cannot read it: ") + SDL_GetError();
        return false;
    }
    // SDL checked the format; these guard what the conversion below trusts.
    if (!wav || wavLength == 0 || file.freq <= 0 || file.channels == 0 ||
        wavLength > Uint32(kMaxWavBytes)) {
        if (wav) SDL_FreeWAV(wav);
        why = "SDL found no usable sound in it";
        return false;
    }

    // Keep the file's own rate: the mixer resamples against it, so the
    // engine's pitch follows the frequency the race sets.
    SDL_AudioCVT cvt;
    std::memset(&cvt, 0, sizeof cvt);
    const int built =
        SDL_BuildAudioCVT(&cvt, file.format, file.channels, file.freq, AUDIO_S16SYS, 2, file.freq);
    if (built < 0 || cvt.len_mult <= 0 || cvt.len_mult > 64) {
        SDL_FreeWAV(wav);
        why = "its sample format cannot be converted";
        return false;
    }
    std::vector<Uint8> buffer(std::size_t(wavLength) * std::size_t(cvt.len_mult));
    std::memcpy(buffer.data(), wav, wavLength);
    SDL_FreeWAV(wav);
    cvt.buf = buffer.data();
    cvt.len = int(wavLength);
    if (cvt.needed) {
        if (SDL_ConvertAudio(&cvt) != 0) {
            why = "converting it failed";
            return false;
        }
    } else {
        cvt.len_cvt = cvt.len;
    }
    const std::size_t frames = cvt.len_cvt <= 0 || std::size_t(cvt.len_cvt) > buffer.size()
                                   ? 0
                                   : std::size_t(cvt.len_cvt) / (2 * sizeof(std::int16_t));
    if (frames == 0) {
        why = "it holds no whole frame";
        return false;
    }
    out.frames.resize(frames * 2);
    std::memcpy(out.frames.data(), buffer.data(), frames * 2 * sizeof(std::int16_t));
    out.rate = file.freq;
    out.loop = false;
    return true;
}

bool decodeWav(const char* path, SoundSample& out) {
    if (!path || !*path) return false;
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes, std::size_t(kMaxWavBytes))) return false;
    std::string why;
    if (!decodeWavBytes(bytes, out, why)) {
        std::printf("Sound %s is damaged: %s\n", path, why.c_str());
        return false;
    }
    return true;
}

bool loadSample(int slot, const char* path) {
    if (slot < 0 || slot >= kSlots) return false;
    auto sample = std::make_unique<SoundSample>();
    if (!decodeWav(path, *sample)) return false;
    State& s = state();
    std::unique_ptr<SoundSample> old;
    {
        AudioLock lock;
        old = std::move(s.samples[std::size_t(slot)]);
        if (old && s.mixer) s.mixer->release(old.get());
        s.samples[std::size_t(slot)] = std::move(sample);
    }
    return true;
}

bool hasSample(int slot) {
    return slotSample(slot) != nullptr;
}

void setLoop(int slot, bool loop) {
    AudioLock lock;
    if (SoundSample* sample = slotSample(slot)) sample->loop = loop;
}

void play(int channel, int slot) {
    if (channel >= 0 && channel < kChannels && slotSample(slot))
        state().started[std::size_t(channel)] = slot;
    if (!state().open) return;
    AudioLock lock;
    if (const SoundSample* sample = slotSample(slot)) state().mixer->play(channel, sample);
}

void setPaused(int channel, bool paused) {
    if (!state().open) return;
    AudioLock lock;
    state().mixer->setPaused(channel, paused);
}

void setFrequency(int channel, int hz) {
    if (!state().open) return;
    AudioLock lock;
    state().mixer->setFrequency(channel, hz);
}

bool isAudible(int channel) {
    if (!state().open) return false;
    AudioLock lock;
    return state().mixer->isPlaying(channel) && !state().mixer->isPaused(channel);
}

int lastStarted(int channel) {
    if (channel < 0 || channel >= kChannels) return -1;
    return state().started[std::size_t(channel)];
}

void forgetStarted() {
    state().started = State::filledStarted();
}

void loadGameSamples() {
    if (!loadSample(EngineSample, "sounds/engine.wav")) {
        std::printf("\ncannot load sample engine.wav!\n");
        std::exit(1);
    }
    setLoop(EngineSample, true);
    if (!loadSample(CollisionSample, "sounds/collision.wav")) {
        std::printf("\ncannot load sample collision.wav\n");
        std::exit(1);
    }
    if (!loadSample(SkidSample, "sounds/skid.wav")) {
        std::printf("\ncannot load sample skid.wav!\n");
        std::exit(1);
    }
    setLoop(SkidSample, true);
    const std::pair<int, const char*> extras[] = {{BeepSample, "sounds/beep.wav"},
                                                  {GoSample, "sounds/go.wav"},
                                                  {MenuMoveSample, "sounds/menu_move.wav"},
                                                  {MenuSelectSample, "sounds/menu_select.wav"},
                                                  {RefuelSample, "sounds/refuel.wav"}};
    for (const auto& [slot, path] : extras)
        if (!loadSample(slot, path)) std::printf("cannot load sample %s: it stays silent\n", path);
    setLoop(RefuelSample, true);
}

void stopAllSounds() {
    if (!state().open) return;
    AudioLock lock;
    Mixer& mixer = *state().mixer;
    for (int c = 0; c < mixer.channelCount(); ++c)
        mixer.setPaused(c, true);
}

} // namespace sound
