// Message boxes. Only the highlighted button outlasts a dialog: every dialog
// opens on the choice the previous one closed with.
#pragma once

#include <cstdint>

// 0 OK, 1 Cancel.
extern std::int32_t dialogChoice;
