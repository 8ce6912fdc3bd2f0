// Fits a car's geometry to the way the game places it. The game reads the
// track under a probe point: the second frame's offset plus the pivot, as a
// point of the unturned picture from its centre, turned with the body; it
// belongs at the car's nose. Skid marks start at the pivot and go out along
// the rear wheels. Neither can be
// exact for every angle, so the pivot and the rear wheels are searched for
// the smallest worst-case error.
#pragma once

#include "car/car_type.hpp"
#include "carbuild_paint.hpp"

#include <vector>

constexpr int kCarFrames = 72;

// Frame k's corner from the car's centre for a w x h picture turned by k
// steps of 360 / frames degrees, as rotozoomSurface sizes it.
std::vector<IntPoint> frameOffsetsFor(int width, int height, int frames);

struct CarFit {
    IntPoint pivot;
    IntPoint rearWheels[2]; // left, right; from the pivot in car coordinates
    double worstProbe = 0;  // pixels from the probed pixel's centre to the car's nose
    double worstMark = 0;   // pixels from a mark's pixel centre to its rear tyre
};

// Worst distances for a given pivot and rear wheels, over body angles in
// steps of 1/20 degree and the corners of the sub-pixel position.
// nose: how far ahead of the centre the probe should read the track.
double worstProbeDistance(const std::vector<IntPoint>& offsets, IntPoint pivot, double nose);
double worstMarkDistance(IntPoint pivot, IntPoint wheel, double tyreX, double tyreY);

CarFit fitCar(const std::vector<IntPoint>& offsets, const TyrePlaces& tyres, double nose);
