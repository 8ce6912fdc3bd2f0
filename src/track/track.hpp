// A track: a grid of cells stacking up to five tiles, the tileset they come
// from, the rectangles that tell the race where the road, the finish line,
// the checkpoints, obstacles and pit areas are, and the computer drivers'
// waypoints. Loaded from a .map file in tracks/ with its lap record.
//
// The .map file (little-endian int32 unless said): version 1..4, width and
// height in cells, tile width and height; per cell row by row: tag, five
// layer tiles (-1 empty), an item count and three int32 per item; the
// tileset file name as a counted string; from version 2 five spare values;
// from version 3 an area count and per area five int16 (kind, x1, y1, x2,
// y2); from version 4 100 waypoints of int32 type, x, y.
#pragma once

#include "records/lap_record.hpp"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum AreaKind : std::int16_t {
    Road = 0,
    FinishLine = 1,
    Checkpoint = 2,
    Obstacle = 3,
    PitBox = 4,
    Refuel = 5,
};

// The race tests an area 16 pixels higher than its stored corners.
constexpr std::int32_t kAreaTestLift = 16;

struct TrackArea {
    std::int16_t kind = Road;
    std::int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

enum WaypointType : std::int32_t { FreeWaypoint = -1, RacingLine = 0, PitLane = 1 };

struct Waypoint {
    std::int32_t type = FreeWaypoint;
    std::int32_t x = 0, y = 0;
};

constexpr int kWaypoints = 100;
constexpr int kLayers = 5;

struct CellItem {
    std::int32_t a = 0, b = 0, c = 0;
};

struct MapCell {
    std::int32_t tag = 0;
    std::array<std::int32_t, kLayers> layers{-1, -1, -1, -1, -1};
    std::vector<CellItem> items;
};

struct Tile {
    std::int32_t width = 0, height = 0;
    SDL_Surface* surface = nullptr; // owned
};

struct Tileset {
    Tileset() = default;
    Tileset(const Tileset&) = delete;
    Tileset& operator=(const Tileset&) = delete;
    ~Tileset();
    std::vector<Tile> tiles;
    std::int32_t count() const { return std::int32_t(tiles.size()); }
};

// Limits that no real track comes near; a header beyond them is damage.
constexpr std::int32_t kMaxMapCells = 1 << 20;
constexpr std::int32_t kMaxCellItems = 1 << 16;
constexpr std::int32_t kMaxTilesetName = 255;
constexpr std::int32_t kMaxTileSide = 1024;
// Shipped tiles are 32 pixels a side; tiny tiles would cut a tileset into
// hundreds of thousands of surfaces.
constexpr std::int32_t kMinTileSide = 8;
constexpr std::int32_t kMaxTiles = 4096;
// The drawn track is one 32-bit surface of width x tileWidth by height x
// tileHeight pixels; the largest shipped track, grandprix, is 2560 x 1792
// (18 MB). A map asking for more is refused before anything is loaded.
constexpr std::int32_t kMaxTrackSide = 8192;
constexpr std::int64_t kMaxTrackBytes = std::int64_t(64) << 20;
constexpr std::int64_t kMaxTrackPixels = kMaxTrackBytes / 4;
// Waypoints and area corners lie on the drawn track or at most this far off
// it: areas are tested 16 pixels high and shipped ones reach 14 pixels past
// the edge, and a computer driver counts a waypoint as reached 50 pixels
// away. Anything further out is no place a car can be.
constexpr std::int32_t kMapMargin = 64;

class Track {
  public:
    Track();
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;
    Track(Track&&) = default;
    Track& operator=(Track&&) = default;

    // Loads "tracks/" + fileName, its tileset and its lap record. False, with
    // a line saying why, for a missing or damaged map or tileset.
    bool loadMap(const std::string& fileName);
    // Cuts a PCX or BMP picture into tiles; count -1 takes all that fit.
    bool loadTileset(const std::string& pictureName, std::int32_t tileWidth,
                     std::int32_t tileHeight, std::int32_t count);
    // Reads a .tl file of ready-made 32-bit tiles.
    bool loadTileFile(const std::string& path);
    // The race's record: a missing file means no record yet.
    void loadRecord(const std::string& path);
    // False, with the reason on stderr, when the file could not be written;
    // the old file then stays as it was.
    bool saveRecord() const;

