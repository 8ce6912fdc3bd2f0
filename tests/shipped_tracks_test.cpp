// The tracks the build ships, judged by the race's own rules.
#include "base/bytes.hpp"
#include "gfx/image.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

struct Shipped {
    std::string file;
    std::unique_ptr<Track> track = std::make_unique<Track>();
};

std::vector<Shipped> shippedTracks() {
    std::vector<Shipped> out;
    for (const auto& entry : std::filesystem::directory_iterator("tracks")) {
        if (entry.path().extension() != ".map") continue;
        Shipped s;
        s.file = entry.path().string();
        std::vector<std::uint8_t> bytes;
        std::string why;
        EXPECT_TRUE(readWholeFile(s.file, bytes) && decodeMap(bytes, *s.track, why))
            << s.file << ": " << why;
        out.push_back(std::move(s));
    }
    return out;
}

bool onRoad(const Track& t, double x, double y) {
    return x >= 0 && y >= 0 && x < t.width * t.tileWidth && y < t.height * t.tileHeight &&
           t.areaAt(std::int32_t(std::floor(x)), std::int32_t(std::floor(y)), Road);
}

// Every 4 pixels from a to b.
bool pathOnRoad(const Track& t, const Waypoint& a, const Waypoint& b) {
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    for (double d = 0; d <= len; d += 4)
        if (!onRoad(t, a.x + (b.x - a.x) * d / len, a.y + (b.y - a.y) * d / len)) return false;
    return onRoad(t, b.x, b.y);
}

double distanceToSegment(const Waypoint& p, const Waypoint& a, const Waypoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
    const double k = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(p.x - a.x - k * dx, p.y - a.y - k * dy);
}

} // namespace

TEST(ShippedTracks, FourteenOrMoreWithTheirTilesetsAndOneLargerThanTheBigView) {
    const std::vector<Shipped> tracks = shippedTracks();
    EXPECT_GE(tracks.size(), 14u);
    bool large = false;
    for (const Shipped& s : tracks) {
        const Track& t = *s.track;
        EXPECT_EQ(t.version, 4) << s.file;
        EXPECT_EQ(t.tileWidth, 32) << s.file;
        EXPECT_GE(t.width * t.tileWidth, 640) << s.file;
        EXPECT_GE(t.height * t.tileHeight, 400) << s.file;
        large = large || (t.width * t.tileWidth > 1600 && t.height * t.tileHeight > 1280);
        // The picture must hold every tile a cell names, and every cell needs
        // ground under it, or the drawn track has holes.
        SDL_Surface* picture = loadCheckedBmp(t.tilesetName);
        ASSERT_TRUE(picture) << s.file << " names " << t.tilesetName;
        const int tiles = (picture->w / 32) * (picture->h / 32);
        SDL_FreeSurface(picture);
        for (const MapCell& c : t.cells) {
            EXPECT_GE(c.layers[0], 0) << s.file;
            for (std::int32_t tile : c.layers)
                ASSERT_LT(tile, tiles) << s.file;
        }
    }
    EXPECT_TRUE(large);
}

TEST(ShippedTracks, TheWholeStartGridStandsOnTheRoad) {
    for (const Shipped& s : shippedTracks()) {
        const Track& t = *s.track;
        const TrackArea* line = t.finishLine();
        ASSERT_TRUE(line) << s.file;
        for (int index = 0; index < 8; ++index) {
            const GridPlace g = gridPlace(*line, index, index + 1);
            const bool down = std::abs(std::cos(g.angle)) > 0.5;
            const double hx = down ? 7 : 13, hy = down ? 13 : 7; // a car's half size
            for (double dx : {-hx, 0.0, hx})
                for (double dy : {-hy, 0.0, hy})
                    EXPECT_TRUE(onRoad(t, g.x + dx, g.y + dy))
                        << s.file << " car " << index + 1 << " at " << g.x << "," << g.y;
        }
    }
}

// The ground layer of the drawn track at a map pixel, as 0xRRGGBB.
class Ground {
  public:
    explicit Ground(const Track& t) : track_(t), picture_(loadCheckedBmp(t.tilesetName)) {}
    ~Ground() { SDL_FreeSurface(picture_); }
    Ground(const Ground&) = delete;
    Ground& operator=(const Ground&) = delete;
    bool usable() const { return picture_ != nullptr; }
    std::uint32_t at(int x, int y) const {
        const int cx = x / 32, cy = y / 32;
        const int tile = track_.cells[std::size_t(cy) * track_.width + cx].layers[0];
        const int columns = picture_->w / 32;
        const int px = (tile % columns) * 32 + x % 32, py = (tile / columns) * 32 + y % 32;
        const auto* p = static_cast<const std::uint8_t*>(picture_->pixels) +
                        std::size_t(py) * picture_->pitch +
                        std::size_t(px) * picture_->format->BytesPerPixel;
        std::uint32_t v = 0;
        std::memcpy(&v, p, picture_->format->BytesPerPixel);
        Uint8 r, g, b;
        SDL_GetRGB(v, picture_->format, &r, &g, &b);
        return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
    }

