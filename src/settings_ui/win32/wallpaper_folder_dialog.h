// The wallpaper-folder dialog of a first run or of a vanished folder: the
// shell's folder tree, the chosen path shortened to its field, "フォルダの作成(&F)"
// on the tree's context menu, and OK only while the path names an existing
// folder. There is no Cancel button: closing the window cancels. The caller
// sets the caption and the proposed path.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/dpi.h"
#include "settings_ui/win32/shell_folder_tree.h"

namespace tapestrel::settings_ui {

class WallpaperFolderDialog {
 public:
  WallpaperFolderDialog();
  ~WallpaperFolderDialog();

  void SetCaption(std::wstring caption) { caption_ = std::move(caption); }
  // In the ANSI code page, as the settings keep it.
  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }
  // 1 (OK) or 2 (Cancel, also for closing the window).
  int ShowModal(HWND owner);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInit(HWND dialog);
  // Every change of the path: the shortened display and the OK button follow.
  void OnPathChange(HWND dialog);
  // The path follows the folder the user selected in the tree.
  void TakeSelectedFolder(HWND dialog);
  INT_PTR OnNotify(HWND dialog, const NMHDR& header);
  void ShowFolderMenu(HWND dialog, POINT screen);
  void CreateNewFolder();

  std::wstring caption_;
  std::string path_;
  std::unique_ptr<ShellFolderTree> tree_;
  platform::DialogDpi dpi_;
};

}  // namespace tapestrel::settings_ui
