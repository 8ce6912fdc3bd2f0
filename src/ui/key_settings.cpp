#include "ui/key_settings.hpp"

#include "gfx/font.hpp"
#include "gfx/surface.hpp"
#include "platform/pads.hpp"
#include "platform/platform.hpp"
#include "records/profile.hpp"

#include <cstdio>

namespace {
struct KeyNameRow {
    std::int32_t code;
    const char* name;
};
// Names as players have always seen them, "backspace" and "SCROLLOCK"
// included.
constexpr KeyNameRow kKeyNames[] = {
    {8, "backspace"},    {9, "TAB"},          {12, "CLEAR"},      {13, "RETURN"},
    {19, "Pause"},       {27, "ESC"},         {32, "SPACE"},      {127, "DELETE"},
    {273, "UP"},         {274, "DOWN"},       {275, "RIGHT"},     {276, "LEFT"},
    {277, "INSERT"},     {278, "HOME"},       {279, "END"},       {280, "PAGEUP"},
    {281, "PAGEDOWN"},   {282, "F1"},         {283, "F2"},        {284, "F3"},
    {285, "F4"},         {286, "F5"},         {287, "F6"},        {288, "F7"},
    {289, "F8"},         {290, "F9"},         {291, "F10"},       {292, "F11"},
    {293, "F12"},        {294, "F13"},        {295, "F14"},       {296, "F15"},
    {300, "NUMLOCK"},    {301, "CAPSLOCK"},   {302, "SCROLLOCK"}, {303, "RIGHT SHIFT"},
    {304, "LEFT SHIFT"}, {305, "RIGHT CTRL"}, {306, "LEFT CTRL"}, {307, "RIGHT ALT"},
    {308, "LEFT ALT"},   {313, "ALT GR"},     {-1, nullptr}};

const char* const kControlLabels[] = {"Accelerate", "Brake", "Left", "Right", "Nitro Boost"};
constexpr std::uint32_t kYellow = 0xFFFFFF00;
constexpr std::uint32_t kDimYellow = 0xFF7F7F00;
} // namespace

std::int32_t keyNameIndex(std::int32_t code) {
    for (std::int32_t i = 0; kKeyNames[i].code != -1; ++i)
        if (kKeyNames[i].code == code) return i;
    return -1;
}

std::string keyName(std::int32_t code) {
    const std::int32_t i = keyNameIndex(code);
    if (i != -1) return kKeyNames[i].name;
    const char c = char(code & 0xFF);
    return c ? std::string(1, c) : std::string();
}

const PlayerProfile* keyUser(const std::vector<std::unique_ptr<PlayerProfile>>& profiles,
                             const PlayerProfile& self, std::int32_t key) {
    for (const auto& other : profiles)
        if (other.get() != &self && other->type == Human)
            for (std::int32_t code : other->controls)
                if (code == key) return other.get();
    return nullptr;
}

const PlayerProfile* padInputUser(const std::vector<std::unique_ptr<PlayerProfile>>& profiles,
                                  const PlayerProfile& self, const PadInput& input) {
    for (const auto& other : profiles)
        if (other.get() != &self && other->type == Human && other->padBound)
            for (const PadInput& bound : other->pad)
                if (bound.valid() && bound == input) return other.get();
    return nullptr;
}

void KeySettingsScreen::takeKey(PlayerProfile& profile, std::int32_t control, std::int32_t key) {
    profile.controls[std::size_t(control)] = key;
    if (const PlayerProfile* other = keyUser(profiles_, profile, key))
        context_.ask(keyName(key) + " is already used by " + other->name + ".", false);
}

void KeySettingsScreen::takePadInput(PlayerProfile& profile, std::int32_t control,
                                     const PadInput& input) {
    // A driver's first pad control brings the rest of that pad's defaults.
    if (!profile.padBound) profile.pad = defaultPadBinding(input.pad);
    profile.padBound = true;
    profile.pad[std::size_t(control)] = input;
    if (const PlayerProfile* other = padInputUser(profiles_, profile, input))
        context_.ask(input.name() + " is already used by " + other->name + ".", false);
}

