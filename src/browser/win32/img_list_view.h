// The thumbnail view: a list view in owner-data mode over one shell folder.
// The window holds the list view control, so that the control's
// notifications come to the view itself, and three parts it owns:
//   - ViewEntries: the folder's entries, their order, and the watch on the
//     folder's changes;
//   - ViewPainter: the display requests, thumbnail cells and icon images;
//   - ViewShellVerbs: the shell's verbs, context menu, renaming and drag and
//     drop.
// The window lays the list out, keeps the user's place while the entries
// change, and tells its owner what happened. The parts know nothing of it.
//
// Where the rest of the program plugs in:
//   - OnChangeFolder: after every (re-)enumeration (the status bar, the
//     thumbnail store's name).
//   - OnSelectionChange, OnKeyUp, OnMouseDown: the status bar's selection
//     text; SelCount, Selected and Selection (in item order, for Cut and Copy)
//     answer it. OnItemCountChange: after every enumeration, with the count.
//   - OnDblClick, OnKeyDown: the window's own double-click and Enter.
//   - OnCustomDrawItem: drawing over each item after the view drew it (the
//     tile layout's texts).
//   - OnFileDragEnter/Over/Drop/Leave: files dragged onto the view.
//   - SetThumbnailSource: thumbnail loading; until one is set, every cell
//     shows its entry's icon image. ViewImage.ImgUtil is its thumbnail maker.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <oleidl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/cell_geometry.h"
#include "browser/shell_items.h"
#include "browser/view_options.h"
#include "browser/win32/view_entries.h"
#include "browser/win32/view_painter.h"
#include "browser/win32/view_shell_verbs.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace tapestrel::browser {

class TImgListView final : public platform::Window, public FileDragHooks {
 public:
  // Creates the view as a child of `parent`, showing the desktop until a
  // folder is opened.
  explicit TImgListView(HWND parent);
  ~TImgListView() override;

  HWND ListView() const { return listView_; }
  void SetBounds(const RECT& bounds);
  // The scale the view is laid out for: its gaps between cells, its columns
  // and its font follow it; the thumbnails keep their pixel sizes.
  int Dpi() const { return dpi_; }
  void FollowDpi(int dpi);

  // Option groups: changes rebuild the view.
  TViewImage ViewImage;
  TView View;
  TDefaultExec DefaultExec;
  TImgPopupMenu ImgPopupMenu;
  TShellChangeNotification ShellChangeNotification;

  void SetViewStyle(TViewStyle style);
  TIconStyle IconStyle() const { return painter_.look.iconStyle; }
  void SetIconStyle(TIconStyle style);
  TSortTypeEx SortType() const { return entries_.SortType(); }
  void SetSortType(TSortTypeEx type);
  bool Descend() const { return entries_.Descend(); }
  void SetDescend(bool descend);
  // Both at once, sorting once.
  void SetSort(TSortTypeEx type, bool descend);
  // ivmFolder: a folder's entries; ivmFile: files from anywhere, through the desktop.
  TViewMode ViewMode() const { return entries_.Mode(); }
  void SetViewMode(TViewMode mode);
  ColorValue Color() const { return color_; }
  void SetColor(ColorValue color);
  ColorValue FontColor() const { return fontColor_; }
  void SetFontColor(ColorValue color);
  bool MultiSelect() const;
  void SetMultiSelect(bool on);
  // Off: the selection stays visible when the view loses the focus.
  bool HideSelection() const;
  void SetHideSelection(bool on);

  TImgItems& ImgItems() { return entries_.Items(); }
  // Grows with every change of the entries or their order.
  unsigned Generation() const { return entries_.Generation(); }
  // The cell size of thumbnail cells.
  CellSize CellSizeNow() const { return CellSizeOf(ViewImage); }
  // Where an item's thumbnail cell is drawn, from its icon rectangle.
  CellRect CellAt(const RECT& iconRect) const { return painter_.CellAt(iconRect); }

  // The folder.
  void OpenFolder(const std::wstring& path);
  void OpenFolder(const std::string& ansiPath);
  std::wstring FolderPath() const { return entries_.FolderPath(); }
  // Brings the entries up to the folder's present content, keeping the
  // user's place: only the entries of files added, removed, renamed or
  // rewritten change; the selection and the focus stay on their entries, the
  // entry at the top stays there, and every other thumbnail stays. Changes
  // the watcher sees come the same way, the folder read on a thread of its own.
  void RefreshFolder();
  // Between these, option changes rebuild the view once, at the end.
  void BeginUpdate();
  void EndUpdate();
  void OpenParentFolder();
  void ReloadFolder();
  // While held, the folder's changes wait; letting go refreshes once if any
  // came (many files arriving at once, one enumeration at the end).
  void HoldRefresh(bool hold);
  // Opens a folder entry in the view; executes anything else (resolving links).
  void Open(TImgListItem& item) { verbs_.Open(item); }

