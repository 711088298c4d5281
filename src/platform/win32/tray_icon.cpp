#include "platform/win32/tray_icon.h"

#include <shlwapi.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/error_guard.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"

namespace tapestrel::platform {

UINT TTaskTrayIcon::taskbarCreated_ = 0;
int TTaskTrayIcon::liveIcons_ = 0;

namespace {

constexpr wchar_t kHiddenWindowClass[] = L"TaskTrayHandle";

DWORD FileVersionOfShell() {
  char path[MAX_PATH];
  const UINT n = GetSystemDirectoryA(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  const std::string file = std::string(path) + "\\shell32.dll";
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0) return 0;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info) return 0;
  return info->dwFileVersionMS;
}

}  // namespace

DWORD ShellVersion() {
  UniqueModule shell(LoadLibraryA("shell32.dll"));
  if (shell) {
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(shell.Get(), "DllGetVersion")));
    if (getVersion) {
      DLLVERSIONINFO info{};
      info.cbSize = sizeof info;
      if (SUCCEEDED(getVersion(&info))) return MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
    }
  }
  return FileVersionOfShell();
}

TTaskTrayIcon::TTaskTrayIcon() {
  if (taskbarCreated_ == 0) taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  Create(kHiddenWindowClass, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr, nullptr,
         LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
  ++liveIcons_;
  modernShell_ = ShellVersion() >= MAKELONG(0, 5);
  record_.cbSize = modernShell_ ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
  record_.hWnd = Handle();
  record_.uID = kIconId;
  record_.uCallbackMessage = kCallbackMessage;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

TTaskTrayIcon::~TTaskTrayIcon() {
  Delete();
  if (Handle()) DestroyWindow(Handle());
  if (--liveIcons_ == 0) UnregisterClassW(kHiddenWindowClass, GetModuleHandleW(nullptr));
}

void TTaskTrayIcon::SetTip(const std::string& tip) {
  const size_t limit = modernShell_ ? 127 : 63;
  const std::string cut = tip.substr(0, std::min(limit, tip.size()));
  std::fill(std::begin(record_.szTip), std::end(record_.szTip), '\0');
  std::copy(cut.begin(), cut.end(), record_.szTip);
}

void TTaskTrayIcon::Add() {
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  if (!Shell_NotifyIconA(NIM_ADD, &record_)) {
    bool done = false;
    for (int attempt = 0; attempt < 6 && !done; ++attempt) {
      if (GetLastError() != ERROR_TIMEOUT)
        throw std::runtime_error("タスクトレイにアイコンを登録できません。");
      Sleep(2000);
      // The shell may have added it after all.
      done = Shell_NotifyIconA(NIM_MODIFY, &record_) || Shell_NotifyIconA(NIM_ADD, &record_);
    }
    if (!done) throw std::runtime_error("タスクトレイのアイコンを変更できません。");
  }
  added_ = true;
  hidden_ = false;
}

void TTaskTrayIcon::Update() {
  if (!added_) return Add();
  NOTIFYICONDATAA record = record_;
  if (hidden_ && modernShell_) {
    record.uFlags |= NIF_STATE;
    record.dwState = 0;
    record.dwStateMask = NIS_HIDDEN;
  }
  if (!Shell_NotifyIconA(NIM_MODIFY, &record)) {
    added_ = false;  // the shell lost it: add it anew
    Add();
  }
  hidden_ = false;
}

void TTaskTrayIcon::Hide() {
  if (!added_) return;
  if (modernShell_) {
    NOTIFYICONDATAA record = record_;
    record.uFlags = NIF_STATE;
    record.dwState = NIS_HIDDEN;
    record.dwStateMask = NIS_HIDDEN;
    Shell_NotifyIconA(NIM_MODIFY, &record);
    hidden_ = true;
  } else {
    Delete();
  }
}

void TTaskTrayIcon::Delete() {
  if (!added_) return;
  Shell_NotifyIconA(NIM_DELETE, &record_);
  added_ = false;
  hidden_ = false;
}

LRESULT TTaskTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    if (added_ && !hidden_) {
      added_ = false;
      Add();
    } else if (added_) {
      added_ = false;  // a hidden icon is gone with the old shell
    }
    if (OnTaskbarRestart) OnTaskbarRestart();
  } else if (message == kCallbackMessage) {
    switch (LOWORD(lParam)) {
      case WM_RBUTTONDOWN:
        if (OnRightButton) OnRightButton();
        return 0;
      case WM_LBUTTONDBLCLK:
        if (OnDoubleClick) OnDoubleClick();
        return 0;
      default:
        return 0;
    }
  }
  return Default(message, wParam, lParam);
}

TTrayIcon::TTrayIcon() {
  // A wanted icon that the shell refused (or never got) is added when the
  // shell announces itself, not only one that was shown before.
  inner_.OnTaskbarRestart = [this] {
    if (visible_ && !inner_.Added()) {
      inner_.SetIcon(CurrentIcon());
      inner_.SetTip(tip_);
      inner_.Add();
    }
  };
  inner_.OnRightButton = [this] { ShowMenu(); };
  inner_.OnDoubleClick = [this] {
    if (OnDblClick) OnDblClick();
  };
}

TTrayIcon::~TTrayIcon() {
  Guarded([&] { SetVisible(false); });
  inner_.Delete();
}

HICON TTrayIcon::CurrentIcon() const {
  // The notification area's size at the system's scale (16, 20, 24 or 32
  // pixels), drawn for that size in the icon resource rather than shrunk.
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const int size = SystemMetricForDpi(SM_CXSMICON, SystemDpi());
  const char* name = !resourceIconList_.empty() && resourceIconId_ >= 0
                         ? resourceIconList_[static_cast<size_t>(resourceIconId_)].c_str()
                         : "MAINICON";
  return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, size, size, LR_SHARED));
}

void TTrayIcon::SetVisible(bool visible) {
  visible_ = visible;
  if (visible) {
    inner_.SetIcon(CurrentIcon());
    inner_.SetTip(tip_);
    inner_.Added() ? inner_.Update() : inner_.Add();
  } else {
    inner_.Hide();
  }
}

void TTrayIcon::SetResourceIconID(int index) {
  const int count = static_cast<int>(resourceIconList_.size());
  int clamped = index >= count ? count - 1 : index;
  if (clamped < 0) clamped = -1;
  if (clamped == resourceIconId_ && clamped != 0) return;
  resourceIconId_ = clamped;
  Refresh();
}

void TTrayIcon::SetTipHelp(const std::string& tip) {
  tip_ = tip;
  Refresh();
}

void TTrayIcon::Refresh() {
  inner_.SetIcon(CurrentIcon());
  inner_.SetTip(tip_);
  if (visible_) inner_.Update();
}

void TTrayIcon::ShowMenu() {
  if (!RButtonPopupMenu) return;
  HWND window = inner_.Handle();
  SetForegroundWindow(window);
  ProcessPendingMessages();
  if (OnPopup) OnPopup();
  POINT at;
  GetCursorPos(&at);
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(RButtonPopupMenu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  if (command != 0 && OnMenuCommand) OnMenuCommand(command);
}

}  // namespace tapestrel::platform
