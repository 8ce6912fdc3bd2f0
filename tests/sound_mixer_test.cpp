// The mixer on known input, the sound calls on SDL's dummy audio driver, and
// the generated sounds as the game will play them.
#include "app/bytes.hpp"
#include "sound/mixer.hpp"
#include "sound/sound.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Stereo frames from one list of values: left as given, right negated, so a
// test sees at once whether the two sides were kept apart.
SoundSample makeSample(const std::vector<int>& values, int rate, bool loop) {
    SoundSample s;
    for (int v : values) {
        s.frames.push_back(std::int16_t(v));
        s.frames.push_back(std::int16_t(-v));
    }
    s.rate = rate;
    s.loop = loop;
    return s;
}

// Mixes n frames and returns the left side. The right side must be the
// negated left (makeSample's mirror) or, for a mono file, the same.
std::vector<int> mixLeft(Mixer& mixer, int n, int rightSign = -1) {
    std::vector<std::int16_t> out(std::size_t(n) * 2, 12345);
    mixer.mix(out.data(), n);
    std::vector<int> left;
    for (int i = 0; i < n; ++i) {
        const int l = out[std::size_t(2 * i)];
        left.push_back(l);
        EXPECT_EQ(out[std::size_t(2 * i + 1)], std::clamp(rightSign * l, -32768, 32767))
            << "frame " << i;
    }
    return left;
}

std::vector<int> silence(int n) {
    return std::vector<int>(std::size_t(n), 0);
}

} // namespace

// ---------------------------------------------------------------- resampling

TEST(MixerResampling, QuarterStepInterpolatesAndWrapsToTheFirstFrame) {
    // 22050 Hz sample played at 11025 Hz into 44100 Hz output: a quarter frame
    // per output frame. Between the last frame and the first the loop blends.
    const SoundSample s = makeSample({0, 1000, -1000, 400}, 22050, true);
    Mixer mixer(44100, 4);
    mixer.play(0, &s);
    mixer.setFrequency(0, 11025);
    const std::vector<int> expected = {0,    250,  500, 750, 1000, 500, 0,   -500, -1000,
                                       -650, -300, 50,  400, 300,  200, 100, 0,    250};
    EXPECT_EQ(mixLeft(mixer, 18), expected);
}

TEST(MixerResampling, StepsLargerThanTheLoopWrapAround) {
    // 5.5 frames per output frame over a four-frame loop.
    const SoundSample s = makeSample({0, 1000, -1000, 400}, 8000, true);
    Mixer mixer(8000, 1);
    mixer.play(0, &s);
    mixer.setFrequency(0, 44000);
    // positions 0, 1.5, 3, 0.5, 2, 3.5
    EXPECT_EQ(mixLeft(mixer, 6), (std::vector<int>{0, 0, 400, 500, -1000, 200}));
    EXPECT_TRUE(mixer.isPlaying(0));
}

TEST(MixerResampling, ZeroOrNegativeFrequencyHoldsTheChannelWhereItIs) {
    const SoundSample s = makeSample({1, 2, 3, 4, 5, 6}, 1000, true);
    Mixer mixer(1000, 1);
    mixer.play(0, &s);
    EXPECT_EQ(mixLeft(mixer, 2), (std::vector<int>{1, 2}));
    mixer.setFrequency(0, 0);
    EXPECT_EQ(mixLeft(mixer, 3), silence(3));
    mixer.setFrequency(0, -500);
    EXPECT_EQ(mixLeft(mixer, 3), silence(3));
    EXPECT_TRUE(mixer.isPlaying(0));
    mixer.setFrequency(0, 1000);
    EXPECT_EQ(mixLeft(mixer, 2), (std::vector<int>{3, 4}));
}

// ------------------------------------------------------------ one-shot ends

TEST(MixerOneShot, StopsAtItsEndMidBufferWhileOthersPlayOn) {
    const SoundSample s = makeSample({5, 6, 7, 8}, 44100, false);
    const SoundSample hum = makeSample({100}, 44100, true);
    Mixer mixer(44100, 3);
    mixer.play(1, &s);
    mixer.play(2, &hum);
    EXPECT_EQ(mixLeft(mixer, 6), (std::vector<int>{105, 106, 107, 108, 100, 100}));
    EXPECT_FALSE(mixer.isPlaying(1));
    EXPECT_TRUE(mixer.isPlaying(2));
}

