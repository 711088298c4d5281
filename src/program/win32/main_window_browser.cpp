// The main window's thumbnail view: how the window sets it up, the folder it
// shows, the sort commands, and the picture list the change engine takes
// from it.
#include "program/win32/main_window.h"

#include "app/view_options.h"
#include "browser/win32/program_view.h"

namespace tapestrel::app {

void MainWindow::CreateBrowser() {
  view_ = std::make_unique<browser::TImgListView>(Handle());
  browser::SetUpAsProgramView(*view_);
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
