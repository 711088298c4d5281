// The view's keyboard and mouse as the main window uses them: a double click
// on one picture makes it the wallpaper, Enter does so quietly (not recorded,
// no sound); the view's own context menu; selecting all and inverting.
#include "platform/win32/ansi_path.h"
#include "program/win32/main_window.h"

namespace tapestrel::app {

void MainWindow::CreateViewInput() {
  browser::TImgListView& view = *view_;
  std::vector<MenuItem> items{{0, "表示(&V)", ViewModeItems()},
                              {0, "スタイル(&S)", ViewStyleItems()},
                              {},
                              {0, "アイコンの整列(&I)", SortItems()},
                              {kActRefresh},
                              {}};
  items.insert(items.end(), EditItems().begin(), EditItems().end());
  viewMenu_.Reset(BuildMenu(actions_, items, true));
  // The view merges the shell's items for a selection into this menu and
  // sends our items' commands here.
  view.ImgPopupMenu.PopupMenu = viewMenu_.Get();

  view.OnDblClick = [this] { ApplySelectedPicture(ChangeMode::Ordinary); };
  view.OnKeyDown = [this, before = view.OnKeyDown](WORD key, bool& handled) {
    if (before) before(key, handled);
    if (handled || key != VK_RETURN) return;
    ApplySelectedPicture(ChangeMode::Quiet);
    handled = true;
  };
  actions_.SetHandler(kActSelectAll, [this] { view_->SelectAll(); });
  actions_.SetHandler(kActChangeSelect, [this] { view_->InvertSelection(); });
}

void MainWindow::ApplySelectedPicture(ChangeMode mode) {
  // With several pictures selected it is unclear which one is meant.
  if (view_->SelCount() != 1) return;
  if (browser::TImgListItem* item = view_->Selected()) {
    if (const std::optional<std::string> ansi = platform::PathToAnsi(item->ParsingPath())) {
      ApplyWallpaper(*ansi, mode);
    } else {
      platform::TellNameUnusable(Handle(), item->DisplayName());
    }
  }
}

}  // namespace tapestrel::app
