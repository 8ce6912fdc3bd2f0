// Each human driver's corner of its view: laps, lap times, the optional lap
// record, and the fuel, damage and nitro bars.
#pragma once

#include <SDL.h>

class Font;
class Race;
class RaceDrawing;

// One corner for each shown driver (every human, or the only driver), in
// grid order, each in the next view; followedOnly, for a replay, the one
// driver the only view follows, whoever it is.
void drawRaceDisplay(SDL_Surface* screen, const Font& font, const Race& race,
                     const RaceDrawing& drawing, bool showLapRecord, bool followedOnly = false);
