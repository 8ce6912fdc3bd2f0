#include "race/replay.hpp"

#include "base/bytes.hpp"
#include "records/profile.hpp"

namespace {
constexpr char kMagic[4] = {'G', 'R', 'P', 'L'};
constexpr std::int32_t kMaxCarNameLength = 79;

enum RunFlags : std::uint8_t {
    RunRight = 1,
    RunLeft = 2,
    RunNitro = 4,
    RunReverse = 8,
    RunBrake = 16,       // a brake value follows
    RunAlternating = 32, // the other controls follow, and alternate
};

void writeControls(ByteWriter& w, const Controls& c, std::uint8_t extra) {
    w.u8(std::uint8_t((c.right ? RunRight : 0) | (c.left ? RunLeft : 0) | (c.nitro ? RunNitro : 0) |
                      (c.reverse ? RunReverse : 0) | (c.brake != 0 ? RunBrake : 0) | extra));
    w.u8(c.throttle);
    if (c.brake != 0) w.f32(c.brake);
}

// False for what no driver could ask: a brake outside 0..1 (a NaN would
// reach the car's position), a throttle pushed more than twice.
bool readControls(ByteReader& r, Controls& c, bool& alternating) {
    const std::uint8_t bits = r.u8();
    c.throttle = r.u8();
    c.right = bits & RunRight;
    c.left = bits & RunLeft;
    c.nitro = bits & RunNitro;
    c.reverse = bits & RunReverse;
    alternating = bits & RunAlternating;
    if (bits & RunBrake) {
        c.brake = r.f32();
        if (!(c.brake > 0 && c.brake <= 1)) return false;
    }
    return r.ok() && bits < 64 && c.throttle <= 2;
}

void u64(ByteWriter& w, std::uint64_t v) {
    w.u32(std::uint32_t(v));
    w.u32(std::uint32_t(v >> 32));
}
std::uint64_t u64(ByteReader& r) {
    const std::uint64_t low = r.u32();
    return low | (std::uint64_t(r.u32()) << 32);
}

// Run lengths are mostly short: one byte, or 255 and four.
void runLength(ByteWriter& w, std::uint32_t n) {
    if (n < 255) {
        w.u8(std::uint8_t(n));
    } else {
        w.u8(255);
        w.u32(n);
    }
}
std::uint32_t runLength(ByteReader& r) {
    const std::uint8_t n = r.u8();
    return n < 255 ? n : r.u32();
}

bool refuse(std::string& why, const std::string& reason) {
    why = reason;
    return false;
}
} // namespace

void appendControls(std::vector<ControlRun>& runs, const Controls& controls) {
    if (!runs.empty() && runs.back().count < kMaxReplayFrames) {
        ControlRun& last = runs.back();
        if (last.at(last.count) == controls && (last.alternating || last.controls == controls)) {
            ++last.count;
            return;
        }
        if (last.count == 1) {
            last.alternating = true;
            last.other = controls;
            ++last.count;
            return;
        }
    }
    runs.push_back({1, controls, false, Controls{}});
}

ReplayChecksum replayChecksum(std::uint32_t frame, const RaceChecksum& sum) {
    const auto fold = [](std::uint32_t h) { return std::uint8_t(h ^ h >> 8 ^ h >> 16 ^ h >> 24); };
    ReplayChecksum c;
    c.frame = frame;
    c.whole = sum.whole();
    for (std::size_t i = 0; i < kStateFields; ++i)
        c.fields[i] = fold(sum.fields[i]);
    for (std::uint32_t p : sum.participants)
        c.participants.push_back(fold(p));
    return c;
}

