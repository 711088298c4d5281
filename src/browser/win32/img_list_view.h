// The thumbnail view: a list view in owner-data mode over one shell folder.
// It keeps its own entries (ImgItems), enumerates and filters the folder,
// sorts by the shell's column order, draws thumbnail cells itself, follows
// changes to the folder, and offers the shell's context menu, verbs, renaming
// and drag and drop.
//
// The view is a child window that holds the list view control, so that the
// control's notifications come to the view itself.
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
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser/cell_geometry.h"
#include "browser/folder_changes.h"
#include "browser/shell_items.h"
#include "browser/view_options.h"
#include "browser/win32/change_watcher.h"
#include "platform/win32/com_ptr.h"
#include "browser/win32/folder_scan.h"
#include "browser/win32/shell_folder.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace tapestrel::browser {

// Mouse buttons and modifier keys during a drag.
using TShiftState = uint32_t;
enum : TShiftState { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
TShiftState ShiftStateOf(DWORD keyState);

// The file list a drag brings (CF_HDROP); read once, when first asked.
class TFileDataObject {
 public:
  explicit TFileDataObject(IDataObject* data) : data_(data) { data->AddRef(); }
  // Whether a data object offers CF_HDROP in global memory.
  static bool OffersFiles(IDataObject* data);

  IDataObject* DataObject() const { return data_.Get(); }
  int FileCount();
  // In the ANSI code page, as the program's paths are (platform::PathToAnsi);
  // a file whose name has no ANSI form is left out.
  const std::vector<std::string>& Files();
  const std::vector<std::wstring>& WideFiles();

 private:
  void Read();

  platform::ComPtr<IDataObject> data_;
  bool read_ = false;
  std::vector<std::wstring> wide_;
  std::vector<std::string> ansi_;
};

// The shell context menu's options.
class TImgPopupMenu : public OptionGroup {
 public:
  Option<TContextMenuTypes> ContextMenuType{this, ictExplore | ictCanRename};
  // Where the shell's items go in PopupMenu.
  Option<int> ShellMenuPos{this, 0};
  // The view's own menu (not owned); its commands go to the view's parent
  // as WM_COMMAND.
  Option<HMENU> PopupMenu{this, nullptr};
  Option<bool> Enabled{this, true};
};
// The CMF_ flags of a set; CMF_CANRENAME only while the view is read-only.
UINT ContextMenuFlags(TContextMenuTypes types, bool readOnly);

// What thumbnail loading plugs into the view. Without one, every cell shows
// its entry's icon image.
class ThumbnailSource {
 public:
  virtual ~ThumbnailSource() = default;
  // The image to draw in the entry's cell now; null while it is being made.
  virtual const imaging::Bitmap* CellImage(TImgListItem& item) = 0;
  // Before the entries change: no worker may touch them any more.
  virtual void CancelAll() = 0;
  // After an enumeration.
  virtual void Resume() = 0;
  // Each new entry that is not a folder, in enumeration order.
  virtual void LookAhead(TImgListItem& item) = 0;
};

class TImgListView final : public platform::Window {
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

  // Option groups: changes rebuild the view (see RebuildView).
  TViewImage ViewImage;
  TView View;
  TDefaultExec DefaultExec;
  TImgPopupMenu ImgPopupMenu;
  TShellChangeNotification ShellChangeNotification;

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle style);
  TIconStyle IconStyle() const { return iconStyle_; }
  void SetIconStyle(TIconStyle style);
  TSortTypeEx SortType() const { return sortType_; }
  void SetSortType(TSortTypeEx type);
  bool Descend() const { return descend_; }
  void SetDescend(bool descend);
  // Both at once, sorting once.
  void SetSort(TSortTypeEx type, bool descend);
  TViewMode ViewMode() const { return viewMode_; }
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
  // On: captions cannot be edited.
  bool ReadOnly() const;
  void SetReadOnly(bool on);

  TImgItems& ImgItems() { return items_; }
  // Grows with every change of the entries or their order.
  unsigned Generation() const { return generation_; }
  // The cell size of thumbnail cells.
  CellSize CellSizeNow() const { return CellSizeOf(ViewImage); }
  // Where an item's thumbnail cell is drawn, from its icon rectangle.
  CellRect CellAt(const RECT& iconRect) const;

