// The wallpaper-folder dialog of a first run or of a vanished folder: a path
// field that OK accepts only while it names an existing folder. The caller
// sets the caption and the proposed path.
#pragma once

#include <windows.h>

#include <string>

namespace tapestrel::settings_ui {

class WallpaperFolderDialog {
 public:
  void SetCaption(std::wstring caption) { caption_ = std::move(caption); }
  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }
  // 1 (OK) or 2 (Cancel, also for closing the window).
  int ShowModal(HWND owner);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateOk(HWND dialog);
  void Browse(HWND dialog);

  std::wstring caption_;
  std::string path_;
};

}  // namespace tapestrel::settings_ui
