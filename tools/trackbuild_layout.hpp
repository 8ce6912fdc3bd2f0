// Lays a parsed track out in pixels: the scene the tiles are painted from,
// the areas the race tests, the start grid and the waypoints, and the checks
// that refuse a track the race could not run (a grid off the road, a racing
// line across the grass, checkpoints out of lap order, a pit lane that
// misses its box).
#pragma once

#include "tilegen.hpp"
#include "trackbuild_source.hpp"

#include <string>
#include <vector>

// Area kinds as the map stores them.
enum LayoutAreaKind {
    AreaRoad = 0,
    AreaFinish,
    AreaCheckpoint,
    AreaObstacle,
    AreaPitBox,
    AreaRefuel
};

struct LayoutArea {
    int kind = AreaRoad;
    PixelRect rect; // as seen; the map stores it 16 pixels lower
};

struct LayoutPoint {
    int x = 0, y = 0;
};

struct Layout {
    std::vector<LayoutArea> areas; // in the order the map stores them
    std::vector<LayoutPoint> race, pit;
    std::vector<PixelRect> gridCars; // the eight cars' bodies, as the race places them
    std::vector<std::string> warnings;
    int count(int kind) const;
};

// The painted scene: cells, theme and road markings (finish chequers, grid
// boxes, pit box, refuel zone, bridges).
Scene makeScene(const TrackSource& source);

// False with "file:line: message" when the track cannot be raced.
bool layOut(const TrackSource& source, const Scene& scene, const Painter& painter, Layout& out,
            std::string& error);
