// The game's own files against the disk and the player: unwritable places,
// a full disk, killed saves, clashing names and damaged files at start.
#include "app/settings_file.hpp"
#include "records/lap_record.hpp"
#include "records/profile.hpp"
#include "test_support.hpp"
#include "track/directory.hpp"
#include "ui/driver_select.hpp"
#include "ui/menu.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <linux/capability.h>
#include <map>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

// The driver a file holds, as name, races driven and laps.
std::tuple<std::string, std::int32_t, std::int32_t> storedDriver(const std::string& path) {
    PlayerProfile p;
    EXPECT_TRUE(decodeProfile(bytesOf(path), p)) << path;
    return {p.name, p.racesDriven, p.totalLaps};
}

// Every plain file under the working directory, by path, except what the
// data links lead to.
std::map<std::string, std::vector<std::uint8_t>> snapshot() {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (auto it = fs::recursive_directory_iterator("."); it != fs::recursive_directory_iterator();
         ++it)
        if (it->is_regular_file() && !it->is_symlink())
            files[it->path().lexically_normal().string()] = bytesOf(it->path().string());
    return files;
}

std::vector<std::string> temporaries() {
    std::vector<std::string> found;
    for (auto& entry : fs::recursive_directory_iterator("."))
        if (entry.path().extension() == ".tmp") found.push_back(entry.path().string());
    return found;
}

// Root writes anywhere whatever the permissions say. For the length of a
// scope this thread gives up that right (it keeps it to take back).
class NoPermissionOverride {
  public:
    NoPermissionOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        lowered_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~NoPermissionOverride() {
        if (lowered_) syscall(SYS_capset, &header_, saved_);
    }
    bool permissionsHold() const { return geteuid() != 0 || lowered_; }

  private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};

struct StoredFiles : GameTest {
    void SetUp() override {
        GameTest::SetUp();
        game->headless = true; // message boxes print their text
        game->profiles.clear();
        defaultOptions(*game);
        game->menuScreen = 0;
    }
    void TearDown() override {
        game->headless = false;
        game->profiles.clear();
    }
    // A start as the game makes one, and what it said (its warnings on
    // standard error are kept in `warnings`).
    std::string start() {
        game->profiles.clear();
        game->selection.tracks.fill(-1);
        game->selection.drivers.fill(-1);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        game->quit = false;
        game->startUp();
        warnings = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }
    std::string quit() {
        return stdoutOf([&] { game->shutDown(); });
    }
    std::string create(const std::string& name, std::int32_t type = Computer) {
        return stdoutOf([&] { game->createProfile(name, type); });
    }
    std::vector<std::string> selectedNames() {
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < game->selection.driverCount; ++i)
            out.push_back(
                game->profiles[std::size_t(game->selection.drivers[std::size_t(i)])]->name);
        return out;
    }
    PlayerProfile& named(const std::string& name) {
        for (auto& p : game->profiles)
            if (p->name == name) return *p;
        ADD_FAILURE() << "no driver " << name;
        return *game->profiles.front();
    }
    void select(const std::vector<std::string>& drivers) {
        game->selection.drivers.fill(-1);
        for (std::size_t i = 0; i < drivers.size(); ++i)
            for (std::size_t j = 0; j < game->profiles.size(); ++j)
                if (game->profiles[j]->name == drivers[i])
                    game->selection.drivers[i] = std::int32_t(j);
        game->selection.driverCount = std::int32_t(drivers.size());
    }

    std::string warnings;
};

} // namespace

