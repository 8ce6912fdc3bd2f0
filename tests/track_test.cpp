// Maps, tilesets, track geometry, the drawn track and its views.
#include "frontend/view.hpp"
#include "gfx/image.hpp"
#include "test_support.hpp"
#include "track/directory.hpp"
#include "track/geometry.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

Track decoded(const std::vector<std::uint8_t>& bytes) {
    Track t;
    std::string why;
    EXPECT_TRUE(decodeMap(bytes, t, why)) << why;
    return t;
}

// The race's set-up and its drawing, as a race is prepared.
struct OnTestTrack : ::testing::Test {
    void SetUp() override { initGame(); }
    bool prepare(const std::string& name) {
        std::string why;
        return race.prepareRace(name, why) && drawing.prepare(race);
    }
    ScratchDir dir;
    Race race{RaceRules{}};
    RaceDrawing drawing;
};

} // namespace

TEST(MapFile, EachVersionReadsWhatItHolds) {
    Track t = testTrack(3, 2);
    t.cells[4].items = {{1, 2, 3}, {4, 5, 6}};
    t.cells[5].tag = 77;
    t.spareValues = {1, 2, 3, 4, 5};
    t.waypoints[0] = {RacingLine, 10, 20};
    t.waypoints[1] = {PitLane, 30, 40};
    for (std::int32_t version = 1; version <= 4; ++version) {
        t.version = version;
        const Track back = decoded(encodeMap(t));
        EXPECT_EQ(back.cells[4].items.size(), 2u);
        EXPECT_EQ(back.cells[4].items[1].c, 6);
        EXPECT_EQ(back.cells[5].tag, 77) << "a cell after items is read in step";
        EXPECT_EQ(back.tilesetName, "tracks/test.tl");
        EXPECT_EQ(back.spareValues[4], version >= 2 ? 5 : 0);
        EXPECT_EQ(back.areas.size(), version >= 3 ? 2u : 0u);
        EXPECT_EQ(back.countAreas(FinishLine), version >= 3 ? 1 : 0);
        EXPECT_EQ(back.waypoints[1].type, version >= 4 ? PitLane : FreeWaypoint);
        EXPECT_EQ(back.waypoints[2].type, FreeWaypoint);
    }
}

TEST(MapFile, DamagedMapsAreRefusedWhereverTheyBreak) {
    const std::vector<std::uint8_t> good = encodeMap(testTrack(4, 3));
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        Track t;
        std::string why;
        EXPECT_FALSE(decodeMap({good.begin(), good.begin() + std::ptrdiff_t(cut)}, t, why)) << cut;
    }
    auto patched = [&](std::size_t at, std::int32_t value) {
        std::vector<std::uint8_t> b = good;
        putI32(b, at, value);
        Track t;
        std::string why;
        const bool ok = decodeMap(b, t, why);
        EXPECT_FALSE(why.empty() && !ok);
        return ok;
    };
    EXPECT_FALSE(patched(0, 5));             // unknown version
    EXPECT_FALSE(patched(4, 100000));        // width beyond the file
    EXPECT_FALSE(patched(4, -3));            // negative width
    EXPECT_FALSE(patched(8, 1 << 30));       // width x height overflowing
    EXPECT_FALSE(patched(20 + 24, 1 << 28)); // first cell's item count
    EXPECT_FALSE(patched(20 + 24, -1));
    const std::size_t name = 20 + 12 * 28;
    EXPECT_FALSE(patched(name, 1 << 30));            // tileset name length
    EXPECT_FALSE(patched(name + 4 + 14 + 20, 9999)); // area count
}

TEST(Tilesets, APictureIsCutIntoWholeTiles) {
    ScratchDir dir;
    // A 100 x 70 PCX whose pixel (x, y) has palette index (x / 32) + 10 * (y / 32),
    // each a run of one, so index 192+ stays unambiguous. Palette entry i is
    // (3i, 3i + 1, 3i + 2).
    std::vector<std::uint8_t> data;
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x)
            data.insert(data.end(), {0xC1, std::uint8_t(x / 32 + 10 * (y / 32))});
    writeFileAtomically("tiles.pcx", pcxFile(100, 70, data));
    Track t;
    ASSERT_TRUE(t.loadTileset("tiles.pcx", 32, 32, -1));
    ASSERT_EQ(t.tileset->count(), 6) << "3 x 2 whole tiles; the partial ones are dropped";
    EXPECT_EQ(getPixel(t.tile(4)->surface, 0, 0), 0xFF212223u) << "index 11";
    EXPECT_EQ(getPixel(t.tile(2)->surface, 31, 31), 0xFF060708u) << "index 2";
    EXPECT_EQ(t.tile(6), nullptr);
    EXPECT_EQ(t.tile(-1), nullptr);
    EXPECT_FALSE(t.loadTileset("tiles.pcx", 128, 128, -1)) << "smaller than one tile";
    EXPECT_FALSE(t.loadTileset("tiles.png", 32, 32, -1));
}

