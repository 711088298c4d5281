// Synthesised key presses through keybd_event.
#pragma once

#include "platform/keyboard_port.h"

namespace tapestrel::platform {

class WindowsKeyboard : public KeyboardPort {
 public:
  void KeyEvent(uint8_t virtualKey, bool keyUp) override;
};

}  // namespace tapestrel::platform
