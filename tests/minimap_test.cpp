// The small map of a race and M showing and hiding it.
#include "car/car.hpp"
#include "car/car_list.hpp"
#include "car/sprite.hpp"
#include "driver/player.hpp"
#include "frontend/minimap.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000, kMapFrame = 0xFF606060;

void fill(SDL_Surface* s, int x, int y, int w, int h, std::uint32_t colour) {
    SDL_Rect r{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    SDL_FillRect(s, &r, colour);
}

// A sprite whose one frame is a car seen from above: the paint, grey glass
// on it and dark tyres beside it, black all round.
std::unique_ptr<Sprite> paintedSprite(std::uint32_t paint) {
    SDL_Surface* frame = filledSurface(12, 20, kBlack);
    fill(frame, 2, 2, 8, 16, paint);
    fill(frame, 3, 4, 6, 5, 0xFF8890A0);
    fill(frame, 0, 3, 2, 4, 0xFF202020);
    auto sprite = std::make_unique<Sprite>();
    sprite->animation = std::make_unique<Animation>();
    sprite->animation->addFrame(frame);
    return sprite;
}

} // namespace

TEST(Minimap, IsTheTrackShrunkToFitWithEachCarsPaint) {
    initGame();
    // 1280 x 640: red on the left, blue on the right.
    SDL_Surface* track = filledSurface(1280, 640, kRed);
    fill(track, 640, 0, 640, 640, kBlue);
    std::vector<std::unique_ptr<Sprite>> sprites;
    sprites.push_back(paintedSprite(0xFF20D040));
    sprites.push_back(paintedSprite(0xFF400000));  // too dark for the map
    sprites.push_back(std::make_unique<Sprite>()); // no picture
    Minimap map;
    ASSERT_TRUE(map.prepare(track, sprites, 128, 96));
    ASSERT_EQ(std::pair(map.picture->w, map.picture->h), std::pair(128, 64)) << "the shape is kept";
    EXPECT_EQ((std::array{getPixel(map.picture, 63, 63), getPixel(map.picture, 64, 0),
                          getPixel(map.picture, 127, 63)}),
              (std::array{kRed, kBlue, kBlue}));
    EXPECT_EQ(map.colours, (std::vector<std::uint32_t>{0xFF20D040, 0xFFC80000, kWhite}))
        << "the paint, not the glass or tyres; dark paint lifted";

    // A tall track fits the height; no track, no map.
    SDL_Surface* tall = filledSurface(400, 1600, kRed);
    ASSERT_TRUE(map.prepare(tall, sprites, 128, 80));
    EXPECT_EQ(std::pair(map.picture->w, map.picture->h), std::pair(20, 80));
    EXPECT_FALSE(map.prepare(nullptr, sprites, 128, 80));
    EXPECT_EQ(map.picture, nullptr);
    SDL_FreeSurface(tall);

    // The dots: a race of three cars on the 1280 x 640 track.
    ScratchDir dir;
    const auto cars = loadCarTypes();
    ASSERT_FALSE(cars.empty());
    Race race{RaceRules{}};
    std::string why;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(race.addParticipant(nullptr, *cars[0], why)) << why;
    const float at[][2] = {{100, 100}, {640, 320}, {-300, 9000}};
    for (std::size_t i = 0; i < 3; ++i) {
        race.players()[i]->car->posX = at[i][0];
        race.players()[i]->car->posY = at[i][1];
    }
    ASSERT_TRUE(map.prepare(track, sprites, 128, 96));
    EXPECT_EQ(map.place(100, 100), (IntPoint{10, 10}));
    EXPECT_EQ(map.place(-300, 9000), (IntPoint{0, 63})) << "kept on the map";
    SDL_Surface* screen = filledSurface(640, 400, kBlack);
    map.draw(screen, 400, 20, race, 1);
    EXPECT_EQ(getPixel(screen, 399, 19), kMapFrame);
    EXPECT_EQ(getPixel(screen, 400 + 30, 20 + 30), kRed) << "the picture";
    EXPECT_EQ(getPixel(screen, 410, 30), 0xFF20D040) << "each car's dot in its paint";
    EXPECT_EQ(getPixel(screen, 464, 52), 0xFFC80000);
    // Half off the screen: clipped, nothing outside it touched.
    map.draw(screen, 600, 380, race, 0);
    map.draw(screen, -100, -50, race, -1);
    EXPECT_EQ(getPixel(screen, 639, 399), kRed);
    SDL_FreeSurface(screen);
    SDL_FreeSurface(track);
}

namespace {

struct MinimapInRace : RaceGame {
    void SetUp() override {
        RaceGame::SetUp();
        game->showMinimap = true;
    }
    void TearDown() override {
        RaceGame::TearDown();
        game->showMinimap = true;
    }
    // The corner of the small map's frame in the one view, as last shown.
    bool mapShown() {
        const SDL_Surface* picture = game->drawing.minimap.picture;
        return picture && getPixel(game->screen, game->screen->w - picture->w - 7, 5) == kMapFrame;
    }
};

} // namespace

TEST_F(MinimapInRace, MShowsAndHidesItOnceAPressUnlessADriverSteersWithIt) {
    drivers({Human, Computer});
    game->startRace(FreeDriving);
    frames(10);
    ASSERT_EQ(game->state, StartLights);
    EXPECT_TRUE(mapShown());
    tap(SDLK_m, 3);
    EXPECT_FALSE(game->showMinimap) << "held three frames: one toggle";
    EXPECT_FALSE(mapShown());
    tap(SDLK_m, 3);
    EXPECT_TRUE(mapShown());

    newField();
    driver(Human, {273, 274, 276, 275, SDLK_m});
    driver(Computer);
    game->startRace(FreeDriving);
    frames(10);
    tap(SDLK_m, 3);
    EXPECT_TRUE(mapShown()) << "M is this driver's nitro";
}
