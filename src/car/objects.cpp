// The race's drawable objects: making a car from its type, and the two
// passes of every race frame, erase-and-move then draw.
#include "app/game.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "track/race_track.hpp"

#include <cstdio>
#include <string>

Car* Game::createCar(const CarType& type) {
    std::printf("creating car,filename:%s\n", type.picture.c_str());
    Animation* animation = buildAnimation(type.picture, type.frameCount);
    std::printf("animation created.\n");
    if (!animation || animation->frameCount < type.frameCount) {
        delete animation;
        return nullptr;
    }
    // The file's geometry could only be bounded coarsely; now the frames
    // are known, it must fit them.
    std::string why;
    if (!carFitsFrames(type, *animation, why)) {
        std::printf("Car %s does not fit its picture %s: %s\n", type.name.c_str(),
                    type.picture.c_str(), why.c_str());
        delete animation;
        return nullptr;
    }
    auto* car = new Car();
    car->animation = animation;
    car->frame = 0;
    car->type = &type;
    car->fuel = type.tankSize;
    return car;
}

void Game::updateObjects() {
    // The last object drawn is erased first, so what an earlier car's update
    // paints (skid marks) is not covered by a later car's saved background.
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (auto* sprite = dynamic_cast<Sprite*>(it->get()); sprite && drawRace)
            sprite->restore(trackSurface);
        if (auto* car = dynamic_cast<Car*>(it->get())) car->update(1.0f);
    }
}

void Game::drawObjects() {
    for (auto& object : objects)
        if (auto* sprite = dynamic_cast<Sprite*>(object.get())) sprite->draw(trackSurface);
}
