// Paints a car described in assets/cars/ as the game wants its picture: seen
// from above, pointing up, on pure black (the transparent colour), with no
// pure black or pure white pixel inside the car.
#pragma once

#include "carbuild_desc.hpp"

#include <cstdint>
#include <vector>

struct CarPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB, rows top to bottom
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// Where the tyres sit, from the picture's centre (x right, y towards the tail).
struct TyrePlaces {
    float halfTrack = 0;
    float frontY = 0;
    float rearY = 0;
};

TyrePlaces tyrePlaces(const CarDesc& car);
CarPicture paintCar(const CarDesc& car);
// 24-bit bottom-up BMP, the layout SDL_LoadBMP reads.
std::vector<std::uint8_t> encodeBmp(const CarPicture& picture);
