// Driving dialogs of another thread or process the way a user does: the
// shell folder tree through its messages and mouse messages at an item's
// place, popup menus by their keys. What the tree writes into lives in the
// tree's own process. Also: screenshots (win_support/screenshots.h), a
// ".htm" opener that records what it is asked to open, and modal dialogs run
// on a thread of their own.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/text.h"
#include "win_support/files.h"
#include "win_support/screenshots.h"
#include "win_support/waiting.h"
#include "win_support/window_search.h"

namespace tapestrel::testing {

// COM for the shell calls of this thread, for as long as this lives.
struct ComScope {
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

// A new folder at the top of drive C:, where the folder tree shows it (the
// temporary folder lies below a hidden one), removed at the end.
class VisibleFolder {
 public:
  VisibleFolder() {
    static int counter = 0;
    path_ = "C:\\tapestrel-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) +
            "-" + std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~VisibleFolder() { TempFolder::RemoveTree(path_); }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A block of memory in the process that owns `window`.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    address_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  char* At(size_t offset) const { return address_ + offset; }
  template <typename T>
  void Write(const T& value, size_t offset = 0) {
    WriteProcessMemory(process_, At(offset), &value, sizeof value, nullptr);
  }
  template <typename T>
  T Read(size_t offset = 0) const {
    T value{};
    ReadProcessMemory(process_, At(offset), &value, sizeof value, nullptr);
    return value;
  }

 private:
  HANDLE process_;
  char* address_;
};

// The display names from the Desktop down to a file-system folder, the
// Desktop left out: the names the folder tree shows on the way.
inline std::vector<std::wstring> NamespaceNames(const std::string& path) {
  std::vector<std::wstring> names;
  LPITEMIDLIST full = ILCreateFromPathW(platform::AnsiToWide(path).c_str());
  if (!full) return names;
  int count = 0;
  for (LPITEMIDLIST id = full; id->mkid.cb; id = ILNext(id)) ++count;
  for (int depth = 1; depth <= count; ++depth) {
    LPITEMIDLIST prefix = ILClone(full);
    LPITEMIDLIST end = prefix;
    for (int i = 0; i < depth; ++i) end = ILNext(end);
    end->mkid.cb = 0;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(prefix), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
    names.emplace_back(info.szDisplayName);
    ILFree(prefix);
  }
  ILFree(full);
  return names;
}

class TreeDriver {
 public:
  explicit TreeDriver(HWND tree) : tree_(tree) {}

  HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
  HTREEITEM Selected() const { return Next(nullptr, TVGN_CARET); }
  void Expand(HTREEITEM item) const {
    SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
  bool IsExpanded(HTREEITEM item) const {
    return (SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
  }

  std::wstring Text(HTREEITEM item) const {
    constexpr size_t kChars = 260;
    RemoteBuffer buffer(tree_, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = reinterpret_cast<LPWSTR>(buffer.At(sizeof(TVITEMW)));
    data.cchTextMax = kChars;
    buffer.Write(data);
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.At(0)));
    std::wstring text;
    for (size_t i = 0; i < kChars; ++i) {
      const wchar_t c = buffer.Read<wchar_t>(sizeof(TVITEMW) + i * sizeof(wchar_t));
      if (!c) break;
      text += c;
    }
    return text;
  }

  // The children, read first when they were not yet.
  std::vector<HTREEITEM> Children(HTREEITEM item) const {
    Expand(item);
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = Next(item, TVGN_CHILD); child; child = Next(child, TVGN_NEXT))
      children.push_back(child);
    return children;
  }
  std::vector<std::wstring> ChildTexts(HTREEITEM item) const {
    std::vector<std::wstring> texts;
    for (HTREEITEM child : Children(item)) texts.push_back(Text(child));
    return texts;
  }
  HTREEITEM Child(HTREEITEM item, const std::wstring& text) const {
    for (HTREEITEM child : Children(item)) {
      if (Text(child) == text) return child;
    }
    return nullptr;
  }
  // The item of a file-system folder, reached from the Desktop as a user
  // would open the way to it.
  HTREEITEM Find(const std::string& path) const {
    HTREEITEM item = Root();
    for (const std::wstring& name : NamespaceNames(path)) {
      if (!item) break;
      item = Child(item, name);
    }
    return item;
  }

  void Click(HTREEITEM item) const { Mouse(item, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON); }
  void RightClick(HTREEITEM item) const { Mouse(item, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON); }
  void Key(UINT key) const {
    PostMessageW(tree_, WM_KEYDOWN, key, 1);
    PostMessageW(tree_, WM_KEYUP, key, 0xC0000001);
  }

