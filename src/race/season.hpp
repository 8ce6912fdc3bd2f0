// Season points: 10 6 4 3 2 1 0 0 for first to eighth place.
#pragma once

#include <array>
#include <cstdint>

constexpr std::array<std::int32_t, 8> kPointsTable{10, 6, 4, 3, 2, 1, 0, 0};
