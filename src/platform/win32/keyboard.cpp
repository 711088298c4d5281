#include "platform/win32/keyboard.h"

#include <windows.h>

namespace tapestrel::platform {

void WindowsKeyboard::KeyEvent(uint8_t virtualKey, bool keyUp) {
  keybd_event(virtualKey, 0, keyUp ? KEYEVENTF_KEYUP : 0, 0);
}

}  // namespace tapestrel::platform
