// The main window's thumbnail view: how the window sets it up, the folder it
// shows, the sort commands, and the picture list the change engine takes
// from it.
#include "program/win32/main_window.h"

#include "app/view_options.h"

namespace tapestrel::app {

void MainWindow::CreateBrowser() {
  view_ = std::make_unique<browser::TImgListView>(Handle());
  browser::TImgListView& view = *view_;
  view.BeginUpdate();
  view.SetMultiSelect(true);
  view.SetHideSelection(false);
  // The window handles double clicks itself (the wallpaper, not the shell).
  view.DefaultExec.DblClick = false;
  view.ViewImage.LookAhead = true;
  view.ViewImage.ImgUtil.AutoThumb = false;
  view.SetColor(browser::kClWhite);
  view.ViewImage.ImageWidth = 120;
  view.ViewImage.ImageHeight = 90;
  view.ViewImage.Frame.Color = browser::kClInactiveBorder;
  view.ViewImage.Frame.Width = 1;
  view.ViewImage.SelectFrame.Color = browser::kClHighlight;
  view.ViewImage.SelectFrame.Width = 3;
  view.ViewImage.SmallIcon.IconPos = browser::TIconPos::iipNone;
  view.SetIconStyle(browser::TIconStyle::iisImage);
  view.View.DispTypes.Folders = false;
  view.View.DispTypes.Hidden = false;
  view.ImgPopupMenu.ShellMenuPos = 1;
  view.EndUpdate();
  HookTileDrawing();
  pictures_.Attach(view_.get());
}

void MainWindow::SetBrowserFolder(const std::string& folder) {
  FollowPictureSettings();  // first, so that the folder's thumbnails are made once
  view_->OpenFolder(folder);
}

void MainWindow::FollowPictureSettings() {
  view_->ViewImage.ImgUtil.ExifOrientation = settings_.ExifOrientation;
}

void MainWindow::SetBrowserExtensions(const std::string& displayed) { view_->View.DispTypes.Ext = displayed; }

void MainWindow::SortBy(int kind) {
  const SortOrder next = NextSortOrder({SortKind(), SortDescending()}, kind);
  view_->SetSort(static_cast<browser::TSortTypeEx>(next.kind), next.descending);
}

void MainWindow::SetSortDescending(bool descending) { view_->SetDescend(descending); }

int MainWindow::SortKind() const { return static_cast<int>(view_->SortType()); }

bool MainWindow::SortDescending() const { return view_->Descend(); }

}  // namespace tapestrel::app
