// The thumbnail view's shell side: verbs on the selection (delete, copy, cut,
// paste), the shell's context menu, renaming, opening entries, and drag and
// drop in both directions. The view window owns it; it works on the view's
// entries and list view control, and opens folders through the window.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <oleidl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/view_options.h"
#include "browser/win32/view_entries.h"
#include "browser/win32/view_painter.h"
#include "platform/win32/com_ptr.h"

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

// Files dragged onto the view, for its owner. `accept` false refuses them.
struct FileDragHooks {
  using FileDropEvent =
      std::function<void(TFileDataObject& data, TShiftState shift, POINT point, bool& accept)>;
  FileDropEvent OnFileDragEnter;
  FileDropEvent OnFileDragOver;
  FileDropEvent OnFileDragDrop;
  std::function<void()> OnFileDragLeave;
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

class ViewShellVerbs {
 public:
  // `window` is the view window (the shell's owner window and the menus'),
  // `listView` its list view control. `openFolder` shows a folder in the view.
  ViewShellVerbs(HWND window, HWND listView, ViewEntries& entries, ViewPainter& painter,
                 const TDefaultExec& exec, const TImgPopupMenu& menu, const FileDragHooks& hooks,
                 std::function<void(LPCITEMIDLIST absolute)> openFolder);
  ~ViewShellVerbs();
  ViewShellVerbs(const ViewShellVerbs&) = delete;
  ViewShellVerbs& operator=(const ViewShellVerbs&) = delete;

  // Runs a shell verb ("delete", "copy", "cut") on the selection, when every
  // selected entry allows it; "paste" into the open folder.
  bool InvokeVerb(const char* verb);
  // Starts editing the selected entry's caption when the shell lets it be renamed.
  bool BeginRename();
  // The list view's caption editing: whether it may start; its end renames.
  bool OnBeginLabelEdit(NMLVDISPINFOW& info);
  void OnEndLabelEdit(NMLVDISPINFOW& info);
  // Renames an entry through its folder.
  bool RenameItem(int index, const std::wstring& newName);
  // Opens a folder entry in the view; executes anything else (resolving links).
  void Open(TImgListItem& item);

  // The shell's context menu on the selection, merged into the view's own.
  void ShowContextMenu(POINT screen);
  // Menu messages for the shell's menu while it is shown.
  bool ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Drag and drop: the view's drop target (null while not registered), the
  // entry a drag hovers over, and a drag of the selection.
  void RegisterDropTarget(bool on);
  IDropTarget* DropTarget() const;
  int DropHighlighted() const { return painter_.dropHighlighted; }
  void SetDropHighlighted(int index);
  void BeginDrag();

 private:
  friend class ViewDropTarget;
  void AutoScroll(POINT client);
  bool AllSelectedHave(ULONG attributes);
  std::vector<LPCITEMIDLIST> SelectedIds();
  platform::ComPtr<IContextMenu> SelectionMenu(const std::vector<LPCITEMIDLIST>& ids);
  bool InvokePaste();

  HWND window_;
  HWND listView_;
  ViewEntries& entries_;
  ViewPainter& painter_;
  const TDefaultExec& exec_;
  const TImgPopupMenu& menu_;
  const FileDragHooks& hooks_;
  std::function<void(LPCITEMIDLIST)> openFolder_;
  platform::ComPtr<IDropTarget> dropTarget_;
  bool dropRegistered_ = false;
  platform::ComPtr<IContextMenu2> menu2_;  // while a shell menu is shown
  platform::ComPtr<IContextMenu3> menu3_;
};

}  // namespace tapestrel::browser
