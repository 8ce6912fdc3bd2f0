// Runs a race or a season of computer drivers without a window, through the
// game's own race start, race frames and race manager, and reports how it
// went: the finish order, every driver's laps, best lap and pit stops, the
// frames it spent heading away from its waypoint, its contacts with other
// cars, its share of the race off the road and the cars it passed, the
// frames the race took and its peak resident memory. It
// fails (exit 1) when a track cannot be raced, the race has not ended
// within the frame limit, a driver makes no waypoint progress for too long,
// or a driver heads the wrong way in the first three seconds after GO (the
// racing line starts behind the grid).
// Ctrl+C or a SIGTERM ends it at once, lap records put back, with exit 1.
//
// usage: gravelin_racerun [--laps N] [--drivers N] [--mode free|trial|season]
//                         [--frames LIMIT] [--stuck FRAMES] [--record DATE]
//                         [--require-pit-stops] [--no-draw] [--max-off-road PERCENT]
//                         [--max-contacts-per-lap N] [--first-car NAME]
//                         [--dry-pit IDLE] [--car-offset N] <track.map>...
// A driver that drops out (out of fuel, wrecked) fails the race; with
// --require-pit-stops so does one that never stopped in the pit; with
// --max-off-road one off the road for more of its race than that, and with
// --max-contacts-per-lap a field that touched more often than that.
// --no-draw runs the race without drawing it, many times faster; the race
// itself is the same frame for frame. Run it in the runtime directory. With
// --record, a track that has no lap record file yet gets the best lap of
// the race, dated DATE. Driver i drives car i + N of cars/ (--car-offset,
// counting round; 0 by default), and --first-car gives the first driver
// that car. --dry-pit makes the first driver idle for IDLE frames of the
// race before it drives, so that it reaches the pit box nearly dry.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "driver/player.hpp"
#include "platform/platform.hpp"
#include "race/race_watch.hpp"
#include "race/replay_run.hpp"
#include "records/lap_record.hpp"
#include "records/profile.hpp"
#include "track/track.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// Each race's own peak: the kernel's high-water mark of resident memory is
// reset as a race is prepared and read when it ends (Linux; 0 elsewhere).
void resetPeakMemory() {
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

long peakMemoryKb() {
    long kb = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) break;
        std::fclose(f);
    }
    return kb;
}

// A human as a script drives: the computer driver's line, with a wild
// swerve off it every few seconds (into walls and off the road), nitro on
// the straights and a stamp on the brake now and then.
class WildDriver : public ControlSource {
  public:
    explicit WildDriver(std::int32_t swerve) : swerveFrames_(swerve) {}
    void raceStarts() override {
        line_.raceStarts();
        frame_ = swerve_ = 0;
    }
    Controls controls(const Player& self, const Track& track, const RaceRules& rules) override {
        Controls c = line_.controls(self, track, rules);
        const std::int32_t f = frame_++;
        // Into the scenery until the car hits something, or for as long as
        // the track asks to reach anything.
        if (f % 600 == 300) swerve_ = swerveFrames_;
        if (self.car->hit) swerve_ = 0;
        if (swerve_ > 0) {
            --swerve_;
            c.left = (f / 600) % 2 == 0;
            c.right = !c.left;
        }
        if (f % 240 >= 150 && f % 240 < 200) c.nitro = true;
        if (f % 700 >= 660) {
            c.throttle = 0;
            c.brake = 0.1f;
        }
        return c;
    }

  private:
    ComputerDriver line_;
    std::int32_t frame_ = 0;
    std::int32_t swerve_ = 0;
    std::int32_t swerveFrames_;
};