  // The folder.
  void OpenFolder(const std::wstring& path);
  void OpenFolder(const std::string& ansiPath);
  void OpenFolderID(LPCITEMIDLIST absolute);
  LPCITEMIDLIST FolderID() const { return folderId_.Get(); }
  std::wstring FolderPath() const;
  // Brings the entries up to the folder's present content, keeping the
  // user's place: only the entries of files added, removed, renamed or
  // rewritten change; the selection and the focus stay on their entries, the
  // entry at the top stays there, and every other thumbnail stays. Changes
  // the watcher sees come the same way, the folder read on a thread of its own.
  void RefreshFolder();
  void SortItems();
  void RebuildView();
  // Between these, option changes rebuild the view once, at the end.
  void BeginUpdate();
  void EndUpdate();
  void OpenParentFolder();
  void ReloadFolder();
  // While held, the folder's changes wait; letting go refreshes once if any
  // came (many files arriving at once, one enumeration at the end).
  void HoldRefresh(bool hold);
  // Opens a folder entry in the view; executes anything else (resolving links).
  void Open(TImgListItem& item);

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
  // The entry a drag hovers over, -1 for none.
  int DropHighlighted() const { return dropHighlighted_; }
  void SetDropHighlighted(int index);

  // Runs a shell verb ("delete", "copy", "cut") on the selection, when every
  // selected entry allows it; "paste" into the open folder.
  bool InvokeVerb(const char* verb);
  // Starts editing the selected entry's caption when the shell lets it be renamed.
  bool BeginRename();
  // Renames an entry through its folder (the watcher is stopped meanwhile).
  bool RenameItem(int index, const std::wstring& newName);

  // Thumbnail loading's entry points.
  void SetThumbnailSource(ThumbnailSource* source) { thumbnails_ = source; }
  // What a cell shows: the thumbnail source's image, else the entry's icon image.
  const imaging::Bitmap* CellImage(TImgListItem& item);
  // The shared icon image of an entry (its system icon on the background color).
  std::shared_ptr<const imaging::Bitmap> IconImage(TImgListItem& item);

  // The view's drop target, as the shell's drag and drop sees it.
  IDropTarget* DropTarget() const;

  // Events.
  std::function<void()> OnChangeFolder;
  std::function<void(TImgListItem&)> OnImageLoad;
  std::function<void(TImgListItem&)> OnImageLoaded;
  using FileDropEvent =
      std::function<void(TFileDataObject& data, TShiftState shift, POINT point, bool& accept)>;
  FileDropEvent OnFileDragEnter;
  FileDropEvent OnFileDragOver;
  FileDropEvent OnFileDragDrop;
  std::function<void()> OnFileDragLeave;
  std::function<void()> OnSelectionChange;
  std::function<void(int count)> OnItemCountChange;
  std::function<void()> OnDblClick;
  // `handled` true stops the view's own reaction to the key.
  std::function<void(WORD key, bool& handled)> OnKeyDown;
  std::function<void(WORD key)> OnKeyUp;
  std::function<void()> OnMouseDown;
  std::function<void(HDC dc, int index, const RECT& iconRect)> OnCustomDrawItem;

