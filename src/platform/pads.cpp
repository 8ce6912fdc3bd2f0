#include "platform/pads.hpp"

#include "platform/platform.hpp"

#include <algorithm>
#include <cstdio>

namespace {
const PadState kNoPad{};
// Binding wants a deliberate push, not a resting trigger or a drifting stick.
constexpr std::int32_t kBindThreshold = 24576;

const char* hatDirectionName(std::uint8_t direction) {
    switch (direction) {
    case SDL_HAT_UP:
        return "up";
    case SDL_HAT_DOWN:
        return "down";
    case SDL_HAT_LEFT:
        return "left";
    case SDL_HAT_RIGHT:
        return "right";
    default:
        return "?";
    }
}
} // namespace

const SDLKey kPadMenuKeys[kPadMenuKeyCount] = {SDLK_UP,    SDLK_DOWN,   SDLK_LEFT,
                                               SDLK_RIGHT, SDLK_RETURN, SDLK_ESCAPE};

bool PadInput::valid() const {
    if (pad >= kMaxPads) return false;
    switch (kind) {
    case Button:
        return index < kPadButtons;
    case AxisNegative:
    case AxisPositive:
        return index < kPadAxes;
    case Hat:
        return index < kPadHats && (direction == SDL_HAT_UP || direction == SDL_HAT_DOWN ||
                                    direction == SDL_HAT_LEFT || direction == SDL_HAT_RIGHT);
    default:
        return false;
    }
}

bool PadInput::active(const PadState& state) const {
    if (!valid() || !state.connected) return false;
    switch (kind) {
    case Button:
        return state.buttons[index] != 0;
    case AxisNegative:
        return state.axes[index] <= -kPadAxisThreshold;
    case AxisPositive:
        return state.axes[index] >= kPadAxisThreshold;
    case Hat:
        return (state.hats[index] & direction) != 0;
    default:
        return false;
    }
}

std::string PadInput::name() const {
    if (!valid()) return std::string();
    const std::string padName = "pad " + std::to_string(pad + 1) + " ";
    switch (kind) {
    case Button:
        return padName + "button " + std::to_string(index + 1);
    case AxisNegative:
    case AxisPositive:
        return padName + "stick " + std::to_string(index + 1) +
               (kind == AxisNegative ? " -" : " +");
    default:
        return padName + "d-pad " + (index ? std::to_string(index + 1) + " " : std::string()) +
               hatDirectionName(direction);
    }
}

PadBinding defaultPadBinding(std::uint8_t pad) {
    return {PadInput{PadInput::Button, pad, 0, 0}, PadInput{PadInput::Button, pad, 1, 0},
            PadInput{PadInput::AxisNegative, pad, 0, 0},
            PadInput{PadInput::AxisPositive, pad, 0, 0}, PadInput{PadInput::Button, pad, 2, 0}};
}

std::array<bool, kPadMenuKeyCount> padMenuKeys(const PadState& s) {
    std::array<bool, kPadMenuKeyCount> keys{};
    if (!s.connected) return keys;
    const std::uint8_t hat = s.hats[0];
    keys[0] = (hat & SDL_HAT_UP) || s.axes[1] <= -kPadAxisThreshold;
    keys[1] = (hat & SDL_HAT_DOWN) || s.axes[1] >= kPadAxisThreshold;
    keys[2] = (hat & SDL_HAT_LEFT) || s.axes[0] <= -kPadAxisThreshold;
    keys[3] = (hat & SDL_HAT_RIGHT) || s.axes[0] >= kPadAxisThreshold;
    keys[4] = s.buttons[0] != 0;
    keys[5] = s.buttons[1] != 0;
    return keys;
}

Pads::~Pads() {
    close();
}

bool Pads::open() {
    if (opened_) return true;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        std::fprintf(stderr, "No gamepads: %s\n", SDL_GetError());
        return false;
    }
    opened_ = true;
    // Read by polling once a frame: joystick events would crowd the menu's
    // one-event-a-frame queue.
    SDL_JoystickEventState(SDL_IGNORE);
    openAll();
    lastScan_ = ticks();
    return true;
}

void Pads::openAll() {
    const std::int32_t count = std::min<std::int32_t>(SDL_NumJoysticks(), kMaxPads);
    for (std::int32_t i = 0; i < count; ++i) {
        sticks_[std::size_t(i)] = SDL_JoystickOpen(i);
        if (sticks_[std::size_t(i)])
            std::printf("Gamepad %d: %s\n", i + 1, SDL_JoystickName(i) ? SDL_JoystickName(i) : "");
    }
}