// A driver that comes into the pit box with its tank all but dry: it
// idles where it stands for a set number of frames of the race, burning
// fuel, then drives the computer line, which pits at its first chance once
// a lap has shown it how little it has left. On a track whose box has no
// refuel area round it, the box then fills a nearly empty tank, where
// single and double precision sums part ways.
class DryPitDriver : public ControlSource {
  public:
    explicit DryPitDriver(std::int32_t idle) : idleFrames_(idle) {}
    void raceStarts() override {
        line_.raceStarts();
        frame_ = 0;
    }
    Controls controls(const Player& self, const Track& track, const RaceRules& rules) override {
        if (frame_ < idleFrames_) {
            ++frame_;
            return Controls{};
        }
        return line_.controls(self, track, rules);
    }

  private:
    ComputerDriver line_;
    std::int32_t frame_ = 0;
    std::int32_t idleFrames_;
};

// Plays each replay headless against its checksums.
int verifyReplays(Game& game, const std::vector<std::string>& files) {
    bool failed = false;
    for (const std::string& file : files) {
        std::vector<std::uint8_t> bytes;
        Replay replay;
        std::string why;
        if (!readWholeFile(file, bytes, kMaxReplayFile)) {
            why = "cannot be read";
        } else if (decodeReplay(bytes, replay, why) && verifyReplay(replay, game.cars, why)) {
            std::printf("verified %s: %s, %zu drivers, %u frames, %zu checksums\n", file.c_str(),
                        replay.trackFile.c_str(), replay.participants.size(), replay.frames,
                        replay.checksums.size());
            continue;
        }
        std::printf("DIFFERS: %s: %s\n", file.c_str(), why.c_str());
        failed = true;
    }
    return failed ? 1 : 0;
}

const char* const kNames[] = {"Ace", "Bo", "Carla", "Dmitri", "Eve", "Finn", "Gwen", "Hiro"};

