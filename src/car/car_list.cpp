#include "app/game.hpp"
#include "car/car_type.hpp"
#include "track/directory.hpp"

#include <cstdio>

void Game::loadCarList() {
    cars.clear();
    for (const std::string& fileName : listDirectory("cars/", "*.car")) {
        auto type = std::make_unique<CarType>();
        if (loadCarType(fileName, *type)) cars.push_back(std::move(type));
    }
}

CarType* Game::findCar(const std::string& text) {
    std::printf("finding car %s\n", text.c_str());
    for (auto& type : cars) {
        std::printf("car name in list:%s\n", type->name.c_str());
        if (type->name == text || type->picture == text) return type.get();
    }
    return nullptr;
}

const CarType* Game::nextCar(const CarType* car) const {
    for (std::size_t i = 0; i < cars.size(); ++i)
        if (cars[i].get() == car) return cars[(i + 1) % cars.size()].get();
    return nullptr;
}
