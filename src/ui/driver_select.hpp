// The driver selection screen: every driver, eight to a page, with type
// and car; up to eight chosen for the next race (at most two human); car
// cycling with the car's picture and handling shown, statistics, key
// settings, creation and deletion. And the driver creation screen it opens.
#pragma once

#include "platform/platform.hpp"
#include "ui/car_card.hpp"
#include "ui/key_settings.hpp"
#include "ui/screen_context.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct CarType;
struct PlayerProfile;

// The game's drivers and cars as the driver screens see them, and what only
// the game may do with its drivers' files.
struct DriverRoster {
    std::vector<std::unique_ptr<PlayerProfile>>& profiles;
    const std::vector<std::unique_ptr<CarType>>& cars;
    // Adds a new driver, keeps the selection on the drivers it named, saves
    // the driver's file and says in a message box whether it could.
    std::function<void(const std::string& name, std::int32_t type)> create;
    // The driver's own file; empty for a driver without one.
    std::function<std::string(const PlayerProfile&)> filePath;

    PlayerProfile* at(std::int32_t position) const;
};

// "Player Creation": a name typed key by key, and a type. Names that could
// not be a file name, or that another driver already has, are refused with
// a message rather than risking another driver's file.
class DriverCreationScreen {
  public:
    DriverCreationScreen(const ScreenContext& context, DriverRoster& roster)
        : context_(context), roster_(roster) {}
    // Modal until a driver is made, ESC or a window close.
    void run();

    // The line under the cursor, 0 name and 1 type; kept for the next visit.
    std::int32_t field = 0;

  private:
    const ScreenContext& context_;
    DriverRoster& roster_;
};

class DriverSelectionScreen {
  public:
    DriverSelectionScreen(const ScreenContext& context, DriverRoster& roster,
                          KeySettingsScreen& keySettings, DriverCreationScreen& creation);

    // One main-menu frame: draws the lists and applies the frame's key
    // event and RETURN, then counts the chosen drivers into the settings.
    void frame();

    void addDriver(std::int32_t position);
    void removeDriver(std::int32_t entry);
    // Removes the driver at a position from the list and its file, and
    // renumbers the selection so that every entry names the same driver.
    void deleteDriver(std::int32_t position);
    // The driver's career figures in a box, until RETURN.
    void showStatistics(std::int32_t position);

    // Cursor column: 0 driver, 1 statistics, 2 controls, 3 car, 4 the
    // selected list, 5 "Create Driver...".
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t page = 0;
    // Humans among the chosen drivers, as last drawn.
    std::int32_t humanCount = 0;

    CarPictures carPictures;

  private:
    // The car after the driver's in the car list; the first car for one the
    // list does not know.
    const CarType* nextCar(const std::string& carName) const;
    // The car a driver's profile names, by name, else by picture; none.
    const CarType* carNamed(const std::string& carName) const;

    const ScreenContext& context_;
    DriverRoster& roster_;
    KeySettingsScreen& keySettings_;
    DriverCreationScreen& creation_;
    // RETURN acts on the press and repeats when held (a car list is quicker
    // to cycle); every other key of the screen comes as a key event.
    KeyRepeat returnKey_;
};
