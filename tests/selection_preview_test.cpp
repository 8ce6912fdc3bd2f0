// What the selection screens show of the highlighted car and track.
#include "car/car_list.hpp"
#include "car/car_type.hpp"
#include "gfx/image.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "ui/car_card.hpp"
#include "ui/driver_select.hpp"
#include "ui/track_preview.hpp"
#include "ui/track_select.hpp"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CarType> car(const char* name, float topSpeed, float grip, float tank,
                             const std::string& picture = "cars/none.bmp") {
    auto c = std::make_unique<CarType>();
    c->name = name;
    c->picture = picture;
    c->topSpeed = topSpeed;
    c->grip = grip;
    c->tankSize = tank;
    return c;
}

// The lengths of the bars drawn on the screen, top to bottom.
std::vector<int> barLengths(SDL_Surface* screen) {
    std::vector<int> lengths;
    int previous = 0;
    for (int y = 0; y < screen->h; ++y) {
        int count = 0;
        for (int x = 0; x < screen->w; ++x)
            count += getPixel(screen, x, y) == kBarColour;
        if (count != previous && count > 0) lengths.push_back(count);
        previous = count;
    }
    return lengths;
}

struct CarCard : DriverScreenRig {};

// test.map of the scratch directory, its left half of red tiles and its
// right half of blue ones, with a racing line round a rectangle.
void writeTwoColourTrack() {
    writeFileAtomically("tracks/test.tl", tileFile({{32, 0xFFFF0000u}, {32, 0xFF0000FFu}}));
    Track t = testTrack(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 15; x < 30; ++x)
            t.cells[std::size_t(y * 30 + x)].layers[0] = 1;
    const std::int32_t corners[][2] = {{160, 160}, {800, 160}, {800, 480}, {160, 480}};
    for (int i = 0; i < 4; ++i)
        t.waypoints[std::size_t(i)] = {RacingLine, corners[i][0], corners[i][1]};
    writeFileAtomically("tracks/test.map", encodeMap(t));
}

struct TrackPreview : ::testing::Test {
    void key(std::int32_t k) {
        rig.keyboard.pressed = k;
        SDL_FillRect(rig.screen, nullptr, 0);
        screen.frame();
        rig.keyboard.pressed = 0;
    }
    void keys(std::initializer_list<std::int32_t> ks) {
        for (std::int32_t k : ks)
            key(k);
    }
    std::uint32_t previewPixel(int dx, int dy) { return getPixel(rig.screen, 208 + dx, 110 + dy); }

    FakePlatformScope platform;
    ScratchDir dir;
    ScreenRig rig;
    std::vector<std::string> tracks{"broken.map", "missing.map", "test.map"};
    TrackSelectionScreen screen{rig.context, tracks};
};

} // namespace

TEST_F(CarCard, BarsRunFromTheWeakestCarToTheStrongest) {
    cars.push_back(car("Slow", 2.0f, 0.05f, 40.0f));
    cars.push_back(car("Quick", 4.0f, 0.05f, 80.0f));
    cars.push_back(car("Middle", 3.0f, 0.05f, 56.0f));
    const auto slow = handlingBars(*cars[0], cars);
    const auto quick = handlingBars(*cars[1], cars);
    EXPECT_FLOAT_EQ(slow[0], 0.1f) << "the slowest keeps a stub";
    EXPECT_FLOAT_EQ(quick[0], 1.0f);
    EXPECT_FLOAT_EQ(slow[2], 1.0f) << "a grip they all share fills the bar";
    // A car beyond the others is held to the ends of the bar.
    const auto beyond = handlingBars(*car("Rocket", 9.0f, 0.05f, 10.0f), cars);
    EXPECT_FLOAT_EQ(beyond[0], 1.0f);
    EXPECT_FLOAT_EQ(beyond[3], 0.1f);

    // On the screen: the bars of the car under the cursor, while it is.
    profiles.push_back(std::make_unique<PlayerProfile>());
    profiles[0]->carName = "Slow";
    screen.frame();
    EXPECT_TRUE(barLengths(rig.screen).empty()) << "no card off the car column";
    screen.column = 3;
    enter(); // the next car
    ASSERT_EQ(profiles[0]->carName, "Quick");
    EXPECT_EQ(barLengths(rig.screen), (std::vector<int>{100, 100, 100, 100, 100}));
    SDL_FillRect(rig.screen, nullptr, 0);
    enter();
    EXPECT_EQ(barLengths(rig.screen), (std::vector<int>{55, 100, 100, 46, 100}))
        << "the middle car halfway on speed, the tank on its own scale";
}

