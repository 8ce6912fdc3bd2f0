// The mixer on known input and the sound calls on SDL's dummy audio driver.
#include "base/bytes.hpp"
#include "sound/mixer.hpp"
#include "sound/sound.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

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

// Mixes n frames and returns the left side; the right must be its mirror.
std::vector<int> mixLeft(Mixer& mixer, int n) {
    std::vector<std::int16_t> out(std::size_t(n) * 2, 12345);
    mixer.mix(out.data(), n);
    std::vector<int> left;
    for (int i = 0; i < n; ++i) {
        left.push_back(out[std::size_t(2 * i)]);
        EXPECT_EQ(out[std::size_t(2 * i + 1)], std::clamp(-left.back(), -32768, 32767)) << i;
    }
    return left;
}

} // namespace

// -------------------------------------------------------------------- mixer

TEST(Mixer, LoopingSampleIsResampledAndWrapsToItsFirstFrame) {
    // 22050 Hz sample played at 11025 Hz into 44100 Hz output: a quarter frame
    // per output frame. Between the last frame and the first the loop blends.
    const SoundSample s = makeSample({0, 1000, -1000, 400}, 22050, true);
    Mixer slow(44100, 4);
    slow.play(0, &s);
    slow.setFrequency(0, 11025);
    EXPECT_EQ(mixLeft(slow, 18), (std::vector<int>{0, 250, 500, 750, 1000, 500, 0, -500, -1000,
                                                   -650, -300, 50, 400, 300, 200, 100, 0, 250}));
    // 5.5 frames per output frame: positions 0, 1.5, 3, 0.5, 2, 3.5.
    Mixer fast(8000, 1);
    fast.play(0, &s);
    fast.setFrequency(0, 44000);
    EXPECT_EQ(mixLeft(fast, 6), (std::vector<int>{0, 0, 400, 500, -1000, 200}));
    EXPECT_TRUE(fast.isPlaying(0));
}

TEST(Mixer, OneShotStopsAtItsEndWithoutBlendingIntoItsStart) {
    const SoundSample s = makeSample({0, 100, 200, 400}, 22050, false);
    const SoundSample hum = makeSample({1}, 44100, true);
    Mixer mixer(44100, 2);
    mixer.play(0, &s);
    mixer.play(1, &hum);
    EXPECT_EQ(mixLeft(mixer, 10), (std::vector<int>{1, 51, 101, 151, 201, 301, 401, 401, 1, 1}));
    EXPECT_FALSE(mixer.isPlaying(0));
    EXPECT_TRUE(mixer.isPlaying(1));
}

TEST(Mixer, PauseSilencesAndUnpauseResumesWhereItWas) {
    const SoundSample s = makeSample({0, 1, 2, 3, 4, 5, 6, 7}, 44100, true);
    Mixer mixer(44100, 1);
    mixer.play(0, &s);
    EXPECT_EQ(mixLeft(mixer, 3), (std::vector<int>{0, 1, 2}));
    mixer.setPaused(0, true);
    EXPECT_EQ(mixLeft(mixer, 4), std::vector<int>(4));
    EXPECT_TRUE(mixer.isPlaying(0));
    mixer.setPaused(0, false);
    EXPECT_EQ(mixLeft(mixer, 3), (std::vector<int>{3, 4, 5}));
}

TEST(Mixer, ChannelsAreSummedAndClampedOnce) {
    const SoundSample loud = makeSample({30000}, 1000, true);
    const SoundSample quiet = makeSample({-30000}, 1000, true);
    Mixer mixer(1000, 3);
    mixer.play(0, &loud);
    mixer.play(1, &loud);
    std::vector<std::int16_t> out(2);
    mixer.mix(out.data(), 1);
    EXPECT_EQ(out, (std::vector<std::int16_t>{32767, -32768}));
    // 30000 + 30000 - 30000: clamping each partial sum would give 2767.
    mixer.play(2, &quiet);
    EXPECT_EQ(mixLeft(mixer, 1), (std::vector<int>{30000}));
}