TEST_F(StoredFiles, APlayersDirectoryThatIsMissingIsMadeOneThatCannotBeWrittenIsReported) {
    // Missing: made at start, and a new driver is saved into it at once.
    fs::remove("players");
    EXPECT_EQ(start().find("can't"), std::string::npos);
    ASSERT_TRUE(fs::is_directory("players"));
    EXPECT_NE(create("zed").find("Player zed created."), std::string::npos);
    EXPECT_TRUE(fs::exists("players/zed.pl"));
    EXPECT_EQ(quit().find("Could not"), std::string::npos);

    // A plain file where players/ should be: said at start, at creation and
    // at quit; the file stays as it was.
    fs::remove_all("players");
    writeFileAtomically("players", {'k', 'e', 'e', 'p'});
    EXPECT_NE(start().find("Drivers can't be saved in players/."), std::string::npos);
    const std::string made = create("zed");
    EXPECT_NE(made.find("Could not save Player zed."), std::string::npos);
    EXPECT_EQ(made.find("created"), std::string::npos);
    EXPECT_NE(quit().find("Could not save Player zed."), std::string::npos);
    EXPECT_EQ(bytesOf("players"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));

    // Read-only, with a driver in it: said at start; quitting with nothing
    // changed is quiet, a changed driver is reported and its file kept.
    fs::remove("players");
    fs::create_directory("players");
    writeDriver(namedProfile("Ann"));
    const auto ann = bytesOf("players/Ann.pl");
    fs::permissions("players", fs::perms::owner_read | fs::perms::owner_exec);
    {
        NoPermissionOverride asUser;
        if (asUser.permissionsHold()) {
            EXPECT_NE(start().find("Drivers can't be saved in players/."), std::string::npos);
            EXPECT_EQ(quit().find("Could not"), std::string::npos);
            named("Ann").totalLaps = 7;
            EXPECT_NE(create("Bo").find("Could not save Player Bo."), std::string::npos);
            EXPECT_NE(quit().find("Could not save 2 drivers."), std::string::npos);
            EXPECT_EQ(bytesOf("players/Ann.pl"), ann);
            EXPECT_EQ(fs::directory_iterator("players")->path().filename(), "Ann.pl");
        } else {
            ADD_FAILURE() << "root could not give up writing anywhere; read-only case not run";
        }
    }
    fs::permissions("players", fs::perms::owner_all);

    // set.dat a directory: quitting says the settings were not saved.
    fs::remove("set.dat");
    fs::create_directory("set.dat");
    start();
    game->selection.tracks[0] = 0;
    EXPECT_NE(quit().find("Could not save the settings."), std::string::npos);
    EXPECT_TRUE(fs::is_directory("set.dat"));
    EXPECT_TRUE(temporaries().empty());
}

