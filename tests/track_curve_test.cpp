// Bends of road in the track builder.
#include "tilegen.hpp"
#include "trackbuild_layout.hpp"
#include "trackbuild_source.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

constexpr int kT = kTileSide;
constexpr int kSide = 28; // cells

// A square loop 4 cells in from the border, `width` cells wide, a bend of
// outer radius `radius` at each corner, drawn with square corners that the
// bends must trim.
std::string squareLoop(int radius, int width) {
    std::ostringstream s;
    s << "name loop\ntheme meadow\nmap\n";
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool outer = x >= 2 && x < kSide - 2 && y >= 2 && y < kSide - 2;
            const bool inner =
                x >= 2 + width && x < kSide - 2 - width && y >= 2 + width && y < kSide - 2 - width;
            s << (outer && !inner ? '#' : '.');
        }
        s << '\n';
    }
    const int lo = 2 + radius, hi = kSide - 2 - radius;
    s << "end\n"
      << "curve " << lo << ' ' << lo << ' ' << radius << ' ' << width << " w n kerbs\n"
      << "curve " << hi << ' ' << lo << ' ' << radius << ' ' << width << " n e kerbs\n"
      << "curve " << hi << ' ' << hi << ' ' << radius << ' ' << width << " e s kerbs\n"
      << "curve " << lo << ' ' << hi << ' ' << radius << ' ' << width << " s w kerbs\n";
    return s.str();
}

struct Built {
    TrackSource source;
    Scene scene;
};

bool build(const std::string& text, Built& out, std::string& error) {
    if (!parseTrackSource(text, "loop.txt", out.source, error)) return false;
    out.scene = makeScene(out.source);
    return true;
}

class CurveLoop : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(CurveLoop, EveryRotationDrawsTheSameRingAndJoinsItsStraights) {
    const auto [radius, width] = GetParam();
    Built b;
    std::string error;
    ASSERT_TRUE(build(squareLoop(radius, width), b, error)) << error;
    const Painter painter(b.scene);
    ASSERT_TRUE(painter.usable());
    const int n = kSide * kT;

    // A quarter turn about the map's centre maps the loop onto itself.
    for (int y = 0; y < n; y += 3)
        for (int x = 0; x < n; x += 3)
            ASSERT_EQ(painter.roadCoverage(x, y), painter.roadCoverage(n - 1 - y, x))
                << "pixel " << x << "," << y;

    // Where the top-left bend meets its straights (the rays from its centre
    // up and to the left), the road runs on without a step: across the
    // join, every pixel of the road's width is covered alike on both sides.
    const int c = (2 + radius) * kT;
    const int innerEdge = (radius - width) * kT, outerEdge = radius * kT;
    for (int d = innerEdge - 4; d <= outerEdge + 4; ++d) {
        EXPECT_NEAR(painter.roadCoverage(c - 1, c - d), painter.roadCoverage(c, c - d), 0.07)
            << "top join, " << d << " pixels from the centre";
        EXPECT_NEAR(painter.roadCoverage(c - d, c - 1), painter.roadCoverage(c - d, c), 0.07)
            << "left join, " << d << " pixels from the centre";
    }

    // Round the ring: covered all along its middle, and neither the drawn
    // square corner outside nor the infield inside is road.
    const double pi = std::acos(-1.0);
    for (int step = 0; step <= 90; ++step) {
        const double a = pi + step * pi / 180;
        auto at = [&](double r) {
            return painter.roadCoverage(int(c + r * std::cos(a)), int(c + r * std::sin(a)));
        };
        EXPECT_EQ(at((innerEdge + outerEdge) / 2.0), 1.0f) << step << " degrees";
        EXPECT_EQ(at(innerEdge - 4), 0.0f) << step << " degrees";
        EXPECT_EQ(at(outerEdge + 4), 0.0f) << step << " degrees";
    }
    EXPECT_EQ(painter.roadCoverage(2 * kT + 4, 2 * kT + 4), 0.0f) << "the square corner stays";

    // The cells the race counts as road follow the ring: the drawn corner
    // cell goes, a cell the ring crosses comes.
    const SceneCell& corner = b.scene.at(2, 2);
    EXPECT_NE(corner.ground, Ground::Road);
    const int mid = int((2 + radius) - (radius - width / 2.0) * std::sqrt(0.5));
    EXPECT_EQ(b.scene.at(mid, mid).ground, Ground::Road);
    EXPECT_TRUE(b.scene.at(mid, mid).kerb);
}

INSTANTIATE_TEST_SUITE_P(TwoRadii, CurveLoop,
                         ::testing::Values(std::make_pair(5, 3), std::make_pair(9, 4)));

TEST(CurveSource, RefusesWhatCannotBeDrawnNamingTheLine) {
    const std::string loop = squareLoop(6, 4);
    const int line = 3 + kSide + 2; // the first line after 'end'
    struct Case {
        std::string curve, message;
    };
    const Case cases[] = {
        {"curve 6 6 4.5 4 w n", "curve radius 4.5 is below its minimum of 5"},
        {"curve 6 6 3 4 w n", "below its minimum"},
        {"curve 6 6 6 0.5 w n", "at least 1 cell wide"},
        {"curve 6 6 6 4 n n", "45 to 180 degrees"},
        {"curve 6 6 6 4 n sw", "45 to 180 degrees"},
        {"curve 6 6 6 4 up n", "directions are"},
        {"curve 6 6 6 4 w n kerb", "only 'kerbs'"},
        {"curve 6 6 6 4 w", "takes centre"},
        {"curve 99 6 6 4 w n", "outside the map"},
    };
    for (const Case& c : cases) {
        std::string text = loop;
        const std::size_t first = text.find("curve");
        text.insert(first, c.curve + "\n");
        Built b;
        std::string error;
        EXPECT_FALSE(build(text, b, error)) << c.curve;
        EXPECT_NE(error.find("loop.txt:" + std::to_string(line) + ": "), std::string::npos)
            << c.curve << " -> " << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.curve << " -> " << error;
    }

    // Every painted pixel asks each bend whether it shapes it: a bound.
    std::string many = loop;
    for (int i = 0; i < 61; ++i)
        many += "curve 6 6 6 4 w n\n";
    Built b;
    std::string error;
    EXPECT_FALSE(build(many, b, error));
    EXPECT_NE(error.find("loop.txt:" + std::to_string(line + 4 + 60) + ": more than 64 curves"),
              std::string::npos)
        << error;
}

} // namespace
