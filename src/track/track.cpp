#include "track/track.hpp"

#include "base/bytes.hpp"
#include "gfx/image.hpp"
#include "gfx/surface.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {
constexpr std::size_t kCellBytes = 4 + 4 * kLayers + 4;
constexpr std::size_t kAreaBytes = 10;
constexpr std::size_t kWaypointBytes = 12;

// No RLE: tiles are only ever read pixel by pixel, never blitted by SDL.
void setTileKey(SDL_Surface* s) {
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, 0xFFFFFF);
}
} // namespace

Tileset::~Tileset() {
    for (Tile& t : tiles)
        if (t.surface) SDL_FreeSurface(t.surface);
}

Track::Track() = default;

bool decodeMap(const std::vector<std::uint8_t>& bytes, Track& out, std::string& why) {
    ByteReader in(bytes);
    const std::int32_t version = in.i32();
    const std::int32_t width = in.i32();
    const std::int32_t height = in.i32();
    const std::int32_t tileWidth = in.i32();
    const std::int32_t tileHeight = in.i32();
    if (!in.ok()) {
        why = "it is too short for a map header";
        return false;
    }
    if (version < 1 || version > 4) {
        why = "its version " + std::to_string(version) + " is not 1 to 4";
        return false;
    }
    if (width < 1 || height < 1 || std::int64_t(width) * height > kMaxMapCells ||
        std::uint64_t(width) * std::uint64_t(height) * kCellBytes > in.remaining()) {
        why = "its size " + std::to_string(width) + " x " + std::to_string(height) +
              " does not fit the file";
        return false;
    }
    if (tileWidth < kMinTileSide || tileHeight < kMinTileSide || tileWidth > kMaxTileSide ||
        tileHeight > kMaxTileSide) {
        why = "its tile size " + std::to_string(tileWidth) + " x " + std::to_string(tileHeight) +
              " is not " + std::to_string(kMinTileSide) + " to " + std::to_string(kMaxTileSide) +
              " pixels a side";
        return false;
    }
    const std::int64_t pixelWidth = std::int64_t(width) * tileWidth;
    const std::int64_t pixelHeight = std::int64_t(height) * tileHeight;
    if (pixelWidth > kMaxTrackSide || pixelHeight > kMaxTrackSide ||
        pixelWidth * pixelHeight > kMaxTrackPixels) {
        why = "its drawn track of " + std::to_string(pixelWidth) + " x " +
              std::to_string(pixelHeight) + " pixels is larger than the game draws (" +
              std::to_string(kMaxTrackSide) + " a side, " + std::to_string(kMaxTrackBytes >> 20) +
              " MB)";
        return false;
    }
    // What the race tests and the computer drivers aim at must be somewhere
    // a car can be.
    const auto onTrack = [&](std::int64_t x, std::int64_t y) {
        return x >= -kMapMargin && y >= -kMapMargin && x <= pixelWidth + kMapMargin &&
               y <= pixelHeight + kMapMargin;
    };
    const std::string extent = "the drawn track (" + std::to_string(pixelWidth) + " x " +
                               std::to_string(pixelHeight) + " pixels, " +
                               std::to_string(kMapMargin) + " pixels of margin)";
    std::vector<MapCell> cells(std::size_t(width) * height);
    for (MapCell& cell : cells) {
        cell.tag = in.i32();
        for (std::int32_t& layer : cell.layers)
            layer = in.i32();
        const std::int32_t n = in.i32();
        if (!in.ok() || n < 0 || n > kMaxCellItems || std::size_t(n) * 12 > in.remaining()) {
            why = "a cell's item count runs past the end";
            return false;
        }
        cell.items.resize(std::size_t(n));
        for (CellItem& item : cell.items) {
            item.a = in.i32();
            item.b = in.i32();
            item.c = in.i32();
        }
    }
    std::string tilesetName;
    if (!in.countedString(tilesetName, kMaxTilesetName)) {
        why = "its tileset name is damaged";
        return false;
    }
    std::array<std::int32_t, 5> spare{};
    if (version >= 2)
        for (std::int32_t& v : spare)
            v = in.i32();
    std::vector<TrackArea> areas;
    if (version >= 3) {
        const std::int32_t m = in.i32();
        if (!in.ok() || m < 0 || std::size_t(m) * kAreaBytes > in.remaining()) {
            why = "its area count runs past the end";
            return false;
        }
        areas.resize(std::size_t(m));
        for (std::size_t i = 0; i < areas.size(); ++i) {
            TrackArea& a = areas[i];
            a.kind = in.i16();
            a.x1 = in.i16();
            a.y1 = in.i16();
            a.x2 = in.i16();
            a.y2 = in.i16();
            if (!onTrack(a.x1, a.y1) || !onTrack(a.x2, a.y2)) {
                why = "area " + std::to_string(i) + " (" + std::to_string(a.x1) + ", " +
                      std::to_string(a.y1) + ")-(" + std::to_string(a.x2) + ", " +
                      std::to_string(a.y2) + ") lies off " + extent;
                return false;
            }
        }
    }
    std::array<Waypoint, kWaypoints> waypoints{};
    if (version >= 4) {
        if (in.remaining() < kWaypoints * kWaypointBytes) {
            why = "its waypoint table is cut short";
            return false;
        }
        for (std::size_t i = 0; i < waypoints.size(); ++i) {
            Waypoint& w = waypoints[i];
            w.type = in.i32();
            w.x = in.i32();
            w.y = in.i32();
            // Unused slots too: a driver starts at slot 0 whatever its type.
            if (!onTrack(w.x, w.y)) {
                why = "waypoint " + std::to_string(i) + " (" + std::to_string(w.x) + ", " +
                      std::to_string(w.y) + ") lies off " + extent;
                return false;
            }
        }
    }
    if (!in.ok()) {
        why = "it ends early";
        return false;
    }
    out.version = version;
    out.width = width;
    out.height = height;
    out.tileWidth = tileWidth;
    out.tileHeight = tileHeight;
    out.cells = std::move(cells);
    out.tilesetName = std::move(tilesetName);
    out.spareValues = spare;
    out.areas = std::move(areas);
    out.waypoints = waypoints;
    return true;
}