    // Tile number of a layer of a cell; -1 for an empty layer or a cell or
    // layer outside the map.
    std::int32_t layerTile(std::int32_t x, std::int32_t y, std::int32_t layer) const;
    // The tile surface of a number, none for -1 or a number naming no tile.
    const Tile* tile(std::int32_t number) const;
    // Size of tile 0, the grid pitch of the drawn track (0 without tiles).
    std::int32_t pitchX() const;
    std::int32_t pitchY() const;
    // The drawn track's size: the pitch times the cells (the race refuses a
    // map whose drawn track would be too large before any car drives).
    std::int32_t pixelWidth() const;
    std::int32_t pixelHeight() const;

    std::int32_t countAreas(std::int32_t kind) const;
    // The first FinishLine area in file order, none without one.
    const TrackArea* finishLine() const;
    // The last area of the kind (-1: any) whose rectangle, lifted 16 pixels,
    // holds the point.
    const TrackArea* areaAt(std::int32_t px, std::int32_t py, std::int32_t kind) const;
    // Files the areas by where they lie, so that areaAt looks only at those
    // near a point: a race asks it several times a car and frame. Cheap
    // when the areas are as they were indexed. Until it is called, or once
    // areas have been added or taken away, areaAt looks at them all.
    void indexAreas() const;

    // Waypoints: the first pit-lane slot (-1 for none); the slot after i
    // on the same chain (the racing line loops to slot 0, the pit lane
    // rejoins at the racing point nearest its end); the racing point nearest
    // slot i (-1 for none).
    std::int32_t firstPitWaypoint() const;
    std::int32_t nextWaypoint(std::int32_t i) const;
    std::int32_t nearestRacingWaypoint(std::int32_t i) const;

    // Draws columns x rows cells from (cellX, cellY) at (pixelX, pixelY):
    // every layer of a cell before the next cell, layer 3 as a shadow.
    void renderArea(SDL_Surface* destination, std::int32_t cellX, std::int32_t cellY,
                    std::int32_t pixelX, std::int32_t pixelY, std::int32_t columns,
                    std::int32_t rows) const;

    std::string name;
    std::int32_t version = 0;
    std::int32_t width = 0, height = 0;
    std::int32_t tileWidth = 0, tileHeight = 0;
    std::string tilesetName;
    std::vector<MapCell> cells;
    std::vector<TrackArea> areas;
    std::array<std::int32_t, 5> spareValues{};
    std::unique_ptr<Tileset> tileset;
    LapRecord record;
    std::array<Waypoint, kWaypoints> waypoints;

  private:
    struct AreaIndex {
        static constexpr std::int32_t kBucket = 64; // pixels a side
        std::vector<TrackArea> indexed;             // the areas as they were filed
        std::int32_t columns = 0, rows = 0;
        std::vector<std::vector<std::int32_t>> buckets; // area numbers, in file order
    };
    mutable AreaIndex areaIndex_;
};

// The map file in memory. decodeMap fills everything but the tileset and
// the record, and refuses (with a reason) a file whose counts or lengths run
// past its end or beyond the limits above, whose drawn track would be
// larger than kMaxTrackBytes, or whose waypoints or areas lie further than
// kMapMargin off the drawn track.
bool decodeMap(const std::vector<std::uint8_t>& bytes, Track& out, std::string& why);
std::vector<std::uint8_t> encodeMap(const Track& track);

// A .tl file in memory: int32 ignored, int32 tile count, then per tile int32
// width and height and its 32-bit pixels row by row. Refuses (with a reason)
// a count or a tile size beyond the limits above or pixels past the end.
bool decodeTileFile(const std::vector<std::uint8_t>& bytes, Tileset& out, std::string& why);
