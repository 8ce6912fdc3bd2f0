#include "app/settings_file.hpp"

#include "app/game.hpp"
#include "base/bytes.hpp"
#include "records/profile.hpp"
#include "ui/menu.hpp"
#include "ui/settings.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
template <typename Visit> void forEachItem(const GameMenu& menu, Visit visit) {
    for (MenuItem* item : menu.items)
        if (item) visit(*item);
}
} // namespace

std::vector<std::uint8_t> encodeSettings(const GameMenu& menu,
                                         const std::array<std::int32_t, 8>& tracks,
                                         const std::array<std::int32_t, 8>& players) {
    ByteWriter out;
    forEachItem(menu, [&](const MenuItem& item) {
        out.countedString(item.label);
        out.i32(item.value);
        out.countedString(item.text);
    });
    for (std::int32_t t : tracks)
        out.i32(t);
    for (std::int32_t p : players)
        out.i32(p);
    return out.bytes();
}

bool decodeSettings(const std::vector<std::uint8_t>& bytes, GameMenu& menu,
                    std::array<std::int32_t, 8>& tracks, std::array<std::int32_t, 8>& players) {
    ByteReader in(bytes);
    forEachItem(menu, [&](MenuItem& item) {
        std::string label, text;
        if (!in.countedString(label, kMaxSettingsText)) return;
        const std::int32_t value = in.i32();
        if (!in.countedString(text, kMaxSettingsText)) return;
        item.label = label;
        item.value = value;
        if (!text.empty()) item.text = text;
        if ((item.kind == TextItem || item.kind == ValueItem) && item.action) item.action(item);
    });
    std::array<std::int32_t, 8> readTracks, readPlayers;
    for (auto& t : readTracks)
        t = in.i32();
    for (auto& p : readPlayers)
        p = in.i32();
    if (!in.ok()) return false;
    tracks = readTracks;
    players = readPlayers;
    return true;
}

namespace {
constexpr const char* kTrackPositions = "set.dat tracks";
constexpr const char* kDriverPositions = "set.dat drivers";

bool fitsOnALine(const std::string& name) {
    return !name.empty() && name.find_first_of("\r\n") == std::string::npos;
}

void writeLine(ByteWriter& out, const std::string& line) {
    out.raw(line.data(), line.size());
    out.u8('\n');
}

std::string positionsLine(const char* key, const std::array<std::int32_t, 8>& positions) {
    std::string line = key;
    for (std::int32_t p : positions)
        line += " " + std::to_string(p);
    return line;
}

// Eight whole numbers after the key, nothing else.
bool readPositions(const std::string& rest, std::array<std::int32_t, 8>& out) {
    std::size_t at = 0;
    for (std::int32_t& p : out) {
        if (at >= rest.size() || rest[at] != ' ') return false;
        ++at;
        const std::size_t start = at;
        if (at < rest.size() && rest[at] == '-') ++at;
        const std::size_t digits = at;
        while (at < rest.size() && rest[at] >= '0' && rest[at] <= '9')
            ++at;
        if (at == digits || at - digits > 9) return false;
        p = std::int32_t(std::stol(rest.substr(start, at - start)));
    }
    return at == rest.size();
}

std::int32_t usedCount(const std::array<std::int32_t, 8>& positions) {
    std::int32_t n = 0;
    for (std::int32_t p : positions)
        n += p != -1;
    return n;
}
} // namespace

std::vector<std::uint8_t> encodeSelection(const SavedSelection& selection) {
    ByteWriter out;
    writeLine(out, kSelectionHeader);
    writeLine(out, positionsLine(kTrackPositions, selection.trackPositions));
    writeLine(out, positionsLine(kDriverPositions, selection.driverPositions));
    auto names = [&](const char* key, const std::vector<std::string>& list) {
        for (const std::string& name : list)
            if (!fitsOnALine(name)) return;
        for (const std::string& name : list)
            writeLine(out, std::string(key) + " " + name);
    };
    names("track", selection.tracks);
    names("driver", selection.drivers);
    return out.bytes();
}

bool decodeSelection(const std::vector<std::uint8_t>& bytes, SavedSelection& out) {
    ByteReader in(bytes);
    std::string text(bytes.size(), '\0');
    if (!in.take(text.data(), text.size())) return false;
    SavedSelection s;
    bool header = false, tracks = false, drivers = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        // A file saved again by a text editor on another system.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto keyed = [&line](const std::string& key, std::string& rest) {
            if (line.compare(0, key.size() + 1, key + " ") != 0) return false;
            rest = line.substr(key.size());
            return true;
        };
        std::string rest;
        if (!header) {
            if (line != kSelectionHeader) return false;
            header = true;
        } else if (line.empty()) {
            continue;
        } else if (keyed(kTrackPositions, rest)) {
            if (tracks || !readPositions(rest, s.trackPositions)) return false;
            tracks = true;
        } else if (keyed(kDriverPositions, rest)) {
            if (drivers || !readPositions(rest, s.driverPositions)) return false;
            drivers = true;
        } else if (keyed("track", rest) && rest.size() > 1) {
            s.tracks.push_back(rest.substr(1));
        } else if (keyed("driver", rest) && rest.size() > 1) {
            s.drivers.push_back(rest.substr(1));
        } else {
            return false;
        }
        if (s.tracks.size() > 8 || s.drivers.size() > 8) return false;
    }
    if (!header || !tracks || !drivers) return false;
    out = std::move(s);
    return true;
}