std::vector<std::uint8_t> encodeMap(const Track& t) {
    ByteWriter out;
    out.i32(t.version);
    out.i32(t.width);
    out.i32(t.height);
    out.i32(t.tileWidth);
    out.i32(t.tileHeight);
    for (const MapCell& cell : t.cells) {
        out.i32(cell.tag);
        for (std::int32_t layer : cell.layers)
            out.i32(layer);
        out.i32(std::int32_t(cell.items.size()));
        for (const CellItem& item : cell.items) {
            out.i32(item.a);
            out.i32(item.b);
            out.i32(item.c);
        }
    }
    out.countedString(t.tilesetName);
    if (t.version >= 2)
        for (std::int32_t v : t.spareValues)
            out.i32(v);
    if (t.version >= 3) {
        out.i32(std::int32_t(t.areas.size()));
        for (const TrackArea& a : t.areas) {
            out.i16(a.kind);
            out.i16(a.x1);
            out.i16(a.y1);
            out.i16(a.x2);
            out.i16(a.y2);
        }
    }
    if (t.version >= 4)
        for (const Waypoint& w : t.waypoints) {
            out.i32(w.type);
            out.i32(w.x);
            out.i32(w.y);
        }
    return out.bytes();
}

bool Track::loadMap(const std::string& fileName) {
    for (Waypoint& w : waypoints)
        w.type = FreeWaypoint;
    name = trackBaseName(fileName);
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile("tracks/" + fileName, bytes)) return false;
    std::string why;
    if (!decodeMap(bytes, *this, why)) {
        std::printf("Map tracks/%s is damaged: %s\n", fileName.c_str(), why.c_str());
        return false;
    }
    std::printf("Map width:%d, height:%d\n", width, height);
    std::printf("Memory allocated for mapData!\n");
    std::printf("map loaded\n");
    const std::string picture = tilesetName;
    const std::int32_t mapTileWidth = tileWidth, mapTileHeight = tileHeight;
    const bool loaded = imageKind(picture) == TileFile
                            ? loadTileFile(picture)
                            : loadTileset(picture, tileWidth, tileHeight, -1);
    if (!loaded) {
        std::printf("Tileset %s of map tracks/%s cannot be loaded\n", picture.c_str(),
                    fileName.c_str());
        return false;
    }
    // The map's limits were checked with its own tile size; a tile file
    // sets the pitch from its first tile, which must agree.
    if (pitchX() != mapTileWidth || pitchY() != mapTileHeight) {
        std::printf("Tileset %s of map tracks/%s has %d x %d tiles, the map %d x %d\n",
                    picture.c_str(), fileName.c_str(), pitchX(), pitchY(), mapTileWidth,
                    mapTileHeight);
        tileset.reset();
        return false;
    }
    loadRecord("tracks/" + name + ".rec");
    return true;
}

