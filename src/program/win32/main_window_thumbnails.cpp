#include "program/win32/main_window_thumbnails.h"

#include "app/status_texts.h"
#include "program/win32/main_window.h"

#include "platform/paths.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/text.h"

namespace tapestrel::app {

MainWindowThumbnails::MainWindowThumbnails(browser::TImgListView& view, imaging::TSPlugin* splugin,
                                           StatusText status)
    : view_(view) {
  browser::TImgUtil& util = view.ViewImage.ImgUtil;
  util.SetCustomTest(&png_);
  util.SPlugin = splugin;
  util.SusiePriority = true;
  util.AutoThumb = false;
  util.GetType = browser::TGetType::igtPreview;
  util.Font = browser::TImgFont{L"MS UI Gothic", -16, 0, 128};
  view.ViewImage.LookAhead = true;
  cells_ = browser::ThumbnailCells::ForView(view);

  auto opened = view.OnImageLoad, loaded = view.OnImageLoaded;
  auto folderChanged = view.OnChangeFolder;
  view.OnImageLoad = [opened, status](browser::TImgListItem& e) {
    if (status) status(platform::Utf8ToWide(LoadingStatusText(platform::WideToUtf8(e.DisplayName()))));
    if (opened) opened(e);
  };
  view.OnImageLoaded = [loaded, status](browser::TImgListItem& e) {
    if (status) status(L"");
    if (loaded) loaded(e);
  };
  view.OnChangeFolder = [this, folderChanged, status] {
    if (status) status(L"");
    view_.ViewImage.ImgUtil.Thumbnail.FileName =
        StoreNameOf(platform::PathToAnsi(view_.FolderPath()).value_or(std::string()));
    if (folderChanged) folderChanged();
  };
}

MainWindowThumbnails::~MainWindowThumbnails() {
  view_.SetThumbnailSource(nullptr);
  cells_.reset();
  view_.ViewImage.ImgUtil.SetCustomTest(nullptr);
}

std::string MainWindowThumbnails::StoreNameOf(const std::string& folder) {
  return platform::ExtractFileName(platform::ExcludeTrailingBackslash(folder));
}

// After the plug-ins are loaded: the worker may read their list as soon as
// the view lists a folder. The status bar's panel 1 names what is being opened.
void MainWindow::CreateThumbnails() {
  thumbnails_ = std::make_unique<MainWindowThumbnails>(*view_, ports_.plugins.ThumbnailPlugins(),
                                                       [this](const std::wstring& text) { ShowLoadingText(text); });
}

}  // namespace tapestrel::app
