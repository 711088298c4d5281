// The clipboard as other programs use it: a file list written the way a file
// manager writes it (UTF-16 names), text, and what is on it now.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "win_support/waiting.h"

namespace tapestrel::testing {

// Opens the clipboard for this thread, waiting while another program has it.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner = nullptr) {
    WaitFor([&] { return (open_ = OpenClipboard(owner) != FALSE); }, 5000);
  }
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  explicit operator bool() const { return open_; }

 private:
  bool open_ = false;
};

inline HGLOBAL GlobalBytes(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

// A file list as a file manager puts it: DROPFILES with fWide set, UTF-16
// names, and the effect it announces.
inline void PutWideFileList(const std::vector<std::wstring>& paths, DWORD effect = DROPEFFECT_COPY) {
  std::vector<uint8_t> block(sizeof(DROPFILES), 0);
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  for (const std::wstring& path : paths) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(path.c_str());
    block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), 2, 0);
  ClipboardSession clipboard;
  EmptyClipboard();
  SetClipboardData(CF_HDROP, GlobalBytes(block.data(), block.size()));
  SetClipboardData(RegisterClipboardFormatW(L"Preferred DropEffect"), GlobalBytes(&effect, sizeof effect));
}

inline void PutText(const std::string& text) {
  ClipboardSession clipboard;
  EmptyClipboard();
  SetClipboardData(CF_TEXT, GlobalBytes(text.c_str(), text.size() + 1));
}

inline std::string ClipboardText() {
  ClipboardSession clipboard;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (!data) return "<none>";
  std::string text(static_cast<const char*>(GlobalLock(data)));
  GlobalUnlock(data);
  return text;
}

// The raw bytes of a clipboard format; nothing when it is absent.
inline std::optional<std::vector<uint8_t>> ClipboardBytes(UINT format) {
  ClipboardSession clipboard;
  HANDLE data = GetClipboardData(format);
  if (!data) return std::nullopt;
  const auto* p = static_cast<const uint8_t*>(GlobalLock(data));
  std::vector<uint8_t> bytes(p, p + GlobalSize(data));
  GlobalUnlock(data);
  return bytes;
}

inline bool ClipboardHasFiles() { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }

// The list as the shell reads it, and the announced effect (0 when none).
inline std::vector<std::string> ClipboardFilesByShell() {
  ClipboardSession clipboard;
  std::vector<std::string> files;
  auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  if (!drop) return files;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH * 2] = {};
    DragQueryFileA(drop, i, path, sizeof path);
    files.push_back(path);
  }
  return files;
}

inline DWORD ClipboardDropEffect() {
  const auto bytes = ClipboardBytes(RegisterClipboardFormatW(L"Preferred DropEffect"));
  if (!bytes || bytes->size() < 4) return 0;
  DWORD effect;
  std::memcpy(&effect, bytes->data(), 4);
  return effect;
}

}  // namespace tapestrel::testing
