// Driver profiles on disk and the screens that make and change them.
#include "car/car_type.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "ui/driver_select.hpp"
#include "ui/key_settings.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct Drivers : GameTest {
    void SetUp() override {
        GameTest::SetUp();
        game->profiles.clear();
        game->loadCarList();
    }
    void TearDown() override { game->profiles.clear(); }
};

} // namespace

TEST(ProfileFile, LayoutByteForByteAndRoundTrip) {
    PlayerProfile p = namedProfile("Ann");
    p.carName = "Vixen";
    p.totalLaps = 42;
    p.controls[ControlNitro] = 304;
    const auto bytes = encodeProfile(p);
    ASSERT_EQ(bytes.size(), 68u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytes[8], 3);
    EXPECT_EQ(bytes[15], 5);
    EXPECT_EQ(bytes[24], 0x11) << "UP (273) starts the controls";
    PlayerProfile back;
    ASSERT_TRUE(decodeProfile(bytes, back));
    EXPECT_EQ(back.carName, "Vixen");
    EXPECT_EQ(back.totalLaps, 42);
    EXPECT_EQ(back.controls[ControlNitro], 304);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(decodeProfile({bytes.begin(), bytes.begin() + std::ptrdiff_t(cut)}, back));
}

TEST(ProfileFile, OnlySafeNamesBecomeFileNames) {
    for (const char* bad : {"", ".", "..", "...", "a/b", "../x", "a\\b", "tab\there", "\x7f"})
        EXPECT_FALSE(isSafeProfileName(bad)) << bad;
    for (const char* good : {"Ann", "A.J. Foy", "x..y", ".hidden", "Zoë"})
        EXPECT_TRUE(isSafeProfileName(good)) << good;
    EXPECT_EQ(profilePath("../../etc/passwd"), "");
}