std::uint64_t hashBytes(const std::vector<std::uint8_t>& bytes) {
    return fnv1a(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> encodeReplay(const Replay& replay) {
    ByteWriter w;
    w.raw(kMagic, 4);
    w.u32(kReplayFormat);
    w.u32(replay.simulationVersion);
    w.countedString(replay.trackFile);
    u64(w, replay.trackHash);
    w.i32(replay.rules.mode);
    w.i32(replay.rules.laps);
    w.u8(replay.rules.carDamage);
    w.u8(replay.rules.fuelConsumption);
    w.u8(replay.rules.unlimitedNitro);
    w.u8(std::uint8_t(replay.participants.size()));
    for (const ReplayParticipant& p : replay.participants) {
        w.countedString(p.name);
        w.countedString(p.carName);
        u64(w, p.carHash);
        w.u8(std::uint8_t(p.type));
    }
    w.u32(replay.frames);
    for (const ReplayParticipant& p : replay.participants) {
        w.u32(std::uint32_t(p.runs.size()));
        for (const ControlRun& run : p.runs) {
            runLength(w, run.count);
            writeControls(w, run.controls, run.alternating ? RunAlternating : 0);
            if (run.alternating) writeControls(w, run.other, 0);
        }
    }
    w.u32(std::uint32_t(replay.checksums.size()));
    for (const ReplayChecksum& c : replay.checksums) {
        w.u32(c.frame);
        u64(w, c.whole);
        w.raw(c.fields.data(), c.fields.size());
        w.raw(c.participants.data(), c.participants.size());
    }
    return w.bytes();
}

bool decodeReplay(const std::vector<std::uint8_t>& bytes, Replay& out, std::string& why) {
    if (bytes.size() > kMaxReplayFile) return refuse(why, "the file is too large");
    ByteReader r(bytes);
    char magic[4] = {};
    if (!r.take(magic, 4) || std::string(magic, 4) != std::string(kMagic, 4))
        return refuse(why, "not a replay");
    const std::uint32_t format = r.u32();
    if (r.ok() && format != kReplayFormat)
        return refuse(why, "replay format " + std::to_string(format) + ", this game reads " +
                               std::to_string(kReplayFormat));
    Replay replay;
    replay.simulationVersion = r.u32();
    r.countedString(replay.trackFile, kMaxProfileText);
    replay.trackHash = u64(r);
    replay.rules.mode = r.i32();
    replay.rules.laps = r.i32();
    const std::uint8_t flags[3] = {r.u8(), r.u8(), r.u8()};
    const std::uint8_t count = r.u8();
    if (!r.ok()) return refuse(why, "the file ends in its header");
    if (replay.rules.mode < FreeDriving || replay.rules.mode > RacingSeason ||
        replay.rules.laps < 0 || replay.rules.laps > 1000 || flags[0] > 1 || flags[1] > 1 ||
        flags[2] > 1)
        return refuse(why, "its rules are not a game's");
    replay.rules.carDamage = flags[0];
    replay.rules.fuelConsumption = flags[1];
    replay.rules.unlimitedNitro = flags[2];
    if (count < 1 || count > kMaxDrivers) return refuse(why, std::to_string(count) + " drivers");
    replay.participants.resize(count);
    for (ReplayParticipant& p : replay.participants) {
        r.countedString(p.name, kMaxProfileText);
        r.countedString(p.carName, kMaxCarNameLength);
        p.carHash = u64(r);
        const std::uint8_t type = r.u8();
        if (type > Computer) return refuse(why, "a driver of no known kind");
        p.type = type;
    }
    replay.frames = r.u32();
    if (!r.ok()) return refuse(why, "the file ends among its drivers");
    if (replay.frames > kMaxReplayFrames)
        return refuse(why, std::to_string(replay.frames) + " frames is beyond any race");
    for (ReplayParticipant& p : replay.participants) {
        const std::uint32_t runs = r.u32();
        // A run takes two bytes at the least.
        if (!r.ok() || runs > replay.frames || runs > r.remaining() / 2)
            return refuse(why, "the controls of " + p.name + " do not fit the file");
        p.runs.reserve(runs);
        std::uint64_t turns = 0;
        for (std::uint32_t i = 0; i < runs && r.ok(); ++i) {
            ControlRun run;
            run.count = runLength(r);
            bool alternating = false, again = false;
            bool good = readControls(r, run.controls, alternating);
            if (alternating) {
                run.alternating = true;
                good = good && readControls(r, run.other, again) && !again &&
                       !(run.other == run.controls);
            }
            turns += run.count;
            if (!good || run.count == 0 || (run.alternating && run.count < 2) ||
                turns > replay.frames)
                return refuse(why, "the controls of " + p.name + " are damaged");
            p.runs.push_back(run);
        }
    }
    const std::uint32_t sums = r.u32();
    const std::size_t sumSize = 4 + 8 + kStateFields + count;
    if (!r.ok() || sums > replay.frames / kChecksumFrames + 1 || sums > r.remaining() / sumSize)
        return refuse(why, "its checksums do not fit the file");
    replay.checksums.resize(sums);
    std::uint32_t last = 0;
    for (ReplayChecksum& c : replay.checksums) {
        c.frame = r.u32();
        c.whole = u64(r);
        r.take(c.fields.data(), c.fields.size());
        c.participants.resize(count);
        r.take(c.participants.data(), c.participants.size());
        if (c.frame > replay.frames || (c.frame <= last && &c != &replay.checksums.front()))
            return refuse(why, "its checksums are out of order");
        last = c.frame;
    }
    if (!r.ok()) return refuse(why, "the file ends among its checksums");
    if (!r.atEnd()) return refuse(why, "bytes follow the replay");
    out = std::move(replay);
    return true;
}