  // The selection, from the list view.
  int SelCount() const;
  // The first selected entry, or null.
  TImgListItem* Selected();
  std::vector<TImgListItem*> Selection();
  std::vector<int> SelectedIndices() const;
  void SelectAll();
  void InvertSelection();
  void Select(int index, bool selected);
  int FocusedIndex() const;

  // Thumbnail loading's entry points.
  void SetThumbnailSource(ThumbnailSource* source) { painter_.SetThumbnailSource(source); }
  // What a cell shows: the thumbnail source's image, else the entry's icon image.
  const imaging::Bitmap* CellImage(TImgListItem& item) { return painter_.CellImage(item); }
  // The shared icon image of an entry (its system icon on the background color).
  std::shared_ptr<const imaging::Bitmap> IconImage(TImgListItem& item) { return painter_.IconImage(item); }

  // The view's drop target, as the shell's drag and drop sees it.
  IDropTarget* DropTarget() const { return verbs_.DropTarget(); }

  // Events (and FileDragHooks' for files dragged onto the view).
  std::function<void()> OnChangeFolder;
  std::function<void(TImgListItem&)> OnImageLoad;
  std::function<void(TImgListItem&)> OnImageLoaded;
  std::function<void()> OnSelectionChange;
  std::function<void(int count)> OnItemCountChange;
  std::function<void()> OnDblClick;
  // `handled` true stops the view's own reaction to the key.
  std::function<void(WORD key, bool& handled)> OnKeyDown;
  std::function<void(WORD key)> OnKeyUp;
  std::function<void()> OnMouseDown;
  ViewPainter::DrawHook OnCustomDrawItem;

  // Display-request statistics, for benchmarks, and the same for drawing
  // thumbnail cells.
  const RequestStats& DisplayRequestStats() const { return painter_.DisplayRequestStats(); }
  const RequestStats& CellDrawStats() const { return painter_.CellDrawStats(); }
  void ResetDisplayRequestStats() { painter_.ResetStats(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The view window and its list view control, before the parts.
  HWND CreateControls(HWND parent);
  static LRESULT CALLBACK ListViewProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self);
  LRESULT ListViewMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnNotify(NMHDR& header);
  bool OnKeyDownNotify(WORD key);
  void OnColumnClick(int column);
  int OnFindItem(NMLVFINDITEMW& find);

  void OpenFolderID(LPCITEMIDLIST absolute);
  void SortItems();
  void RebuildView();
  void HookOptions();
  void CreateColumns();
  void UpdateCellGeometry();
  // The cell step for the icon style: the thumbnail cell's, or the list
  // view's own. Setting it makes the list view measure its entries.
  void ApplyIconSpacing();
  void LayOutOnce();
  // Gives the list view the entries' count, with places for their icons
  // (arranged anew, or kept when they suffice).
  void ShowEntryCount(bool anew);
  void ApplyColors();
  ThumbnailSource* Thumbnails() const { return painter_.Thumbnails(); }
  // Every entry made anew from the shell's enumeration, the place lost.
  void Reenumerate();
  TImgItems::EnumOptions EnumOptionsNow() const;
  // Applies the changes a listing shows (`found`: those already found
  // against it, if any); false when it cannot (the entries then need a
  // Reenumerate).
  bool UpdateFromListing(const std::vector<ListedFile>& files, const FolderChanges* found = nullptr);
  static constexpr UINT kWatcherChange = WM_APP + 1;
  static constexpr UINT kFolderListed = WM_APP + 4;
  void StartScan();
  void OnFolderListed(WPARAM tag);
  // Where the user is: the entries selected and focused, the selection's
  // anchor, and the first entry in sight with where it is drawn.
  struct Place {
    std::vector<TImgListItem*> selected;
    TImgListItem* focused = nullptr;
    TImgListItem* mark = nullptr;
    TImgListItem* top = nullptr;
    RECT topRect{};
  };
  Place RememberPlace();
  void RestorePlace(const Place& place, const std::vector<TImgListItem*>& gone);
  int FirstVisibleIndex() const;
  void SetUpdating(bool on) { painter_.updating = on; }
  void SelectionChanged();

  // Messages that come while the windows are being made, before the parts
  // exist, go to the default procedure.
  bool partsMade_ = false;
  HWND listView_ = nullptr;
  ViewEntries entries_;
  ViewPainter painter_;
  ViewShellVerbs verbs_;
  HIMAGELIST placeholder_ = nullptr;  // owned
  int dpi_ = 96;
  platform::UniqueGdiObject font_;  // once the scale changed
  int columnIndex_[4] = {0, 1, 2, 3};  // name, size, type, date

  ColorValue color_ = kClWindow;
  ColorValue fontColor_ = imaging::kSystemColorFlag | COLOR_WINDOWTEXT;

  int updateDepth_ = 0;
  bool rebuildPending_ = false;
  bool refreshHeld_ = false, refreshMissed_ = false;
  bool created_ = false;
  bool laidOut_ = false;
  int placedCount_ = 0;  // entries the list view has icon places for
  bool desktopPending_ = true;  // the desktop shown at creation is read later
  bool selectionChangePosted_ = false;
};

}  // namespace tapestrel::browser
