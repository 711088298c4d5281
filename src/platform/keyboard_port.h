// Synthesised key presses.
#pragma once

#include <cstdint>

namespace tapestrel::platform {

class KeyboardPort {
 public:
  virtual ~KeyboardPort() = default;
  virtual void KeyEvent(uint8_t virtualKey, bool keyUp) = 0;
};

}  // namespace tapestrel::platform
