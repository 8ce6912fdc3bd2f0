// A car: a sprite with the state of the handling model. The model is a
// two-angle arcade one: steering turns the body, the direction of travel
// follows the body at the type's grip, and the difference (the drift angle)
// slows the car and makes it skid. Everything is counted per frame; nothing
// reads the clock. Off the road the drag is ten times higher; obstacles
// throw the car into a crash that lasts 51 updates.
//
// The numbers are kept as the game has always computed them: single
// precision fields, pi as 3.1415926535 in double, the few literals the
// model applies in double precision, truncation where positions become
// pixels. Lap records depend on them, so change nothing here lightly.
//
// A car knows nothing of drawing or sound: what it did in an update (a
// crash, skid marks) it keeps in fields the race reports and the front end
// reads.
#pragma once

#include "car/car_type.hpp"
#include "car/race_rules.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class Track;
struct TrackArea;

// The size of one turned frame of a car's picture: the handling keeps the
// car inside the drawn track by it.
struct FrameSize {
    std::int32_t w = 0, h = 0;
};

class Car {
  public:
    // The car's centre in whole pixels: the drawn corner less the frame's
    // offset.
    std::int32_t getX() const;
    std::int32_t getY() const;

    // Controls, the same for human and computer drivers.
    void steer(float amount); // +0.06 right, -0.06 left
    void accelerate();
    void brake(float amount);

    void resetForRace();
    // Sets the car down with its centre at (px, py), body and travel at
    // the angle, and the frame and drawn corner that go with them, so that
    // the first update reads the track where the car stands.
    void placeAt(float px, float py, float angle);
    // The area of a kind under the car's probe point; side (when asked)
    // tells whether the car met it across its x sides (1) or y sides (0),
    // -1 without a hit.
    const TrackArea* probeArea(std::int32_t kind, std::int32_t* side = nullptr) const;
    // The drift angle, the shorter way round (0..pi).
    float driftAngle() const;
    // Reverse gear's top speed: a third of the forward one.
    float reverseTopSpeed() const;
    // One frame of the handling model (the factor is not used).
    void update(float timeFactor);
    // The skid measure, engine revs from wheelspin and the marks the rear
    // wheels paint into the drawn track.
    void skidStep();

    float moveAngle = 0;  // direction of travel, 0 up, clockwise
    float steering = 0;   // this frame's turn input, within +-pi/4
    float bodyAngle = 0;  // where the nose points; picks the frame
    float accel = 0;      // speed change per frame
    float speed = 0;      // pixels per frame
    float engineFreq = 0; // Hz for the engine channel
    float engineRev = 0;  // wheelspin revs, 0..10000
    bool crashed = false;
    std::int32_t crashFrames = 0;
    float fuel = 0;
    float damage = 0;
    bool wrecked = false;
    bool onRoad = false;
    const CarType* type = nullptr; // shared with the car list
    float skid = 0;
    float nitro = 100.0f;
    bool nitroOn = false;
    // Reverse gear, asked for like nitro by the driver every frame (BRAKE
    // held); it engages only at a standstill, so forward driving is
    // untouched by it.
    bool reverseOn = false;
    float reverseSpeed = 0; // pixels per frame backwards, 0..reverseTopSpeed

    float posX = 0, posY = 0;  // exact position, the car's centre
    std::int32_t x = 0, y = 0; // where the current frame's corner is drawn
    std::int32_t frame = 0;
    std::vector<FrameSize> frameSizes; // one a frame of the type
    const Track* track = nullptr;      // the race's; none: no areas
    // The drawn track's size, which the car is kept inside.
    std::int32_t trackWidth = 1600, trackHeight = 1280;
    RaceRules rules;

    // What the last update did. hit: it ran into an obstacle (a new crash).
    // marks: where the rear wheels left skid marks, when marking.
    bool hit = false;
    bool marking = false;
    // inPitBox: the probe stood in the pit box. refuelling: a service area
    // put fuel into the tank (a full tank takes none).
    bool inPitBox = false;
    bool refuelling = false;
    std::array<IntPoint, 4> marks{};

  private:
    // The probe point and its area for x and y placed with a given frame's
    // offset: during an update the new frame places the car before it is
    // stored as the one shown.
    IntPoint probePoint(std::int32_t placedFrame) const;
    const TrackArea* probeAreaOf(std::int32_t placedFrame, std::int32_t kind,
                                 std::int32_t* side = nullptr) const;
    bool rearObstacle(std::int32_t placedFrame) const;
    // The direction the car actually travels in (a crashed car may creep
    // backwards), and whether an obstacle lies a nose's length that way.
    float leadingHeading() const;
    bool obstacleAhead(std::int32_t placedFrame, float heading) const;
};

// The frame of a body angle for a type with n frames.
std::int32_t frameForAngle(float bodyAngle, std::int32_t frameCount);

// Whether a type's geometry fits the frames made from its picture: each
// frame offset puts the car's centre on its frame, and the pivot and wheels
// lie no further from the car than the largest frame's width and height.
// False with the reason otherwise.
bool carFitsFrames(const CarType& type, const std::vector<FrameSize>& frames, std::string& why);
// The sizes of the type's turned frames, worked out from its picture the
// way the drawn frames are made, without drawing them. False with the
// reason when the picture cannot be read or is too large.
bool measureCarFrames(const CarType& type, std::vector<FrameSize>& frames, std::string& why);
