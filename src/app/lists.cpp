// The cars in cars/ and the tracks in tracks/, as the game keeps them for
// the whole run.
#include "app/game.hpp"
#include "car/car_list.hpp"
#include "car/car_type.hpp"
#include "records/profile.hpp"
#include "track/directory.hpp"

#include <cstdio>
#include <cstdlib>

void Game::loadCarList() {
    cars = loadCarTypes();
}

CarType* Game::findCar(const std::string& text) {
    return findCarType(cars, text);
}

const CarType* Game::nextCar(const CarType* car) const {
    for (std::size_t i = 0; i < cars.size(); ++i)
        if (cars[i].get() == car) return cars[(i + 1) % cars.size()].get();
    return nullptr;
}

void Game::loadTrackList() {
    std::vector<std::string> list = listDirectory("tracks/", "*.map");
    if (list.empty()) {
        std::fprintf(stderr, "FATAL ERROR, no tracks in tracks/ -directory!!!\n");
        std::exit(1);
    }
    tracks = std::move(list);
}

PlayerProfile* Game::findProfile(const std::string& name) const {
    for (const auto& p : profiles)
        if (p->name == name) return p.get();
    return nullptr;
}
