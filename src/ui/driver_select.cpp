#include "ui/driver_select.hpp"

#include "car/car_type.hpp"
#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "records/profile.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kDimWhite = 0xFF7F7F7F;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::int32_t kPerPage = 8;
constexpr std::int32_t kMaxHumans = 2;
// The car card sits right of "Create Driver...", above the help lines.
constexpr std::int32_t kCardX = 240;
constexpr std::int32_t kCardY = 222;

bool isSelected(const Selection& selection, std::int32_t position) {
    for (std::int32_t slot : selection.drivers)
        if (slot == position) return true;
    return false;
}

std::int32_t indexOfSelected(const Selection& selection, std::int32_t position) {
    for (std::int32_t i = 0; i < selection.driverCount; ++i)
        if (selection.drivers[std::size_t(i)] == position) return i;
    return -1;
}
} // namespace

PlayerProfile* DriverRoster::at(std::int32_t position) const {
    return position >= 0 && std::size_t(position) < profiles.size()
               ? profiles[std::size_t(position)].get()
               : nullptr;
}

DriverSelectionScreen::DriverSelectionScreen(const ScreenContext& context, DriverRoster& roster,
                                             KeySettingsScreen& keySettings,
                                             DriverCreationScreen& creation)
    : context_(context), roster_(roster), keySettings_(keySettings), creation_(creation),
      returnKey_(context.keyboard) {}

const CarType* DriverSelectionScreen::carNamed(const std::string& carName) const {
    // Looked up every frame the card shows: quietly, unlike the race's look-up.
    for (const auto& car : roster_.cars)
        if (car->name == carName) return car.get();
    for (const auto& car : roster_.cars)
        if (car->picture == carName) return car.get();
    return nullptr;
}

const CarType* DriverSelectionScreen::nextCar(const std::string& carName) const {
    const auto& cars = roster_.cars;
    for (std::size_t i = 0; i < cars.size(); ++i)
        if (cars[i]->name == carName || cars[i]->picture == carName)
            return cars[(i + 1) % cars.size()].get();
    return cars.empty() ? nullptr : cars[0].get();
}

