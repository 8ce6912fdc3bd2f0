#include "frontend/test_drive.hpp"

#include "car/car.hpp"
#include "car/car_type.hpp"
#include "track/geometry.hpp"
#include "track/track.hpp"

#include <cstdio>

TestDrive::TestDrive() = default;
TestDrive::~TestDrive() = default;

bool TestDrive::start(const std::string& trackFile, const CarType& type, std::int32_t gridIndex,
                      const RaceRules& rules) {
    drawing.clear();
    car = nullptr;
    race = std::make_unique<Race>(rules);
    std::string why;
    if (!race->addParticipant(nullptr, type, why) || !drawing.addSprite(type, why)) {
        std::printf("NO CAR AVAILABLE!!! %s\n", why.c_str());
        return false;
    }
    if (!race->prepareRace(trackFile, why) || !drawing.prepare(*race)) return false;
    car = race->players().front()->car.get();
    const GridPlace place = gridPlace(*race->track()->finishLine(), gridIndex, gridIndex + 1);
    car->placeAt(place.x, place.y, place.angle);
    car->resetForRace();
    return true;
}

void TestDrive::step(const CarControls& controls) {
    // In a race the controls read in one frame steer the next frame's
    // update; here they steer this step's.
    if (!car) return;
    applyKeys(*car, controls);
    drawing.eraseCars();
    race->updateObjects();
    drawing.paintSkidMarks(*race);
    drawing.drawObjects(*race, false);
}
