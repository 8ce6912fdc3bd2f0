// A working directory of its own for a test, and the small track it holds:
// for the tests that need no game at all as much as for those that do.
#pragma once

#include "base/bytes.hpp"
#include "track/track.hpp"

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// A tile file of plain square tiles, each of its side and colour.
struct PlainTile {
    int side;
    std::uint32_t colour;
};
inline std::vector<std::uint8_t> tileFile(const std::vector<PlainTile>& tiles) {
    ByteWriter out;
    out.i32(0);
    out.i32(std::int32_t(tiles.size()));
    for (const PlainTile& t : tiles) {
        out.i32(t.side);
        out.i32(t.side);
        for (int p = 0; p < t.side * t.side; ++p)
            out.u32(t.colour);
    }
    return out.bytes();
}

// A tile file of count plain tiles of one size, tile i filled with colour
// 0xFF000000 + i + 1 (never black).
inline std::vector<std::uint8_t> tileFile(int count, int w, int h) {
    ByteWriter out;
    out.i32(0);
    out.i32(count);
    for (int i = 0; i < count; ++i) {
        out.i32(w);
        out.i32(h);
        for (int p = 0; p < w * h; ++p)
            out.u32(0xFF000000u + std::uint32_t(i + 1));
    }
    return out.bytes();
}

// The four bytes at `at` set to a little-endian value.
inline void putI32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int64_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(std::uint64_t(value) >> (8 * i));
}

// A small raceable map: columns x rows of tile 0 on layer 0, a road over
// everything and a wide finish line with room for the grid above it.
inline Track testTrack(int columns, int rows, const std::string& tiles = "tracks/test.tl") {
    Track t;
    t.version = 4;
    t.width = columns;
    t.height = rows;
    t.tileWidth = t.tileHeight = 32;
    t.cells.resize(std::size_t(columns) * rows);
    for (MapCell& c : t.cells)
        c.layers[0] = 0;
    t.tilesetName = tiles;
    const auto w = std::int16_t(columns * 32), h = std::int16_t(rows * 32);
    t.areas.push_back({Road, 0, 16, w, std::int16_t(h + 16)});
    // On a map narrower than the line it is cut to the map, which the map's
    // checks ask for.
    const auto right = std::int16_t(std::min(300, columns * 32));
    const auto left = std::int16_t(std::min(100, right / 3));
    t.areas.push_back({FinishLine, left, std::int16_t(h - 60), right, std::int16_t(h - 40)});
    return t;
}

// A throw-away working directory that sees the runtime directory's data
// through links, so that a test may write set.dat and profiles freely. Its
// own tracks/ holds one small track, test.map.
class ScratchDir {
  public:
    ScratchDir() {
        namespace fs = std::filesystem;
        original_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "gravelin-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        for (const char* sub : {"data", "sounds", "cars"})
            if (fs::exists(original_ / sub))
                fs::create_directory_symlink(original_ / sub, path_ / sub);
        fs::create_directory(path_ / "players");
        fs::create_directory(path_ / "tracks");
        fs::current_path(path_);
        writeFileAtomically("tracks/test.tl", tileFile(2, 32, 32));
        writeFileAtomically("tracks/test.map", encodeMap(testTrack(30, 20)));
    }
    ~ScratchDir() {
        std::filesystem::current_path(original_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    // The directory the test started in: the runtime directory.
    const std::filesystem::path& original() const { return original_; }

  private:
    std::filesystem::path original_, path_;
};
