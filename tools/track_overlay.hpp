// The areas, start grid and waypoints of a track drawn over its picture, as
// track authors see them in the track viewer and the gallery: the areas as
// the race tests them (lifted 16 pixels), the grid places, the racing line
// and the pit lane.
#pragma once

#include <SDL.h>

class Track;

// scale: the picture's size against the drawn track's (a shrunk picture
// gets its lines at full strength rather than blurred away).
void drawOverlay(const Track& track, SDL_Surface* surface, double scale = 1.0);
