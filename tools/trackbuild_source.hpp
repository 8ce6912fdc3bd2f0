// The text a track is written in (docs/tracks.md): a header, a grid of
// one character per cell, and lines for the finish, checkpoints, pit, bridges
// and the computer drivers' waypoints. Parsing only checks the text itself;
// whether the track can be raced is judged once it is laid out.
#pragma once

#include "tilegen.hpp"

#include <cstddef>
#include <string>
#include <vector>

// Cells x1..x2, y1..y2, both ends included, and the line that gave them.
struct SourceRect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int line = 0;
    bool horizontal = true; // bridges only
};

// A waypoint in cells (fractions allowed).
struct SourcePoint {
    double x = 0, y = 0;
    int line = 0;
};

// A bend: centre and radii in cells, directions in eighths from north.
struct SourceCurve {
    double cx = 0, cy = 0, radius = 0, width = 0;
    int from = 0, span = 0;
    bool kerbs = false;
    int line = 0;
};

// The tightest bend the builder paints: its inner edge must keep a radius of
// at least this many cells, or the kerb and edge lines pinch to a point.
constexpr double kMinCurveInnerRadius = 1;
constexpr std::size_t kMaxCurves = 64;

struct TrackSource {
    std::string file;
    std::string name, theme;
    int nameLine = 0, mapLine = 0;
    int width = 0, height = 0;
    std::vector<SceneCell> cells;
    std::vector<SourceRect> finishes, checkpoints, pitBoxes, refuels, bridges;
    std::vector<SourcePoint> race, pit;
    std::vector<SourceCurve> curves;
};

// Smallest map a race view fills (640 x 400 pixels) and the largest the
// game draws (and the tile painter paints): 256 cells a side, 16384 in all.
constexpr int kMinMapWidth = 20, kMinMapHeight = 13;
constexpr int kMaxMapSide = kMaxSceneSide;
constexpr int kMaxMapArea = kMaxSceneCells;

// False with "file:line: message" in error for the first mistake.
bool parseTrackSource(const std::string& text, const std::string& file, TrackSource& out,
                      std::string& error);

// The cell a grid character stands for; false for a character that is none.
bool cellFromChar(char c, SceneCell& out);
