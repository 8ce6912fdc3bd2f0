// Key names and the key settings screen, where each of a driver's five
// controls is reassigned by pressing the new key.
#pragma once

#include <cstdint>
#include <string>

// Row of the key-name table for a key code, -1 when it has none.
std::int32_t keyNameIndex(std::int32_t code);
// The table's name, else the character of the code's low 8 bits.
std::string keyName(std::int32_t code);

// Program-wide: the screen is waiting for the selected control's new key.
extern bool waitingForKey;