TEST_F(CarCard, PicturesAreReadOnceAndAMissingOneIsNoHarm) {
    // The shipped pictures, from the runtime directory.
    auto shipped = loadCarTypes();
    ASSERT_GE(shipped.size(), 2u);
    const std::string picture = shipped[0]->picture;
    cars.push_back(car("Pictured", 3.0f, 0.05f, 40.0f, picture));
    cars.push_back(car("Unseen", 3.0f, 0.05f, 40.0f, "cars/no-such-picture.bmp"));
    profiles.push_back(std::make_unique<PlayerProfile>());
    profiles[0]->carName = "Unseen";
    screen.column = 3;
    for (int round = 0; round < 3; ++round) {
        enter(); // Pictured, then Unseen
        enter();
    }
    EXPECT_EQ(screen.carPictures.filesRead, 2);
    EXPECT_EQ(screen.carPictures.picture("cars/no-such-picture.bmp"), nullptr);

    // Turned to drive right, towards the bars, and doubled.
    SDL_Surface* loaded = loadCheckedBmp(picture);
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* shown = screen.carPictures.picture(picture);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->w, 2 * loaded->h);
    EXPECT_EQ(shown->h, 2 * loaded->w);
    SDL_FreeSurface(loaded);
}

TEST_F(TrackPreview, ThumbnailKeepsColoursProportionsAndTheRacingLine) {
    writeTwoColourTrack();
    Track track;
    ASSERT_TRUE(track.loadMap("test.map"));
    SDL_Surface* small = makeTrackThumbnail(track, TrackPreviews::kWidth, TrackPreviews::kHeight);
    ASSERT_NE(small, nullptr);
    // 960 x 640 fitted into 176 x 124: the width decides.
    EXPECT_EQ(std::pair(small->w, small->h), std::pair(176, 117));
    EXPECT_EQ(getPixel(small, 5, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(getPixel(small, 170, 5) & 0xFFFFFF, 0x0000FFu);
    // The line's corners at a 176/960 scale: (29, 29) to (146, 88).
    const std::uint32_t line = getPixel(small, 88, 29);
    EXPECT_EQ(
        (std::array{getPixel(small, 29, 60), getPixel(small, 146, 60), getPixel(small, 60, 88)}),
        (std::array{line, line, line}));
    EXPECT_NE(line & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(getPixel(small, 60, 60) & 0xFFFFFF, 0xFF0000u) << "inside the line: the track";
    SDL_FreeSurface(small);
}

TEST_F(TrackPreview, EachMapIsReadOnceAndABrokenOneShowsAPlaceholder) {
    writeFileAtomically("tracks/broken.map", std::vector<std::uint8_t>(37, 0xEE));
    writeTwoColourTrack();
    for (int frame = 0; frame < 5; ++frame)
        key(0);
    EXPECT_EQ(screen.previews.mapsRead, 1);
    EXPECT_EQ(previewPixel(10, 10), TrackPreviews::kPlaceholderColour);
    keys({SDLK_DOWN, 0}); // the missing map
    EXPECT_EQ(previewPixel(10, 10), TrackPreviews::kPlaceholderColour);
    keys({SDLK_DOWN, 0}); // the good map
    EXPECT_EQ(previewPixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    for (int round = 0; round < 3; ++round)
        keys({SDLK_UP, 0, SDLK_UP, 0, SDLK_DOWN, 0, SDLK_DOWN, 0});
    EXPECT_EQ(screen.previews.mapsRead, 3) << "every picture made once";

    // The selected list shows its tracks too, and a new record once the
    // screen is opened again.
    keys({SDLK_RETURN, SDLK_RIGHT, 0});
    EXPECT_EQ(previewPixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    writeFileAtomically("tracks/test.rec", encodeLapRecord({1234, "Ada", "Kart", "01-01-25"}));
    key(0);
    EXPECT_NE(screen.previews.record("test.map").driver, "Ada") << "read once a visit";
    screen.open();
    key(0);
    EXPECT_EQ(screen.previews.record("test.map").driver, "Ada");
    EXPECT_EQ(screen.previews.mapsRead, 3);
}