  private:
    const Track& track_;
    SDL_Surface* picture_;
};

bool white(std::uint32_t c) {
    return (c >> 16) > 0xC8 && ((c >> 8) & 0xFF) > 0xC8 && (c & 0xFF) > 0xC8;
}
bool black(std::uint32_t c) {
    return (c >> 16) < 0x28 && ((c >> 8) & 0xFF) < 0x28 && (c & 0xFF) < 0x28;
}

// Each grid place has its painted box: a white bar 17 pixels ahead of the
// car's centre, across its width. No car stands on the chequered line.
TEST(ShippedTracks, GridBoxesArePaintedAtTheGridPlacesBehindTheLine) {
    for (const Shipped& s : shippedTracks()) {
        const Track& t = *s.track;
        const TrackArea* line = t.finishLine();
        ASSERT_TRUE(line) << s.file;
        const Ground ground(t);
        ASSERT_TRUE(ground.usable()) << s.file;
        for (int index = 0; index < 8; ++index) {
            const GridPlace g = gridPlace(*line, index, index + 1);
            const double fx = std::sin(g.angle), fy = -std::cos(g.angle); // forwards
            auto at = [&](double along, double across) {
                return ground.at(int(std::floor(g.x + fx * along - fy * across)),
                                 int(std::floor(g.y + fy * along + fx * across)));
            };
            int bar = 0, chequer = 0;
            for (int across = -6; across <= 6; ++across) {
                bar += white(at(17.5, across));
                for (int along = -13; along <= 13; ++along)
                    chequer += black(at(along, across));
            }
            EXPECT_GE(bar, 12) << s.file << " car " << index + 1 << ": no box in front";
            EXPECT_EQ(chequer, 0) << s.file << " car " << index + 1 << " stands on the line";
        }
    }
}

TEST(ShippedTracks, LapsHaveCheckpointsAndAPitOnTheRoad) {
    for (const Shipped& s : shippedTracks()) {
        const Track& t = *s.track;
        EXPECT_GE(t.countAreas(Checkpoint), 3) << s.file;
        for (std::int16_t kind : {PitBox, Refuel}) {
            EXPECT_GE(t.countAreas(kind), 1) << s.file << " kind " << kind;
            for (const TrackArea& a : t.areas) {
                if (a.kind != kind) continue;
                // The race tests areas 16 pixels higher than stored.
                EXPECT_TRUE(onRoad(t, (a.x1 + a.x2) / 2, (a.y1 + a.y2) / 2 - kAreaTestLift))
                    << s.file;
            }
        }
    }
}

TEST(ShippedTracks, DriversFollowTheRoadIntoThePitLaneAndBack) {
    for (const Shipped& s : shippedTracks()) {
        const Track& t = *s.track;
        std::vector<Waypoint> race, pit;
        for (const Waypoint& w : t.waypoints) {
            if (w.type == FreeWaypoint) break;
            (w.type == RacingLine ? race : pit).push_back(w);
        }
        ASSERT_GE(race.size(), 3u) << s.file;
        ASSERT_GE(pit.size(), 2u) << s.file;
        for (std::size_t i = 0; i < race.size(); ++i)
            EXPECT_TRUE(pathOnRoad(t, race[i], race[(i + 1) % race.size()]))
                << s.file << " racing line after point " << i;
        for (std::size_t i = 0; i + 1 < pit.size(); ++i)
            EXPECT_TRUE(pathOnRoad(t, pit[i], pit[i + 1])) << s.file << " pit lane after " << i;
        // Drivers turn into the pit lane when they pass within 48 pixels of
        // its first point, so it must lie on their way round.
        double nearest = 1e9;
        for (std::size_t i = 0; i < race.size(); ++i)
            nearest =
                std::min(nearest, distanceToSegment(pit[0], race[i], race[(i + 1) % race.size()]));
        EXPECT_LT(nearest, 48) << s.file;
        bool boxed = false;
        for (const Waypoint& w : pit)
            boxed = boxed || t.areaAt(w.x, w.y, PitBox);
        EXPECT_TRUE(boxed) << s.file << ": no pit point stops in a pit box";
    }
}

TEST(ShippedTracks, RacingLineStartingAheadOfTheGrid) {
    for (const Shipped& s : shippedTracks()) {
        const Track& t = *s.track;
        const TrackArea* line = t.finishLine();
        ASSERT_TRUE(line) << s.file;
        // Every driver aims at the first waypoint when the lights go green:
        // behind the grid, the whole field would turn round.
        ASSERT_EQ(t.waypoints[0].type, RacingLine) << s.file;
        const GridPlace front = gridPlace(*line, 0, 1);
        const double dx = t.waypoints[0].x - front.x, dy = t.waypoints[0].y - front.y;
        const double ahead = dx * std::sin(front.angle) - dy * std::cos(front.angle);
        EXPECT_GT(ahead, 0) << s.file << ": first waypoint behind the grid";
        EXPECT_LT(std::hypot(dx, dy), 8 * 32) << s.file << ": first waypoint far from the grid";
    }
}
