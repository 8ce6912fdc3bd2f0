// Car descriptions: the hand-edited text files in assets/cars/ that the car
// builder turns into a picture and a .car file. One "key = value" per line,
// '#' starts a comment line; docs/cars.md lists the keys.
#pragma once

#include <cstdint>

struct CarType;
#include <string>

enum class Cabin : std::uint8_t { Closed, Open, Pickup, Van, Roadster };
enum class Stripes : std::uint8_t { None, Centre, Twin, Side, Checker };
enum class Spoiler : std::uint8_t { None, Lip, Wing, Roof };

struct CarDesc {
    std::string name;
    // Picture size: the car's full length and width, tyres included. Both even
    // so that the body's centre falls on a pixel corner, where the game puts
    // the car's position.
    int length = 0;
    int width = 0;
    std::uint32_t paint = 0; // 0xRRGGBB
    std::uint32_t trim = 0;
    std::uint32_t glass = 0x2a3a4c;
    Cabin cabin = Cabin::Closed;
    Stripes stripes = Stripes::None;
    Spoiler spoiler = Spoiler::None;
    int number = -1; // none
    float nose = 3;  // corner rounding
    float tail = 2;
    // From the nose: bonnet, windscreen, roof, rear window. A van's roof is
    // its cab's, with the load box behind it to the tail; a roadster's is its
    // open cockpit, with the rear deck behind it. Neither has a rear window.
    float bonnet = 9;
    float screen = 4;
    float roof = 6;
    float rearScreen = 3;
    float waist = 1.5f; // how far the windows sit in from the body's side
    float tyreWidth = 3;
    float tyreLength = 6;
    float tyreOut = 1.5f; // how far the tyres stick out of the body's side
    float frontAxle = 6;  // tyre centre from the nose
    float rearAxle = 6;   // tyre centre from the tail
    bool sign = false;    // roof sign
    bool scoop = false;   // bonnet air scoop
    bool spotlights = false;
    bool mirrors = false;

    float topSpeed = 0;
    float acceleration = 0;
    float grip = 0;
    float tankSize = 0;
    float consumption = 0;
    float maxDamage = 0;
};

// Reads and checks a description. On a mistake, false and a message that
// starts with "path:line:" (or "path:" for something missing altogether).
bool readCarDesc(const std::string& path, CarDesc& out, std::string& error);
// The same for text already in memory; path only names it in messages.
bool parseCarDesc(const std::string& text, const std::string& path, CarDesc& out,
                  std::string& error);
// Copies the description's handling figures into a car type.
void applyHandling(const CarDesc& desc, CarType& type);