TEST_F(Drivers, SavingAndDeletingNeverReachOutsidePlayers) {
    std::ofstream("outside.pl") << "keep";
    auto evil = namedProfile("../outside");
    writeFileAtomically("players/evil.pl", encodeProfile(evil));
    game->loadProfiles();
    ASSERT_EQ(game->profiles.size(), 1u);
    game->profiles[0]->totalLaps = 1;
    EXPECT_TRUE(game->saveProfile(*game->profiles[0])) << "back to its own file";
    EXPECT_TRUE(std::filesystem::exists("players/evil.pl"));
    game->driverSelection.deleteDriver(0);
    EXPECT_FALSE(std::filesystem::exists("players/evil.pl"));
    EXPECT_EQ(bytesOf("outside.pl"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(game->profiles.empty());
    // A new driver with such a name has no file to go to.
    PlayerProfile made = namedProfile("../outside");
    EXPECT_FALSE(game->saveProfile(made));
}

TEST_F(Drivers, CreationTypesFifteenCharactersWithEitherShift) {
    game->driverCreation.field = 0;
    game->profiles.push_back(std::make_unique<PlayerProfile>(namedProfile("Old")));
    // A press types once and a key held on repeats; a capital with RIGHT
    // SHIFT, a digit stays a digit with shift held.
    platform.tap(4, 6, SDLK_RSHIFT);
    platform.tap(4, 6, SDLK_a);
    platform.tap(10, 12, SDLK_LSHIFT);
    platform.tap(10, 12, SDLK_1);
    platform.tap(16, 200, SDLK_b); // held long: 15 characters at most
    platform.tap(210, 212, SDLK_BACKSPACE);
    platform.tap(220, 222, SDLK_DOWN);
    platform.tap(230, 232, SDLK_RIGHT);
    platform.press(240, SDLK_RETURN);
    game->driverCreation.run();
    ASSERT_EQ(game->profiles.size(), 2u);
    const PlayerProfile& made = *game->profiles[0]; // "A1..." comes before "Old"
    EXPECT_EQ(
        std::tie(made.name, made.type, made.id, made.carName),
        std::tuple("A1bbbbbbbbbbbb", Computer, 1, game->cars.empty() ? "" : game->cars[0]->name));
    EXPECT_EQ(made.controls, (std::array<std::int32_t, 5>{273, 274, 276, 275, 306}));
    EXPECT_EQ(game->driverCreation.field, 1) << "the next visit opens on the type line";
    EXPECT_TRUE(std::filesystem::exists("players/A1bbbbbbbbbbbb.pl")) << "saved when made";
}

TEST_F(Drivers, CreationRefusesEmptyTakenAndUnsafeNames) {
    game->driverCreation.field = 0;
    game->profiles.push_back(std::make_unique<PlayerProfile>(namedProfile("x")));
    // Short presses: each acts once. A message box needs its own RETURN.
    // First "x", which is taken, then "." alone, which is unsafe.
    for (SDLKey typed : {SDLK_x, SDLK_PERIOD}) {
        platform.fake.releaseAll();
        platform.tap(4, 5, SDLK_RETURN); // empty name: nothing happens
        platform.tap(10, 11, typed);
        platform.tap(20, 21, SDLK_RETURN); // refused: a message box
        platform.tap(30, 31, SDLK_RETURN); // closes it, back on the screen
        platform.press(40, SDLK_ESCAPE);
        game->driverCreation.run();
        EXPECT_EQ(game->profiles.size(), 1u) << typed;
        game->driverCreation.field = 0;
    }
}

TEST(KeyNames, TableNamesAndCharacters) {
    EXPECT_EQ(keyName(273), "UP");
    EXPECT_EQ(keyName('a'), "a");
    EXPECT_EQ(keyName(256 + 'q'), "q") << "low 8 bits of a code outside the table";
    EXPECT_EQ(keyName(256), "");
    EXPECT_EQ(keyNameIndex(999), -1);
}

// The screen on its own: no game, only its context and the keyboard seam.
TEST(KeySettingsScreen, WrapsTakesAnyKeyButNeverTheReturnThatOpenedASlot) {
    ScreenRig rig;
    std::vector<std::unique_ptr<PlayerProfile>> noOthers;
    Pads pads;
    KeySettingsScreen screen(rig.context, noOthers, pads);
    PlayerProfile ann = namedProfile("Ann");
    {
        FakePlatformScope platform;
        platform.keyStroke(100, 150, SDLK_UP); // Accelerate wraps to Nitro Boost
        platform.keyStroke(300, 350, SDLK_RETURN);
        platform.keyStroke(500, 550, SDLK_LSHIFT); // any key at all
        platform.keyStroke(700, 750, SDLK_DOWN);   // Nitro Boost wraps to Accelerate
        platform.keyStroke(900, 950, SDLK_RETURN);
        platform.keyStroke(1100, 1800, SDLK_ESCAPE); // taken as the key, even held on...
        platform.keyStroke(2000, 2050, SDLK_ESCAPE); // ...and a new press ends the screen
        screen.run(ann);
        EXPECT_GE(platform.fake.now, 2000u);
        EXPECT_EQ(ann.controls,
                  (std::array<std::int32_t, 5>{SDLK_ESCAPE, 274, 276, 275, SDLK_LSHIFT}));
        EXPECT_FALSE(screen.waitingForKey);
    }
    PlayerProfile bob = namedProfile("Bob");
    {
        FakePlatformScope platform;
        platform.keyStroke(100, 250, SDLK_RETURN); // opens Accelerate's slot
        platform.keyStroke(500, 600, SDLK_q);
        platform.keyStroke(800, 850, SDLK_ESCAPE);
        screen.run(bob);
    }
    EXPECT_EQ(bob.controls, (std::array<std::int32_t, 5>{SDLK_q, 274, 276, 275, 306}));
}

TEST_F(Drivers, AnOrdinaryKeyPressTypesOneCharacter) {
    game->driverCreation.field = 0;
    platform.keyStroke(50, 250, SDLK_a);
    platform.keyStroke(300, 480, SDLK_b);
    platform.keyStroke(600, 700, SDLK_RETURN);   // accept
    platform.keyStroke(900, 950, SDLK_RETURN);   // closes "Player ab created."
    platform.keyStroke(3000, 3050, SDLK_ESCAPE); // only if still on the screen
    game->driverCreation.run();
    EXPECT_EQ(profileNames(*game), (std::vector<std::string>{"ab"}));
}

TEST_F(Drivers, ANewDriverLeavesTheSavedSelectionOnTheSameDrivers) {
    for (const char* name : {"Bob", "Cy", "Dee"})
        writeDriver(namedProfile(name));
    game->quit = false;
    game->startUp();
    ASSERT_EQ(profileNames(*game), (std::vector<std::string>{"Bob", "Cy", "Dee"}));
    game->selection.drivers = {2, 0, -1, -1, -1, -1, -1, -1};
    game->selection.driverCount = 2;
    platform.keyStroke(100, 150, SDLK_RETURN); // closes "Player Abe created."
    game->createProfile("Abe", Computer);
    EXPECT_EQ(profileNames(*game), (std::vector<std::string>{"Abe", "Bob", "Cy", "Dee"}))
        << "in the order the next start reads them";
    game->shutDown();

    game->profiles.clear();
    game->selection.drivers.fill(-1);
    game->startUp();
    ASSERT_EQ(profileNames(*game), (std::vector<std::string>{"Abe", "Bob", "Cy", "Dee"}));
    ASSERT_EQ(game->selection.driverCount, 2);
    EXPECT_EQ(game->profiles[std::size_t(game->selection.drivers[0])]->name, "Dee");
    EXPECT_EQ(game->profiles[std::size_t(game->selection.drivers[1])]->name, "Bob");
}