bool Track::loadTileset(const std::string& pictureName, std::int32_t tw, std::int32_t th,
                        std::int32_t count) {
    tileWidth = tw;
    tileHeight = th;
    const ImageKind kind = imageKind(pictureName);
    if (kind != Pcx && kind != Bmp) return false;
    if (tw < kMinTileSide || th < kMinTileSide || tw > kMaxTileSide || th > kMaxTileSide) {
        std::printf("Tile size %d x %d is not usable\n", tw, th);
        return false;
    }
    if (count < -1 || count > kMaxTiles) {
        std::printf("Tile count %d is not -1 or up to %d\n", count, kMaxTiles);
        return false;
    }
    SDL_Surface* picture = loadImage(pictureName);
    if (!picture) return false;
    tilesetName = pictureName;
    const std::int32_t columns = picture->w / tw;
    const std::int32_t fit = columns * (picture->h / th);
    // "All that fit" may not mean more tiles than a track may use.
    if (count == -1 && fit > kMaxTiles) {
        std::printf("Picture %s holds %d tiles of %d x %d, more than the %d a track may use\n",
                    pictureName.c_str(), fit, tw, th, kMaxTiles);
        SDL_FreeSurface(picture);
        return false;
    }
    if (count == -1 || count > fit) count = fit;
    if (count < 1) {
        std::printf("Picture %s is smaller than one tile\n", pictureName.c_str());
        SDL_FreeSurface(picture);
        return false;
    }
    auto set = std::make_unique<Tileset>();
    set->tiles.resize(std::size_t(count));
    for (std::int32_t i = 0; i < count; ++i) {
        Tile& tile = set->tiles[std::size_t(i)];
        tile.width = tw;
        tile.height = th;
        tile.surface = createSurface(tw, th, false);
        setTileKey(tile.surface);
        const std::int32_t left = (i % columns) * tw;
        const std::int32_t top = (i / columns) * th;
        for (std::int32_t r = 0; r < th; ++r)
            blockCopy(pixelRow(tile.surface, r), pixelRow(picture, top + r) + left,
                      std::size_t(tw) * 4);
    }
    SDL_FreeSurface(picture);
    tileset = std::move(set);
    std::printf("tiles created\n");
    return true;
}

