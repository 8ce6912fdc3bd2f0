// Tile art for the track builder. Every layer of every map cell is painted
// from the cell's neighbourhood (road edges, kerbs, shores, walls, shadows),
// so edges join across cells without seams; the builder then keeps one copy
// of each distinct picture as the track's tileset. Textures repeat every 32
// pixels and vary only away from a tile's border, which keeps that count low.
#pragma once

#include "track/track.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kTileSide = 32;
using TilePixels = std::array<std::uint32_t, kTileSide * kTileSide>;

// The largest scene painted: what the game draws at most (8192 pixels a
// side, 64 MB) in cells of 32 pixels, 256 a side and 16384 in all. The
// largest shipped track, grandprix, is 80 x 56 = 4480 cells. The painter's
// distance fields cover the whole scene in pixels, several doubles each.
constexpr int kMaxSceneSide = kMaxTrackSide / kTileSide;
constexpr int kMaxSceneCells = int(kMaxTrackPixels / (kTileSide * kTileSide));

// Ground levels, lowest first. When an edge is shaped, a cell of a higher
// level counts as the lower ones too, so a road corner cut away shows the
// ground around it rather than a hole.
enum class Ground : std::uint8_t { Plain, Rough, Pavement, Trap, Water, Road };
constexpr int kGroundLevels = 6;

enum class Thing : std::uint8_t {
    None,
    Broadleaf,
    Conifer,
    Palm,
    Tyres,
    Wall,
    Rock,
    FlatRoof,
    TiledRoof,
    MetalRoof,
    LampPost,  // a pole with its lamp hung towards the nearest road
    Crane,     // a quayside crane, its jib swung out towards the nearest water
    Container, // shipping containers stacked two to a cell, drawn as a roof
};

struct SceneCell {
    Ground ground = Ground::Plain;
    Thing thing = Thing::None;
    bool kerb = false;
};

// Pixels [x1, x2) x [y1, y2).
struct PixelRect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool contains(double x, double y) const { return x >= x1 && x < x2 && y >= y1 && y < y2; }
};

// A start position: car centre, pointing down (else left).
struct GridSlot {
    int x = 0, y = 0;
    bool down = true;
};

// Cells x1..x2, y1..y2 of a deck; horizontal when the upper road runs along x.
struct Bridge {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool horizontal = true;
};

// A bend of road: the part of a ring between two compass directions seen
// from its centre. Directions count in eighths clockwise on screen from north
// (0 n, 1 ne, 2 e ... 7 nw); the ring runs from `from` to `from + span`.
// Near the bend the ring alone says what is road, so its edges, verges and
// kerbs come out round instead of stepped by the cells.
struct Curve {
    double cx = 0, cy = 0;       // centre, map pixels
    double inner = 0, outer = 0; // radii, pixels
    int from = 0, span = 2;      // span in eighths, 1 to 4
    bool kerbs = false;

    // How far from its centre, across or along, the bend shapes the road:
    // out to a square a cell and a half larger than the ring, so that road
    // drawn roughly as a square corner is trimmed to the ring, and a cell
    // corner the ring only grazes is the bend's, not the cells'.
    double reach() const { return outer + 48; }

    // Angle of a point from the start direction, clockwise, in radians
    // (0 to 2 pi).
    double turned(double x, double y) const;
    // The point lies in the bend's sector, out to its reach.
    bool owns(double x, double y) const;
    // The point lies on the ring within the sector.
    bool road(double x, double y) const;
};

struct Scene {
    int width = 0, height = 0; // cells
    std::vector<SceneCell> cells;
    std::string theme;
    std::vector<PixelRect> chequers, pitBoxes, refuels;
    std::vector<GridSlot> gridSlots;
    std::vector<Bridge> bridges;
    std::vector<Curve> curves;

    // The bend that shapes the road at this pixel, if any.
    const Curve* curveAt(double x, double y) const;

    // Cells beyond the border repeat the border, so nothing ends at the edge.
    const SceneCell& at(int x, int y) const;
};

bool knownTheme(const std::string& name);
std::string themeList();

bool isTree(Thing t);
bool isRoof(Thing t);
bool isBarrier(Thing t);

// The centre line of a wall or tyre wall between two barrier cells (or a
// lone barrier cell), in map pixels, with the tyres it holds after its start.
struct BarrierSegment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool tyres = false;
    int tyreCount = 0;
};
// Segments that reach into cells x1..x2, y1..y2.
std::vector<BarrierSegment> barrierSegments(const Scene& scene, int x1, int y1, int x2, int y2);

// What a car bounces off (walls, tyres, tree trunks, rocks, buildings), as
// map pixel rectangles that may overlap, each at least minSide pixels wide
// and tall so that no car skips one in a single frame.
std::vector<PixelRect> obstacleRects(const Scene& scene, int minSide);

// The pixels of a cell drawn as something solid: barriers, rocks, roofs
// and the trunks under tree crowns. False when there are none.
bool solidPixels(const Scene& scene, int cx, int cy, std::array<bool, kTileSide * kTileSide>& out);

// Greedy cover of the set cells of a w x h grid by rectangles (in cells).
std::vector<PixelRect> mergeRects(const std::vector<std::uint8_t>& grid, int w, int h);

class Painter {
  public:
    // A scene beyond kMaxSceneSide or kMaxSceneCells gets no fields and
    // is not usable.
    explicit Painter(const Scene& scene);
    bool usable() const { return usable_; }
    // Layer 0 is the opaque ground with everything painted on it, 3 the
    // shadow mask and 4 what is drawn over the cars. False when the layer of
    // this cell stays empty.
    bool paint(int cx, int cy, int layer, TilePixels& out) const;
    // Share of the pixel (0..1) covered by road.
    float roadCoverage(int px, int py) const;

  private:
    struct Field {
        int w = 0, h = 0;
        std::vector<float> d;
        float at(int x, int y) const;
    };
    int groundUnder(int cx, int cy) const;
    bool member(int level, int cx, int cy, bool underRoad) const;
    bool inside(int level, double fx, double fy) const;
    float coverage(int level, int px, int py) const;
    void buildField(int level);
    bool noFill(int cx, int cy) const;
    // A bend shapes some of the cell: the ring, not corner fills, covers
    // the road's corners there.
    bool nearCurve(int cx, int cy) const;
    bool kerbAt(int cx, int cy) const;
    int kerbBlock(int px, int py) const;
    int straightKerbBlock(int px, int py) const;
    void phaseCurveKerbs();
    bool bridgeDeck(int px, int py) const;

    void paintGround(int cx, int cy, TilePixels& out) const;
    bool paintShadow(int cx, int cy, TilePixels& out, const TilePixels& over) const;
    bool paintOver(int cx, int cy, TilePixels& out) const;
    bool shadowAt(double x, double y) const;

    const Scene& scene_;
    int themeIndex_ = 0;
    bool usable_ = false;
    std::array<Field, kGroundLevels> fields_;
    std::vector<std::uint8_t> nearCurve_; // per cell
    // Per bend and edge (inner, outer): the number of kerb blocks along the
    // edge and the colour of the first, chosen so the stripes run on from
    // the straights at both ends.
    struct KerbPhase {
        int blocks = 1, first = 0;
    };
    std::vector<std::array<KerbPhase, 2>> kerbPhases_;
};