void Pads::close() {
    for (SDL_Joystick*& stick : sticks_) {
        if (stick && opened_) SDL_JoystickClose(stick);
        stick = nullptr;
    }
    if (opened_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    opened_ = false;
    now_.fill(PadState{});
    before_ = now_;
}

void Pads::rescanWhenDue() {
    if (!opened_ || installedFakePlatform()) return;
    const Uint32 now = ticks();
    if (now - lastScan_ < kRescanMs) return;
    lastScan_ = now;
    std::array<std::string, kMaxPads> names;
    for (std::int32_t i = 0; i < kMaxPads; ++i)
        if (sticks_[std::size_t(i)] && SDL_JoystickName(i))
            names[std::size_t(i)] = SDL_JoystickName(i);
    // SDL 1.2 counts its pads only when its joystick part starts.
    for (SDL_Joystick*& stick : sticks_) {
        if (stick) SDL_JoystickClose(stick);
        stick = nullptr;
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        opened_ = false;
        now_.fill(PadState{});
        return;
    }
    SDL_JoystickEventState(SDL_IGNORE);
    const std::int32_t count = std::min<std::int32_t>(SDL_NumJoysticks(), kMaxPads);
    for (std::int32_t i = 0; i < count; ++i) {
        sticks_[std::size_t(i)] = SDL_JoystickOpen(i);
        const char* name = SDL_JoystickName(i);
        if (sticks_[std::size_t(i)] && names[std::size_t(i)] != (name ? name : ""))
            std::printf("Gamepad %d: %s\n", i + 1, name ? name : "");
    }
    for (std::int32_t i = count; i < kMaxPads; ++i)
        if (!names[std::size_t(i)].empty()) std::printf("Gamepad %d pulled out\n", i + 1);
}

void Pads::refresh() {
    before_ = now_;
    if (const FakePlatform* fake = installedFakePlatform()) {
        now_ = fake->pads;
        return;
    }
    if (!opened_) {
        now_.fill(PadState{});
        return;
    }
    SDL_JoystickUpdate();
    for (std::size_t i = 0; i < now_.size(); ++i) {
        PadState& s = now_[i];
        s = PadState{};
        SDL_Joystick* stick = sticks_[i];
        if (!stick) continue;
        s.connected = true;
        const std::int32_t axes = std::clamp(SDL_JoystickNumAxes(stick), 0, kPadAxes);
        const std::int32_t buttons = std::clamp(SDL_JoystickNumButtons(stick), 0, kPadButtons);
        const std::int32_t hats = std::clamp(SDL_JoystickNumHats(stick), 0, kPadHats);
        for (std::int32_t a = 0; a < axes; ++a)
            s.axes[std::size_t(a)] = SDL_JoystickGetAxis(stick, a);
        for (std::int32_t b = 0; b < buttons; ++b)
            s.buttons[std::size_t(b)] = SDL_JoystickGetButton(stick, b) ? 1 : 0;
        for (std::int32_t h = 0; h < hats; ++h)
            s.hats[std::size_t(h)] = SDL_JoystickGetHat(stick, h);
    }
}

const PadState& Pads::state(std::int32_t pad) const {
    return pad >= 0 && pad < kMaxPads ? now_[std::size_t(pad)] : kNoPad;
}

bool Pads::active(const PadInput& input) const {
    return input.valid() && input.active(now_[input.pad]);
}

PadInput Pads::newlyPressed() const {
    for (std::uint8_t p = 0; p < kMaxPads; ++p) {
        const PadState& now = now_[p];
        const PadState& before = before_[p];
        if (!now.connected) continue;
        for (std::uint8_t b = 0; b < kPadButtons; ++b)
            if (now.buttons[b] && !before.buttons[b]) return {PadInput::Button, p, b, 0};
        for (std::uint8_t a = 0; a < kPadAxes; ++a) {
            const std::int32_t v = now.axes[a], was = before.axes[a];
            if (v >= kBindThreshold && was < kBindThreshold)
                return {PadInput::AxisPositive, p, a, 0};
            if (v <= -kBindThreshold && was > -kBindThreshold)
                return {PadInput::AxisNegative, p, a, 0};
        }
        for (std::uint8_t h = 0; h < kPadHats; ++h)
            for (std::uint8_t d : {SDL_HAT_UP, SDL_HAT_DOWN, SDL_HAT_LEFT, SDL_HAT_RIGHT})
                if ((now.hats[h] & d) && !(before.hats[h] & d)) return {PadInput::Hat, p, h, d};
    }
    return {};
}

std::int32_t Pads::connectedCount() const {
    return std::int32_t(
        std::count_if(now_.begin(), now_.end(), [](const PadState& s) { return s.connected; }));
}
