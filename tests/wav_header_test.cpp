// The WAV layout check that runs before SDL's loader: every size a damaged
// file could declare beyond its real length is refused with a reason, before
// anything is allocated for it.
#include "base/bytes.hpp"
#include "sound/mixer.hpp"
#include "sound/sound.hpp"
#include "sound/wav_header.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

namespace {

// A 16-bit mono PCM file of n frames, as the sound generator writes them.
std::vector<std::uint8_t> pcmWav(std::uint32_t frames, std::uint32_t rate = 22050) {
    ByteWriter w;
    w.raw("RIFF", 4);
    w.u32(36 + frames * 2);
    w.raw("WAVE", 4);
    w.raw("fmt ", 4);
    w.u32(16);
    w.i16(1);
    w.i16(1);
    w.u32(rate);
    w.u32(rate * 2);
    w.i16(2);
    w.i16(16);
    w.raw("data", 4);
    w.u32(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i)
        w.i16(std::int16_t(i * 37));
    return w.bytes();
}

} // namespace

// The game's own sounds pass it on every load (SoundApi's tests).
TEST(WavHeader, PlainFilesAndPaddedChunksPass) {
    std::string why;
    EXPECT_TRUE(checkWavHeader(pcmWav(100), why)) << why;
    // An odd chunk before the data, padded to an even start, and a chunk of
    // its own after it.
    auto padded = pcmWav(10);
    ByteWriter extra;
    extra.raw("LIST", 4);
    extra.u32(3);
    extra.raw("abc\0", 4);
    padded.insert(padded.begin() + 36, extra.bytes().begin(), extra.bytes().end());
    putI32(padded, 4, std::uint32_t(padded.size() - 8));
    EXPECT_TRUE(checkWavHeader(padded, why)) << why;
    SoundSample s;
    EXPECT_TRUE(sound::decodeWavBytes(padded, s, why)) << why;
    EXPECT_EQ(s.frameCount(), 10u);
}

TEST(WavHeader, SizesBeyondTheFileAreRefusedWithAReason) {
    struct Damage {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> apply;
        const char* reason;
    };
    const std::vector<Damage> damages = {
        {"3 GB of data", [](auto& b) { putI32(b, 40, 0xC0000000u); }, "chunk 'data' at byte 36"},
        {"data one byte long", [](auto& b) { putI32(b, 40, 201); }, "declares 201 bytes, only 200"},
        {"huge format chunk", [](auto& b) { putI32(b, 16, 0x7FFFFFF0u); }, "chunk 'fmt '"},
        {"RIFF beyond the file", [](auto& b) { putI32(b, 4, 0xFFFFFFF0u); }, "RIFF size"},
        {"RIFF cutting the data", [](auto& b) { putI32(b, 4, 100); }, "chunk 'data'"},
        {"short format", [](auto& b) { putI32(b, 16, 8); }, "only 8 bytes"},
        {"no channels", [](auto& b) { b[22] = 0; }, "0 channels"},
        {"rate zero", [](auto& b) { putI32(b, 24, 0); }, "rate of 0 Hz"},
        {"no block size", [](auto& b) { b[32] = 0; }, "block size"},
        {"empty data", [](auto& b) { putI32(b, 40, 0); }, "data chunk is empty"},
        {"no data chunk", [](auto& b) { b[36] = 'x'; }, "no data chunk"},
        {"not WAVE", [](auto& b) { b[8] = 'A'; }, "not a RIFF WAVE"},
        {"cut header", [](auto& b) { b.resize(10); }, "not a RIFF WAVE"},
    };
    for (const Damage& d : damages) {
        auto bytes = pcmWav(100);
        d.apply(bytes);
        std::string why;
        EXPECT_FALSE(checkWavHeader(bytes, why)) << d.what;
        EXPECT_NE(why.find(d.reason), std::string::npos) << d.what << ": " << why;
    }
}

TEST(WavHeader, ADamagedSoundFileIsRefusedBeforeSdlReadsIt) {
    ScratchDir dir;
    auto bytes = pcmWav(100);
    putI32(bytes, 40, 0xC0000000u);
    ASSERT_TRUE(writeFileAtomically("huge.wav", bytes));
    SoundSample s;
    EXPECT_FALSE(sound::decodeWav("huge.wav", s));
    EXPECT_FALSE(sound::loadSample(sound::SkidSample, "huge.wav"));
    ASSERT_TRUE(writeFileAtomically("fine.wav", pcmWav(100)));
    EXPECT_TRUE(sound::decodeWav("fine.wav", s));
    EXPECT_EQ(s.frameCount(), 100u);
    EXPECT_EQ(s.rate, 22050);
}
