// gravelin_trackbuild <track.txt> <outdir> [--preview <picture.bmp>]
//
// Builds one track from its text (docs/tracks.md): paints every layer of
// every cell, keeps one copy of each distinct tile as <outdir>/<name>_tiles.bmp
// and writes <outdir>/<name>.map, which names that tileset as
// "tracks/<name>_tiles.bmp". A track the race could not run is refused with
// "file:line: message" and exit status 1. --preview also writes the whole
// map drawn the way the race draws it, with the areas, start grid and
// waypoints over it, for checking a track by eye.
#include "base/bytes.hpp"
#include "gfx/image.hpp"
#include "tilegen.hpp"
#include "track/track.hpp"
#include "trackbuild_layout.hpp"
#include "trackbuild_source.hpp"

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kT = kTileSide;
constexpr int kTilesetColumns = 16;
constexpr int kLift = 16; // the race tests areas this much higher than stored

struct Picture {
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    Picture(int width, int height) : w(width), h(height), px(std::size_t(width) * height, 0) {}
    std::uint32_t& at(int x, int y) { return px[std::size_t(y) * w + x]; }
    void put(int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) at(x, y) = c;
    }
};

// 24-bit bottom-up BMP, the layout the game's loader expects.
std::vector<std::uint8_t> encodeBmp(const Picture& p) {
    return encodeBmp24(p.w, p.h, p.px);
}

struct Tiles {
    std::vector<TilePixels> list;
    std::unordered_map<std::string, int> index;
    int add(const TilePixels& t) {
        std::string key(reinterpret_cast<const char*>(t.data()), sizeof(TilePixels));
        auto [it, fresh] = index.emplace(std::move(key), int(list.size()));
        if (fresh) list.push_back(t);
        return it->second;
    }
};

std::uint32_t half(std::uint32_t p) {
    return 0xFF000000u + ((p >> 17) & 0x7F) * 65536u + ((p >> 9) & 0x7F) * 256u + ((p >> 1) & 0x7F);
}

// The map as a race draws it: per cell, layers in order, black transparent,
// layer 3 halving what lies under its non-black pixels.
Picture drawMap(const Track& track, const Tiles& tiles) {
    Picture pic(track.width * kT, track.height * kT);
    for (int cy = 0; cy < track.height; ++cy)
        for (int cx = 0; cx < track.width; ++cx) {
            const MapCell& cell = track.cells[std::size_t(cy) * track.width + cx];
            for (int layer = 0; layer < kLayers; ++layer) {
                const int t = cell.layers[std::size_t(layer)];
                if (t < 0) continue;
                const TilePixels& tile = tiles.list[std::size_t(t)];
                for (int v = 0; v < kT; ++v)
                    for (int u = 0; u < kT; ++u) {
                        const std::uint32_t s = tile[std::size_t(v) * kT + u];
                        if (!(s & 0xFFFFFF)) continue;
                        std::uint32_t& d = pic.at(cx * kT + u, cy * kT + v);
                        d = layer == 3 ? half(d) : s;
                    }
            }
        }
    return pic;
}

void line(Picture& p, int x0, int y0, int x1, int y1, std::uint32_t c) {
    const int n = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1});
    for (int i = 0; i <= n; ++i)
        p.put(x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n, c);
}
void box(Picture& p, const PixelRect& r, std::uint32_t c) {
    line(p, r.x1, r.y1, r.x2 - 1, r.y1, c);
    line(p, r.x1, r.y2 - 1, r.x2 - 1, r.y2 - 1, c);
    line(p, r.x1, r.y1, r.x1, r.y2 - 1, c);
    line(p, r.x2 - 1, r.y1, r.x2 - 1, r.y2 - 1, c);
}

void drawOverlay(Picture& pic, const Layout& layout) {
    const std::uint32_t colours[] = {0xFF9a9a9a, 0xFFffffff, 0xFF00e0ff,
                                     0xFFff3030, 0xFFff40ff, 0xFFffa000};
    for (const LayoutArea& a : layout.areas)
        box(pic, a.rect, colours[a.kind]);
    for (const PixelRect& car : layout.gridCars)
        box(pic, car, 0xFF30ff30);
    auto path = [&](const std::vector<LayoutPoint>& pts, bool loop, std::uint32_t c) {
        for (std::size_t i = 0; i + (loop ? 0 : 1) < pts.size(); ++i) {
            const LayoutPoint a = pts[i], b = pts[(i + 1) % pts.size()];
            line(pic, a.x, a.y, b.x, b.y, c);
        }
        for (const LayoutPoint& q : pts)
            for (int d = -2; d <= 2; ++d) {
                pic.put(q.x + d, q.y, c);
                pic.put(q.x, q.y + d, c);
            }
    };
    path(layout.race, true, 0xFFffff30);
    path(layout.pit, false, 0xFFff40ff);
}

std::string baseName(const std::string& path) {
    std::string b = path.substr(path.find_last_of('/') + 1);
    return b.substr(0, b.find('.'));
}

