// The picture on its window or full screen, and a paused race.
#include "car/car.hpp"
#include "driver/player.hpp"
#include "platform/display.hpp"
#include "records/profile.hpp"
#include "sound/sound.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

bool parse(std::vector<std::string> args, DisplayOptions& options, std::string& why) {
    std::vector<char*> argv{const_cast<char*>("gravelin")};
    for (std::string& a : args)
        argv.push_back(a.data());
    return parseDisplayOptions(int(argv.size()), argv.data(), options, why);
}

// Every pixel different, so that a pixel taken from the wrong place shows.
std::uint32_t patternPixel(std::int32_t x, std::int32_t y) {
    return 0xFF000000u | std::uint32_t(y) << 10 | std::uint32_t(x);
}
SDL_Surface* patternPicture() {
    SDL_Surface* s = createSurface(kPictureWidth, kPictureHeight, false);
    for (std::int32_t y = 0; y < s->h; ++y)
        for (std::int32_t x = 0; x < s->w; ++x)
            pixelRow(s, y)[x] = patternPixel(x, y);
    return s;
}
// The output pixel as a placed, scaled picture makes it: 0 off the picture.
std::uint32_t expectedPixel(const Placement& at, std::int32_t x, std::int32_t y) {
    if (x < at.x || y < at.y) return 0;
    const std::int32_t px = (x - at.x) / at.scale, py = (y - at.y) / at.scale;
    if (px >= kPictureWidth || py >= kPictureHeight) return 0;
    return patternPixel(px, py);
}
// The first output pixel that differs, as "x,y", or empty.
std::string firstWrongPixel(SDL_Surface* output, const Placement& at) {
    for (std::int32_t y = 0; y < output->h; ++y)
        for (std::int32_t x = 0; x < output->w; ++x)
            if (getPixel(output, x, y) != expectedPixel(at, x, y))
                return std::to_string(x) + "," + std::to_string(y);
    return "";
}

} // namespace

TEST(DisplayOptions, FlagsAreReadAndAnythingElseIsRefused) {
    DisplayOptions o;
    std::string why;
    ASSERT_TRUE(parse({"--window", "--scale", "2"}, o, why)) << why;
    EXPECT_TRUE(o.window && o.scale == 2);
    ASSERT_TRUE(parse({"--scale=8"}, o, why)) << why;
    EXPECT_EQ(o.scale, 8);
    const std::vector<std::vector<std::string>> bad = {
        {"--scale"},       {"--scale", "0"},        {"--scale", "9"},
        {"--scale", "2x"}, {"--scale=99999999999"}, {"--window", "2"}};
    for (const std::vector<std::string>& args : bad) {
        why.clear();
        EXPECT_FALSE(parse(args, o, why) || why.empty()) << args.back();
    }
}

TEST(DisplayScaling, TheLargestWholeScaleThatFitsEveryPixelASquareOnBlack) {
    const Placement fitted = placePicture(1920, 1080, 3);
    EXPECT_EQ(std::tuple(fitted.scale, fitted.x, fitted.y), std::tuple(2, 320, 140))
        << "3 does not fit 1080 lines";
    EXPECT_EQ(placePicture(600, 300, 2).scale, 1) << "smaller than the picture: its corner";

    SDL_Surface* picture = patternPicture();
    // Letterboxed, and larger than the output on every side: every output
    // pixel is checked (the sanitizers watch for writes beyond it).
    for (const auto& [w, h, at] : std::vector<std::tuple<int, int, Placement>>{
             {1400, 900, {2, 60, 50}}, {301, 203, {3, 0, 0}}, {500, 300, {2, -7, -5}}}) {
        SDL_Surface* output = filledSurface(w, h, 0xFFFFFFFF);
        scalePicture(picture, output, at);
        EXPECT_EQ(firstWrongPixel(output, at), "") << w << "x" << h << " at scale " << at.scale;
        SDL_FreeSurface(output);
    }
    SDL_FreeSurface(picture);
}

