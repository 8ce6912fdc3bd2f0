// Starting a race from the menu: clear what is left of the last one, check
// the selections, pick the drivers, refuse two humans sharing a key, make
// the participants and hand over to the race states.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "driver/control_source.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <utility>

void Game::clearRace() {
    keepReplay();
    raceDrivers.clear();
    drawing.clear();
    controlSources.clear();
    race.reset();
}

void Game::startRace(std::int32_t mode) {
    clearRace();
    settings->mode = mode;
    settings->raceIndex = 0;

    // The selection is packed and names existing drivers after the driver
    // screen or set.dat has cleaned it; a stale entry is passed over all the
    // same rather than raced with no driver.
    std::vector<PlayerProfile*> chosen;
    for (std::int32_t slot : selection.drivers)
        if (PlayerProfile* p = profileAt(slot)) chosen.push_back(p);

    auto refuse = [this](const std::string& text) {
        showDialog(text, false);
        state = MainMenu;
    };
    if (settings->raceCount == 0) return refuse("No Tracks selected!");
    if (settings->selectedDriverCount == 0 || chosen.empty()) return refuse("No Drivers selected!");
    if (mode == RacingSeason && chosen.size() < 2)
        return refuse("Race requires at least 2 drivers!");

    switch (mode) {
    case FreeDriving:
        settings->lapsPerRace = 0;
        raceDrivers = chosen;
        break;
    case TimeTrial:
        // The driver of the first used slot: slot 0 whenever the selection
        // is as the screens keep it.
        settings->lapsPerRace = 3;
        raceDrivers = {chosen.front()};
        break;
    default:
        raceDrivers = chosen;
        break;
    }
    driverCount = std::int32_t(raceDrivers.size());

    const PlayerProfile* a = nullptr;
    const PlayerProfile* b = nullptr;
    for (const PlayerProfile* p : raceDrivers) {
        if (p->type != Human) continue;
        if (!a)
            a = p;
        else
            b = p;
    }
    if (a && b)
        for (int i = 0; i < 5; ++i)
            if (a->controls[std::size_t(i)] == b->controls[std::size_t(i)]) {
                state = MainMenu;
                showDialog(a->name + " and " + b->name + " have same controls!", false);
                return;
            }

    std::string why;
    if (!setupRaceParticipants(why)) {
        clearRace();
        return refuse(why);
    }
    state = PreRace;
    raceReady = false;
    // An announcement cut short by ESC must not shorten the next one.
    preRaceFrames = 0;
}

void Game::keepReplay() {
    if (!recorder.recording()) return;
    lastReplay = recorder.finish();
    if (!keepReplays) return;
    struct stat info;
    if (::stat("replays", &info) != 0) ::mkdir("replays", 0777);
    const std::vector<std::uint8_t> bytes = encodeReplay(lastReplay);
    std::vector<std::string> paths = {"replays/last.rpl"};
    if (std::exchange(recordReplayDue, false))
        paths.push_back(recordReplayPath(lastReplay.trackFile));
    for (const std::string& path : paths)
        if (!writeFileAtomically(path, bytes))
            std::fprintf(stderr, "Could not save %s: %s\n", path.c_str(), std::strerror(errno));
}

std::string recordReplayPath(const std::string& trackFile) {
    return "replays/" + stripExtension(trackFile) + "-record.rpl";
}