void KeySettingsScreen::run(PlayerProfile& profile) {
    SDL_Surface* screen = context_.screen;
    Keyboard& keyboard = context_.keyboard;
    const Fonts& fonts = context_.fonts;
    if (!screen) return;
    std::int32_t selected = 0;
    keyboard.pressed = 0;
    // The RETURN that opened the screen must not open a slot.
    keyboard.refresh();
    KeyRepeat held(keyboard, true);
    auto leave = [&] {
        waitingForKey = false;
        keyboard.setPadsAsKeys(true);
        keyboard.flush();
    };
    for (;;) {
        delay(20);
        updateScreen(screen);
        pumpEvents();
        if (quitRequested()) return leave();
        copySurface(screen, context_.background);
        drawCentred(screen, fonts.menu, "Key setting for " + profile.name, kYellow, 40);
        drawCentred(screen, fonts.medium, "Hit ESC to end selection.", 0xFFFFFFFF, 350);
        std::int32_t y = 2 * glyphHeight(fonts.menu, 'A') + 40;
        keyboard.refresh();
        held.update();
        if (!waitingForKey) {
            for (int i = 0; i < 5; ++i) {
                const std::uint32_t colour = i == selected ? kYellow : kDimYellow;
                drawCentred(screen, fonts.menu,
                            std::string(kControlLabels[i]) + " : " +
                                keyName(profile.controls[std::size_t(i)]),
                            colour, y);
                y += glyphHeight(fonts.menu, 'A') + 4;
                // A bound pad input under its key, in the small type: the
                // longest would not fit beside it.
                const PadInput& pad = profile.pad[std::size_t(i)];
                if (profile.padBound && pad.valid()) {
                    drawCentred(screen, fonts.medium, pad.name(), colour, y);
                    y += glyphHeight(fonts.medium, 'A') + 2;
                }
            }
            if (!profile.padBound) {
                drawCentred(screen, fonts.medium, "Pad: button 1 accelerates, 2 brakes, 3 nitro;",
                            0xFFBFBFBF, 290);
                drawCentred(screen, fonts.medium, "the stick or d-pad steers.", 0xFFBFBFBF, 310);
            }
            if (held.fired(SDLK_DOWN)) {
                selected = (selected + 1) % 5;
                std::printf("Selected key %d\n", selected);
            }
            if (held.fired(SDLK_UP)) {
                selected = (selected + 4) % 5;
                std::printf("Selected key %d\n", selected);
            }
            if (held.pressed(SDLK_RETURN)) {
                waitingForKey = true;
                // A pad's A or B is to be bound now, not taken for RETURN
                // or ESC.
                keyboard.setPadsAsKeys(false);
                // The new key is one pressed from now on: this RETURN has to
                // be let go first.
                held.ignoreHeld();
            } else if (held.pressed(SDLK_ESCAPE)) {
                delay(100);
                return leave();
            }
        } else {
            drawCentred(screen, fonts.menu,
                        std::string("Press key for ") + kControlLabels[selected], 0xFF00FFFF, y);
            drawCentred(screen, fonts.medium, "or a pad button, stick or d-pad", 0xFF00FFFF,
                        y + glyphHeight(fonts.menu, 'A') + 8);
            keyboard.pressed = 0;
            std::int32_t newKey = -1;
            for (std::int32_t code = 0; code < SDLK_LAST; ++code)
                if (held.pressed(code)) newKey = code;
            const PadInput padInput = pads_.newlyPressed();
            if (newKey != -1 || padInput.bound()) {
                waitingForKey = false;
                // The pad button just bound is no menu key until let go.
                keyboard.setPadsAsKeys(true);
                if (newKey != -1) {
                    keyboard.pressed = newKey;
                    takeKey(profile, selected, newKey);
                } else {
                    takePadInput(profile, selected, padInput);
                }
                // The key just taken, ESC or an arrow say, is not also a
                // command of this screen.
                held.ignoreHeld();
            }
        }
    }
}
