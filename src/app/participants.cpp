// Setting up the participants of a race or season: the race with one
// participant a selected driver, each with its car, its control source
// (the keyboard for a human, the computer driver otherwise) and its
// sprite, and the views that follow the human drivers.
#include "app/game.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/computer_driver.hpp"
#include "driver/control_source.hpp"
#include "driver/player.hpp"
#include "platform/platform.hpp"
#include "records/profile.hpp"

#include <algorithm>
#include <cstdio>

bool Game::setupRaceParticipants(std::string& why) {
    race = std::make_unique<Race>(raceRules());
    controlSources.clear();
    drawing.clear();
    SDL_FillRect(screen, nullptr, 0);

    std::int32_t humans[2] = {-1, -1};
    std::int32_t viewCount = 0;
    std::uint8_t humanCount = 0;
    for (PlayerProfile* profile : raceDrivers) {
        const CarType* type = findCar(profile->carName);
        std::string carWhy;
        if (!type || !race->addParticipant(profile, *type, carWhy) ||
            (drawRace && !drawing.addSprite(*type, carWhy))) {
            std::printf("NO CAR AVAILABLE!!!\n");
            why = "No car \"" + profile->carName + "\" for " + profile->name;
            return false;
        }
        const std::int32_t index = std::int32_t(race->players().size()) - 1;
        if (profile->type == Human) {
            if (viewCount < 2) humans[viewCount++] = index;
            // Without a binding of its own, the first human has the first
            // pad, the second the second.
            const PadBinding binding =
                profile->padBound ? profile->pad : defaultPadBinding(humanCount);
            humanCount = std::uint8_t(std::min(humanCount + 1, 255));
            controlSources.push_back(std::make_unique<PadControls>(
                KeyboardControls(profile->controls,
                                 [this](std::int32_t code) { return keyboard.held(code); }),
                binding, [this](std::int32_t pad) -> const PadState& { return pads.state(pad); }));
        } else {
            controlSources.push_back(std::make_unique<ComputerDriver>());
        }
        std::printf("player %s added to list\n", profile->name.c_str());
    }
    // The views follow the first two humans; without a human the first
    // driver.
    std::int32_t firstView = humans[0], secondView = -1;
    if (viewCount == 2) {
        firstView = humans[0];
        secondView = humans[1];
    } else {
        firstView = viewCount == 1 ? humans[0] : (race->players().empty() ? -1 : 0);
        secondView = -1;
    }
    drawing.makeViews(*race, screen->w, screen->h, firstView, secondView);
    return true;
}
