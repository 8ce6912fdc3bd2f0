// Setting up the participants of a race or season: one Player a selected
// driver, each with its own car and sound channels, and the views that
// follow the human drivers.
#include "app/game.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "driver/player.hpp"
#include "race/race_text.hpp"
#include "records/profile.hpp"
#include "track/view.hpp"

#include <cstdio>

View* Game::createView(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    views.push_back(std::make_unique<View>(x, y, width, height));
    return views.back().get();
}

bool Game::setupRaceParticipants() {
    for (StandingsEntry& entry : standings)
        entry = StandingsEntry{};
    viewCount = 0;
    fastestLapPlayer = -1;
    newLapRecord = false;
    finishedCount = 0;
    finishOrder.fill(0);
    SDL_FillRect(screen, nullptr, 0);

    Player* humans[2] = {nullptr, nullptr};
    std::int32_t k = 1;
    for (PlayerProfile* profile : raceDrivers) {
        auto player = std::make_unique<Player>();
        player->profile = profile;
        player->name = profile->name;
        player->channel = 2 * k;
        player->keyAccelerate = profile->controls[ControlAccelerate];
        player->keyBrake = profile->controls[ControlBrake];
        player->keyLeft = profile->controls[ControlLeft];
        player->keyRight = profile->controls[ControlRight];
        player->keyNitro = profile->controls[ControlNitro];
        const CarType* type = findCar(profile->carName);
        Car* car = type ? createCar(*type) : nullptr;
        if (!car) {
            std::printf("NO CAR AVAILABLE!!!\n");
            raceMessage = "No car \"" + profile->carName + "\" for " + profile->name;
            return false;
        }
        objects.emplace_back(car);
        player->car = car;
        if (profile->type == Human && viewCount < 2) humans[viewCount++] = player.get();
        player->number = k++;
        std::printf("player %s added to list\n", profile->name.c_str());
        players.push_back(std::move(player));
    }

    const std::int32_t w = screen->w, h = screen->h;
    if (viewCount == 2) {
        view1 = createView(0, 0, w, h / 2 - 1);
        view2 = createView(0, h / 2 + 1, w, h / 2 - 1);
        view1->target = humans[0]->car;
        view2->target = humans[1]->car;
        humans[0]->view = view1;
        humans[1]->view = view2;
    } else {
        view1 = createView(0, 0, w, h);
        view2 = nullptr;
        Player* followed =
            viewCount == 1 ? humans[0] : (players.empty() ? nullptr : players[0].get());
        view1->target = followed ? followed->car : nullptr;
        if (viewCount == 1) humans[0]->view = view1;
    }
    raceMessage.clear();
    return true;
}
