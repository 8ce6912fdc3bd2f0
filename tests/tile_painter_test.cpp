// The track builder's painter: what it draws as solid is what stops a car.
// That every solid pixel lies in an obstacle the builder checks itself, and
// the golden frames pin how the shipped tracks look.
#include "tilegen.hpp"

#include <gtest/gtest.h>

#include <algorithm>

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

} // namespace

TEST(TilePainter, OnlyALampsPoleAndACranesPortalStopCarsNotWhatHangsOverTheWay) {
    std::array<bool, kTileSide * kTileSide> solid;
    const Scene lamp = sceneOf("night", {"........", "..L.....", "........", "########"});
    ASSERT_TRUE(solidPixels(lamp, 2, 1, solid));
    EXPECT_LT(std::count(solid.begin(), solid.end(), true), 60) << "the pole, not the lamp";
    EXPECT_FALSE(solidPixels(lamp, 2, 2, solid)) << "the lamp hangs over the road, clear of it";

    const Scene crane = sceneOf("coast", {"::::~~~~", ":X::~~~~", "::::~~~~"});
    EXPECT_TRUE(solidPixels(crane, 1, 1, solid));
    EXPECT_FALSE(solidPixels(crane, 3, 1, solid)) << "the jib passes over";
}