void Game::readSettings() {
    std::vector<std::uint8_t> bytes;
    if (readWholeFile("set.dat", bytes) &&
        !decodeSettings(bytes, *mainMenu, selection.tracks, selection.drivers))
        std::printf("set.dat is damaged; the settings it could not hold keep their defaults\n");

    // The names stand in for set.dat's positions only while set.dat still
    // holds the positions they were saved with: a set.dat written without
    // them (by hand, or by an older game) keeps its own.
    SavedSelection names;
    if (readWholeFile("selection.txt", bytes, 1 << 16) && decodeSelection(bytes, names) &&
        names.trackPositions == selection.tracks && names.driverPositions == selection.drivers) {
        // A name that is no longer found drops out of the selection; the
        // others keep their drivers whatever moved in the lists.
        if (std::int32_t(names.tracks.size()) == usedCount(selection.tracks)) {
            selection.tracks.fill(-1);
            std::size_t used = 0;
            for (const std::string& name : names.tracks) {
                const auto found = std::find(tracks.begin(), tracks.end(), name);
                if (found == tracks.end())
                    std::printf("The selected track %s is gone\n", name.c_str());
                else
                    selection.tracks[used++] = std::int32_t(found - tracks.begin());
            }
        }
        if (std::int32_t(names.drivers.size()) == usedCount(selection.drivers)) {
            selection.drivers.fill(-1);
            std::size_t used = 0;
            for (const std::string& name : names.drivers) {
                std::int32_t found = -1;
                for (std::size_t i = 0; i < profiles.size() && found == -1; ++i)
                    if (profiles[i] && profiles[i]->name == name) found = std::int32_t(i);
                if (found == -1)
                    std::printf("The selected driver %s is gone\n", name.c_str());
                else
                    selection.drivers[used++] = found;
            }
        }
    }

    // A track or driver that is gone since the file was written is dropped
    // rather than raced as an empty name; so is a driver chosen twice.
    for (std::int32_t& t : selection.tracks)
        if (t >= std::int32_t(tracks.size())) t = -1;
    for (int i = 0; i < kMaxDrivers; ++i) {
        std::int32_t& p = selection.drivers[std::size_t(i)];
        if (p >= std::int32_t(profiles.size())) p = -1;
        for (int j = 0; j < i && p != -1; ++j)
            if (selection.drivers[std::size_t(j)] == p) p = -1;
    }
    // Anything a damaged or hand-edited file left between used slots would
    // break the packed order that every screen relies on.
    packSelection(selection.tracks.data(), kMaxRaces);
    packSelection(selection.drivers.data(), kMaxDrivers);

    selection.trackCount = selection.driverCount = 0;
    settings->raceCount = settings->selectedDriverCount = 0;
    for (int i = 0; i < kMaxRaces; ++i) {
        if (selection.tracks[i] == -1) continue;
        ++selection.trackCount;
        ++settings->raceCount;
        const std::size_t index = std::size_t(selection.tracks[i]);
        settings->trackNames[i] = index < tracks.size() ? tracks[index] : std::string();
    }
    for (int i = 0; i < kMaxDrivers; ++i) {
        if (selection.drivers[i] == -1) continue;
        ++selection.driverCount;
        ++settings->selectedDriverCount;
    }
}

bool Game::writeSettings() {
    if (!writeFileIfChanged("set.dat",
                            encodeSettings(*mainMenu, selection.tracks, selection.drivers))) {
        std::fprintf(stderr, "Could not save set.dat: %s\n", std::strerror(errno));
        return false;
    }
    SavedSelection names;
    names.trackPositions = selection.tracks;
    names.driverPositions = selection.drivers;
    for (std::int32_t t : selection.tracks)
        if (t >= 0 && std::size_t(t) < tracks.size())
            names.tracks.push_back(tracks[std::size_t(t)]);
    for (std::int32_t p : selection.drivers)
        if (const PlayerProfile* profile = profileAt(p)) names.drivers.push_back(profile->name);
    if (!writeFileIfChanged("selection.txt", encodeSelection(names))) {
        std::fprintf(stderr, "Could not save selection.txt: %s\n", std::strerror(errno));
        return false;
    }
    return true;
}
