// Car types: one binary .car file in cars/ per kind of car, read at start-up
// into the game's car list. A type names its picture, the geometry that
// places the rotated frames, the probe point and the rear wheels, and the
// handling numbers.
//
// The file: int32 version, pivot, four wheels, five floats (reserved1,
// topSpeed, acceleration, grip, reserved2), int32 frameCount and that many
// frame offsets, the picture and the name as counted strings, and from
// version 2 on tankSize, consumption and maxDamage. Little-endian, floats in
// IEEE single precision.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct IntPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const IntPoint&) const = default;
};

constexpr std::int32_t kMinCarFrames = 2;
constexpr std::int32_t kMaxCarFrames = 128;
// Texts were read through 80-byte buffers: 79 bytes and a terminator.
constexpr std::int32_t kMaxCarText = 79;

// Largest car picture side; shipped cars are at most 30 x 18. Every turned
// frame of such a picture is under twice that a side, which bounds the
// pivot, wheels and frame offsets a file may give before its picture is
// seen (where they are checked against the frames themselves).
constexpr std::int32_t kMaxCarPictureSide = 128;
constexpr std::int32_t kMaxCarCoordinate = 2 * kMaxCarPictureSide;

// The range a handling figure must lie in, generous over anything a car
// drives well with (shipped cars: top speed 2.6..4.2, acceleration
// 0.06..0.14, grip 0.035..0.12, tank 25..80, consumption 1.15..2.8, damage
// 60..220). Beyond them the model's angles and speeds stop meaning anything.
struct FigureRange {
    float lo, hi;
};
constexpr FigureRange kTopSpeedRange{0.0f, 30.0f};
constexpr FigureRange kAccelerationRange{0.0f, 5.0f};
constexpr FigureRange kGripRange{0.0f, 3.0f}; // radians per frame: under half a turn
constexpr FigureRange kTankSizeRange{0.0f, 10000.0f};
constexpr FigureRange kConsumptionRange{0.0f, 1000.0f};
constexpr FigureRange kMaxDamageRange{0.0f, 10000.0f};

struct CarType {
    std::int32_t version = 2;
    std::string picture = "lada"; // BMP path relative to the working directory
    std::string name;
    IntPoint pivot;     // probe point and skid origin, from the whole-pixel corner
    IntPoint wheels[4]; // car coordinates from the pivot; 3rd and 4th are the rear
    float reserved1 = 50.0f;
    float topSpeed = 3.0f;     // pixels per frame
    float acceleration = 0.1f; // largest speed change per frame, both ways
    float grip = 1.0f;         // radians per frame the travel direction follows the body
    float reserved2 = 0.1f;
    std::int32_t frameCount = 0;
    std::vector<IntPoint> frameOffsets; // frame corner from the car's centre; [1] is the probe
    float tankSize = 40.0f;
    float consumption = 10.0f; // fuel per frame is consumption / 1400
    float maxDamage = 100.0f;
};

// Decodes a .car file. Refuses (false, with a reason) a file that ends
// before its texts, has a frame count outside 2..128, texts longer than 79
// bytes, a pivot, wheel or frame offset beyond kMaxCarCoordinate or a
// handling figure outside its range; fields a version-1 file does not hold
// keep their defaults. A text stops at its first zero byte.
bool decodeCarType(const std::vector<std::uint8_t>& bytes, CarType& out, std::string& why);
// The handling figures' check alone: false with "grip -8.5e+15 is outside
// 0..3" for the first figure out of its range (or not a number).
bool checkCarFigures(const CarType& type, std::string& why);
// Writes a version-2 file (the version field is written as given).
std::vector<std::uint8_t> encodeCarType(const CarType& type);

// Reads "cars/" + fileName; none (with "cannot open CAR FILE") when it cannot
// be opened or is damaged.
bool loadCarType(const std::string& fileName, CarType& out);
