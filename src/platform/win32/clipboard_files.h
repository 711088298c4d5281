// The file clipboard: lists of file paths to and from the Windows clipboard
// in the shell's file-list form, so that the main window's files can be
// pasted in the file manager and the file manager's into the wallpaper folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/file_drop_list.h"

namespace tapestrel::platform {

class FileClipboard {
 public:
  // Chains in front of the owner's window procedure for its life.
  explicit FileClipboard(HWND owner);
  FileClipboard(const FileClipboard&) = delete;
  FileClipboard& operator=(const FileClipboard&) = delete;
  // Empties the clipboard when it still holds what this put there.
  ~FileClipboard();

  // ANSI paths to place on the clipboard, and those the last paste read.
  std::vector<std::string> CopyFiles;
  std::vector<std::string> PasteFiles;
  // Called from the fourth WM_RENDERFORMAT on; the program sets none.
  std::function<void()> OnRenderFormat;

  void SetCopyFiles(std::vector<std::string> files) { CopyFiles = std::move(files); }
  // Place CopyFiles as a file list announced for copying or for moving.
  // Nothing happens when no path can be placed; true when it was placed.
  bool CopyToClipboard() { return Place(DropEffect::Copy); }
  bool CutToClipboard() { return Place(DropEffect::Move); }
  // Reads the clipboard's file list into PasteFiles; a list that is read is
  // taken off the clipboard, whether it was cut or copied.
  void PasteFromClipboard();

  int RenderCount() const { return renderCount_; }
  HWND Owner() const { return owner_; }

 private:
  bool Place(DropEffect effect);
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);

  HWND owner_;
  int renderCount_ = 0;
};

// The registered "Preferred DropEffect" clipboard format.
UINT PreferredDropEffectFormat();

}  // namespace tapestrel::platform
