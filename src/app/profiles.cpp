// The game's driver list: read at start-up, written at quit and when a race
// is left with ESC, and grown by driver creation.
#include "app/game.hpp"
#include "base/bytes.hpp"
#include "car/car_type.hpp"
#include "records/pad_file.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {
// The key the next start sorts a driver by: its file, or for a driver that
// has none yet the file its name would give.
std::string fileKey(const PlayerProfile& p) {
    return p.fileName.empty() ? p.name + ".pl" : p.fileName;
}

// A pad file that cannot be read leaves the driver on the default pad
// controls, and the file as it is until the player binds anew.
void loadPadBinding(PlayerProfile& profile) {
    const std::string path = padFilePath(profile.fileName);
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) return;
    std::vector<std::uint8_t> bytes;
    std::string why;
    PadBinding binding;
    if (!readWholeFile(path, bytes, kMaxPadFile)) {
        why = "cannot be read, or is too long";
    } else if (decodePadBinding(std::string(bytes.begin(), bytes.end()), binding, why)) {
        profile.pad = binding;
        profile.padBound = true;
        return;
    }
    std::fprintf(stderr, "Pad file %s is left out: %s\n", path.c_str(), why.c_str());
}
} // namespace

void Game::loadProfiles() {
    struct Read {
        std::string fileName;
        std::unique_ptr<PlayerProfile> profile;
    };
    std::vector<Read> read;
    for (const std::string& fileName : listDirectory("players/", "*.pl")) {
        std::vector<std::uint8_t> bytes;
        auto profile = std::make_unique<PlayerProfile>();
        // A file that cannot be read or is damaged is left out; the others
        // still load, and the file itself stays as it is.
        if (!readWholeFile("players/" + fileName, bytes, 1 << 16)) {
            std::fprintf(stderr, "Cannot read driver file players/%s\n", fileName.c_str());
            continue;
        }
        if (!decodeProfile(bytes, *profile)) {
            std::fprintf(stderr, "Driver file players/%s is damaged and is left out\n",
                         fileName.c_str());
            continue;
        }
        profile->fileName = fileName;
        loadPadBinding(*profile);
        read.push_back({fileName, std::move(profile)});
    }
    // One name, one driver: a copied or renamed file must not become a
    // second driver that saves over the first. The file named after the
    // driver keeps the name, else the first in file order.
    std::vector<std::string> names;
    for (const Read& r : read)
        names.push_back(r.profile->name);
    for (std::size_t i = 0; i < read.size(); ++i) {
        const std::string& name = names[i];
        std::size_t holder = read.size();
        for (std::size_t j = 0; j < read.size() && holder == read.size(); ++j)
            if (names[j] == name && read[j].fileName == name + ".pl") holder = j;
        for (std::size_t j = 0; j < read.size() && holder == read.size(); ++j)
            if (names[j] == name) holder = j;
        if (holder != i) {
            std::fprintf(stderr,
                         "Driver file players/%s is left out: players/%s already holds %s\n",
                         read[i].fileName.c_str(), read[holder].fileName.c_str(), name.c_str());
            continue;
        }
        profiles.push_back(std::move(read[i].profile));
    }
}

std::string Game::profileFilePath(const PlayerProfile& profile) const {
    return profile.fileName.empty() ? std::string() : "players/" + profile.fileName;
}

std::string Game::freeProfileFileName(const std::string& name) const {
    if (!isSafeProfileName(name)) return std::string();
    for (int number = 1; number < 1000; ++number) {
        const std::string fileName =
            number == 1 ? name + ".pl" : name + " " + std::to_string(number) + ".pl";
        bool taken = false;
        for (const auto& p : profiles)
            taken = taken || p->fileName == fileName;
        if (taken) continue;
        // Whatever is there already, a damaged driver file or one left out,
        // is somebody's. When players/ itself cannot be searched the save
        // fails anyway and says why.
        struct stat info;
        const std::string path = "players/" + fileName;
        if (::lstat(path.c_str(), &info) != 0) return fileName;
    }
    return std::string();
}

bool Game::saveProfile(PlayerProfile& profile) {
    if (profile.fileName.empty()) profile.fileName = freeProfileFileName(profile.name);
    const std::string path = profileFilePath(profile);
    if (path.empty()) {
        std::fprintf(stderr, "Could not save driver %s: no file name is free for it\n",
                     profile.name.c_str());
        return false;
    }
    if (!writeFileIfChanged(path, encodeProfile(profile))) {
        std::fprintf(stderr, "Could not save %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const std::string padPath = padFilePath(profile.fileName);
    if (!profile.padBound || padPath.empty()) return true;
    const std::string text = encodePadBinding(profile.pad);
    if (writeFileIfChanged(padPath, std::vector<std::uint8_t>(text.begin(), text.end())))
        return true;
    std::fprintf(stderr, "Could not save %s: %s\n", padPath.c_str(), std::strerror(errno));
    return false;
}

bool Game::saveProfiles() {
    std::vector<std::string> unsaved;
    for (const auto& profile : profiles)
        if (!saveProfile(*profile)) unsaved.push_back(profile->name);
    if (unsaved.empty()) return true;
    showDialog(unsaved.size() == 1
                   ? "Could not save Player " + unsaved[0] + "."
                   : "Could not save " + std::to_string(unsaved.size()) + " drivers.",
               false);
    return false;
}

const CarType* Game::carAt(std::size_t position) const {
    return position < cars.size() ? cars[position].get() : nullptr;
}

PlayerProfile* Game::profileAt(std::int32_t position) const {
    return position >= 0 && std::size_t(position) < profiles.size()
               ? profiles[std::size_t(position)].get()
               : nullptr;
}

void Game::createProfile(const std::string& name, std::int32_t type) {
    auto profile = std::make_unique<PlayerProfile>();
    profile->name = name;
    profile->type = type;
    if (const CarType* first = carAt(0)) profile->carName = first->name;
    profile->id = std::int32_t(profiles.size());
    profile->fileName = freeProfileFileName(name);
    // The list stays in the order the next start reads players/ back in, so
    // that the positions set.dat keeps still name the same drivers then.
    const std::string key = fileKey(*profile);
    std::size_t at = 0;
    while (at < profiles.size() && !listedBefore(key, fileKey(*profiles[at])))
        ++at;
    PlayerProfile& made =
        **profiles.insert(profiles.begin() + std::ptrdiff_t(at), std::move(profile));
    for (std::int32_t& slot : selection.drivers)
        if (slot >= std::int32_t(at)) ++slot;
    // Saved at once: a players/ that cannot be written shows now, not at
    // quit, and the driver outlives a crash.
    if (saveProfile(made))
        showDialog("Player " + name + " created.", false);
    else
        showDialog("Could not save Player " + name + ".", false);
}
