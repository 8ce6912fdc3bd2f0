// The main menu tree. set.dat stores these items by slot, so the reader and
// the writer rely on this exact layout: add items only to empty slots.
#include "app/game.hpp"
#include "ui/menu.hpp"

namespace {

// LAPS PER RACE steps through 1, 3, 6 ... 30 laps.
MenuCallback lapsRule(Settings*& settings) {
    return [&settings](MenuItem& item) {
        if (item.value < 1) item.value = 1;
        if (item.value > 11) item.value = 11;
        const std::int32_t laps = item.value == 1 ? 1 : 3 * item.value - 3;
        if (settings) settings->lapsPerRace = laps;
        item.text = std::to_string(laps);
    };
}

// ON/OFF items: RIGHT on ON wraps to OFF, LEFT on OFF stays OFF.
MenuCallback onOffRule(bool& flag) {
    return [&flag](MenuItem& item) {
        if (item.value < 0 || item.value > 1) item.value = 0;
        item.text = item.value ? "ON" : "OFF";
        flag = item.value != 0;
    };
}

} // namespace

void Game::buildMainMenu() {
    // The laps rule writes into the settings, so a menu built before
    // startUp (a set.dat reader on its own) needs them in place.
    if (!settings) settings = &settingsRecord;
    menu = std::make_unique<GameMenu>(100, 100);
    mainMenu = menu.get();
    mainMenu->font = &fonts.menu;
    menuItems.clear();

    auto place = [this](std::int32_t page, std::int32_t slot, const char* label,
                        MenuCallback action, std::int32_t kind, std::int32_t escapePage,
                        std::int32_t enterPage) {
        menuItems.push_back(
            std::make_unique<MenuItem>(label, std::move(action), kind, escapePage, enterPage));
        return mainMenu->set(page, slot, menuItems.back().get());
    };
    auto drive = [this](std::int32_t mode) { return [this, mode](MenuItem&) { startRace(mode); }; };

    place(0, 0, "DRIVE OPTIONS", nullptr, PlainItem, -1, 1);
    place(0, 1, "MISC. SETTINGS", nullptr, PlainItem, -1, 3);
    place(
        0, 2, "HALL OF FAME", [this](MenuItem&) { menuScreen = LapRecordsShown; }, PlainItem, -1,
        -1);
    place(
        0, 3, "QUIT", [this](MenuItem&) { quit = true; }, PlainItem, -1, -1);

    place(1, 0, "FREE DRIVING", drive(FreeDriving), PlainItem, 0, -1);
    place(1, 1, "TIME TRIAL", drive(TimeTrial), PlainItem, 0, -1);
    place(1, 2, "RACE/RACING SEASON", drive(RacingSeason), PlainItem, 0, -1)->spacing = 2;
    place(
        1, 3, "TRACKS...",
        [this](MenuItem&) {
            trackSelection.open();
            menuScreen = TrackSelectionShown;
        },
        PlainItem, 0, -1);
    place(
        1, 4, "DRIVERS...", [this](MenuItem&) { menuScreen = DriverSelectionShown; }, PlainItem, 0,
        -1);
    // Without set.dat the laps start at 3; the rule clamps whatever it holds.
    place(1, 5, "LAPS PER RACE", lapsRule(settings), ValueItem, 0, -1)->value = 2;

    place(3, 0, "Skidmarks", onOffRule(options.skidmarks), ValueItem, 0, -1)->value = 1;
    place(3, 1, "Car damage", onOffRule(options.carDamage), ValueItem, 0, -1)->value = 1;
    place(3, 2, "Fuel consumption", onOffRule(options.fuelConsumption), ValueItem, 0, -1)->value =
        1;
    place(3, 3, "Unlimited nitro boost", onOffRule(options.unlimitedNitro), ValueItem, 0, -1)
        ->value = 0;
    place(3, 4, "Show FPS", onOffRule(options.showFps), ValueItem, 0, -1)->value = 0;
    place(3, 5, "Show lap record", onOffRule(options.showLapRecord), ValueItem, 0, -1)->value = 0;

    // Until the page is first drawn the texts come from the rules too, so
    // that set.dat written straight away carries them.
    for (auto& item : menuItems)
        if (item->kind == ValueItem && item->action) item->action(*item);
}
