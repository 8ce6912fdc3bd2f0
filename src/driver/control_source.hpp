// Where a participant's controls come from, frame by frame: the keyboard
// for a human, the computer driver, and in time a pad or a recorded replay.
// The race asks each participant's source once in every frame it drives,
// after the cars have moved, and applies what it gets; it never asks for a
// driver who is out, finished, out of fuel or wrecked.
#pragma once

#include "car/controls.hpp"
#include "car/race_rules.hpp"
#include "platform/pads.hpp"

#include <array>
#include <cstdint>
#include <functional>

class Player;
class Track;

class ControlSource {
  public:
    virtual ~ControlSource() = default;
    // A new race on a track starts (every race of a season).
    virtual void raceStarts() {}
    virtual Controls controls(const Player& self, const Track& track, const RaceRules& rules) = 0;
};

// A human at the keyboard: five key codes (accelerate, brake, left, right,
// nitro), asked of a function that tells whether a key is held. A code
// outside SDL's key table is never held, nor asked about.
class KeyboardControls : public ControlSource {
  public:
    using KeyState = std::function<bool(std::int32_t code)>;
    KeyboardControls(const std::array<std::int32_t, 5>& codes, KeyState held)
        : codes_(codes), held_(std::move(held)) {}
    Controls controls(const Player&, const Track&, const RaceRules&) override;
    CarControls keys() const;

  private:
    std::array<std::int32_t, 5> codes_;
    KeyState held_;
};

// A human with the keyboard and a pad at once: a control is held when its
// key or its pad input is, and the d-pad of the pad the driver steers with
// steers too. A pad that is missing, or pulled out mid-race, holds nothing,
// so the keys go on working.
class PadControls : public ControlSource {
  public:
    using PadReader = std::function<const PadState&(std::int32_t pad)>;
    PadControls(KeyboardControls keys, const PadBinding& binding, PadReader pads)
        : keys_(std::move(keys)), binding_(binding), pads_(std::move(pads)) {}
    Controls controls(const Player&, const Track&, const RaceRules&) override;
    CarControls held() const;

  private:
    KeyboardControls keys_;
    PadBinding binding_;
    PadReader pads_;
};

// Controls from a function of the frame the source is asked in, counted
// from the race's start: scripted drivers for tests and tools.
class ScriptedControls : public ControlSource {
  public:
    using Script = std::function<Controls(std::int32_t frame)>;
    explicit ScriptedControls(Script script) : script_(std::move(script)) {}
    void raceStarts() override { frame_ = 0; }
    Controls controls(const Player&, const Track&, const RaceRules&) override {
        return script_(frame_++);
    }

  private:
    Script script_;
    std::int32_t frame_ = 0;
};
