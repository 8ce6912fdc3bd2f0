// The small map in a corner of each view: the whole drawn track shrunk once
// a race, with a dot for every car in its car's colour and the view's own
// car marked. The picture is made when the race is prepared; a frame only
// copies it and puts the dots on, so that it costs next to nothing.
#pragma once

#include "car/car_type.hpp"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

class Race;
class RaceDrawing;
class Sprite;

// The largest small map in pixels; in a view too low for it, two fifths of
// the view's height.
constexpr std::int32_t kMinimapWidth = 128;
constexpr std::int32_t kMinimapHeight = 96;

class Minimap {
  public:
    Minimap() = default;
    Minimap(const Minimap&) = delete;
    Minimap& operator=(const Minimap&) = delete;
    ~Minimap();

    // Shrinks the drawn track to fit within maxWidth x maxHeight with its
    // shape kept, each pixel the average of those it stands for, and takes
    // each car's colour from its sprite. False when there is no track or no
    // memory (then nothing is drawn).
    bool prepare(SDL_Surface* track, const std::vector<std::unique_ptr<Sprite>>& sprites,
                 std::int32_t maxWidth, std::int32_t maxHeight);
    void clear();

    // Where a point of the drawn track lies on the small picture, kept
    // inside it.
    IntPoint place(float x, float y) const;
    // The picture with its top-left corner at (x, y) of the screen, a dot
    // for every car of the race, and the car of participant own (-1: none)
    // marked and drawn over the others.
    void draw(SDL_Surface* screen, std::int32_t x, std::int32_t y, const Race& race,
              std::int32_t own) const;

    SDL_Surface* picture = nullptr;     // owned
    std::vector<std::uint32_t> colours; // one a sprite, in grid order
    std::int32_t trackWidth = 0, trackHeight = 0;
};

// Each view's small map in its top-right corner, its own car marked.
void drawMinimaps(SDL_Surface* screen, const Race& race, const RaceDrawing& drawing);

// A dot's colour for a car picture: the commonest clearly coloured shade of
// its body (the paint, not the glass, tyres or outline), made bright enough
// to see on the small map; white for a picture without colour.
std::uint32_t carColour(SDL_Surface* picture);
