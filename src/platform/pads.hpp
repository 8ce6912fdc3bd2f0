// Gamepads and joysticks as the game sees them.
//
// SDL 1.2's joystick API gives numbered axes, buttons and hats; a modern
// controller shows up the same way (A is button 0, B button 1, the d-pad the
// first hat, the left stick axes 0 and 1). The game reads the pads' state
// once a frame into PadState values and never keeps an SDL handle outside
// Pads, so that a pad pulled out mid-race only reads as let go.
//
// The old API knows nothing of pads plugged in or pulled out while it runs:
// Pads looks again every few seconds while a menu shows, by starting SDL's
// joystick part afresh. Pads are numbered in the order SDL finds them.
//
// A test installs a FakePlatform and scripts its pads instead.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>

constexpr std::int32_t kMaxPads = 4;
constexpr std::int32_t kPadAxes = 8;
constexpr std::int32_t kPadButtons = 32;
constexpr std::int32_t kPadHats = 2;
// Start on most pads (button 8 as players count): pauses a race.
constexpr std::uint8_t kPadStartButton = 7;
// Half way: a stick pushed this far counts as a held direction.
constexpr std::int32_t kPadAxisThreshold = 16384;

struct PadState {
    bool connected = false;
    std::array<std::int16_t, kPadAxes> axes{};
    std::array<std::uint8_t, kPadButtons> buttons{};
    std::array<std::uint8_t, kPadHats> hats{}; // SDL_HAT_UP, _RIGHT, _DOWN, _LEFT bits
};

// One thing on a pad a control can be bound to.
struct PadInput {
    enum Kind : std::uint8_t { None, Button, AxisNegative, AxisPositive, Hat };
    Kind kind = None;
    std::uint8_t pad = 0;
    std::uint8_t index = 0;     // button, axis or hat number
    std::uint8_t direction = 0; // a hat's one direction bit

    bool operator==(const PadInput&) const = default;
    bool bound() const { return kind != None; }
    // Within the limits a PadState holds; a binding read from a file may
    // name anything.
    bool valid() const;
    // Held in this state. Never for an input that is not valid.
    bool active(const PadState& state) const;
    // "pad 1 button 3", "pad 1 stick 0 -", "pad 2 d-pad left": numbered
    // from 1 as players count.
    std::string name() const;
};

// One input for each of a driver's five controls, in the order of the
// profile's keys: accelerate, brake, left, right, nitro.
using PadBinding = std::array<PadInput, 5>;

// The binding a driver gets on a pad without a file: A accelerates, B
// brakes, X gives nitro, and the left stick steers. (The d-pad of the pad a
// driver steers with always steers too.)
PadBinding defaultPadBinding(std::uint8_t pad);

// The menu keys a pad gives, in the order of kPadMenuKeys.
constexpr std::int32_t kPadMenuKeyCount = 6;
extern const SDLKey kPadMenuKeys[kPadMenuKeyCount]; // UP DOWN LEFT RIGHT RETURN ESC

// Which menu keys this pad holds: the d-pad or the left stick for the
// arrows, A (button 0) for RETURN, B (button 1) for ESC.
std::array<bool, kPadMenuKeyCount> padMenuKeys(const PadState& state);

class Pads {
  public:
    Pads() = default;
    ~Pads();
    Pads(const Pads&) = delete;
    Pads& operator=(const Pads&) = delete;

    // Starts SDL's joystick part and opens every pad; false when SDL has
    // no joystick support here (the game goes on with the keyboard).
    bool open();
    void close();
    // Reads every pad afresh (from the fake platform when one is installed).
    void refresh();
    // Looks for pads plugged in or pulled out, at most every kRescanMs;
    // only between races, since it starts SDL's joystick part afresh.
    void rescanWhenDue();
    static constexpr Uint32 kRescanMs = 2000;

    const PadState& state(std::int32_t pad) const;
    // As of the last refresh; an input on a missing pad is not held.
    bool active(const PadInput& input) const;
    // An input that went from let go to held at the last refresh, the
    // highest pad and index first found; None when nothing did. A stick must
    // be pushed past three quarters, so that a worn stick's drift binds
    // nothing.
    PadInput newlyPressed() const;
    std::int32_t connectedCount() const;

  private:
    void openAll();
    std::array<PadState, kMaxPads> now_{};
    std::array<PadState, kMaxPads> before_{};
    std::array<SDL_Joystick*, kMaxPads> sticks_{};
    bool opened_ = false;
    Uint32 lastScan_ = 0;
};