 private:
  HTREEITEM Next(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  }
  // Down and up at the middle of the item's text, with the pointer there too:
  // the right button's menu opens where the pointer is.
  void Mouse(HTREEITEM item, UINT down, UINT up, WPARAM button) const {
    SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RemoteBuffer buffer(tree_, sizeof(RECT));
    buffer.Write(item);
    SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.At(0)));
    const RECT rect = buffer.Read<RECT>();
    POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    POINT screen = at;
    ClientToScreen(tree_, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(tree_, down, button, MAKELPARAM(at.x, at.y));
    PostMessageW(tree_, up, 0, MAKELPARAM(at.x, at.y));
  }

  HWND tree_;
};

// The open popup menu of a process, or null.
inline HWND OpenPopupMenu(DWORD pid) {
  for (HWND window : WindowsOf(pid, true)) {
    if (ClassName(window) == L"#32768") return window;
  }
  return nullptr;
}

// Chooses the first item of the popup menu the process opens.
inline bool ChooseFirstMenuItem(DWORD pid, int milliseconds) {
  HWND menu = nullptr;
  if (!WaitFor([&] { return (menu = OpenPopupMenu(pid)) != nullptr; }, milliseconds)) return false;
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
  return WaitFor([&] { return OpenPopupMenu(pid) == nullptr; }, milliseconds);
}

// ".htm" files opened by a copy of open_recorder.exe (a fixture built beside
// the tests) for as long as this lives: it writes what it was given to
// "opened.txt" in `folder`. Wine's shell looks the type up in the classes of
// the machine, so the opener goes there, and what was there before comes back.
class HtmOpener {
 public:
  explicit HtmOpener(const TempFolder& folder)
      : recorder_(folder / "open_recorder.exe"), log_(folder / "opened.txt") {
    CopyFileA((ThisProgramFolder() + "open_recorder.exe").c_str(), recorder_.c_str(), FALSE);
    char previous[256] = {};
    LONG size = sizeof previous;
    hadType_ = RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", previous, &size) == ERROR_SUCCESS;
    previousType_ = previous;
    const std::string command = "\"" + recorder_ + "\" \"%1\"";
    RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, kClass, 0);
    RegSetValueA(HKEY_CLASSES_ROOT, (std::string(kClass) + "\\shell\\open\\command").c_str(), REG_SZ,
                 command.c_str(), 0);
  }
  HtmOpener(const HtmOpener&) = delete;
  ~HtmOpener() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kClass);
    if (hadType_) {
      RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, previousType_.c_str(), 0);
    } else {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, ".htm");
    }
  }
  // The command lines the recorder was started with, UTF-8.
  std::string Opened() const { return ReadFile(log_); }
  bool WaitOpened(int milliseconds) const {
    return WaitFor([&] { return !Opened().empty(); }, milliseconds);
  }

 private:
  static constexpr char kClass[] = "TapestrelTest.htmfile";
  std::string recorder_;
  std::string log_;
  bool hadType_ = false;
  std::string previousType_;
};

// A modal dialog run on a thread of its own, so that the test's thread can
// drive it.
class ModalOnThread {
 public:
  explicit ModalOnThread(std::function<int()> show) {
    thread_ = std::thread([this, show = std::move(show)] {
      ComScope com;
      threadId_ = GetCurrentThreadId();
      result_ = show();
      done_ = true;
    });
  }
  ModalOnThread(const ModalOnThread&) = delete;
  ~ModalOnThread() {
    // A test that failed half-way leaves its dialog open: close it.
    while (!done_) {
      if (HWND dialog = Dialog()) PostMessageW(dialog, WM_CLOSE, 0, 0);
      Sleep(50);
    }
    thread_.join();
  }

  // The thread's visible dialog.
  HWND Dialog() const {
    HWND found = nullptr;
    if (threadId_) EnumThreadWindows(threadId_, &FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  HWND WaitForDialog(int milliseconds) const {
    HWND found = nullptr;
    WaitFor([&] { return (found = Dialog()) != nullptr; }, milliseconds);
    return found;
  }
  bool WaitDone(int milliseconds) const {
    return WaitFor([&] { return done_.load(); }, milliseconds);
  }
  int Result() const { return result_; }

 private:
  static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || ClassName(window) != L"#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }

  std::thread thread_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<int> result_{0};
  std::atomic<bool> done_{false};
};

}  // namespace tapestrel::testing