TEST_F(StoredFiles, AFullDiskKeepsTheOldFilesWholeAndSaysSo) {
    writeDriver(namedProfile("Ann"));
    start();
    game->selection.tracks[0] = 0;
    quit();
    const auto before = snapshot();
    ASSERT_TRUE(before.count("set.dat") && before.count("selection.txt"));

    named("Ann").totalLaps = 12;
    game->selection.tracks[1] = 0;
    game->selection.drivers[0] = 0;
    // The child writes as on a full disk: nothing past 40 bytes of any file
    // (EFBIG, the signal ignored), so every save breaks off part-way.
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    std::fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], 1);
        close(out[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        game->shutDown();
        std::fflush(stdout);
        _exit(0);
    }
    close(out[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, std::size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    EXPECT_NE(said.find("Could not save the settings."), std::string::npos) << said;
    EXPECT_NE(said.find("Could not save Player Ann."), std::string::npos) << said;
    EXPECT_EQ(snapshot(), before) << "the old files stay whole";
    EXPECT_TRUE(temporaries().empty());

    // With room again the same saves go through.
    EXPECT_EQ(quit().find("Could not"), std::string::npos);
    EXPECT_EQ(storedDriver("players/Ann.pl"), std::tuple("Ann", 0, 12));
}

TEST_F(StoredFiles, SavesKilledAtAnyMomentLeaveTheOldFileOrTheNew) {
    writeDriver(namedProfile("Ann"));
    start();
    PlayerProfile& ann = named("Ann");
    // Two versions of every file, of different lengths.
    auto version = [&](bool second) {
        game->selection.tracks.fill(-1);
        game->selection.tracks[0] = 0;
        if (second) game->selection.tracks[1] = 0;
        game->selection.drivers.fill(-1);
        if (second) game->selection.drivers[0] = 0;
        ann.totalLaps = second ? 2 : 1;
        ann.carName = second ? std::string(200, 'x') : "Comet";
        game->mainMenu->at(3, 4)->value = second;
        game->mainMenu->at(3, 4)->action(*game->mainMenu->at(3, 4));
    };
    const std::vector<std::string> files = {"set.dat", "selection.txt", "players/Ann.pl"};
    std::map<std::string, std::vector<std::uint8_t>> oldBytes, newBytes;
    const auto startedSaving = std::chrono::steady_clock::now();
    version(true);
    ASSERT_TRUE(game->writeSettings() && game->saveProfile(ann));
    for (const auto& f : files)
        newBytes[f] = bytesOf(f);
    version(false);
    ASSERT_TRUE(game->writeSettings() && game->saveProfile(ann));
    for (const auto& f : files) {
        oldBytes[f] = bytesOf(f);
        ASSERT_NE(oldBytes[f], newBytes[f]) << f;
    }
    // Kills spread over a few rounds of saving, however fast the disk syncs.
    const auto round = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - startedSaving)
                           .count();
    const long window = std::clamp(long(round), 2000L, 20000L);

    std::mt19937 random(20240611);
    int leftovers = 0, newSeen = 0;
    std::fflush(stdout);
    for (int kill = 0; kill < 200; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool second = true;; second = !second) {
                version(second);
                game->writeSettings();
                game->saveProfile(ann);
            }
        }
        usleep(useconds_t(long(random() % std::uint32_t(window))));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        for (const auto& f : files) {
            const auto now = bytesOf(f);
            ASSERT_TRUE(now == oldBytes[f] || now == newBytes[f]) << f << " after kill " << kill;
        }
        leftovers += !temporaries().empty();
        newSeen += bytesOf("set.dat") == newBytes["set.dat"];
    }
    EXPECT_GT(newSeen, 0) << "no kill came after a whole save";
    // What the kills left behind the next start clears away.
    stdoutOf([&] { game->clearLeftoverSaves(); });
    EXPECT_TRUE(temporaries().empty()) << leftovers << " kills left a temporary";
}

TEST_F(StoredFiles, AStartClearsTheLeftoversOfItsOwnSavesAndNothingElse) {
    writeDriver(namedProfile("Ann"));
    const std::vector<std::string> ours = {"set.dat.tmp", "selection.txt.tmp", "players/Ann.pl.tmp",
                                           "players/New One.pl.tmp", "tracks/test.rec.tmp"};
    const std::vector<std::string> theirs = {
        "notes.tmp",       "set.dat.bak",         "players/Ann.pl",  "players/readme.txt.tmp",
        "players/Ann.tmp", "tracks/test.map.tmp", "tracks/test.map", "set.tmp"};
    for (const auto& f : ours)
        writeFileAtomically(f, {1, 2, 3});
    for (const auto& f : theirs)
        if (!fs::exists(f)) writeFileAtomically(f, {4, 5, 6});
    fs::create_directory("players/folder.pl.tmp");
    fs::create_symlink("../notes.tmp", "players/link.pl.tmp");

    const std::string said = start();
    for (const auto& f : ours) {
        EXPECT_FALSE(fs::exists(f)) << f;
        EXPECT_NE(said.find("Removed " + f), std::string::npos) << said;
    }
    for (const auto& f : theirs)
        EXPECT_TRUE(fs::exists(f)) << f;
    EXPECT_TRUE(fs::is_directory("players/folder.pl.tmp"));
    EXPECT_TRUE(fs::is_symlink("players/link.pl.tmp"));
    EXPECT_EQ(profileNames(*game), (std::vector<std::string>{"Ann"}));

    EXPECT_TRUE(isLeftoverTemporary("x.pl.tmp", "*.pl"));
    EXPECT_FALSE(isLeftoverTemporary("x.pl", "*.pl"));
    EXPECT_FALSE(isLeftoverTemporary(".tmp", "*.pl"));
    EXPECT_FALSE(isLeftoverTemporary("set.dat.tmp.tmp", "set.dat"));
}