int usage() {
    std::fprintf(stderr,
                 "usage: gravelin_racerun [--laps N] [--drivers N] [--mode free|trial|season] "
                 "[--frames LIMIT] [--stuck FRAMES] [--record DATE] [--require-pit-stops] "
                 "[--no-draw] [--max-off-road PERCENT] [--max-contacts-per-lap N] "
                 "[--require-a-pit-stop] [--wild-human [--swerve FRAMES]] [--save-replay FILE] "
                 "[--first-car NAME] [--dry-pit IDLE] [--car-offset N] "
                 "<track.map>...\n"
                 "       gravelin_racerun --verify <replay.rpl>...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // A log of a run that crashed or was killed keeps its last lines.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::int32_t laps = 3, drivers = 8, frameLimit = 60000, stuckLimit = 1800;
    std::int32_t mode = RacingSeason;
    std::string recordDate;
    bool requirePitStops = false, requireAPitStop = false, draw = true, verify = false,
         wildHuman = false;
    std::int32_t swerve = 90, dryPitIdle = -1, carOffset = 0;
    std::string firstCar;
    std::int32_t humanCrashes = 0, humanOffRoad = 0, humanNitro = 0;
    std::string replayFile;
    // Clean racing: the most a driver may spend off the road (percent of
    // its racing frames) and the most contacts the field may make a lap;
    // negative: not checked.
    double maxOffRoad = -1, maxContactsPerLap = -1;
    std::vector<std::string> trackFiles;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--laps" && hasValue)
            laps = std::atoi(argv[++i]);
        else if (a == "--drivers" && hasValue)
            drivers = std::atoi(argv[++i]);
        else if (a == "--frames" && hasValue)
            frameLimit = std::atoi(argv[++i]);
        else if (a == "--stuck" && hasValue)
            stuckLimit = std::atoi(argv[++i]);
        else if (a == "--require-pit-stops")
            requirePitStops = true;
        else if (a == "--require-a-pit-stop")
            requireAPitStop = true;
        else if (a == "--no-draw")
            draw = false;
        else if (a == "--verify")
            verify = true;
        else if (a == "--wild-human")
            wildHuman = true;
        else if (a == "--swerve" && hasValue)
            swerve = std::atoi(argv[++i]);
        else if (a == "--dry-pit" && hasValue)
            dryPitIdle = std::atoi(argv[++i]);
        else if (a == "--car-offset" && hasValue)
            carOffset = std::atoi(argv[++i]);
        else if (a == "--first-car" && hasValue)
            firstCar = argv[++i];
        else if (a == "--save-replay" && hasValue)
            replayFile = argv[++i];
        else if (a == "--max-off-road" && hasValue)
            maxOffRoad = std::atof(argv[++i]);
        else if (a == "--max-contacts-per-lap" && hasValue)
            maxContactsPerLap = std::atof(argv[++i]);
        else if (a == "--record" && hasValue)
            recordDate = argv[++i];
        else if (a == "--mode" && hasValue) {
            const std::string m = argv[++i];
            mode = m == "free" ? FreeDriving : m == "trial" ? TimeTrial : RacingSeason;
        } else if (!a.empty() && a[0] == '-')
            return usage();
        else
            trackFiles.push_back(a);
    }
    if (trackFiles.empty() || (!verify && (trackFiles.size() > 8 || drivers < 1 || drivers > 8 ||
                                           laps < 1 || carOffset < 0)))
        return usage();

    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Game* game = Game::instance();
    game->headless = true;
    game->drawRace = draw && !verify;
    game->keepReplays = false;
    game->init(argc, argv);
    // The drivers live only in memory: the runner never touches players/
    // or set.dat.
    FakePlatform platform;
    useFakePlatform(&platform);
    game->profiles.push_back(
        std::make_unique<PlayerProfile>()); // keeps startUp from reading players/
    game->startUp();
    game->profiles.clear();
    if (game->cars.empty()) {
        std::fprintf(stderr, "no cars\n");
        return 1;
    }
    if (verify) return verifyReplays(*game, trackFiles);
    for (std::int32_t i = 0; i < drivers; ++i) {
        auto p = std::make_unique<PlayerProfile>();
        p->name = kNames[i];
        p->type = wildHuman && i == 0 ? Human : Computer;
        p->carName = game->cars[std::size_t(i + carOffset) % game->cars.size()]->name;
        game->profiles.push_back(std::move(p));
    }
    if (!firstCar.empty()) {
        const CarType* car = game->findCar(firstCar);
        if (!car) {
            std::fprintf(stderr, "no car %s in cars/\n", firstCar.c_str());
            return 1;
        }
        game->profiles[0]->carName = car->name;
    }
    game->selection.tracks.fill(-1);
    game->selection.drivers.fill(-1);
    for (std::size_t i = 0; i < trackFiles.size(); ++i) {
        std::int32_t position = -1;
        for (std::size_t t = 0; t < game->tracks.size(); ++t)
            if (game->tracks[t] == trackFiles[i]) position = std::int32_t(t);
        if (position < 0) {
            std::fprintf(stderr, "no track %s in tracks/\n", trackFiles[i].c_str());
            return 1;
        }
        game->selection.tracks[i] = position;
        game->settings->trackNames[i] = trackFiles[i];
    }
    for (std::int32_t i = 0; i < drivers; ++i)
        game->selection.drivers[std::size_t(i)] = i;
    game->settings->raceCount = std::int32_t(trackFiles.size());
    game->settings->selectedDriverCount = drivers;
    game->settings->lapsPerRace = laps;
    platform.onPump = [](FakePlatform& f) { f.release(SDLK_RETURN); };
    game->startRace(mode);
    if (game->state != PreRace) {
        std::fprintf(stderr, "the race did not start\n");
        return 1;
    }
    if (wildHuman) game->controlSources[0] = std::make_unique<WildDriver>(swerve);
    if (dryPitIdle >= 0) game->controlSources[0] = std::make_unique<DryPitDriver>(dryPitIdle);

    // A race run for testing leaves the lap records as it found them; only
    // --record may add a record, and only to a track that has none.
    std::map<std::string, std::vector<std::uint8_t>> records;
    for (const std::string& name : game->tracks) {
        const std::string file = "tracks/" + trackBaseName(name) + ".rec";
        std::vector<std::uint8_t> bytes;
        if (readWholeFile(file, bytes, 1 << 16)) records[file] = bytes;
    }

    bool failed = false, interrupted = false;
    std::int32_t frames = 0, raceFrames = 0, racesRun = 0;
    RaceWatch watch;
    bool firstInBox = false;
    std::int32_t raceIndex = -1;
    while (game->state != MainMenu && !failed) {
        // The runner's keyboard is a fake one; Ctrl+C and SIGTERM reach
        // SDL's own queue.
        if (systemQuitPending()) {
            std::printf("INTERRUPTED\n");
            interrupted = failed = true;
            break;
        }
        if (game->state == PreRace && !game->raceReady) {
            raceFrames = 0;
            watch.start(std::size_t(drivers), stuckLimit);
            resetPeakMemory();
        }
        game->runFrame();
        ++frames;
        ++raceFrames;
        if (game->race && game->race->track() &&
            (game->state == StartLights || game->state == Racing)) {
            std::vector<const ComputerDriver*> computers;
            for (auto& source : game->controlSources)
                computers.push_back(dynamic_cast<const ComputerDriver*>(source.get()));
            watch.observe(*game->race, computers);
            const Car& first = *game->race->players()[0]->car;
            if (dryPitIdle >= 0 && first.inPitBox && !firstInBox)
                std::printf("  dry pit: into the box with %.9g fuel at race frame %d\n",
                            double(first.fuel), raceFrames);
            firstInBox = first.inPitBox;
            if (game->state == Racing) {
                humanCrashes += first.hit;
                humanOffRoad += !first.onRoad;
                humanNitro += first.nitroOn;
            }
            const auto& players = game->race->players();
            for (std::size_t i = 0; i < players.size(); ++i) {
                const DriverWatch& w = watch.drivers()[i];
                if (w.stuck) {
                    std::printf("STUCK: %s at (%d, %d) aiming at waypoint %d\n",
                                players[i]->name.c_str(), players[i]->car->getX(),
                                players[i]->car->getY(), w.waypoint);
                    failed = true;
                }
            }
        }
        if (raceFrames > frameLimit) {
            std::printf("NOT ENDED within %d frames\n", frameLimit);
            failed = true;
        }
        if (game->state == RaceOver && raceIndex != game->settings->raceIndex) {
            Race& race = *game->race;
            const auto& players = race.players();
            raceIndex = game->settings->raceIndex;
            ++racesRun;
            std::int32_t overtakes = 0;
            for (const DriverWatch& w : watch.drivers())
                overtakes += w.overtakes;
            std::printf("race %d on %s: %d frames, %d contacts between cars (%.1f a lap), %d "
                        "overtakes, peak memory %ld kB\n",
                        raceIndex + 1, game->settings->trackNames[std::size_t(raceIndex)].c_str(),
                        raceFrames, watch.contacts(), double(watch.contacts()) / laps, overtakes,
                        peakMemoryKb());
            for (std::int32_t place = 0; place < race.finishedCount; ++place) {
                const Player& p = *players[std::size_t(race.finishOrder[std::size_t(place)] - 1)];
                const DriverWatch& w = watch.drivers()[std::size_t(p.number - 1)];
                std::printf("  %d. %-8s %-11s laps %d  best %s  pit stops %d  wrong way %d  "
                            "contacts %d  reversing %d  off road %.1f %%  overtakes %d\n",
                            place + 1, p.name.c_str(), p.car->type->name.c_str(), p.laps,
                            lapTimeText(p.bestLap).c_str(), w.pitStops, w.wrongWayFrames,
                            w.contacts, w.reverseFrames, 100 * RaceWatch::offRoadShare(w),
                            w.overtakes);
            }
            const double contactsPerLap = double(watch.contacts()) / laps;
            if (maxContactsPerLap >= 0 && contactsPerLap > maxContactsPerLap) {
                std::printf("TOO MANY CONTACTS: %.1f a lap, at most %.1f\n", contactsPerLap,
                            maxContactsPerLap);
                failed = true;
            }
            for (std::size_t i = 0; i < players.size(); ++i) {
                const double offRoad = 100 * RaceWatch::offRoadShare(watch.drivers()[i]);
                if (maxOffRoad >= 0 && offRoad > maxOffRoad) {
                    std::printf("OFF ROAD: %s spent %.1f %% of the race off the road, at most "
                                "%.1f %%\n",
                                players[i]->name.c_str(), offRoad, maxOffRoad);
                    failed = true;
                }
            }
            for (std::size_t i = 0; i < players.size(); ++i)
                if (watch.drivers()[i].earlyWrongWayFrames > 0) {
                    std::printf("WRONG WAY AT GO: %s headed away from its waypoint for %d of "
                                "the first %d frames\n",
                                players[i]->name.c_str(), watch.drivers()[i].earlyWrongWayFrames,
                                RaceWatch::kEarlyFrames);
                    failed = true;
                }
            for (auto& p : players)
                if (p->out)
                    std::printf("  out: %-8s laps %d  fuel %.1f  %s\n", p->name.c_str(), p->laps,
                                double(p->car->fuel), p->car->wrecked ? "wrecked" : "");
            if (!recordDate.empty() && race.finishedCount > 0) {
                Track& track = *race.track();
                const std::string file = "tracks/" + track.name + ".rec";
                const Player* best = nullptr;
                for (auto& p : players)
                    if (p->bestLap > 0 && (!best || p->bestLap < best->bestLap)) best = p.get();
                if (best && !records.count(file)) {
                    track.record = {best->bestLap, best->name, best->car->type->name, recordDate};
                    track.saveRecord();
                    std::printf("  lap record %s by %s\n", lapTimeText(best->bestLap).c_str(),
                                best->name.c_str());
                }
            }
            for (auto& p : players)
                if (!p->finished || p->out) failed = true;
            std::int32_t pitStops = 0;
            for (const DriverWatch& w : watch.drivers())
                pitStops += w.pitStops;
            if (requireAPitStop && pitStops == 0) {
                std::printf("NO PIT STOP in the race\n");
                failed = true;
            }
            if (wildHuman) {
                std::printf("  the human: %d crashes, %d frames off the road, %d on nitro\n",
                            humanCrashes, humanOffRoad, humanNitro);
                if (!humanCrashes || !humanOffRoad || !humanNitro) {
                    std::printf("TOO TAME: the human must crash, leave the road and use nitro\n");
                    failed = true;
                }
            }
            if (requirePitStops)
                for (const DriverWatch& w : watch.drivers())
                    if (w.pitStops == 0) {
                        std::printf("NO PIT STOP by a driver\n");
                        failed = true;
                    }
        }
        if (game->state == Standings) platform.press(SDLK_RETURN);
    }
    for (const std::string& name : game->tracks) {
        const std::string file = "tracks/" + trackBaseName(name) + ".rec";
        const auto kept = records.find(file);
        if (kept != records.end())
            writeFileAtomically(file, kept->second);
        else if (recordDate.empty() || failed || name != trackFiles.front())
            std::remove(file.c_str());
    }
    game->keepReplay();
    if (!replayFile.empty() && !failed) {
        if (writeFileAtomically(replayFile, encodeReplay(game->lastReplay)))
            std::printf("replay of the last race saved in %s (%u frames)\n", replayFile.c_str(),
                        game->lastReplay.frames);
        else
            failed = true;
    }
    // A track that could not be raced sends the game back to the menu early.
    if (!interrupted && racesRun < game->settings->raceCount) {
        std::printf("only %d of %d races were run\n", racesRun, game->settings->raceCount);
        failed = true;
    }
    // Frames at 16 ms against the processor time of the whole run, set-up
    // and all: how much faster than real time the races ran.
    const double cpu = double(std::clock()) / CLOCKS_PER_SEC;
    std::printf("%s after %d frames, %.2f s of processor time, %.0f x real time\n",
                failed ? "FAILED" : "finished", frames, cpu, cpu > 0 ? frames * 0.016 / cpu : 0.0);
    return failed ? 1 : 0;
}
