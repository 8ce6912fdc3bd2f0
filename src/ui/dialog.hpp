// Message boxes: a line of text over the title picture with OK, or OK and
// Cancel. Only the highlighted button outlasts a box: every box opens on
// the choice the previous one closed with.
#pragma once

#include "ui/screen_context.hpp"

#include <cstdint>
#include <string>

class MessageBox {
  public:
    explicit MessageBox(const ScreenContext& context) : context_(context) {}
    // Modal until RETURN or a window close; true when it closes with OK
    // highlighted (a close answers Cancel).
    bool show(const std::string& message, bool withCancel);

    // 0 OK, 1 Cancel.
    std::int32_t choice = 0;

  private:
    const ScreenContext& context_;
};
