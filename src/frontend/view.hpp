// A view: a rectangle of the screen showing the part of the drawn track
// around the car it follows. One fills the screen; two humans split it into
// two views one above the other.
#pragma once

#include <SDL.h>

#include <cstdint>

class Car;

class View {
  public:
    View(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
        : x(x), y(y), width(width), height(height) {}

    // Scrolls to the target car's centre (nothing without a target).
    void follow();
    // Scrolls so that the point is in the middle, kept within 0..maxScroll
    // on each axis.
    void centreOn(std::int32_t centreX, std::int32_t centreY);
    // Copies the shown part of source to the view's rectangle of screen.
    // Only what lies inside both surfaces is copied; a track smaller than
    // the view leaves the rest of the view black.
    void drawView(SDL_Surface* screen, SDL_Surface* source) const;
    // The largest scroll values for a drawn track of the given size (the
    // last column and row of the track are never shown).
    void setLimits(std::int32_t trackWidth, std::int32_t trackHeight);

    std::int32_t x, y, width, height;
    std::int32_t scrollX = 0, scrollY = 0;
    std::int32_t maxScrollX = 0, maxScrollY = 0;
    const Car* target = nullptr; // the car followed, not owned
};
