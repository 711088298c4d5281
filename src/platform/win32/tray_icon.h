// TTrayIcon: one icon in the notification area with a tip, a right-button
// menu and a double-click event; it comes back when the shell restarts, and
// an icon the shell refused is added again at the shell's next start and at
// the next change of the icon.
// TTaskTrayIcon holds the shell's record and the hidden window.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/window.h"

namespace tapestrel::platform {

// The shell library's version, major in the high word, minor in the low.
DWORD ShellVersion();

class TTaskTrayIcon : public Window {
 public:
  static constexpr UINT kCallbackMessage = WM_USER + 200;  // 1224
  static constexpr UINT kIconId = 1;

  TTaskTrayIcon();
  ~TTaskTrayIcon() override;

  // The record as it goes to the shell (size by the shell version).
  const NOTIFYICONDATAA& Record() const { return record_; }
  void SetIcon(HICON icon) { record_.hIcon = icon; }
  void SetTip(const std::string& tip);
  bool Added() const { return added_; }

  // Throws with the fixed messages when the shell refuses.
  void Add();
  void Update();  // the icon and tip of a shown icon
  void Hide();
  void Delete();

  std::function<void()> OnRightButton;
  std::function<void()> OnDoubleClick;
  std::function<void()> OnTaskbarRestart;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  NOTIFYICONDATAA record_{};
  bool modernShell_ = false;
  bool added_ = false;
  bool hidden_ = false;
  static UINT taskbarCreated_;
  static int liveIcons_;
};

class TTrayIcon {
 public:
  TTrayIcon();
  ~TTrayIcon();

  void SetVisible(bool visible);
  bool Visible() const { return visible_; }
  void SetResourceIconList(std::vector<std::string> names) { resourceIconList_ = std::move(names); }
  void SetResourceIconID(int index);
  int ResourceIconID() const { return resourceIconId_; }
  void SetTipHelp(const std::string& tip);
  // The icon now shown (or to be shown).
  HICON CurrentIcon() const;
  TTaskTrayIcon& Inner() { return inner_; }

  HMENU RButtonPopupMenu = nullptr;
  std::function<void()> OnDblClick;
  // Runs before the menu opens (check marks), and with the chosen command.
  std::function<void()> OnPopup;
  std::function<void(UINT command)> OnMenuCommand;

 private:
  void Refresh();
  void ShowMenu();

  TTaskTrayIcon inner_;
  std::vector<std::string> resourceIconList_;
  int resourceIconId_ = 0;
  bool visible_ = false;
  std::string tip_;
};

}  // namespace tapestrel::platform
