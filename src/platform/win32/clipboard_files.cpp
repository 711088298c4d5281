#include "platform/win32/clipboard_files.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "platform/error_guard.h"
#include "platform/win32/handles.h"
#include "platform/win32/ansi_path.h"

namespace tapestrel::platform {
namespace {

constexpr UINT_PTR kSubclassId = 0x54435021;

struct GlobalTraits {
  static HGLOBAL Invalid() { return nullptr; }
  static void Close(HGLOBAL h) { GlobalFree(h); }
};
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;

// Movable global memory holding `bytes`; empty when it cannot be had.
UniqueGlobal GlobalCopy(const std::vector<uint8_t>& bytes) {
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size()));
  if (!memory) return memory;
  void* p = GlobalLock(memory.Get());
  if (!p) return UniqueGlobal();
  std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(memory.Get());
  return memory;
}

// The clipboard, open for one operation. Another program may hold it for a
// moment, so opening is tried a few times.
class OpenClipboardFor {
 public:
  explicit OpenClipboardFor(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(10);
    }
  }
  OpenClipboardFor(const OpenClipboardFor&) = delete;
  ~OpenClipboardFor() {
    if (open_) CloseClipboard();
  }
  explicit operator bool() const { return open_; }

 private:
  bool open_ = false;
};

std::optional<std::string> AnsiPath(std::u16string_view wide) {
  return PathToAnsi(std::wstring_view(reinterpret_cast<const wchar_t*>(wide.data()), wide.size()));
}

}  // namespace

UINT PreferredDropEffectFormat() {
  static const UINT format = RegisterClipboardFormatW(L"Preferred DropEffect");
  return format;
}

FileClipboard::FileClipboard(HWND owner) : owner_(owner) {
  SetWindowSubclass(owner_, &FileClipboard::Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

FileClipboard::~FileClipboard() {
  RemoveWindowSubclass(owner_, &FileClipboard::Procedure, kSubclassId);
  // A file list left behind by us goes with us; what another program put
  // there since is the user's and stays.
  if (GetClipboardOwner() != owner_ || !owner_) return;
  OpenClipboardFor clipboard(owner_);
  if (clipboard) EmptyClipboard();
}

bool FileClipboard::Place(DropEffect effect) {
  if (CopyFiles.empty()) return false;
  const DropBlock block = BuildDropBlock(CopyFiles);
  if (block.written.empty()) return false;
  OpenClipboardFor clipboard(owner_);
  if (!clipboard) return false;
  // Both blocks first: a failure leaves the clipboard as it was.
  UniqueGlobal files = GlobalCopy(block.bytes);
  UniqueGlobal effectBlock = GlobalCopy(BuildDropEffectBlock(effect));
  if (!files || !effectBlock) return false;
  if (!EmptyClipboard()) return false;
  // The clipboard owns each block it took.
  if (SetClipboardData(CF_HDROP, files.Get())) files.Release();
  if (SetClipboardData(PreferredDropEffectFormat(), effectBlock.Get())) effectBlock.Release();
  return true;
}

void FileClipboard::PasteFromClipboard() {
  PasteFiles.clear();
  OpenClipboardFor clipboard(owner_);
  if (!clipboard) return;
  HANDLE data = GetClipboardData(CF_HDROP);
  if (!data) return;
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(data));
  if (!bytes) return;
  PasteFiles = Guarded<std::vector<std::string>>(
      {}, [&] { return ParseDropBlock(bytes, GlobalSize(data), AnsiPath); });
  GlobalUnlock(data);
  EmptyClipboard();
}

LRESULT CALLBACK FileClipboard::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
  if (message == WM_RENDERFORMAT) {
    Guarded([&] {
      auto* clipboard = reinterpret_cast<FileClipboard*>(self);
      if (++clipboard->renderCount_ > 3 && clipboard->OnRenderFormat) clipboard->OnRenderFormat();
    });
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace tapestrel::platform
