#include "ui/driver_select.hpp"

#include "app/game.hpp"
#include "platform/platform.hpp"
#include "car/car_type.hpp"
#include "gfx/font.hpp"
#include "records/profile.hpp"
#include "ui/menu.hpp"

#include <cstdio>

std::int32_t driverColumn = 0;
std::int32_t driverRow = 0;
std::int32_t driverPage = 0;
std::int32_t humanCount = 0;

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kDimWhite = 0xFF7F7F7F;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::int32_t kPerPage = 8;
// RETURN acts on the press and repeats when held (a car list is quicker to
// cycle); every other key of the screen comes as a key event.
KeyRepeat returnKey;

bool isSelected(std::int32_t position) {
    for (std::int32_t slot : selectedPlayers)
        if (slot == position) return true;
    return false;
}

std::int32_t indexOfSelected(std::int32_t position) {
    for (std::int32_t i = 0; i < numSelectedPlayers; ++i)
        if (selectedPlayers[std::size_t(i)] == position) return i;
    return -1;
}
} // namespace

void addDriver(std::int32_t position) {
    if (numSelectedPlayers == kMaxDrivers) {
        std::printf("LIST FULL\n");
        return;
    }
    std::printf("numSelectedPlayers is %d\n", numSelectedPlayers);
    for (int i = 0; i < kMaxDrivers; ++i)
        if (selectedPlayers[std::size_t(i)] == -1) {
            selectedPlayers[std::size_t(i)] = position;
            ++numSelectedPlayers;
            std::printf("added plyer number %d to position %d\n", position, i);
            return;
        }
    std::printf("No Free entry!\n");
}

void removeDriver(std::int32_t entry) {
    std::printf("removing num %d\n", entry);
    if (entry >= 0 && entry < kMaxDrivers) {
        for (std::int32_t i = entry; i + 1 < kMaxDrivers; ++i)
            selectedPlayers[std::size_t(i)] = selectedPlayers[std::size_t(i + 1)];
        selectedPlayers[kMaxDrivers - 1] = -1;
        if (numSelectedPlayers > 0) --numSelectedPlayers;
    }
    if (driverRow == numSelectedPlayers) --driverRow;
    if (driverRow < 0) {
        driverRow = 0;
        driverColumn = 0;
    }
}

void deleteDriver(std::int32_t position) {
    Game* game = Game::instance();
    const PlayerProfile* profile = game->profileAt(position);
    if (!profile) return;
    const std::int32_t entry = indexOfSelected(position);
    if (entry != -1) {
        driverRow = entry;
        removeDriver(entry);
    }
    // Only the driver's own file goes, never one that merely has its name.
    const std::string path = game->profileFilePath(*profile);
    if (!path.empty()) std::remove(path.c_str());
    game->profiles.erase(game->profiles.begin() + position);
    // The drivers behind it moved up one place: so do their selections.
    for (std::int32_t& slot : selectedPlayers)
        if (slot > position) --slot;
    const std::int32_t n = std::int32_t(game->profiles.size());
    if (driverPage > 0 && driverPage * kPerPage >= n) driverPage = n > 0 ? (n - 1) / kPerPage : 0;
    driverRow = 0;
    if (n == 0) {
        delay(500);
        driverColumn = 5;
    }
}