TEST(Mixer, UnknownChannelsAreIgnoredAndReleaseStopsOnlyThatSample) {
    const SoundSample a = makeSample({100}, 1000, true);
    const SoundSample b = makeSample({20}, 1000, true);
    Mixer mixer(1000, 4);
    for (int bad : {-1, 4, -2147483647 - 1}) {
        mixer.play(bad, &a);
        mixer.setPaused(bad, false);
        mixer.setFrequency(bad, 2000);
        EXPECT_FALSE(mixer.isPlaying(bad)) << bad;
    }
    EXPECT_EQ(mixLeft(mixer, 2), std::vector<int>(2));
    mixer.play(0, &a);
    mixer.play(1, &b);
    mixer.play(3, &a); // the last valid channel
    EXPECT_EQ(mixLeft(mixer, 1), (std::vector<int>{220}));
    mixer.release(&a);
    EXPECT_EQ((std::array{mixer.isPlaying(0), mixer.isPlaying(1), mixer.isPlaying(3)}),
              (std::array{false, true, false}));
    EXPECT_EQ(mixLeft(mixer, 2), (std::vector<int>{20, 20}));
}

// ------------------------------------------------------------- sound:: calls

// Other tests may have started the game's sound; leave it as it was found.
class SoundApi : public ::testing::Test {
  protected:
    bool wasOpen = sound::available(), hadSamples = sound::hasSample(sound::EngineSample);
    void SetUp() override { sound::shutdown(); }
    void TearDown() override {
        sound::shutdown();
        if (wasOpen) sound::init(44100, sound::kChannels);
        if (hadSamples) sound::loadGameSamples();
    }
};

TEST_F(SoundApi, DummyDriverOpensAndTheGameSamplesPlay) {
    ASSERT_TRUE(sound::init(44100, sound::kChannels));
    EXPECT_TRUE(sound::available());
    sound::loadGameSamples();
    for (int slot : {sound::EngineSample, sound::CollisionSample, sound::SkidSample})
        EXPECT_TRUE(sound::hasSample(slot)) << slot;
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
    sound::shutdown();
    EXPECT_FALSE(sound::available());
    EXPECT_FALSE(sound::hasSample(sound::EngineSample));
}

TEST_F(SoundApi, WithoutAudioCallsAreHarmlessAndBadFilesAreRefused) {
    ScratchDir dir;
    std::vector<std::uint8_t> garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = std::uint8_t(i * 131 + 7);
    ASSERT_TRUE(writeFileAtomically("garbage.wav", garbage));
    for (const char* path : {"missing.wav", "garbage.wav"}) {
        EXPECT_FALSE(sound::loadSample(sound::EngineSample, path)) << path;
        SoundSample s;
        EXPECT_FALSE(sound::decodeWav(path, s)) << path;
    }
    EXPECT_FALSE(sound::loadSample(sound::EngineSample, nullptr));
    EXPECT_FALSE(sound::hasSample(sound::EngineSample));
    EXPECT_FALSE(sound::loadSample(-1, "sounds/engine.wav"));

    // No device: the files still load and no call reaches one.
    EXPECT_TRUE(sound::loadSample(sound::SkidSample, "sounds/skid.wav"));
    sound::setLoop(sound::SkidSample, true);
    for (int c : {-1, 0, 15, 32}) {
        sound::play(c, sound::SkidSample);
        sound::setPaused(c, false);
        sound::setFrequency(c, 20000);
    }
    sound::stopAllSounds();
    EXPECT_FALSE(sound::available());
}

TEST_F(SoundApi, AMissingGameSampleEndsTheProgramNamingIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto runtime = std::filesystem::current_path();
    ScratchDir dir; // with only the engine sample
    std::filesystem::remove("sounds");
    std::filesystem::create_directory("sounds");
    std::filesystem::copy_file(runtime / "sounds/engine.wav", "sounds/engine.wav");
    // The message goes to standard output; the death test reads stderr. The
    // child leaves through exit(), past its own ScratchDir's destructor.
    EXPECT_EXIT(
        {
            static const std::filesystem::path doomed = std::filesystem::current_path();
            std::atexit([] {
                std::error_code ignored;
                std::filesystem::remove_all(doomed, ignored);
            });
            dup2(2, 1);
            sound::loadGameSamples();
        },
        ::testing::ExitedWithCode(1), "\ncannot load sample collision\\.wav\n");
}
