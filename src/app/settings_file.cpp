#include "app/settings_file.hpp"

#include "app/bytes.hpp"
#include "app/game.hpp"
#include "app/settings.hpp"
#include "ui/menu.hpp"

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

void Game::readSettings() {
    std::vector<std::uint8_t> bytes;
    if (readWholeFile("set.dat", bytes) &&
        !decodeSettings(bytes, *mainMenu, selectedTracks, selectedPlayers))
        std::printf("set.dat is damaged; the settings it could not hold keep their defaults\n");

    // A track or driver that is gone since the file was written is dropped
    // rather than raced as an empty name; so is a driver chosen twice.
    for (std::int32_t& t : selectedTracks)
        if (t >= std::int32_t(tracks.size())) t = -1;
    for (int i = 0; i < kMaxDrivers; ++i) {
        std::int32_t& p = selectedPlayers[std::size_t(i)];
        if (p >= std::int32_t(profiles.size())) p = -1;
        for (int j = 0; j < i && p != -1; ++j)
            if (selectedPlayers[std::size_t(j)] == p) p = -1;
    }
    // Anything a damaged or hand-edited file left between used slots would
    // break the packed order that every screen relies on.
    packSelection(selectedTracks.data(), kMaxRaces);
    packSelection(selectedPlayers.data(), kMaxDrivers);

    numSelected = numSelectedPlayers = 0;
    settings->raceCount = settings->selectedDriverCount = 0;
    for (int i = 0; i < kMaxRaces; ++i) {
        if (selectedTracks[i] == -1) continue;
        ++numSelected;
        ++settings->raceCount;
        const std::size_t index = std::size_t(selectedTracks[i]);
        settings->trackNames[i] = index < tracks.size() ? tracks[index] : std::string();
    }
    for (int i = 0; i < kMaxDrivers; ++i) {
        if (selectedPlayers[i] == -1) continue;
        ++numSelectedPlayers;
        ++settings->selectedDriverCount;
    }
}

void Game::writeSettings() {
    writeFileAtomically("set.dat", encodeSettings(*mainMenu, selectedTracks, selectedPlayers));
}