TEST(Tilesets, TileFilesSetThePitchFromTheirFirstTile) {
    ScratchDir dir;
    writeFileAtomically("mixed.tl", tileFile({{16, 0xFF123456}, {8, 0xFF123456}}));
    Track t;
    t.tileWidth = 32;
    ASSERT_TRUE(t.loadTileFile("mixed.tl"));
    EXPECT_EQ(t.tileWidth, 16);
    EXPECT_EQ(t.pitchY(), 16);
    EXPECT_EQ(getPixel(t.tile(1)->surface, 7, 7), 0xFF123456u);
    for (const auto& bad : {tileFile(0, 8, 8), tileFile(1, 2000, 1)}) {
        writeFileAtomically("bad.tl", bad);
        EXPECT_FALSE(t.loadTileFile("bad.tl"));
    }
    std::vector<std::uint8_t> cut = tileFile(3, 8, 8);
    cut.resize(cut.size() - 1);
    writeFileAtomically("cut.tl", cut);
    EXPECT_FALSE(t.loadTileFile("cut.tl"));
    EXPECT_FALSE(t.loadTileFile("missing.tl"));
}

TEST(Tilesets, WhiteInABmpBecomesTransparent) {
    initGame();
    ScratchDir dir;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 32, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(s, nullptr, 0x336699);
    SDL_Rect white{40, 0, 8, 8};
    SDL_FillRect(s, &white, 0xFFFFFF);
    SDL_SaveBMP(s, "tiles.bmp");
    SDL_FreeSurface(s);
    Track t;
    ASSERT_TRUE(t.loadTileset("tiles.bmp", 32, 32, -1));
    EXPECT_EQ(getPixel(t.tile(0)->surface, 0, 0) & 0xFFFFFF, 0x336699u);
    EXPECT_EQ(getPixel(t.tile(1)->surface, 8, 0) & 0xFFFFFF, 0u);
}

TEST(Geometry, AreasAreTested16PixelsHigherAndTheLastOneWins) {
    Track t;
    t.areas = {{Road, 0, 100, 50, 200}, {Obstacle, 10, 100, 20, 200}, {Road, 0, 100, 30, 150}};
    EXPECT_EQ(t.areaAt(5, 84, -1), &t.areas[2]) << "y1 - 16 is inside";
    EXPECT_EQ(t.areaAt(5, 83, -1), nullptr);
    EXPECT_EQ(t.areaAt(5, 184, Road), nullptr) << "y2 - 16 is outside";
    EXPECT_EQ(t.areaAt(40, 150, Road), &t.areas[0]);
    EXPECT_EQ(t.areaAt(15, 90, Obstacle), &t.areas[1]);
    EXPECT_EQ(t.areaAt(50, 150, -1), nullptr) << "x2 is outside";
    EXPECT_EQ(t.countAreas(Road), 2);
    EXPECT_EQ(t.countAreas(PitBox), 0);
    EXPECT_EQ(t.finishLine(), nullptr);
    t.areas.push_back({FinishLine, 1, 1, 2, 2});
    t.areas.push_back({FinishLine, 3, 3, 4, 4});
    EXPECT_EQ(t.finishLine(), &t.areas[3]) << "the first in file order is the grid";
}

TEST(Geometry, StartGridStandsBehindTheLine) {
    const TrackArea wide{FinishLine, 100, 500, 400, 520};
    auto at = [](const TrackArea& line, int index) {
        const GridPlace p = gridPlace(line, index, index + 1);
        return std::make_tuple(p.x, p.y);
    };
    const TrackArea tall{FinishLine, 280, 200, 300, 500};
    using Places = std::vector<std::tuple<float, float>>;
    EXPECT_EQ((Places{at(wide, 0), at(wide, 1), at(wide, 2)}),
              (Places{{164.0f, 440.0f}, {129.0f, 440.0f}, {164.0f, 380.0f}}));
    EXPECT_EQ((Places{at(tall, 0), at(tall, 1), at(tall, 2)}),
              (Places{{305.0f, 232.0f}, {305.0f, 197.0f}, {365.0f, 232.0f}}));
    EXPECT_FLOAT_EQ(gridPlace(wide, 7, 8).angle, 3.1415927f);
    EXPECT_FLOAT_EQ(gridPlace(tall, 0, 1).angle, 4.712389f);
    const TrackArea square{FinishLine, 0, 0, 40, 40};
    EXPECT_FLOAT_EQ(gridPlace(square, 0, 1).x, 45.0f) << "a square line uses the tall rule";
}

