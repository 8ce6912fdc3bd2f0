// The message the race shows in the middle of the screen ("Race Over!",
// warnings); starting a race empties it.
#pragma once

#include <string>

extern std::string raceMessage;