bool decodeTileFile(const std::vector<std::uint8_t>& bytes, Tileset& out, std::string& why) {
    out.tiles.clear();
    ByteReader in(bytes);
    in.i32(); // ignored
    const std::int32_t count = in.i32();
    if (!in.ok() || count < 1 || count > kMaxTiles) {
        why = "no usable tile count";
        return false;
    }
    out.tiles.resize(std::size_t(count));
    for (Tile& tile : out.tiles) {
        tile.width = in.i32();
        tile.height = in.i32();
        if (!in.ok() || tile.width < kMinTileSide || tile.height < kMinTileSide ||
            tile.width > kMaxTileSide || tile.height > kMaxTileSide ||
            std::size_t(tile.width) * tile.height * 4 > in.remaining()) {
            why = "a tile's size or pixels do not fit the file";
            return false; // the tiles made so far go with out
        }
        tile.surface = createSurface(tile.width, tile.height, false);
        setTileKey(tile.surface);
        for (std::int32_t r = 0; r < tile.height; ++r) {
            std::uint32_t* row = pixelRow(tile.surface, r);
            for (std::int32_t k = 0; k < tile.width; ++k)
                row[k] = in.u32();
        }
    }
    return true;
}

bool Track::loadTileFile(const std::string& path) {
    std::printf("Loading tileset:%s\n", path.c_str());
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        std::printf("Cannot open tile file %s\n", path.c_str());
        return false;
    }
    auto set = std::make_unique<Tileset>();
    std::string why;
    if (!decodeTileFile(bytes, *set, why)) {
        std::printf("Tile file %s is damaged: %s\n", path.c_str(), why.c_str());
        return false;
    }
    tileset = std::move(set);
    tilesetName = path;
    tileWidth = tileset->tiles[0].width;
    tileHeight = tileset->tiles[0].height;
    return true;
}

void Track::loadRecord(const std::string& path) {
    std::printf("loading record file %s\n", path.c_str());
    std::vector<std::uint8_t> bytes;
    record = LapRecord{kNoRecordTime, "", "", ""};
    if (!readWholeFile(path, bytes, 1 << 16)) return;
    if (!decodeLapRecord(bytes, record)) {
        std::printf("Record file %s is damaged; the track has no record\n", path.c_str());
        record = LapRecord{kNoRecordTime, "", "", ""};
        return;
    }
    std::printf("record loaded\n");
}

bool Track::saveRecord() const {
    const std::string path = "tracks/" + name + ".rec";
    if (writeFileAtomically(path, encodeLapRecord(record))) return true;
    std::fprintf(stderr, "Could not save %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

std::int32_t Track::layerTile(std::int32_t x, std::int32_t y, std::int32_t layer) const {
    if (x < 0 || y < 0 || x >= width || y >= height || layer < 0 || layer >= kLayers ||
        cells.size() != std::size_t(width) * height)
        return -1;
    return cells[std::size_t(y) * width + x].layers[std::size_t(layer)];
}

const Tile* Track::tile(std::int32_t number) const {
    if (!tileset || number < 0 || number >= tileset->count()) return nullptr;
    return &tileset->tiles[std::size_t(number)];
}

std::int32_t Track::pitchX() const {
    return tile(0) ? tile(0)->width : 0;
}
std::int32_t Track::pitchY() const {
    return tile(0) ? tile(0)->height : 0;
}

namespace {
std::int32_t clampedProduct(std::int64_t a, std::int64_t b) {
    const std::int64_t p = a * b;
    constexpr std::int64_t top = std::numeric_limits<std::int32_t>::max();
    return p > top ? std::int32_t(top) : std::int32_t(p);
}
} // namespace

std::int32_t Track::pixelWidth() const {
    return clampedProduct(pitchX(), width);
}
std::int32_t Track::pixelHeight() const {
    return clampedProduct(pitchY(), height);
}

std::int32_t Track::countAreas(std::int32_t kind) const {
    std::int32_t n = 0;
    for (const TrackArea& a : areas)
        if (a.kind == kind) ++n;
    return n;
}

const TrackArea* Track::finishLine() const {
    for (const TrackArea& a : areas)
        if (std::uint16_t(a.kind) == FinishLine) return &a;
    return nullptr;
}

namespace {
bool holds(const TrackArea& a, std::int32_t px, std::int32_t py, std::int32_t kind) {
    return (kind == -1 || a.kind == kind) && a.x1 <= px && px < a.x2 &&
           a.y1 - kAreaTestLift <= py && py < a.y2 - kAreaTestLift;
}

bool sameAreas(const std::vector<TrackArea>& a, const std::vector<TrackArea>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const TrackArea& x, const TrackArea& y) {
               return x.kind == y.kind && x.x1 == y.x1 && x.y1 == y.y1 && x.x2 == y.x2 &&
                      x.y2 == y.y2;
           });
}
} // namespace