  // Display-request statistics, for benchmarks: count and total time.
  struct RequestStats {
    long long count = 0;
    double milliseconds = 0;
  };
  const RequestStats& DisplayRequestStats() const { return requestStats_; }
  // The same for drawing thumbnail cells.
  const RequestStats& CellDrawStats() const { return drawStats_; }
  void ResetDisplayRequestStats() { requestStats_ = drawStats_ = {}; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class ViewDropTarget;
  static LRESULT CALLBACK ListViewProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self);
  LRESULT ListViewMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnNotify(NMHDR& header);
  void OnGetDispInfo(NMLVDISPINFOW& info);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
  void DrawCell(HDC dc, int index, const RECT& iconRect);
  bool OnKeyDownNotify(WORD key);
  bool OnBeginLabelEdit(NMLVDISPINFOW& info);
  void OnEndLabelEdit(NMLVDISPINFOW& info);
  void OnColumnClick(int column);
  int OnFindItem(NMLVFINDITEMW& find);
  void OnContextMenu(POINT screen);
  bool ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void HookOptions();
  void CreateColumns();
  void ApplyListStyles();
  void UpdateCellGeometry();
  // The cell step for the icon style: the thumbnail cell's, or the list
  // view's own. Setting it makes the list view measure its entries.
  void ApplyIconSpacing();
  void LayOutOnce();
  // Gives the list view the entries' count, with places for their icons
  // (arranged anew, or kept when they suffice).
  void ShowEntryCount(bool anew);
  HIMAGELIST SystemImages(bool large);
  void UpdateImageLists();
  void ApplyColors();
  void BindInitialFolder();
  void StartWatcher();
  void StopWatcher();
  // Every entry made anew from the shell's enumeration, the place lost.
  void Reenumerate();
  TImgItems::EnumOptions EnumOptionsNow() const;
  // Applies the changes a listing shows; false when it cannot (the entries
  // then need a Reenumerate).
  bool UpdateFromListing(const std::vector<ListedFile>& files);
  static constexpr UINT kFolderListed = WM_APP + 4;  // a FolderScan's
  void StartScan();
  void CancelScan();
  void OnFolderListed();
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
  void SetUpdating(bool on);
  void SelectionChanged();
  void RegisterDropTarget(bool on);
  void BeginDrag();
  void AutoScroll(POINT client);
  bool AllSelectedHave(ULONG attributes);
  std::vector<LPCITEMIDLIST> SelectedIds();
  platform::ComPtr<IContextMenu> SelectionMenu(const std::vector<LPCITEMIDLIST>& ids);
  bool InvokePaste();

  HWND listView_ = nullptr;
  TImgItems items_;
  std::unique_ptr<ShellFolder> folder_;
  platform::UniqueIdList folderId_;
  platform::UniqueIdList desktopId_;
  std::unique_ptr<ChangeWatcher> watcher_;
  WPARAM watcherTag_ = 0;
  std::unique_ptr<FolderScan> scan_;
  WPARAM scanTag_ = 0;
  bool rescanPending_ = false;
  ThumbnailSource* thumbnails_ = nullptr;
  std::map<std::pair<int, int>, std::shared_ptr<const imaging::Bitmap>> iconImages_;
  HIMAGELIST systemLarge_ = nullptr;
  HIMAGELIST systemSmall_ = nullptr;
  HIMAGELIST placeholder_ = nullptr;  // owned
  int dpi_ = 96;
  platform::UniqueGdiObject font_;  // once the scale changed
  DWORD defaultSpacing_ = 0;
  int columnIndex_[4] = {0, 1, 2, 3};  // name, size, type, date

  TViewStyle viewStyle_ = TViewStyle::vsIcon;
  TIconStyle iconStyle_ = TIconStyle::iisIcon;
  TSortTypeEx sortType_ = TSortTypeEx::istName;
  bool descend_ = false;
  TViewMode viewMode_ = TViewMode::ivmFolder;
  ColorValue color_ = kClWindow;
  ColorValue fontColor_ = imaging::kSystemColorFlag | COLOR_WINDOWTEXT;

  bool updating_ = false;
  int updateDepth_ = 0;
  bool rebuildPending_ = false;
  bool refreshHeld_ = false, refreshMissed_ = false;
  bool created_ = false;
  bool laidOut_ = false;
  int placedCount_ = 0;  // entries the list view has icon places for
  bool desktopPending_ = true;  // the desktop shown at creation is read later
  unsigned generation_ = 0;
  int dropHighlighted_ = -1;
  bool scrolling_ = false;
  int selectedAtScrollStart_ = -1;
  bool selectionChangePosted_ = false;
  RequestStats requestStats_;
  RequestStats drawStats_;

  platform::ComPtr<IDropTarget> dropTarget_;
  bool dropRegistered_ = false;
  platform::ComPtr<IContextMenu2> menu2_;  // while a shell menu is shown
  platform::ComPtr<IContextMenu3> menu3_;
};

}  // namespace tapestrel::browser