int build(const std::string& sourcePath, const std::string& outDir, const std::string& preview) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(sourcePath, bytes, 4u << 20)) {
        std::fprintf(stderr, "%s: cannot read it\n", sourcePath.c_str());
        return 1;
    }
    TrackSource source;
    std::string error;
    if (!parseTrackSource(std::string(bytes.begin(), bytes.end()), sourcePath, source, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (source.name != baseName(sourcePath)) {
        std::fprintf(stderr, "%s:%d: the name must be the file's name, '%s'\n", sourcePath.c_str(),
                     source.nameLine, baseName(sourcePath).c_str());
        return 1;
    }
    const Scene scene = makeScene(source);
    const Painter painter(scene);
    if (!painter.usable()) {
        std::fprintf(stderr, "%s:%d: map too large to paint\n", sourcePath.c_str(), source.mapLine);
        return 1;
    }
    Layout layout;
    const bool raceable = layOut(source, scene, painter, layout, error);
    for (const std::string& w : layout.warnings)
        std::fprintf(stderr, "%s\n", w.c_str());

    Track track;
    track.name = source.name;
    track.version = 4;
    track.width = source.width;
    track.height = source.height;
    track.tileWidth = track.tileHeight = kT;
    track.tilesetName = "tracks/" + source.name + "_tiles.bmp";
    track.cells.resize(std::size_t(source.width) * source.height);
    Tiles tiles;
    TilePixels pixels;
    for (int cy = 0; cy < source.height; ++cy)
        for (int cx = 0; cx < source.width; ++cx) {
            MapCell& cell = track.cells[std::size_t(cy) * source.width + cx];
            for (int layer : {0, 3, 4})
                if (painter.paint(cx, cy, layer, pixels))
                    cell.layers[std::size_t(layer)] = tiles.add(pixels);
        }
    if (int(tiles.list.size()) > kMaxTiles) {
        std::fprintf(stderr, "%s:%d: %zu distinct tiles, more than the game loads\n",
                     sourcePath.c_str(), source.mapLine, tiles.list.size());
        return 1;
    }
    if (!raceable) {
        // The picture still helps to see what is wrong; no map is written.
        std::fprintf(stderr, "%s\n", error.c_str());
        if (!preview.empty()) writeFileAtomically(preview, encodeBmp(drawMap(track, tiles)));
        return 1;
    }
    for (const LayoutArea& a : layout.areas)
        track.areas.push_back({std::int16_t(a.kind), std::int16_t(a.rect.x1),
                               std::int16_t(a.rect.y1 + kLift), std::int16_t(a.rect.x2),
                               std::int16_t(a.rect.y2 + kLift)});
    std::size_t slot = 0;
    for (const LayoutPoint& p : layout.race)
        track.waypoints[slot++] = {RacingLine, p.x, p.y};
    for (const LayoutPoint& p : layout.pit)
        track.waypoints[slot++] = {PitLane, p.x, p.y};

    const int rows = (int(tiles.list.size()) + kTilesetColumns - 1) / kTilesetColumns;
    Picture sheet(kTilesetColumns * kT, rows * kT);
    for (std::size_t i = 0; i < std::size_t(rows) * kTilesetColumns; ++i) {
        // Slots after the last tile repeat tile 0 rather than stay black.
        const TilePixels& t = tiles.list[i < tiles.list.size() ? i : 0];
        const int ox = int(i % kTilesetColumns) * kT, oy = int(i / kTilesetColumns) * kT;
        for (int v = 0; v < kT; ++v)
            for (int u = 0; u < kT; ++u)
                sheet.at(ox + u, oy + v) = t[std::size_t(v) * kT + u];
    }
    const std::string mapPath = outDir + "/" + source.name + ".map";
    const std::string sheetPath = outDir + "/" + source.name + "_tiles.bmp";
    if (!writeFileAtomically(sheetPath, encodeBmp(sheet)) ||
        !writeFileAtomically(mapPath, encodeMap(track))) {
        std::fprintf(stderr, "%s: cannot write into %s\n", sourcePath.c_str(), outDir.c_str());
        return 1;
    }
    if (!preview.empty()) {
        Picture pic = drawMap(track, tiles);
        drawOverlay(pic, layout);
        if (!writeFileAtomically(preview, encodeBmp(pic))) {
            std::fprintf(stderr, "%s: cannot write %s\n", sourcePath.c_str(), preview.c_str());
            return 1;
        }
    }
    std::printf("%s: %dx%d cells (%dx%d px), %zu tiles, %zu areas (%d road, %d obstacle), "
                "%zu+%zu waypoints\n",
                source.name.c_str(), source.width, source.height, source.width * kT,
                source.height * kT, tiles.list.size(), layout.areas.size(), layout.count(AreaRoad),
                layout.count(AreaObstacle), layout.race.size(), layout.pit.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string preview;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--preview" && i + 1 < args.size()) {
            preview = args[i + 1];
            args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i) + 2);
            break;
        }
    if (args.size() != 2) {
        std::fprintf(stderr,
                     "usage: gravelin_trackbuild <track.txt> <outdir> [--preview <out.bmp>]\n");
        return 2;
    }
    return build(args[0], args[1], preview);
}
