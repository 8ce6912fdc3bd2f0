#include "race/race_text.hpp"

std::string raceMessage;
