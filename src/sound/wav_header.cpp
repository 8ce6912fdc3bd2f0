#include "sound/wav_header.hpp"

#include "base/bytes.hpp"

namespace {

constexpr std::size_t kChunkHeader = 8;
constexpr std::uint32_t kMinFmtBytes = 16;

std::string fourCc(const std::uint8_t id[4]) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += (id[i] >= 32 && id[i] < 127) ? char(id[i]) : '?';
    return s;
}

bool is(const std::uint8_t id[4], const char* name) {
    return std::memcmp(id, name, 4) == 0;
}

// The fields of a "fmt " chunk the loader and the converter rely on.
bool checkFormat(ByteReader in, std::string& why) {
    in.u32(); // id
    in.u32(); // size, already checked
    in.i16(); // format tag: SDL tells which it can decode
    const std::int32_t channels = std::uint16_t(in.i16());
    const std::uint32_t rate = in.u32();
    in.u32(); // bytes per second, informative only
    const std::int32_t blockAlign = std::uint16_t(in.i16());
    const std::int32_t bits = std::uint16_t(in.i16());
    if (!in.ok()) {
        why = "the format chunk ends early";
        return false;
    }
    if (channels < 1 || channels > kMaxWavChannels) {
        why = "the format has " + std::to_string(channels) + " channels";
        return false;
    }
    if (rate < 1 || rate > std::uint32_t(kMaxWavRate)) {
        why = "the format's rate of " + std::to_string(rate) + " Hz is not usable";
        return false;
    }
    if (blockAlign == 0 || bits < 1 || bits > 64) {
        why = "the format's block size or bits per sample are not usable";
        return false;
    }
    return true;
}

} // namespace

bool checkWavHeader(const std::vector<std::uint8_t>& bytes, std::string& why) {
    ByteReader in(bytes);
    std::uint8_t riff[4] = {}, wave[4] = {};
    in.take(riff, 4);
    const std::uint32_t riffSize = in.u32();
    in.take(wave, 4);
    if (!in.ok() || !is(riff, "RIFF") || !is(wave, "WAVE")) {
        why = "not a RIFF WAVE file";
        return false;
    }
    // The RIFF size counts everything after its own field.
    if (riffSize < 4 || riffSize > bytes.size() - kChunkHeader) {
        why = "the RIFF size of " + std::to_string(riffSize) + " bytes does not fit the file's " +
              std::to_string(bytes.size());
        return false;
    }
    const std::size_t end = kChunkHeader + riffSize;
    bool haveFormat = false, haveData = false;
    std::size_t at = in.position();
    // Fewer than a chunk header's bytes at the end are padding, not a chunk.
    while (end - at >= kChunkHeader) {
        ByteReader chunk(bytes.data() + at, end - at);
        std::uint8_t id[4] = {};
        chunk.take(id, 4);
        const std::uint32_t size = chunk.u32();
        const std::size_t room = end - at - kChunkHeader;
        if (size > room) {
            why = "chunk '" + fourCc(id) + "' at byte " + std::to_string(at) + " declares " +
                  std::to_string(size) + " bytes, only " + std::to_string(room) + " follow";
            return false;
        }
        if (is(id, "fmt ") && !haveFormat) {
            if (size < kMinFmtBytes) {
                why = "the format chunk holds only " + std::to_string(size) + " bytes";
                return false;
            }
            if (!checkFormat(ByteReader(bytes.data() + at, kChunkHeader + size), why)) return false;
            haveFormat = true;
        } else if (is(id, "data") && !haveData) {
            if (!haveFormat) {
                why = "the data chunk comes before the format chunk";
                return false;
            }
            if (size == 0) {
                why = "the data chunk is empty";
                return false;
            }
            haveData = true;
        }
        // Chunks start on even bytes; the pad after an odd last chunk may
        // be missing.
        at += kChunkHeader + size + (size & 1);
        if (at > end) break;
    }
    if (!haveFormat || !haveData) {
        why = haveFormat ? "no data chunk" : "no format chunk";
        return false;
    }
    return true;
}