TEST_F(StoredFiles, ADriverIsSavedOnlyToItsOwnFileNeverOverAnother) {
    PlayerProfile one = namedProfile("Player One");
    one.totalLaps = 5;
    writeDriver(one);
    PlayerProfile copy = one;
    copy.totalLaps = 99;
    writeDriver(copy, "A copy.pl"); // before the real file in file order
    writeDriver(copy, "odd.pl");    // after it
    writeDriver(namedProfile("Carl"), "Bob.pl");
    writeDriver(namedProfile("Ann"), "a.pl");
    auto damaged = encodeProfile(namedProfile("Zed"));
    damaged.resize(damaged.size() / 2);
    writeFileAtomically("players/Zed.pl", damaged);
    const auto kept = snapshot();

    start();
    const std::string said = warnings;
    EXPECT_EQ(profileNames(*game), (std::vector<std::string>{"Carl", "Player One", "Ann"}));
    EXPECT_EQ(named("Player One").totalLaps, 5) << "the file named after the driver holds it";
    EXPECT_NE(said.find("players/A copy.pl is left out"), std::string::npos) << said;
    EXPECT_NE(said.find("players/odd.pl is left out"), std::string::npos) << said;
    EXPECT_NE(said.find("players/Zed.pl is damaged"), std::string::npos) << said;

    for (auto& p : game->profiles)
        p->racesDriven = 3;
    // New drivers whose names would give a file that is somebody's.
    create("Zed");
    create("Bob");
    create("a");
    quit();
    for (const char* untouched : {"players/A copy.pl", "players/odd.pl", "players/Zed.pl"})
        EXPECT_EQ(bytesOf(untouched), kept.at(untouched)) << untouched;
    EXPECT_EQ(storedDriver("players/Bob.pl"), std::tuple("Carl", 3, 0));
    EXPECT_EQ(storedDriver("players/a.pl"), std::tuple("Ann", 3, 0));
    EXPECT_EQ(storedDriver("players/Player One.pl"), std::tuple("Player One", 3, 5));
    for (const char* made : {"players/Zed 2.pl", "players/Bob 2.pl", "players/a 2.pl"})
        EXPECT_TRUE(fs::exists(made)) << made;
    EXPECT_FALSE(fs::exists("players/Ann.pl"));
    EXPECT_FALSE(fs::exists("players/Carl.pl"));

    // Deleting a driver takes its own file only.
    for (std::size_t i = 0; i < game->profiles.size(); ++i)
        if (game->profiles[i]->name == "Player One") {
            game->driverSelection.deleteDriver(std::int32_t(i));
            break;
        }
    EXPECT_FALSE(fs::exists("players/Player One.pl"));
    EXPECT_EQ(bytesOf("players/odd.pl"), kept.at("players/odd.pl"));

    // The next start reads every file back as the same driver; of the two
    // copies left the first in file order now holds the name.
    start();
    EXPECT_EQ(profileNames(*game),
              (std::vector<std::string>{"Player One", "Bob", "Carl", "Zed", "a", "Ann"}));
    EXPECT_EQ(named("Player One").totalLaps, 99);
}

