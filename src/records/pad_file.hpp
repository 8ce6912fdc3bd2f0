// A driver's pad controls, kept in players/ beside the driver's file: the
// driver's .pl file name with ".pad" for ".pl". The .pl layout stays as it
// was; a driver without a .pad file drives with the pad of its place among
// the race's humans (the first human pad 1, the second pad 2).
//
// A text file, one line a control, as docs/pads.md describes:
//   gravelin pad 1
//   accelerate pad 1 button 1
//   left pad 1 stick 1 -
//   nitro none
#pragma once

#include "platform/pads.hpp"

#include <array>
#include <cstdint>
#include <string>

// Files longer than this are not read.
constexpr std::size_t kMaxPadFile = 4096;

// False, with the line and what is wrong in why, for a file that is not a
// whole binding; out is then left as it was.
bool decodePadBinding(const std::string& text, PadBinding& out, std::string& why);
std::string encodePadBinding(const PadBinding& binding);

// "players/<stem>.pad" for a driver file "<stem>.pl"; empty for none.
std::string padFilePath(const std::string& profileFileName);