namespace {

// Everything a paused race must keep as it was: every field of every car
// and driver that a frame can change, and the race's own counters.
std::string raceState(const Game& game) {
    std::ostringstream s;
    s.precision(9);
    s << game.state << ' ' << std::int32_t(game.race->phase()) << ' ' << game.race->lightStep()
      << ' ' << game.race->finishedCount << ' ' << game.race->fastestLapTime << '\n';
    for (const auto& p : game.race->players()) {
        const Car& c = *p->car;
        for (float f : {c.moveAngle, c.steering, c.bodyAngle, c.accel, c.speed, c.engineFreq,
                        c.engineRev, c.fuel, c.damage, c.skid, c.nitro, c.reverseSpeed, c.posX,
                        c.posY, p->lapStartFuel, p->lapFuelUse})
            s << f << ' ';
        for (std::int32_t i : {c.crashFrames, c.x, c.y, c.frame, p->laps, p->lapTime, p->bestLap,
                               p->raceTime, p->checkpointsPassed, p->shownLapTime, p->points,
                               p->racePoints, p->messageFrames, p->messageCycles})
            s << i << ' ';
        for (bool b : {c.crashed, c.wrecked, c.onRoad, c.nitroOn, c.reverseOn, c.hit, c.marking,
                       p->beforeStart, p->finished, p->out})
            s << b;
        s << ' ' << p->lastLine << ' ' << int(p->warningsShown) << '\n';
    }
    return s.str();
}

// Yellow pixels in the band across the middle, where PAUSED is written.
int yellowInTheMiddle(SDL_Surface* s) {
    int n = 0;
    for (std::int32_t y = s->h / 2 - 40; y < s->h / 2 + 40; ++y)
        for (std::int32_t x = 0; x < s->w; ++x)
            n += getPixel(s, x, y) == 0xFFFFFF00u;
    return n;
}

struct Pausing : RaceGame {
    void SetUp() override {
        RaceGame::SetUp();
        game->options.showFps = false;
    }
    void TearDown() override {
        RaceGame::TearDown();
        sound::stopAllSounds();
    }
    const Player& human() const { return *game->race->players()[0]; }
};

} // namespace

TEST_F(Pausing, NothingMovesCountsOrSoundsUntilTheSameKeyGoesOn) {
    drivers({Human, Computer, Computer});
    game->startRace(FreeDriving);
    platform.fake.press(SDLK_UP);
    frames(200);
    ASSERT_EQ(game->state, Racing);
    ASSERT_GT(human().car->speed, 0.0f);
    const bool heard = sound::available();
    if (heard) {
        ASSERT_TRUE(sound::isAudible(RaceSound::channelOf(0)));
    }

    for (SDLKey key : {SDLK_p, SDLK_PAUSE}) {
        SCOPED_TRACE(SDL_GetKeyName(key));
        const std::int32_t lapTimeBefore = human().lapTime;
        tap(key);
        ASSERT_TRUE(game->paused);
        EXPECT_EQ(human().lapTime, lapTimeBefore) << "the pressing frame already stands still";
        const std::string frozen = raceState(*game);
        const std::uint64_t shown = hashPixels(game->screen);
        EXPECT_GT(yellowInTheMiddle(game->screen), 50) << "PAUSED is shown";
        frames(300); // the accelerator still held all along
        EXPECT_EQ(raceState(*game), frozen);
        EXPECT_EQ(hashPixels(game->screen), shown) << "the same picture every paused frame";
        if (heard) {
            EXPECT_FALSE(sound::isAudible(RaceSound::channelOf(0))) << "the engines fall silent";
        }

        tap(key);
        EXPECT_FALSE(game->paused);
        EXPECT_EQ(human().lapTime, lapTimeBefore + 2) << "the clock goes on where it stood";
        frames(10);
        EXPECT_NE(raceState(*game), frozen);
        if (heard) {
            EXPECT_TRUE(sound::isAudible(RaceSound::channelOf(0)));
            EXPECT_FALSE(sound::isAudible(RaceSound::channelOf(1)))
                << "a computer's engine unheard before stays unheard";
        }
    }
}

TEST_F(Pausing, LosingTheFocusPausesTheRaceNotTheMenuAndAKeyOfTheCarNeverPauses) {
    // The human accelerates with P: for this race P is the car's.
    driver(Human, {SDLK_p, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RCTRL});
    driver(Computer);
    platform.fake.queueFocusLoss();
    frames(1); // lost in the menu
    game->startRace(FreeDriving);
    frames(50);
    EXPECT_FALSE(game->paused) << "a loss before the race does not pause it";
    ASSERT_EQ(game->state, StartLights);

    platform.fake.queueFocusLoss();
    frames(2); // seen at the end of one frame, acted on at the start of the next
    ASSERT_TRUE(game->paused);
    const std::string frozen = raceState(*game);
    tap(SDLK_p, 200);
    EXPECT_EQ(raceState(*game), frozen) << "the lights stand still; P does not go on";
    EXPECT_TRUE(game->paused);

    tap(SDLK_PAUSE);
    EXPECT_FALSE(game->paused);
    frames(150);
    ASSERT_EQ(game->state, Racing);
    platform.fake.press(SDLK_p);
    frames(30);
    EXPECT_FALSE(game->paused);
    EXPECT_GT(human().car->speed, 0.0f) << "P drives the car";

    // ESC from a paused race: the next race starts unpaused.
    platform.fake.release(SDLK_p);
    tap(SDLK_PAUSE);
    ASSERT_TRUE(game->paused);
    tap(SDLK_ESCAPE);
    ASSERT_EQ(game->state, MainMenu);
    game->startRace(FreeDriving);
    frames(5);
    EXPECT_FALSE(game->paused);
    EXPECT_EQ(game->race->lightStep(), 0);
}
