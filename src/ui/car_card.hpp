// What the driver selection screen shows of a car while a driver's car is
// being chosen: its picture, turned to drive to the right and shown twice
// its size, and its handling as five bars against the other cars offered.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct CarType;
class Font;

constexpr int kHandlingBars = 5;
// Top speed, acceleration, grip, tank, damage limit.
extern const std::array<const char*, kHandlingBars> kHandlingLabels;

// How full each bar of the car is, 0.1..1: the car's figure placed between
// the lowest and highest of the same figure among cars, the lowest keeping a
// tenth so that every bar shows. A figure all the cars share fills its bar;
// a car whose figure lies outside theirs is held to the ends.
std::array<float, kHandlingBars> handlingBars(const CarType& car,
                                              const std::vector<std::unique_ptr<CarType>>& cars);

// The cars' pictures as the card shows them, each read from its file once
// and kept; a picture that cannot be read is remembered as missing.
class CarPictures {
  public:
    CarPictures() = default;
    CarPictures(const CarPictures&) = delete;
    CarPictures& operator=(const CarPictures&) = delete;
    ~CarPictures();

    // The turned, doubled picture of the file; none when it cannot be read.
    SDL_Surface* picture(const std::string& path);

    // Files read so far, for the tests.
    std::int32_t filesRead = 0;

  private:
    std::map<std::string, SDL_Surface*> pictures_;
};

// The card with its top-left corner at (x, y): the car's name and picture,
// the bars with their labels beside them. kCardHeight tall at most.
constexpr std::int32_t kCardHeight = 72;
constexpr std::int32_t kBarWidth = 100;
constexpr std::uint32_t kBarColour = 0xFF40C0FF;
void drawCarCard(SDL_Surface* screen, const Font& font, std::int32_t x, std::int32_t y,
                 const CarType& car, const std::vector<std::unique_ptr<CarType>>& cars,
                 CarPictures& pictures);