TEST(MixerOneShot, SlowedDownHoldsTheLastFrameUntilTheEnd) {
    // It must not blend into the first frame the way a loop does.
    const SoundSample s = makeSample({0, 100, 200, 400}, 22050, false);
    Mixer mixer(44100, 1);
    mixer.play(0, &s);
    EXPECT_EQ(mixLeft(mixer, 10), (std::vector<int>{0, 50, 100, 150, 200, 300, 400, 400, 0, 0}));
    EXPECT_FALSE(mixer.isPlaying(0));
}

// ---------------------------------------------------------- pause and replay

TEST(MixerPause, PauseSilencesAndUnpauseResumesWhereItWas) {
    std::vector<int> ramp;
    for (int i = 0; i < 100; ++i)
        ramp.push_back(i);
    const SoundSample s = makeSample(ramp, 44100, true);
    Mixer mixer(44100, 1);
    mixer.play(0, &s);
    EXPECT_EQ(mixLeft(mixer, 3), (std::vector<int>{0, 1, 2}));
    mixer.setPaused(0, true);
    EXPECT_EQ(mixLeft(mixer, 4), silence(4));
    EXPECT_TRUE(mixer.isPlaying(0));
    mixer.setPaused(0, false);
    EXPECT_EQ(mixLeft(mixer, 3), (std::vector<int>{3, 4, 5}));
}

TEST(MixerPause, PlayRestartsFromTheBeginningUnpausedAtTheSampleRate) {
    // A 22050 Hz sample into 44100 Hz output: half a frame per output frame.
    const SoundSample s = makeSample({0, 100, 200, 300, 400, 500}, 22050, true);
    Mixer mixer(44100, 1);
    mixer.play(0, &s);
    mixer.setFrequency(0, 88200);
    EXPECT_EQ(mixLeft(mixer, 2), (std::vector<int>{0, 200}));
    mixer.setPaused(0, true);
    mixer.play(0, &s);
    EXPECT_EQ(mixLeft(mixer, 4), (std::vector<int>{0, 50, 100, 150}));
}

// ------------------------------------------------------------------ clamping

TEST(MixerClamp, LoudChannelsClampOnceAfterSumming) {
    const SoundSample loud = makeSample({30000}, 1000, true);
    const SoundSample quiet = makeSample({-30000}, 1000, true);
    Mixer mixer(1000, 3);
    mixer.play(0, &loud);
    mixer.play(1, &loud);
    std::vector<std::int16_t> out(4);
    mixer.mix(out.data(), 2);
    EXPECT_EQ(out, (std::vector<std::int16_t>{32767, -32768, 32767, -32768}));

    mixer.play(0, &quiet);
    mixer.play(1, &quiet);
    mixer.mix(out.data(), 1);
    EXPECT_EQ(out[0], -32768);
    EXPECT_EQ(out[1], 32767);

    // 30000 + 30000 - 30000: clamping each partial sum would lose 27233.
    mixer.play(0, &loud);
    mixer.play(1, &loud);
    mixer.play(2, &quiet);
    EXPECT_EQ(mixLeft(mixer, 1), (std::vector<int>{30000}));
}

// --------------------------------------------------------- channel numbering

TEST(MixerChannels, UnknownChannelsAreIgnoredByEveryCall) {
    const SoundSample s = makeSample({500}, 1000, true);
    Mixer mixer(1000, 32);
    for (int bad : {-1, 32, 1000, -2147483647 - 1}) {
        mixer.play(bad, &s);
        mixer.setPaused(bad, false);
        mixer.setFrequency(bad, 2000);
        EXPECT_FALSE(mixer.isPlaying(bad)) << bad;
    }
    EXPECT_EQ(mixLeft(mixer, 4), silence(4));
    mixer.play(31, &s); // the last valid one
    EXPECT_EQ(mixLeft(mixer, 1), (std::vector<int>{500}));
}