TEST(Geometry, CoveringCellsComeRowByRow) {
    Track t = testTrack(3, 2);
    t.cells[1].layers[4] = 1;
    t.cells[3].layers[3] = 1;
    t.cells[3].layers[4] = 0;
    EXPECT_TRUE(collectCoveringCells(t, 2).empty());
    const auto covers = collectCoveringCells(t, 4);
    ASSERT_EQ(covers.size(), 2u);
    EXPECT_EQ(covers[0].x, 1);
    EXPECT_EQ(covers[1].y, 1);
    EXPECT_EQ(collectCoveringCells(t, 3).size(), 1u) << "a cell with layers 3 and 4 is in both";
}

TEST(Views, ScrollStaysOnTheTrack) {
    View whole(0, 0, 640, 400);
    whole.setLimits(1600, 1280);
    EXPECT_EQ(whole.maxScrollX, 959);
    EXPECT_EQ(whole.maxScrollY, 879);
    whole.centreOn(1590, 1270);
    EXPECT_EQ(std::make_pair(whole.scrollX, whole.scrollY), std::make_pair(959, 879));
    whole.centreOn(10, 10);
    EXPECT_EQ(std::make_pair(whole.scrollX, whole.scrollY), std::make_pair(0, 0));
    View half(0, 201, 640, 199);
    half.setLimits(1600, 1280);
    half.centreOn(320, 100);
    EXPECT_EQ(std::make_pair(half.scrollX, half.scrollY), std::make_pair(0, 1));
}

TEST(Views, ATrackSmallerThanTheViewIsCopiedOnlyWhereItIs) {
    SDL_Surface* screen = filledSurface(640, 400, 0xFF00FF00);
    SDL_Surface* small = filledSurface(300, 200, 0xFF0000FF);
    View lower(0, 201, 640, 199);
    lower.setLimits(small->w, small->h);
    lower.centreOn(150, 100);
    lower.drawView(screen, small);
    // The largest scroll is negative (-341): the track stands that far in.
    EXPECT_EQ(lower.scrollX, -341);
    EXPECT_EQ(getPixel(screen, 0, 200), 0xFF00FF00u) << "above the view: untouched";
    EXPECT_EQ(getPixel(screen, 340, 201), 0xFF000000u);
    EXPECT_EQ(getPixel(screen, 341, 201), 0xFF0000FFu);
    EXPECT_EQ(getPixel(screen, 0, 201), 0xFF000000u) << "left of the track: black";
    View outside(600, 390, 640, 400); // hangs off the screen
    outside.drawView(screen, small);
    EXPECT_EQ(getPixel(screen, 639, 399), 0xFF0000FFu);
    SDL_FreeSurface(screen);
    SDL_FreeSurface(small);
}

TEST_F(OnTestTrack, PrepareRaceDrawsTheWholeMap) {
    ASSERT_TRUE(prepare("test.map"));
    EXPECT_EQ(std::tuple(race.track()->pixelWidth(), race.track()->pixelHeight(),
                         drawing.trackSurface->w),
              std::tuple(30 * 32, 20 * 32, 30 * 32));
    EXPECT_EQ(getPixel(drawing.trackSurface, 959, 639), 0xFF000001u);
    EXPECT_EQ(race.track()->record.time, kNoRecordTime) << "no record file yet";
}

TEST_F(OnTestTrack, TracksThatCannotBeRacedAreRefused) {
    Track noLine = testTrack(30, 20);
    noLine.areas.pop_back();
    writeFileAtomically("tracks/noline.map", encodeMap(noLine));
    writeFileAtomically("tracks/notiles.map", encodeMap(testTrack(30, 20, "tracks/gone.bmp")));
    writeFileAtomically("tracks/huge.map", encodeMap(testTrack(1000, 1000)));
    for (const char* name : {"noline.map", "notiles.map", "huge.map", "missing.map"}) {
        std::string why;
        EXPECT_FALSE(race.prepareRace(name, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
        EXPECT_EQ(race.track(), nullptr) << name;
    }
}

TEST(DirectoryListing, MatchesInAnyCaseSortedByByteOrderAndTheDirectoryStays) {
    ScratchDir dir;
    for (const char* name : {"tracks/b.map", "tracks/a.map", "tracks/notes.txt", "tracks/.h.map",
                             "tracks/B.MAP", "tracks/c.Map", "tracks/d.mapx"})
        std::ofstream(name) << "x";
    std::filesystem::create_directory("tracks/x.map");
    const auto before = std::filesystem::current_path();
    EXPECT_EQ(listDirectory("tracks/", "*.map"),
              (std::vector<std::string>{"B.MAP", "a.map", "b.map", "c.Map", "test.map", "x.map"}));
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_TRUE(listDirectory("tracks/", "*.car").empty());
    EXPECT_TRUE(listDirectory("nowhere/", "*").empty());
}
