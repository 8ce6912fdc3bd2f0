// Key names and the key settings screen, where each of a driver's five
// controls is reassigned by pressing the new key.
#pragma once

#include "platform/pads.hpp"
#include "ui/screen_context.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PlayerProfile;

// Row of the key-name table for a key code, -1 when it has none.
std::int32_t keyNameIndex(std::int32_t code);
// The table's name, else the character of the code's low 8 bits.
std::string keyName(std::int32_t code);

// The human driver other than self that already has this key, or this pad
// input, for a control; none when no other does.
const PlayerProfile* keyUser(const std::vector<std::unique_ptr<PlayerProfile>>& profiles,
                             const PlayerProfile& self, std::int32_t key);
const PlayerProfile* padInputUser(const std::vector<std::unique_ptr<PlayerProfile>>& profiles,
                                  const PlayerProfile& self, const PadInput& input);

class KeySettingsScreen {
  public:
    KeySettingsScreen(const ScreenContext& context,
                      const std::vector<std::unique_ptr<PlayerProfile>>& profiles, Pads& pads)
        : context_(context), profiles_(profiles), pads_(pads) {}
    // Modal until ESC or a window close: UP and DOWN pick a control, RETURN
    // opens it, and the next key pressed, or pad button, stick or d-pad
    // pushed, becomes the driver's. One that another human already drives
    // with is taken all the same, with a message naming that driver.
    void run(PlayerProfile& profile);

    // The screen is waiting for the selected control's new key.
    bool waitingForKey = false;

  private:
    // Binds and says who else has it.
    void takeKey(PlayerProfile& profile, std::int32_t control, std::int32_t key);
    void takePadInput(PlayerProfile& profile, std::int32_t control, const PadInput& input);
    const ScreenContext& context_;
    const std::vector<std::unique_ptr<PlayerProfile>>& profiles_;
    Pads& pads_;
};
