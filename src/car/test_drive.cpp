#include "car/test_drive.hpp"

#include "app/game.hpp"
#include "car/car.hpp"
#include "car/car_type.hpp"
#include "track/geometry.hpp"
#include "track/race_track.hpp"
#include "track/track.hpp"

#include <cstdio>

void applyControls(Car& car, const CarControls& c) {
    if (c.accelerate) car.accelerate();
    if (c.brake) car.brake(0.1f);
    if (c.right) car.steer(0.06f);
    if (c.left) car.steer(-0.06f);
    car.nitroOn = c.nitro;
    // BRAKE held at a standstill engages reverse.
    car.reverseOn = c.brake;
}

TestDrive::TestDrive() : settings_(std::make_unique<Settings>()) {}
TestDrive::~TestDrive() = default;

bool TestDrive::start(const std::string& trackFile, const std::string& carName,
                      std::int32_t gridIndex) {
    Game* game = Game::instance();
    // The whole race before it goes, not only its cars: participants left
    // over would be set on the grid through cars already deleted.
    game->clearRace();
    car = nullptr;
    settings_->trackNames[0] = trackFile;
    settings_->raceIndex = 0;
    game->settings = settings_.get();
    if (!game->prepareRace()) return false;
    const CarType* type = game->findCar(carName);
    Car* made = type ? game->createCar(*type) : nullptr;
    if (!made) {
        std::printf("NO CAR AVAILABLE!!!\n");
        return false;
    }
    game->objects.emplace_back(made);
    car = made;
    const GridPlace place = gridPlace(*game->track->finishLine(), gridIndex, gridIndex + 1);
    car->placeAt(place.x, place.y, place.angle);
    car->resetForRace();
    return true;
}

void TestDrive::step(const CarControls& controls) {
    Game* game = Game::instance();
    // In a race the controls read in one frame steer the next frame's
    // update; here they steer this step's.
    if (car) applyControls(*car, controls);
    game->updateObjects();
    restoreCells(*game->track, game->layer4Cells, trackSurface);
    game->drawObjects();
    drawCellCovers(*game->track, game->layer4Cells, trackSurface);
}
