// Key names and the key settings screen, where each of a driver's five
// controls is reassigned by pressing the new key.
#pragma once

#include "ui/screen_context.hpp"

#include <cstdint>
#include <string>

struct PlayerProfile;

// Row of the key-name table for a key code, -1 when it has none.
std::int32_t keyNameIndex(std::int32_t code);
// The table's name, else the character of the code's low 8 bits.
std::string keyName(std::int32_t code);

class KeySettingsScreen {
  public:
    explicit KeySettingsScreen(const ScreenContext& context) : context_(context) {}
    // Modal until ESC or a window close: UP and DOWN pick a control, RETURN
    // opens it, and the next key pressed becomes the driver's.
    void run(PlayerProfile& profile);

    // The screen is waiting for the selected control's new key.
    bool waitingForKey = false;

  private:
    const ScreenContext& context_;
};