void Track::indexAreas() const {
    AreaIndex& ix = areaIndex_;
    if (!ix.buckets.empty() && sameAreas(ix.indexed, areas)) return;
    constexpr std::int32_t b = AreaIndex::kBucket;
    ix.indexed = areas;
    ix.columns = std::clamp(pixelWidth() / b + 1, 1, 4096);
    ix.rows = std::clamp(pixelHeight() / b + 1, 1, 4096);
    ix.buckets.assign(std::size_t(ix.columns) * std::size_t(ix.rows), {});
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const TrackArea& a = areas[i];
        // The rectangle as areaAt tests it, in buckets, cut to the grid.
        const std::int32_t x1 = std::max(0, std::int32_t(a.x1) / b);
        const std::int32_t x2 = std::min(ix.columns - 1, (std::int32_t(a.x2) - 1) / b);
        const std::int32_t y1 = std::max(0, (std::int32_t(a.y1) - kAreaTestLift) / b);
        const std::int32_t y2 = std::min(ix.rows - 1, (std::int32_t(a.y2) - kAreaTestLift - 1) / b);
        for (std::int32_t y = y1; y <= y2; ++y)
            for (std::int32_t x = x1; x <= x2; ++x)
                ix.buckets[std::size_t(y) * std::size_t(ix.columns) + std::size_t(x)].push_back(
                    std::int32_t(i));
    }
}

const TrackArea* Track::areaAt(std::int32_t px, std::int32_t py, std::int32_t kind) const {
    const AreaIndex& ix = areaIndex_;
    constexpr std::int32_t b = AreaIndex::kBucket;
    // The index serves points on its grid while the areas are as many as it
    // filed; anywhere else every area is looked at.
    if (!ix.buckets.empty() && ix.indexed.size() == areas.size() && px >= 0 && py >= 0 &&
        px / b < ix.columns && py / b < ix.rows) {
        const TrackArea* hit = nullptr;
        for (std::int32_t i :
             ix.buckets[std::size_t(py / b) * std::size_t(ix.columns) + std::size_t(px / b)])
            if (holds(areas[std::size_t(i)], px, py, kind)) hit = &areas[std::size_t(i)];
        return hit;
    }
    const TrackArea* hit = nullptr;
    for (const TrackArea& a : areas)
        if (holds(a, px, py, kind)) hit = &a;
    return hit;
}

void Track::renderArea(SDL_Surface* destination, std::int32_t cellX, std::int32_t cellY,
                       std::int32_t pixelX, std::int32_t pixelY, std::int32_t columns,
                       std::int32_t rows) const {
    const std::int32_t w0 = pitchX(), h0 = pitchY();
    for (std::int32_t j = 0; j < rows; ++j)
        for (std::int32_t i = 0; i < columns; ++i)
            for (std::int32_t layer = 0; layer < kLayers; ++layer) {
                const Tile* t = tile(layerTile(cellX + i, cellY + j, layer));
                if (!t) continue;
                const std::int32_t x = pixelX + i * w0, y = pixelY + j * h0;
                if (layer == 3)
                    shadowBlit(t->surface, destination, x, y);
                else
                    maskedBlit(t->surface, destination, x, y);
            }
}
