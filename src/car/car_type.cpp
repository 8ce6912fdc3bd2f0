#include "car/car_type.hpp"

#include "base/bytes.hpp"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {
// A text read through an 80-byte buffer ends at its first zero byte.
bool readText(ByteReader& in, std::string& out) {
    if (!in.countedString(out, kMaxCarText)) return false;
    const std::size_t zero = out.find('\0');
    if (zero != std::string::npos) out.resize(zero);
    return true;
}
IntPoint readPoint(ByteReader& in) {
    IntPoint p;
    p.x = in.i32();
    p.y = in.i32();
    return p;
}

bool figureIn(const char* name, float value, FigureRange range, std::string& why) {
    // Written so that a NaN fails too.
    if (value >= range.lo && value <= range.hi) return true;
    std::ostringstream s;
    s << name << " " << value << " is outside " << range.lo << ".." << range.hi;
    why = s.str();
    return false;
}

bool pointIn(const std::string& name, const IntPoint& p, std::string& why) {
    if (std::abs(std::int64_t(p.x)) <= kMaxCarCoordinate &&
        std::abs(std::int64_t(p.y)) <= kMaxCarCoordinate)
        return true;
    why = name + " (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ") is further than " +
          std::to_string(kMaxCarCoordinate) + " pixels from the car";
    return false;
}

bool checkGeometry(const CarType& t, std::string& why) {
    if (!pointIn("its pivot", t.pivot, why)) return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (!pointIn("its wheel " + std::to_string(i), t.wheels[i], why)) return false;
    for (std::size_t i = 0; i < t.frameOffsets.size(); ++i)
        if (!pointIn("its frame offset " + std::to_string(i), t.frameOffsets[i], why)) return false;
    return true;
}
} // namespace

bool checkCarFigures(const CarType& t, std::string& why) {
    return figureIn("topSpeed", t.topSpeed, kTopSpeedRange, why) &&
           figureIn("acceleration", t.acceleration, kAccelerationRange, why) &&
           figureIn("grip", t.grip, kGripRange, why) &&
           figureIn("tankSize", t.tankSize, kTankSizeRange, why) &&
           figureIn("consumption", t.consumption, kConsumptionRange, why) &&
           figureIn("maxDamage", t.maxDamage, kMaxDamageRange, why);
}

bool decodeCarType(const std::vector<std::uint8_t>& bytes, CarType& out, std::string& why) {
    ByteReader in(bytes);
    CarType t;
    t.version = in.i32();
    t.pivot = readPoint(in);
    for (IntPoint& w : t.wheels)
        w = readPoint(in);
    t.reserved1 = in.f32();
    t.topSpeed = in.f32();
    t.acceleration = in.f32();
    t.grip = in.f32();
    t.reserved2 = in.f32();
    t.frameCount = in.i32();
    if (!in.ok()) {
        why = "it ends before its frame count";
        return false;
    }
    if (t.frameCount < kMinCarFrames || t.frameCount > kMaxCarFrames) {
        why = "its frame count " + std::to_string(t.frameCount) + " is outside 2..128";
        return false;
    }
    t.frameOffsets.resize(std::size_t(t.frameCount));
    for (IntPoint& p : t.frameOffsets)
        p = readPoint(in);
    if (!in.ok()) {
        why = "it ends inside its frame offsets";
        return false;
    }
    if (!readText(in, t.picture) || !readText(in, t.name)) {
        why = "its picture or name is cut short or longer than 79 bytes";
        return false;
    }
    if (t.version > 1) {
        // A file that stops early keeps the defaults for what it lacks.
        ByteReader tail = in;
        const float tank = tail.f32();
        if (tail.ok()) t.tankSize = tank;
        const float consumption = tail.f32();
        if (tail.ok()) t.consumption = consumption;
        const float damage = tail.f32();
        if (tail.ok()) t.maxDamage = damage;
    }
    if (!checkGeometry(t, why) || !checkCarFigures(t, why)) return false;
    out = std::move(t);
    return true;
}

std::vector<std::uint8_t> encodeCarType(const CarType& t) {
    ByteWriter out;
    out.i32(t.version);
    out.i32(t.pivot.x);
    out.i32(t.pivot.y);
    for (const IntPoint& w : t.wheels) {
        out.i32(w.x);
        out.i32(w.y);
    }
    out.f32(t.reserved1);
    out.f32(t.topSpeed);
    out.f32(t.acceleration);
    out.f32(t.grip);
    out.f32(t.reserved2);
    out.i32(std::int32_t(t.frameOffsets.size()));
    for (const IntPoint& p : t.frameOffsets) {
        out.i32(p.x);
        out.i32(p.y);
    }
    out.countedString(t.picture);
    out.countedString(t.name);
    if (t.version > 1) {
        out.f32(t.tankSize);
        out.f32(t.consumption);
        out.f32(t.maxDamage);
    }
    return out.bytes();
}

bool loadCarType(const std::string& fileName, CarType& out) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile("cars/" + fileName, bytes, 1 << 20)) {
        std::printf("cannot open CAR FILE\n");
        return false;
    }
    std::string why;
    if (!decodeCarType(bytes, out, why)) {
        std::printf("cannot open CAR FILE\n");
        std::printf("Car file cars/%s is damaged: %s\n", fileName.c_str(), why.c_str());
        return false;
    }
    return true;
}
