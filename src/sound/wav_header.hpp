// The layout check a WAV file passes before SDL's loader sees it. SDL trusts
// the sizes a file declares and allocates them before reading, so a damaged
// size field would ask for gigabytes; here every declared size is held
// against the bytes the file really has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Largest channel count and rate a game sound may have.
constexpr std::int32_t kMaxWavChannels = 8;
constexpr std::int32_t kMaxWavRate = 384000;

// True when the file is a RIFF "WAVE" whose RIFF size fits the file and
// whose chunks, walked up to that size, each fit what is left of it, with a
// "fmt " chunk of at least 16 bytes (channels 1..8, rate 1..384000, a
// non-zero block size, 1..64 bits) before a non-empty "data" chunk.
// Otherwise false with the reason in why.
bool checkWavHeader(const std::vector<std::uint8_t>& bytes, std::string& why);