void DriverSelectionScreen::addDriver(std::int32_t position) {
    std::int32_t& numSelectedPlayers = context_.selection.driverCount;
    auto& selectedPlayers = context_.selection.drivers;
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

void DriverSelectionScreen::removeDriver(std::int32_t entry) {
    std::int32_t& numSelectedPlayers = context_.selection.driverCount;
    auto& selectedPlayers = context_.selection.drivers;
    std::printf("removing num %d\n", entry);
    if (entry >= 0 && entry < kMaxDrivers) {
        for (std::int32_t i = entry; i + 1 < kMaxDrivers; ++i)
            selectedPlayers[std::size_t(i)] = selectedPlayers[std::size_t(i + 1)];
        selectedPlayers[kMaxDrivers - 1] = -1;
        if (numSelectedPlayers > 0) --numSelectedPlayers;
    }
    if (row == numSelectedPlayers) --row;
    if (row < 0) {
        row = 0;
        column = 0;
    }
}

void DriverSelectionScreen::deleteDriver(std::int32_t position) {
    const PlayerProfile* profile = roster_.at(position);
    if (!profile) return;
    const std::int32_t entry = indexOfSelected(context_.selection, position);
    if (entry != -1) {
        row = entry;
        removeDriver(entry);
    }
    // Only the driver's own file goes, never one that merely has its name.
    const std::string path = roster_.filePath ? roster_.filePath(*profile) : std::string();
    if (!path.empty()) std::remove(path.c_str());
    roster_.profiles.erase(roster_.profiles.begin() + position);
    // The drivers behind it moved up one place: so do their selections.
    for (std::int32_t& slot : context_.selection.drivers)
        if (slot > position) --slot;
    const std::int32_t n = std::int32_t(roster_.profiles.size());
    if (page > 0 && page * kPerPage >= n) page = n > 0 ? (n - 1) / kPerPage : 0;
    row = 0;
    if (n == 0) {
        delay(500);
        column = 5;
    }
}

void DriverSelectionScreen::frame() {
    SDL_Surface* screen = context_.screen;
    const Fonts& fonts = context_.fonts;
    Keyboard& keyboard = context_.keyboard;
    Selection& selection = context_.selection;
    const std::int32_t& numSelectedPlayers = selection.driverCount;
    const auto& profiles = roster_.profiles;
    drawCentred(screen, fonts.menu, "Driver Selection", 0xFFAAFF00, 40);
    const std::int32_t n = std::int32_t(profiles.size());
    const Font& small = fonts.small;
    drawText(screen, small, 30, 85, "Driver:", kGreen, true);
    drawText(screen, small, 130, 85, "Type:", kGreen, true);
    drawText(screen, small, 340, 85, "Car:", kGreen, true);

    if (page > 0 && page * kPerPage >= n) page = n > 0 ? (n - 1) / kPerPage : 0;
    const std::int32_t first = n < kPerPage ? 0 : page * kPerPage;
    const std::int32_t end = std::min(first + kPerPage, n);
    const std::int32_t cursor = row + page * kPerPage;
    const std::int32_t step = glyphHeight(small, 'A') + 3;
    auto colour = [&](std::int32_t which, std::int32_t position) {
        return column == which && cursor == position ? kWhite : kDimWhite;
    };
    for (std::int32_t i = first, y = 110; i < end; ++i, y += step) {
        const PlayerProfile& p = *profiles[std::size_t(i)];
        drawText(screen, small, 30, y, p.name, colour(0, i), true);
        drawText(screen, small, 130, y, p.type == Computer ? "COMPUTER" : "HUMAN", colour(0, i),
                 true);
        drawText(screen, small, 230, y, "...", colour(1, i), true);
        drawText(screen, small, 260, y, "controls...", colour(2, i), true);
        drawText(screen, small, 340, y, p.carName, colour(3, i), true);
    }

    drawText(screen, small, 440, 85, "Selected Drivers:", kGreen, true);
    humanCount = 0;
    for (std::int32_t j = 0, y = 110; j < numSelectedPlayers; ++j, y += step) {
        std::int32_t& slot = selection.drivers[std::size_t(j)];
        if (slot == -1) continue;
        const PlayerProfile* p = roster_.at(slot);
        if (!p) {
            slot = -1;
            continue;
        }
        drawText(screen, small, 440, y, p->name, column == 4 && row == j ? kWhite : kDimWhite,
                 false);
        if (p->type == Human) ++humanCount;
    }

    const Font& medium = fonts.medium;
    drawText(screen, medium, 40, 230, "Create Driver...", column == 5 ? kWhite : kDimWhite, true);
    // The car being chosen, shown while the cursor is on it.
    if (column == 3)
        if (const PlayerProfile* p = roster_.at(cursor))
            if (const CarType* car = carNamed(p->carName))
                drawCarCard(screen, small, kCardX, kCardY, *car, roster_.cars, carPictures);
    drawCentred(screen, medium, "PAGE UP/PAGE DOWN - Next/Prev page.", 0xFFFFFF00, 300);
    drawCentred(screen, medium, "DEL - delete driver.", 0xFFFFFF00, 330);
    drawCentred(screen, medium, "ESC - go back.", 0xFFFFFF00, 360);
    // Draining input here would swallow the very keys that reach "Create
    // Driver..." and ESC.
    if (n == 0) column = 5;
    delay(10);
    keyboard.refresh();

    const std::int32_t shown = end - first;
    switch (keyboard.pressed) {
    case SDLK_UP:
        if (column == 5) {
            if (shown > 0) {
                column = 0;
                row = shown - 1;
            }
        } else if (row > 0) {
            --row;
        }
        break;
    case SDLK_DOWN:
        ++row;
        if (column <= 3 && row >= shown) {
            column = 5;
            row = 0;
        } else if (column == 4 && row >= numSelectedPlayers) {
            row = 0;
        } else if (column == 5) {
            row = 0;
        }
        break;
    case SDLK_RIGHT:
        ++column;
        if (column >= 4) row = 0;
        if (column > 4) column = 0;
        break;
    case SDLK_LEFT:
        --column;
        if (column == 3) row = 0;
        if (column < 0) column = numSelectedPlayers > 0 ? 4 : 0;
        if (column == 4) row = 0;
        break;
    case SDLK_PAGEDOWN:
        if (page * kPerPage + kPerPage < n) {
            ++page;
            row = 0;
        }
        break;
    case SDLK_PAGEUP:
        if (page > 0) --page;
        row = std::min(kPerPage, n - page * kPerPage) - 1;
        if (row < 0) row = 0;
        break;
    case SDLK_DELETE:
        if (column == 0 && cursor < n) {
            const PlayerProfile& p = *profiles[std::size_t(cursor)];
            if (context_.ask("Delete driver " + p.name + "?", true)) deleteDriver(cursor);
        }
        break;
    default:
        break;
    }

    returnKey_.update();
    if (returnKey_.fired(SDLK_RETURN)) {
        const std::int32_t position = row + page * kPerPage;
        PlayerProfile* p = roster_.at(position);
        switch (column) {
        case 0:
            if (!p || isSelected(selection, position)) break;
            // Split screen has two views: a third human would race unseen.
            if (p->type == Human && humanCount >= kMaxHumans)
                context_.ask("A third human driver would have no view.", false);
            else
                addDriver(position);
            break;
        case 1:
            showStatistics(position);
            break;
        case 2:
            if (p) keySettings_.run(*p);
            break;
        case 3:
            if (p) {
                if (const CarType* next = nextCar(p->carName)) p->carName = next->name;
            }
            break;
        case 4:
            removeDriver(row);
            break;
        case 5:
            creation_.run();
            break;
        default:
            break;
        }
    }
    Settings& settings = context_.settings;
    settings.selectedDriverCount = 0;
    for (std::int32_t slot : selection.drivers)
        if (slot != -1) ++settings.selectedDriverCount;
}

void DriverSelectionScreen::showStatistics(std::int32_t position) {
    const PlayerProfile* p = roster_.at(position);
    SDL_Surface* screen = context_.screen;
    if (!p || !screen) return;
    Keyboard& keyboard = context_.keyboard;
    const Font& font = context_.fonts.medium;
    const std::int32_t bx = screen->w / 2 - 200, by = screen->h / 2 - 75;
    darkenRect(screen, bx, by, bx + 420, by + 190);
    const std::string title = p->name + " STATISTICS";
    drawText(screen, font, bx + 210 - textWidth(font, title) / 2, by + 20, title, 0xFFFFFF00, true);
    const std::int32_t step = glyphHeight(font, 'W') + 8;
    const std::pair<const char*, std::int32_t> lines[] = {
        {"Total laps driven:", p->totalLaps},
        {"Races driven:", p->racesDriven},
        {"Races Won:", p->racesWon},
        {"Fastest laps:", p->fastestLaps},
        {"Championships won:", p->championshipsWon}};
    for (int i = 0; i < 5; ++i)
        drawText(screen, font, bx + 10, by + 50 + i * step,
                 lines[i].first + std::to_string(lines[i].second), 0xFFFFFFFF, true);
    drawBanner(context_);
    keyboard.flush();
    updateScreen(screen);
    // The RETURN that opened the box does not close it, unless held on like a
    // message box's.
    keyboard.refresh();
    KeyRepeat held(keyboard, true);
    for (;;) {
        pumpEvents();
        delay(10);
        keyboard.refresh();
        held.update();
        if (quitRequested() || held.fired(SDLK_RETURN)) break;
    }
    keyboard.flush();
    delay(30);
}
