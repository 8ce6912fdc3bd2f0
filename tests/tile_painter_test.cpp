// The track builder's painter on small scenes.
#include "tilegen.hpp"

#include <gtest/gtest.h>

namespace {

Scene sceneOf(const std::string& theme, const std::vector<std::string>& rows) {
    Scene s;
    s.theme = theme;
    s.width = int(rows[0].size());
    s.height = int(rows.size());
    for (const std::string& row : rows)
        for (char c : row) {
            SceneCell cell;
            if (c == '#') cell.ground = Ground::Road;
            if (c == '~') cell.ground = Ground::Water;
            if (c == ':') cell.ground = Ground::Pavement;
            if (c == 'L') cell.thing = Thing::LampPost;
            if (c == 'X') {
                cell.thing = Thing::Crane;
                cell.ground = Ground::Pavement;
            }
            s.cells.push_back(cell);
        }
    return s;
}

int channel(std::uint32_t p, int shift) {
    return int((p >> shift) & 255);
}

double brightness(const TilePixels& t) {
    double sum = 0;
    for (std::uint32_t p : t)
        sum += channel(p, 16) + channel(p, 8) + channel(p, 0);
    return sum / double(t.size() * 3);
}

// Every solid pixel of the scene lies in an obstacle at least minSide thick.
void expectSolidsCovered(const Scene& s) {
    const std::vector<PixelRect> rects = obstacleRects(s, 12);
    std::array<bool, kTileSide * kTileSide> solid;
    int solids = 0;
    for (int cy = 0; cy < s.height; ++cy)
        for (int cx = 0; cx < s.width; ++cx) {
            if (!solidPixels(s, cx, cy, solid)) continue;
            for (int i = 0; i < kTileSide * kTileSide; ++i) {
                if (!solid[std::size_t(i)]) continue;
                ++solids;
                const int x = cx * kTileSide + i % kTileSide, y = cy * kTileSide + i / kTileSide;
                bool covered = false;
                for (const PixelRect& r : rects)
                    covered = covered || r.contains(x + 0.5, y + 0.5);
                EXPECT_TRUE(covered) << "solid pixel " << x << "," << y << " outside the obstacles";
            }
        }
    EXPECT_GT(solids, 0);
    for (const PixelRect& r : rects) {
        EXPECT_GE(r.x2 - r.x1, 12);
        EXPECT_GE(r.y2 - r.y1, 12);
    }
}

} // namespace

TEST(TilePainter, LampPostsStopCarsAtThePoleAndLightTheGroundOnlyAtNight) {
    const std::vector<std::string> rows = {"........", "..L.....", "........", "########",
                                           "########", "........", "........", "........"};
    const Scene night = sceneOf("night", rows);
    expectSolidsCovered(night);
    // Only the pole is solid: the lamp hangs over the road, clear of it.
    std::array<bool, kTileSide * kTileSide> solid;
    ASSERT_TRUE(solidPixels(night, 2, 1, solid));
    int count = 0;
    for (bool b : solid)
        count += b;
    EXPECT_LT(count, 60);
    EXPECT_FALSE(solidPixels(night, 2, 2, solid));

    Painter painter(night);
    ASSERT_TRUE(painter.usable());
    TilePixels lit, dark, top;
    painter.paint(2, 2, 0, lit);  // under the lamp, on grass
    painter.paint(7, 7, 0, dark); // far from it, on grass
    EXPECT_GT(brightness(lit), brightness(dark) * 1.5);
    // The lamp itself shines on the top layer, hung towards the road below.
    ASSERT_TRUE(painter.paint(2, 1, 4, top));
    int brightest = 0, brightestRow = 0;
    for (int i = 0; i < kTileSide * kTileSide; ++i) {
        const int b = channel(top[std::size_t(i)], 8);
        if (b > brightest) brightest = b, brightestRow = i / kTileSide;
    }
    EXPECT_GT(brightest, 200);
    EXPECT_GT(brightestRow, kTileSide / 2);

    // By day the same lamp lights nothing.
    const Scene day = sceneOf("meadow", rows);
    Painter dayPainter(day);
    dayPainter.paint(2, 2, 0, lit);
    dayPainter.paint(7, 7, 0, dark);
    EXPECT_NEAR(brightness(lit), brightness(dark), brightness(dark) * 0.1);
}

TEST(TilePainter, ACraneSwingsItsJibOverTheWaterAndStopsCarsAtItsPortal) {
    const Scene s =
        sceneOf("coast", {"::::~~~~", "::::~~~~", ":X::~~~~", "::::~~~~", "::::~~~~", "::::~~~~"});
    expectSolidsCovered(s);
    Painter painter(s);
    TilePixels over;
    EXPECT_TRUE(painter.paint(1, 2, 4, over));
    EXPECT_TRUE(painter.paint(3, 2, 4, over)); // the jib, two cells out
    EXPECT_TRUE(painter.paint(4, 2, 4, over)); // over the water
    EXPECT_FALSE(painter.paint(0, 0, 4, over));
    EXPECT_FALSE(painter.paint(1, 4, 4, over));
    // Its shadow falls beside the jib on the ground below.
    TilePixels shadow;
    EXPECT_TRUE(painter.paint(3, 2, 3, shadow));
    // Only the portal is solid, not the cells the jib passes over.
    std::array<bool, kTileSide * kTileSide> solid;
    EXPECT_TRUE(solidPixels(s, 1, 2, solid));
    EXPECT_FALSE(solidPixels(s, 3, 2, solid));
}

TEST(TilePainter, WaterMeetsPavingAtAStoneQuayAndGrassAtASandyShore) {
    // Water on the right; paving above, grass below.
    const Scene s =
        sceneOf("coast", {"::::~~~", "::::~~~", "::::~~~", "....~~~", "....~~~", "....~~~"});
    Painter painter(s);
    TilePixels quay, shore;
    painter.paint(3, 1, 0, quay);
    painter.paint(3, 4, 0, shore);
    // Two pixels from the water's edge, in the middle of the cell's height.
    const std::uint32_t q = quay[std::size_t(16) * kTileSide + 29];
    const std::uint32_t b = shore[std::size_t(16) * kTileSide + 29];
    EXPECT_LT(channel(q, 16) - channel(q, 0), 0x20) << "the quay is grey stone";
    EXPECT_GT(channel(b, 16) - channel(b, 0), 0x20) << "the shore is sand";
}
