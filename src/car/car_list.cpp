#include "car/car_list.hpp"

#include "car/car_type.hpp"
#include "track/directory.hpp"

#include <cstdio>

std::vector<std::unique_ptr<CarType>> loadCarTypes() {
    std::vector<std::unique_ptr<CarType>> cars;
    for (const std::string& fileName : listDirectory("cars/", "*.car")) {
        auto type = std::make_unique<CarType>();
        if (loadCarType(fileName, *type)) cars.push_back(std::move(type));
    }
    return cars;
}

CarType* findCarType(const std::vector<std::unique_ptr<CarType>>& cars, const std::string& text) {
    std::printf("finding car %s\n", text.c_str());
    for (auto& type : cars) {
        std::printf("car name in list:%s\n", type->name.c_str());
        if (type->name == text || type->picture == text) return type.get();
    }
    return nullptr;
}
