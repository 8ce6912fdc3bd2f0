// The race as the player sees it: the whole track drawn once into one
// surface, the cars' sprites drawn into it every frame under the covering
// cells, their skid marks darkening it for good, and the views that copy
// the part around their car to the screen. It reads the race and nothing in
// the race reads it.
#pragma once

#include "car/sprite.hpp"
#include "frontend/minimap.hpp"
#include "frontend/view.hpp"
#include "race/positions.hpp"
#include "track/geometry.hpp"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Car;
class Race;
struct CarType;

class RaceDrawing {
  public:
    RaceDrawing() = default;
    RaceDrawing(const RaceDrawing&) = delete;
    RaceDrawing& operator=(const RaceDrawing&) = delete;
    ~RaceDrawing();

    // Drops the sprites, views, cells and the drawn track.
    void clear();
    // The next participant's sprite: every turned frame of its car. False
    // with the reason when a frame cannot be made.
    bool addSprite(const CarType& type, std::string& why);
    // One view filling the screen, or two one above the other; each follows
    // the car of the participant given (-1: none).
    void makeViews(const Race& race, std::int32_t screenWidth, std::int32_t screenHeight,
                   std::int32_t first, std::int32_t second);
    View* createView(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    // Draws the race's track into a new surface (the last race's goes) and
    // collects its covering cells; the sprites and views stay. False with a
    // message when there is no memory for it.
    bool prepare(const Race& race);

    // The three passes of a drawn race frame, around Race::step: erase the
    // cars (the last drawn first) before they move, then darken the skid
    // marks they left, then draw them again with the layer's cells over
    // them (layer 4 covers while racing, layer 3 shadows once it is over).
    void eraseCars();
    void paintSkidMarks(const Race& race);
    void drawObjects(const Race& race, bool raceOver);
    // Every view follows its car and copies its part of the track.
    void drawViews(SDL_Surface* screen);

    SDL_Surface* trackSurface = nullptr; // owned
    std::vector<CoveringCell> layer3Cells, layer4Cells;
    std::vector<std::unique_ptr<Sprite>> sprites; // one a participant, in grid order
    std::vector<std::unique_ptr<View>> views;
    // The participant each view follows.
    std::vector<std::int32_t> viewPlayers;
    bool skidmarks = true;
    // The whole track small, made by prepare from the drawn track.
    Minimap minimap;
    // The track's racing line the running order is measured along, made by
    // prepare.
    LapLine lapLine;

  private:
    // A layer's covering cells by map position (-1: none), for finding
    // those a rectangle meets without looking at them all.
    struct CellGrid {
        std::vector<std::int32_t> index;
        std::vector<std::uint8_t> marked;
    };
    void indexCells(const std::vector<CoveringCell>& cells, CellGrid& grid) const;
    // The cells of the list that meet any of the rectangles, in list order.
    const std::vector<CoveringCell>& cellsMeeting(const std::vector<CoveringCell>& cells,
                                                  CellGrid& grid);

    CellGrid layer3Grid_, layer4Grid_;
    std::int32_t mapWidth_ = 0, mapHeight_ = 0, pitchX_ = 1, pitchY_ = 1;
    std::int32_t largestTileW_ = 0, largestTileH_ = 0;
    // This frame's rectangles: the sprites' erased and new places.
    std::vector<SDL_Rect> touched_;
    std::vector<CoveringCell> chosen_;
};

// Darkens the track under a car's fresh skid marks (all four points read
// before any is written, so a pixel two points share darkens once).
void paintSkidMarks(SDL_Surface* surface, const Car& car);