TEST(SelectionFile, LinesRoundTripAndAnythingElseCountsAsAbsent) {
    SavedSelection s;
    s.trackPositions = {0, 2, -1, -1, -1, -1, -1, -1};
    s.driverPositions = {3, 0, -1, -1, -1, -1, -1, -1};
    s.tracks = {"a.map", "c.map"};
    s.drivers = {"Player One", " spaced "};
    const auto bytes = encodeSelection(s);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Gravelin selection 1\n"
                                                       "set.dat tracks 0 2 -1 -1 -1 -1 -1 -1\n"
                                                       "set.dat drivers 3 0 -1 -1 -1 -1 -1 -1\n"
                                                       "track a.map\n"
                                                       "track c.map\n"
                                                       "driver Player One\n"
                                                       "driver  spaced \n");
    SavedSelection back;
    ASSERT_TRUE(decodeSelection(bytes, back));
    EXPECT_EQ(std::tie(back.drivers, back.tracks, back.driverPositions, back.trackPositions),
              std::tie(s.drivers, s.tracks, s.driverPositions, s.trackPositions));

    auto decodes = [](const std::string& text) {
        SavedSelection out;
        return decodeSelection(std::vector<std::uint8_t>(text.begin(), text.end()), out);
    };
    const std::string positions = "set.dat tracks -1 -1 -1 -1 -1 -1 -1 -1\n"
                                  "set.dat drivers -1 -1 -1 -1 -1 -1 -1 -1\n";
    EXPECT_TRUE(decodes("Gravelin selection 1\r\n" + positions + "\ndriver Ann\r\n"));
    EXPECT_FALSE(decodes(""));
    EXPECT_FALSE(decodes("Gravelin selection 2\n" + positions));
    EXPECT_FALSE(decodes(positions));
    EXPECT_FALSE(decodes("Gravelin selection 1\nset.dat tracks -1 -1 -1 -1 -1 -1 -1 -1\n"));
    EXPECT_FALSE(decodes("Gravelin selection 1\n" + positions + "driver\n"));
    EXPECT_FALSE(decodes("Gravelin selection 1\n" + positions + "pilot Ann\n"));
    EXPECT_FALSE(decodes("Gravelin selection 1\n" + positions + positions));
    EXPECT_FALSE(decodes("Gravelin selection 1\nset.dat tracks 1 2 3\n" + positions));
    EXPECT_FALSE(decodes("Gravelin selection 1\nset.dat tracks 99999999999 -1 -1 -1 -1 -1 -1 -1\n"
                         "set.dat drivers -1 -1 -1 -1 -1 -1 -1 -1\n"));
    std::string nine = "Gravelin selection 1\n" + positions;
    for (int i = 0; i < 9; ++i)
        nine += "track a.map\n";
    EXPECT_FALSE(decodes(nine));

    // A name that cannot be one line leaves its list without names.
    s.drivers = {"Ann", "two\nlines"};
    ASSERT_TRUE(decodeSelection(encodeSelection(s), back));
    EXPECT_TRUE(back.drivers.empty());
    EXPECT_EQ(back.tracks.size(), 2u);
}

TEST_F(StoredFiles, TheSelectionKeepsItsDriversWhenDriverFilesComeAndGo) {
    for (const char* name : {"Bob", "Cy", "Dee", "Eve"})
        writeDriver(namedProfile(name, name[0] == 'E' ? Human : Computer));
    writeFileAtomically("tracks/b.map", bytesOf("tracks/test.map"));
    start();
    select({"Eve", "Cy", "Dee"});
    game->selection.tracks = {1, 0, 1, -1, -1, -1, -1, -1}; // test.map, b.map, test.map
    quit();
    auto restart = [&] {
        start();
        quit();
    };

    // A driver file added by hand before them all.
    writeDriver(namedProfile("Al", Human));
    restart();
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"Eve", "Cy", "Dee"}));
    // One damaged, one removed: neither selected.
    writeFileAtomically("players/Bob.pl", {1, 0, 0});
    fs::remove("players/Al.pl");
    restart();
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"Eve", "Cy", "Dee"}));
    const auto& names = game->settings->trackNames;
    EXPECT_EQ((std::array{names[0], names[1], names[2]}),
              (std::array<std::string, 3>{"test.map", "b.map", "test.map"}));
    // A selected driver removed: only it drops out, in a set.dat written
    // with the positions of now.
    fs::remove("players/Cy.pl");
    restart();
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"Eve", "Dee"}));
    const std::vector<std::uint8_t> settingsBytes = bytesOf("set.dat");
    ByteReader tail(settingsBytes);
    tail.seek(settingsBytes.size() - 32);
    EXPECT_EQ(tail.i32(), 1) << "Eve after Dee in the list";
    EXPECT_EQ(tail.i32(), 0);

    // set.dat written without selection.txt (by hand, or by an older game)
    // keeps its own positions.
    game->selection.drivers = {0, -1, -1, -1, -1, -1, -1, -1};
    writeFileAtomically("set.dat", encodeSettings(*game->mainMenu, game->selection.tracks,
                                                  game->selection.drivers));
    writeDriver(namedProfile("Abe"));
    restart();
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"Abe"}));
}