void Game::driverSelectionFrame() {
    setFont(fontMenu);
    drawCentred("Driver Selection", 0xFFAAFF00, 40);
    const std::int32_t n = std::int32_t(profiles.size());
    setFont(fontSmall);
    drawText(screen, 30, 85, "Driver:", kGreen, true);
    drawText(screen, 130, 85, "Type:", kGreen, true);
    drawText(screen, 340, 85, "Car:", kGreen, true);

    if (driverPage > 0 && driverPage * kPerPage >= n) driverPage = n > 0 ? (n - 1) / kPerPage : 0;
    const std::int32_t first = n < kPerPage ? 0 : driverPage * kPerPage;
    const std::int32_t end = std::min(first + kPerPage, n);
    const std::int32_t cursor = driverRow + driverPage * kPerPage;
    const std::int32_t step = glyphHeight('A') + 3;
    auto colour = [&](std::int32_t column, std::int32_t position) {
        return driverColumn == column && cursor == position ? kWhite : kDimWhite;
    };
    for (std::int32_t i = first, y = 110; i < end; ++i, y += step) {
        const PlayerProfile& p = *profiles[std::size_t(i)];
        drawText(screen, 30, y, p.name, colour(0, i), true);
        drawText(screen, 130, y, p.type == Computer ? "COMPUTER" : "HUMAN", colour(0, i), true);
        drawText(screen, 230, y, "...", colour(1, i), true);
        drawText(screen, 260, y, "controls...", colour(2, i), true);
        drawText(screen, 340, y, p.carName, colour(3, i), true);
    }

    drawText(screen, 440, 85, "Selected Drivers:", kGreen, true);
    humanCount = 0;
    for (std::int32_t j = 0, y = 110; j < numSelectedPlayers; ++j, y += step) {
        std::int32_t& slot = selectedPlayers[std::size_t(j)];
        if (slot == -1) continue;
        const PlayerProfile* p = profileAt(slot);
        if (!p) {
            slot = -1;
            continue;
        }
        drawText(screen, 440, y, p->name, driverColumn == 4 && driverRow == j ? kWhite : kDimWhite,
                 false);
        if (p->type == Human) ++humanCount;
    }

    setFont(fontMedium);
    drawText(screen, 40, 230, "Create Driver...", driverColumn == 5 ? kWhite : kDimWhite, true);
    drawCentred("PAGE UP/PAGE DOWN - Next/Prev page.", 0xFFFFFF00, 300);
    drawCentred("DEL - delete driver.", 0xFFFFFF00, 330);
    drawCentred("ESC - go back.", 0xFFFFFF00, 360);
    // Draining input here would swallow the very keys that reach "Create
    // Driver..." and ESC.
    if (n == 0) driverColumn = 5;
    delay(10);
    refreshKeys();

    const std::int32_t shown = end - first;
    switch (keyPressed) {
    case SDLK_UP:
        if (driverColumn == 5) {
            if (shown > 0) {
                driverColumn = 0;
                driverRow = shown - 1;
            }
        } else if (driverRow > 0) {
            --driverRow;
        }
        break;
    case SDLK_DOWN:
        ++driverRow;
        if (driverColumn <= 3 && driverRow >= shown) {
            driverColumn = 5;
            driverRow = 0;
        } else if (driverColumn == 4 && driverRow >= numSelectedPlayers) {
            driverRow = 0;
        } else if (driverColumn == 5) {
            driverRow = 0;
        }
        break;
    case SDLK_RIGHT:
        ++driverColumn;
        if (driverColumn >= 4) driverRow = 0;
        if (driverColumn > 4) driverColumn = 0;
        break;
    case SDLK_LEFT:
        --driverColumn;
        if (driverColumn == 3) driverRow = 0;
        if (driverColumn < 0) driverColumn = numSelectedPlayers > 0 ? 4 : 0;
        if (driverColumn == 4) driverRow = 0;
        break;
    case SDLK_PAGEDOWN:
        if (driverPage * kPerPage + kPerPage < n) {
            ++driverPage;
            driverRow = 0;
        }
        break;
    case SDLK_PAGEUP:
        if (driverPage > 0) --driverPage;
        driverRow = std::min(kPerPage, n - driverPage * kPerPage) - 1;
        if (driverRow < 0) driverRow = 0;
        break;
    case SDLK_DELETE:
        if (driverColumn == 0 && cursor < n) {
            const PlayerProfile& p = *profiles[std::size_t(cursor)];
            if (showDialog("Delete driver " + p.name + "?", true)) deleteDriver(cursor);
        }
        break;
    default:
        break;
    }

    returnKey.update();
    if (returnKey.fired(SDLK_RETURN)) {
        const std::int32_t position = driverRow + driverPage * kPerPage;
        PlayerProfile* p = profileAt(position);
        switch (driverColumn) {
        case 0:
            if (p && (p->type == Computer || humanCount < 2) && !isSelected(position))
                addDriver(position);
            break;
        case 1:
            showStatistics(position);
            break;
        case 2:
            if (p) keySettingsScreen(position);
            break;
        case 3:
            if (p) {
                // A car the list does not know gives the first car.
                const CarType* next = nextCar(findCar(p->carName));
                if (!next) next = carAt(0);
                if (next) p->carName = next->name;
            }
            break;
        case 4:
            removeDriver(driverRow);
            break;
        case 5:
            driverCreationScreen();
            break;
        default:
            break;
        }
    }
    settings->selectedDriverCount = 0;
    for (std::int32_t slot : selectedPlayers)
        if (slot != -1) ++settings->selectedDriverCount;
    setFont(fontSmall);
}
