#include "records/pad_file.hpp"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {
const char* const kControlWords[5] = {"accelerate", "brake", "left", "right", "nitro"};
const char* const kHeader = "gravelin pad 1";

// A number players count from 1, no larger than limit.
bool readCount(std::istringstream& in, std::int32_t limit, std::uint8_t& out) {
    std::string word;
    if (!(in >> word) || word.empty() || word.size() > 3) return false;
    for (char c : word)
        if (c < '0' || c > '9') return false;
    const std::int32_t n = std::atoi(word.c_str());
    if (n < 1 || n > limit) return false;
    out = std::uint8_t(n - 1);
    return true;
}

bool parseInput(std::istringstream& in, PadInput& input) {
    std::string word;
    if (!(in >> word)) return false;
    if (word == "none") {
        input = {};
        return true;
    }
    if (word != "pad" || !readCount(in, kMaxPads, input.pad) || !(in >> word)) return false;
    if (word == "button") {
        input.kind = PadInput::Button;
        return readCount(in, kPadButtons, input.index);
    }
    if (word == "stick") {
        std::string sign;
        if (!readCount(in, kPadAxes, input.index) || !(in >> sign)) return false;
        if (sign != "-" && sign != "+") return false;
        input.kind = sign == "-" ? PadInput::AxisNegative : PadInput::AxisPositive;
        return true;
    }
    if (word == "d-pad") {
        input.kind = PadInput::Hat;
        input.index = 0;
        if (!(in >> word)) return false;
        // A second hat is named by its number before the direction.
        if (word.size() == 1 && word[0] >= '1' && word[0] <= '9') {
            if (word[0] - '1' >= kPadHats) return false;
            input.index = std::uint8_t(word[0] - '1');
            if (!(in >> word)) return false;
        }
        const std::pair<const char*, std::uint8_t> directions[] = {{"up", SDL_HAT_UP},
                                                                   {"down", SDL_HAT_DOWN},
                                                                   {"left", SDL_HAT_LEFT},
                                                                   {"right", SDL_HAT_RIGHT}};
        for (const auto& [name, bit] : directions)
            if (word == name) input.direction = bit;
        return input.direction != 0;
    }
    return false;
}
} // namespace

bool decodePadBinding(const std::string& text, PadBinding& out, std::string& why) {
    if (text.size() > kMaxPadFile) {
        why = "longer than " + std::to_string(kMaxPadFile) + " bytes";
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    std::int32_t number = 0;
    bool headerSeen = false;
    std::array<bool, 5> seen{};
    PadBinding binding{};
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string at = "line " + std::to_string(number) + ": ";
        if (!headerSeen) {
            if (line != kHeader) {
                why = at + "not a pad file (it must begin \"" + kHeader + "\")";
                return false;
            }
            headerSeen = true;
            continue;
        }
        std::istringstream in(line);
        std::string control;
        in >> control;
        std::int32_t which = -1;
        for (std::int32_t i = 0; i < 5; ++i)
            if (control == kControlWords[i]) which = i;
        if (which < 0) {
            why = at + "no control \"" + control.substr(0, 20) + "\"";
            return false;
        }
        std::string rest;
        PadInput input;
        if (!parseInput(in, input) || (in >> rest)) {
            why = at + "cannot read the input for " + control;
            return false;
        }
        if (seen[std::size_t(which)]) {
            why = at + control + " is given twice";
            return false;
        }
        seen[std::size_t(which)] = true;
        binding[std::size_t(which)] = input;
    }
    if (!headerSeen) {
        why = "empty";
        return false;
    }
    out = binding;
    return true;
}

std::string encodePadBinding(const PadBinding& binding) {
    std::string text = std::string(kHeader) + "\n";
    for (std::size_t i = 0; i < binding.size(); ++i) {
        const PadInput& input = binding[i];
        text +=
            std::string(kControlWords[i]) + " " + (input.valid() ? input.name() : "none") + "\n";
    }
    return text;
}

std::string padFilePath(const std::string& profileFileName) {
    const std::string suffix = ".pl";
    if (profileFileName.size() <= suffix.size() ||
        profileFileName.compare(profileFileName.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::string();
    return "players/" + profileFileName.substr(0, profileFileName.size() - suffix.size()) + ".pad";
}