TEST(MixerChannels, ReleaseStopsOnlyTheChannelsUsingThatSample) {
    const SoundSample a = makeSample({100}, 1000, true);
    const SoundSample b = makeSample({20}, 1000, true);
    Mixer mixer(1000, 4);
    mixer.play(0, &a);
    mixer.play(1, &b);
    mixer.play(3, &a);
    mixer.release(&a);
    EXPECT_FALSE(mixer.isPlaying(0));
    EXPECT_TRUE(mixer.isPlaying(1));
    EXPECT_FALSE(mixer.isPlaying(3));
    EXPECT_EQ(mixLeft(mixer, 2), (std::vector<int>{20, 20}));
    mixer.release(nullptr);
    EXPECT_TRUE(mixer.isPlaying(1));
}

TEST(MixerChannels, EmptyInputsAreHarmless) {
    const SoundSample empty = makeSample({}, 44100, true);
    const SoundSample rateless = makeSample({9, 9}, 0, true);
    Mixer mixer(44100, 2);
    mixer.play(0, &empty);
    EXPECT_FALSE(mixer.isPlaying(0));
    mixer.play(1, &rateless);
    EXPECT_EQ(mixLeft(mixer, 2), silence(2));
    mixer.mix(nullptr, 16);
    std::int16_t untouched[2] = {7, 7};
    mixer.mix(untouched, -5);
    EXPECT_EQ(untouched[0], 7);

    Mixer none(44100, -3);
    EXPECT_EQ(none.channelCount(), 0);
    none.play(0, &rateless);
    EXPECT_EQ(mixLeft(none, 2), silence(2));
}

// ------------------------------------------------------------- sound:: calls

namespace {

// A fresh empty directory, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "gravelin-sound-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(writeFileAtomically(path, bytes)) << path;
}

// Other tests may have started the game's sound; leave it as it was found.
class SoundApi : public ::testing::Test {
  protected:
    void SetUp() override {
        wasOpen_ = sound::available();
        hadSamples_ = sound::hasSample(sound::EngineSample);
        sound::shutdown();
    }
    void TearDown() override {
        sound::shutdown();
        if (wasOpen_) sound::init(44100, sound::kChannels);
        if (hadSamples_) sound::loadGameSamples();
    }

  private:
    bool wasOpen_ = false;
    bool hadSamples_ = false;
};

} // namespace

TEST_F(SoundApi, DummyDriverOpensRepeatedlyAndTheGameSamplesPlay) {
    EXPECT_FALSE(sound::init(0, 8));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(sound::init(22050, 8)) << i;
        EXPECT_TRUE(sound::loadSample(sound::SkidSample, "sounds/skid.wav"));
        sound::play(7, sound::SkidSample);
        sound::shutdown();
        EXPECT_FALSE(sound::available());
        EXPECT_FALSE(sound::hasSample(sound::SkidSample));
    }
    ASSERT_TRUE(sound::init(44100, sound::kChannels));
    EXPECT_TRUE(sound::available());
    sound::loadGameSamples();
    for (int slot : {sound::EngineSample, sound::CollisionSample, sound::SkidSample})
        EXPECT_TRUE(sound::hasSample(slot)) << slot;
    EXPECT_FALSE(sound::hasSample(3));

    // The race's pattern of calls, including the eighth participant.
    for (int c = 0; c < 18; c += 2) {
        sound::play(c, sound::EngineSample);
        sound::setFrequency(c, 10000 + c * 1000);
        sound::play(c + 1, sound::SkidSample);
        sound::setPaused(c + 1, true);
    }
    sound::play(sound::kCollisionChannel, sound::CollisionSample);
    SDL_Delay(30); // let the callback mix a few buffers
    sound::stopAllSounds();
    // Reloading a slot while its sample plays must not leave a dangling one.
    sound::play(0, sound::EngineSample);
    EXPECT_TRUE(sound::loadSample(sound::EngineSample, "sounds/engine.wav"));
    SDL_Delay(30);
}

