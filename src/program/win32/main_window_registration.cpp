// Adding pictures to the wallpaper folder (the open dialog, the folder
// dialog, dropping, pasting) and the file clipboard commands.
#include "program/win32/main_window_registration.h"

#include <commctrl.h>
#include "platform/win32/common_dialogs.h"
#include <shlobj.h>

#include "platform/win32/ansi_path.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/text.h"

namespace tapestrel::app {
namespace {

constexpr wchar_t kAddPicturesTitle[] = L"ピクチャを追加";

}  // namespace

void MainWindow::CreateRegistration() {
  registration_ = std::make_unique<Registration>(Handle());
  // No WM_SETREDRAW on the view's list (turning it back on makes Wine's list
  // view lay out every item): its refreshes wait for the end instead, so the
  // growing folder is not enumerated again and again during the copy.
  registration_->progress.OnSuspendViewRedraw = [this](bool suspend) { view_->HoldRefresh(suspend); };
  view_->OnFileDragDrop = [this](browser::TFileDataObject& data, browser::TShiftState, POINT, bool& accept) {
    OnFileDragDrop(data.Files(), accept);
  };
  actions_.SetHandler(kActLoadFile, [this] { LoadFileExecute(); });
  actions_.SetHandler(kActLoadFolder, [this] { LoadFolderExecute(); });
  actions_.SetHandler(kActPaste, [this] { PasteExecute(); });
  actions_.SetHandler(kActCut, [this] { CutExecute(); });
  actions_.SetHandler(kActCopy, [this] { CopyExecute(); });
}

platform::FileClipboard& MainWindow::Clipboard() { return registration_->clipboard; }

RegistrationProgressWindow& MainWindow::RegistrationWindow() { return registration_->progress; }

int MainWindow::RegisterPictures(const std::vector<std::string>& entries) {
  // The view shows the new files by itself: its watcher sees them arrive.
  return registration_->engine.RegisterPictures(entries, settings_.WallPaperFolder, pictureMask_);
}

void MainWindow::LoadFileExecute() {
  // A typed name is passed on whether or not a file has it.
  const std::vector<std::string> files = platform::PathsToAnsi(platform::ChooseFilesToOpen(
      Handle(), {platform::WideToUtf8(kAddPicturesTitle), openPictureFilter_, "", true, false}));
  if (!files.empty()) RegisterPictures(files);
}

void MainWindow::LoadFolderExecute() {
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.pszDisplayName = displayName;
  browse.lpszTitle = kAddPicturesTitle;
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  const platform::UniqueIdList folder(SHBrowseForFolderW(&browse));
  if (!folder) return;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(folder.Get(), path)) return;
  if (auto ansi = platform::PathToAnsi(path)) {
    RegisterPictures({*ansi});
  } else {
    platform::TellNameUnusable(Handle(), path);
  }
}

void MainWindow::PasteExecute() {
  platform::FileClipboard& clipboard = registration_->clipboard;
  clipboard.PasteFromClipboard();
  // Always copied, whatever effect the list was announced with.
  const std::vector<std::string> files = clipboard.PasteFiles;
  if (!files.empty()) RegisterPictures(files);
}

void MainWindow::OnFileDragDrop(const std::vector<std::string>& files, bool& accept) {
  // The view must not move or copy the files itself, and the source gets no
  // effect back, so it keeps its files even on a move. The registration
  // runs after the drop has returned: the source waits for the drop, and
  // should not wait for the copies.
  accept = false;
  if (files.empty()) return;
  registration_->progress.RunLater([this, files] { RegisterPictures(files); });
}

void MainWindow::CutExecute() { PlaceSelectionOnClipboard(platform::DropEffect::Move); }

void MainWindow::CopyExecute() { PlaceSelectionOnClipboard(platform::DropEffect::Copy); }

void MainWindow::PlaceSelectionOnClipboard(platform::DropEffect effect) {
  platform::FileClipboard& clipboard = registration_->clipboard;
  clipboard.CopyFiles = SelectedPicturePaths();
  if (effect == platform::DropEffect::Move) {
    clipboard.CutToClipboard();
  } else {
    clipboard.CopyToClipboard();
  }
}

std::vector<std::string> MainWindow::SelectedPicturePaths() const {
  // Item order.
  std::vector<std::wstring> paths;
  for (browser::TImgListItem* item : view_->Selection()) paths.push_back(item->ParsingPath());
  return platform::PathsToAnsi(paths);
}

}  // namespace tapestrel::app