namespace {

// The game as a player starts it, in the working directory; its exit code,
// or -1 when it still ran after a few seconds (then stopped with SIGTERM).
int runGame(const std::string& binary, std::string& errors) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        freopen("game.out", "w", stdout);
        freopen("game.err", "w", stderr);
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    bool running = true;
    for (int waited = 0; waited < 300 && running; ++waited) {
        running = waitpid(child, &status, WNOHANG) == 0;
        if (running) usleep(10000);
    }
    if (running) {
        kill(child, SIGTERM);
        waitpid(child, &status, 0);
    }
    errors = textOf("game.err");
    fs::remove("game.out");
    fs::remove("game.err");
    if (running) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The directory's link replaced by a directory of links to each file, so
// that one of them can be damaged without touching the build's own.
void ownCopyOf(const std::string& directory) {
    const fs::path target = fs::read_symlink(directory);
    fs::remove(directory);
    fs::create_directory(directory);
    for (auto& entry : fs::directory_iterator(target))
        fs::create_symlink(entry.path(), fs::path(directory) / entry.path().filename());
}

} // namespace

TEST_F(StoredFiles, DamagedFilesAtStartLoseNothing) {
    const fs::path runtime = fs::read_symlink("data").parent_path();
    const std::string firstCar = listDirectory("cars/", "*.car").front();
    const std::vector<std::string> kinds = {
        "set.dat",          "players/Ann.pl",  "tracks/test.rec", "tracks/test.map",
        "cars/" + firstCar, "data/verd14.fnt", "data/title.bmp"};
    std::mt19937 random(99);
    for (const std::string& kind : kinds)
        for (const char* damage : {"empty", "truncated", "garbage"}) {
            SCOPED_TRACE(kind + " " + damage);
            ScratchDir scratch;
            game->profiles.clear();
            writeDriver(namedProfile("Ann"));
            writeDriver(namedProfile("Bob", Computer));
            writeFileAtomically("tracks/test.rec",
                                encodeLapRecord({900, "Bob", "Comet", "01-02-03"}));
            ownCopyOf("cars");
            ownCopyOf("data");
            start();
            select({"Ann", "Bob"});
            game->selection.tracks[0] = 0;
            quit();

            // The damage, to a file of its own.
            std::vector<std::uint8_t> bytes = bytesOf(kind);
            ASSERT_FALSE(bytes.empty());
            if (damage == std::string("empty")) bytes.clear();
            if (damage == std::string("truncated")) bytes.resize(bytes.size() / 2);
            if (damage == std::string("garbage"))
                for (auto& b : bytes)
                    b = std::uint8_t(random());
            fs::remove(kind);
            ASSERT_TRUE(writeFileAtomically(kind, bytes));
            const auto before = snapshot();

            if (kind.rfind("data/", 0) == 0) {
                // Read once per process: the real game has to start.
                std::string errors;
                EXPECT_EQ(runGame((runtime / "gravelin").string(), errors), 1);
                EXPECT_NE(errors.find("FATAL ERROR"), std::string::npos) << errors;
                EXPECT_NE(errors.find(fs::path(kind).filename().string()), std::string::npos)
                    << errors;
                EXPECT_EQ(snapshot(), before);
                continue;
            }
            start();
            quit();
            auto after = snapshot(), kept = before;
            if (kind == "set.dat" || kind == "players/Ann.pl") {
                // set.dat is written whole again, with the selection it lost
                // or, Ann left out, with Bob moved up; nothing else changes.
                std::array<std::int32_t, 8> t, p;
                EXPECT_TRUE(decodeSettings(after.at("set.dat"), *game->mainMenu, t, p));
                for (auto* files : {&after, &kept}) {
                    files->erase("set.dat");
                    files->erase("selection.txt");
                }
            }
            if (kind == "players/Ann.pl") {
                EXPECT_EQ(selectedNames(), (std::vector<std::string>{"Bob"}));
            }
            EXPECT_EQ(after, kept);
        }
    game->profiles.clear();
}