TEST_F(SoundApi, MissingOrDamagedFilesAndBadSlotsAreRefused) {
    TempDir dir;
    std::vector<std::uint8_t> engine;
    ASSERT_TRUE(readWholeFile("sounds/engine.wav", engine));
    ASSERT_GT(engine.size(), 44u);

    writeBytes(dir.file("empty.wav"), {});
    writeBytes(dir.file("short.wav"),
               std::vector<std::uint8_t>(engine.begin(), engine.begin() + 20));
    std::vector<std::uint8_t> garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = std::uint8_t(i * 131 + 7);
    writeBytes(dir.file("garbage.wav"), garbage);
    // A real header whose format chunk claims 13-bit samples in zero channels.
    std::vector<std::uint8_t> badFormat = engine;
    badFormat[22] = 0;
    badFormat[34] = 13;
    writeBytes(dir.file("badformat.wav"), badFormat);

    for (const std::string& path :
         {dir.file("missing.wav"), dir.file("empty.wav"), dir.file("short.wav"),
          dir.file("garbage.wav"), dir.file("badformat.wav"), dir.path().string()}) {
        EXPECT_FALSE(sound::loadSample(sound::EngineSample, path.c_str())) << path;
        SoundSample s;
        EXPECT_FALSE(sound::decodeWav(path.c_str(), s)) << path;
    }
    EXPECT_FALSE(sound::loadSample(sound::EngineSample, nullptr));
    EXPECT_FALSE(sound::loadSample(sound::EngineSample, ""));
    EXPECT_FALSE(sound::hasSample(sound::EngineSample));

    // A cut-off data chunk is not a crash, whatever SDL makes of it.
    writeBytes(dir.file("cut.wav"),
               std::vector<std::uint8_t>(engine.begin(), engine.begin() + 1000));
    SoundSample cut;
    EXPECT_TRUE(!sound::decodeWav(dir.file("cut.wav").c_str(), cut) || cut.frameCount() <= 478u);

    for (int slot : {-1, 16, 1000}) {
        EXPECT_FALSE(sound::loadSample(slot, "sounds/engine.wav")) << slot;
        EXPECT_FALSE(sound::hasSample(slot));
        sound::setLoop(slot, true);
    }
    EXPECT_TRUE(sound::loadSample(15, "sounds/engine.wav"));
}

TEST_F(SoundApi, WithoutAudioEveryCallIsHarmlessButFilesStillLoad) {
    EXPECT_FALSE(sound::available());
    EXPECT_TRUE(sound::loadSample(sound::CollisionSample, "sounds/collision.wav"));
    sound::setLoop(sound::CollisionSample, true);
    for (int c : {-1, 0, 15, 31, 32}) {
        sound::play(c, sound::CollisionSample);
        sound::setPaused(c, false);
        sound::setFrequency(c, 20000);
    }
    sound::stopAllSounds();
    sound::loadGameSamples();
    EXPECT_TRUE(sound::hasSample(sound::SkidSample));
    EXPECT_FALSE(sound::available());
}

TEST_F(SoundApi, AMissingGameSampleEndsTheProgramNamingIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        std::vector<const char*> present;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{}, "\ncannot load sample engine\\.wav!\n"},
        {{"engine.wav"}, "\ncannot load sample collision\\.wav\n"},
        {{"engine.wav", "collision.wav"}, "\ncannot load sample skid\\.wav!\n"},
    };
    const auto original = std::filesystem::current_path();
    for (const Case& c : cases) {
        TempDir dir;
        std::filesystem::create_directory(dir.path() / "sounds");
        for (const char* name : c.present)
            std::filesystem::copy_file(original / "sounds" / name, dir.path() / "sounds" / name);
        // The message goes to standard output; the death test reads stderr.
        // The child leaves through exit(), past its own TempDir's destructor.
        EXPECT_EXIT(
            {
                static std::string doomed;
                doomed = dir.path().string();
                std::atexit([] {
                    std::error_code ignored;
                    std::filesystem::remove_all(doomed, ignored);
                });
                std::filesystem::current_path(dir.path());
                dup2(2, 1);
                sound::loadGameSamples();
            },
            ::testing::ExitedWithCode(1), c.message);
    }
}

// ---------------------------------------------------------- generated sounds

