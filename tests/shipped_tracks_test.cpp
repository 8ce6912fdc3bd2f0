// The tracks the build ships, judged by the race's own rules where the track
// builder keeps a copy of them; what it checks by itself it refuses to build.
#include "base/bytes.hpp"
#include "gfx/image.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

#include <gtest/gtest.h>

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

// The track builder lays out the grid by a copy of the race's rule: where
// the race puts each car there must be road under it, its painted box (a
// white bar 17 pixels ahead of its centre) in front, and no chequer.
TEST(ShippedTracks, EveryGridPlaceIsOnTheRoadInItsPaintedBox) {
    for (const Shipped& s : shippedTracks()) {
        const Track& t = *s.track;
        const TrackArea* line = t.finishLine();
        ASSERT_TRUE(line) << s.file;
        const Ground ground(t);
        ASSERT_TRUE(ground.usable()) << s.file;
        for (int index = 0; index < 8; ++index) {
            const GridPlace g = gridPlace(*line, index, index + 1);
            const bool down = std::abs(std::cos(g.angle)) > 0.5;
            const double hx = down ? 7 : 13, hy = down ? 13 : 7; // a car's half size
            for (double dx : {-hx, 0.0, hx})
                for (double dy : {-hy, 0.0, hy})
                    EXPECT_TRUE(onRoad(t, g.x + dx, g.y + dy))
                        << s.file << " car " << index + 1 << " at " << g.x << "," << g.y;
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