namespace {

struct Decoded {
    SoundSample sample;
    std::vector<int> mono; // the left side
    int peak = 0;
};

Decoded decode(const char* path) {
    Decoded d;
    EXPECT_TRUE(sound::decodeWav(path, d.sample)) << path;
    const auto& f = d.sample.frames;
    for (std::size_t i = 0; i + 1 < f.size(); i += 2) {
        EXPECT_EQ(f[i], f[i + 1]) << "a mono file plays the same on both sides";
        d.mono.push_back(f[i]);
        d.peak = std::max(d.peak, std::abs(int(f[i])));
    }
    return d;
}

// The jump from the last frame back to the first, against the jumps inside
// the sound: a seamless loop's wrap is an ordinary step. Loud high partials
// make single steps a coarse measure, so the bend (second difference) across
// the wrap is checked too; a loop cut a few dozen frames short fails one of
// the two for both of our loops.
void expectSeamless(const std::vector<int>& x) {
    ASSERT_GT(x.size(), 100u);
    std::vector<int> steps;
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
        steps.push_back(std::abs(x[i + 1] - x[i]));
    std::sort(steps.begin(), steps.end());
    const int typical = steps[steps.size() * 99 / 100];
    EXPECT_LE(std::abs(x.front() - x.back()), typical);
    // The slope carries on too: the wrap's second difference is ordinary.
    const std::size_t n = x.size();
    std::vector<int> bends;
    for (std::size_t i = 0; i + 2 < n; ++i)
        bends.push_back(std::abs(x[i + 2] - 2 * x[i + 1] + x[i]));
    std::sort(bends.begin(), bends.end());
    const int bendAtWrap = std::abs(x[0] - 2 * x[n - 1] + x[n - 2]);
    EXPECT_LE(bendAtWrap, bends[bends.size() * 99 / 100]);
}

} // namespace

TEST(GeneratedSounds, EngineAndSkidAreSeamlessModerateLoops) {
    for (const char* path : {"sounds/engine.wav", "sounds/skid.wav"}) {
        SCOPED_TRACE(path);
        const Decoded d = decode(path);
        EXPECT_GE(d.sample.rate, 11025);
        EXPECT_GE(d.sample.frameCount(), std::size_t(d.sample.rate) / 2);
        EXPECT_GT(d.peak, 32768 * 2 / 10);
        EXPECT_LT(d.peak, 32768 * 5 / 10); // room for several cars at once
        expectSeamless(d.mono);
    }
}

TEST(GeneratedSounds, EngineRevsAcrossTheRacesRangeWithoutClicking) {
    // Through the mixer as the race plays it, across the loop point at idle
    // and at full revs: no output step beyond what the file itself holds.
    Decoded d = decode("sounds/engine.wav");
    d.sample.loop = true;
    int fileStep = 0;
    for (std::size_t i = 0; i + 1 < d.mono.size(); ++i)
        fileStep = std::max(fileStep, std::abs(d.mono[i + 1] - d.mono[i]));
    for (int hz : {10000, 30000}) {
        Mixer mixer(44100, 1);
        mixer.play(0, &d.sample);
        mixer.setFrequency(0, hz);
        const int frames = int(2.5 * double(d.sample.frameCount()) * 44100 / hz);
        const std::vector<int> out = mixLeft(mixer, frames, 1);
        int step = 0;
        double energy = 0;
        for (std::size_t i = 0; i + 1 < out.size(); ++i) {
            step = std::max(step, std::abs(out[i + 1] - out[i]));
            energy += double(out[i]) * out[i];
        }
        EXPECT_LE(step, fileStep + 1) << hz;
        EXPECT_GT(std::sqrt(energy / double(out.size())), 1000) << "audible at " << hz;
        EXPECT_TRUE(mixer.isPlaying(0));
    }
}

TEST(GeneratedSounds, CollisionIsAShortDecayingCrash) {
    const Decoded d = decode("sounds/collision.wav");
    const double seconds = double(d.sample.frameCount()) / d.sample.rate;
    EXPECT_GE(seconds, 0.4);
    EXPECT_LE(seconds, 0.6);
    const std::size_t tenth = d.mono.size() / 10;
    auto rms = [&](std::size_t from) {
        double e = 0;
        for (std::size_t i = from; i < from + tenth; ++i)
            e += double(d.mono[i]) * d.mono[i];
        return std::sqrt(e / double(tenth));
    };
    EXPECT_GT(rms(0), 10 * rms(9 * tenth));
    EXPECT_GT(rms(0), 3000);
    EXPECT_LE(std::abs(d.mono.back()), 64) << "ends in silence, without a click";
    EXPECT_LE(d.peak, 32000);
}
