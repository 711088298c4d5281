#include "browser/win32/view_shell_verbs.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "browser/win32/list_view_state.h"
#include "platform/error_guard.h"
#include "platform/file_drop_list.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tapestrel::browser {
namespace {

#ifndef CMF_INCLUDESTATIC
constexpr UINT CMF_INCLUDESTATIC = 0x40;  // older headers lack it
#endif

const FORMATETC kHDropFormat{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

// The names of a DROPFILES block from another program.
std::vector<std::wstring> ReadDropFiles(HGLOBAL global) {
  std::vector<std::wstring> files;
  const SIZE_T size = GlobalSize(global);
  const auto* base = static_cast<const uint8_t*>(GlobalLock(global));
  if (!base) return files;
  const platform::DropFileNames names = platform::ReadDropFileNames({base, size});
  GlobalUnlock(global);
  for (const std::u16string& name : names.wideNames) files.emplace_back(name.begin(), name.end());
  for (const std::string& name : names.ansiNames) files.push_back(platform::AnsiToWide(name));
  return files;
}

}  // namespace

// Drops onto the view: files only; the shell's own drop target of the entry
// or folder under the cursor decides the effect and does the drop.
class ViewDropTarget final : public platform::ComObject<IDropTarget, IID_IDropTarget> {
 public:
  explicit ViewDropTarget(ViewShellVerbs& verbs) : verbs_(&verbs) {}
  void Detach() {
    Reset();
    verbs_ = nullptr;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
    return platform::Guarded<HRESULT>(E_UNEXPECTED, [&] {
      const DWORD allowed = effect ? *effect : 0;
      if (effect) *effect = DROPEFFECT_NONE;
      Reset();
      if (!verbs_ || !data || !effect || !TFileDataObject::OffersFiles(data)) return S_OK;
      files_ = std::make_unique<TFileDataObject>(data);
      accept_ = true;
      if (verbs_->hooks_.OnFileDragEnter)
        verbs_->hooks_.OnFileDragEnter(*files_, ShiftStateOf(keys), {point.x, point.y}, accept_);
      if (!accept_) return S_OK;
      *effect = allowed;
      Over(keys, point, effect);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
    return platform::Guarded<HRESULT>(E_UNEXPECTED, [&] {
      if (!effect) return E_POINTER;
      if (!verbs_ || !files_ || !accept_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
      }
      Over(keys, point, effect);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE DragLeave() override {
    return platform::Guarded<HRESULT>(E_UNEXPECTED, [&] {
      const bool wasOver = files_ != nullptr;
      Reset();
      if (verbs_ && wasOver && verbs_->hooks_.OnFileDragLeave) verbs_->hooks_.OnFileDragLeave();
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
    return platform::Guarded<HRESULT>(E_UNEXPECTED, [&] {
      const DWORD allowed = effect ? *effect : 0;
      if (effect) *effect = DROPEFFECT_NONE;
      if (!verbs_ || !files_ || !accept_ || !effect) {
        Reset();
        return S_OK;
      }
      bool accept = true;
      if (verbs_->hooks_.OnFileDragDrop)
        verbs_->hooks_.OnFileDragDrop(*files_, ShiftStateOf(keys), {point.x, point.y}, accept);
      platform::ComPtr<IDropTarget> shell = shell_;
      shell_.Reset();  // Reset must not tell it the drag left
      Reset();
      if (!shell) return S_OK;
      if (!accept) {
        shell->DragLeave();
        return S_OK;
      }
      DWORD chosen = allowed;
      if (SUCCEEDED(shell->Drop(data, keys, point, &chosen))) *effect = chosen;
      return S_OK;
    });
  }

 private:
  void Over(DWORD keys, POINTL point, DWORD* effect) {
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    HWND list = verbs_->listView_;
    POINT client{point.x, point.y};
    ScreenToClient(list, &client);
    verbs_->AutoScroll(client);
    LVHITTESTINFO hit{};
    hit.pt = client;
    int index = ListView_HitTest(list, &hit);
    if (index >= verbs_->entries_.Count() || !(hit.flags & LVHT_ONITEM)) index = -1;
    platform::ComPtr<IDropTarget> target;
    ShellFolder* folder = verbs_->entries_.Folder();
    if (folder && index >= 0) {
      LPCITEMIDLIST child = AsIdList(verbs_->entries_.Items()[index].ItemId());
      if (child && folder->ShellAttributes(&child, 1, SFGAO_DROPTARGET) == SFGAO_DROPTARGET &&
          FAILED(folder->Interface()->GetUIObjectOf(verbs_->window_, 1, &child, IID_IDropTarget, nullptr,
                                                    target.PutVoid())))
        target.Reset();
    }
    if (!target) index = -1;
    if (index != index_ || !shell_) {
      if (shell_) shell_->DragLeave();
      Highlight(-1);
      shell_ = target;
      if (!shell_ && folder &&
          FAILED(folder->Interface()->CreateViewObject(verbs_->window_, IID_IDropTarget, shell_.PutVoid())))
        shell_.Reset();
      index_ = index;
      Highlight(index);
      DWORD chosen = allowed;
      if (shell_ && SUCCEEDED(shell_->DragEnter(files_->DataObject(), keys, point, &chosen)))
        *effect = chosen;
    } else {
      DWORD chosen = allowed;
      if (SUCCEEDED(shell_->DragOver(keys, point, &chosen))) *effect = chosen;
    }
    bool accept = true;
    if (verbs_->hooks_.OnFileDragOver) verbs_->hooks_.OnFileDragOver(*files_, ShiftStateOf(keys), {point.x, point.y}, accept);
    if (!accept) *effect = DROPEFFECT_NONE;
  }

  void Highlight(int index) {
    if (verbs_) verbs_->SetDropHighlighted(index);
  }

  void Reset() {
    if (shell_) shell_->DragLeave();
    shell_.Reset();
    Highlight(-1);
    index_ = -1;
    files_.reset();
    accept_ = false;
  }

  ViewShellVerbs* verbs_;
  std::unique_ptr<TFileDataObject> files_;
  bool accept_ = false;
  platform::ComPtr<IDropTarget> shell_;
  int index_ = -1;
};

namespace {

// Drags from the view: cancelled by Escape or both buttons, dropped when the
// buttons are released.
class ViewDropSource final : public platform::ComObject<IDropSource, IID_IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape || ((keys & MK_LBUTTON) && (keys & MK_RBUTTON))) return DRAGDROP_S_CANCEL;
    if (!(keys & (MK_LBUTTON | MK_RBUTTON))) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

TShiftState ShiftStateOf(DWORD keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_ALT) s |= ssAlt;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  return s;
}

UINT ContextMenuFlags(TContextMenuTypes types, bool readOnly) {
  UINT flags = CMF_NORMAL;
  if (types & ictDefaultOnly) flags |= CMF_DEFAULTONLY;
  if (types & ictVerbsOnly) flags |= CMF_VERBSONLY;
  if (types & ictExplore) flags |= CMF_EXPLORE;
  if (types & ictNoverbs) flags |= CMF_NOVERBS;
  if ((types & ictCanRename) && readOnly) flags |= CMF_CANRENAME;
  if (types & ictNoDefault) flags |= CMF_NODEFAULT;
  if (types & ictIncludeStatic) flags |= CMF_INCLUDESTATIC;
  if (types & ictReserved) flags |= CMF_RESERVED;
  return flags;
}

// ---- files of a drag

bool TFileDataObject::OffersFiles(IDataObject* data) {
  FORMATETC format = kHDropFormat;
  return data && data->QueryGetData(&format) == S_OK;
}

void TFileDataObject::Read() {
  if (read_) return;
  read_ = true;
  FORMATETC format = kHDropFormat;
  STGMEDIUM medium{};
  if (FAILED(data_->GetData(&format, &medium))) return;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) wide_ = ReadDropFiles(medium.hGlobal);
  ReleaseStgMedium(&medium);
  ansi_ = platform::PathsToAnsi(wide_);
}

int TFileDataObject::FileCount() {
  Read();
  return static_cast<int>(wide_.size());
}

const std::vector<std::string>& TFileDataObject::Files() {
  Read();
  return ansi_;
}

const std::vector<std::wstring>& TFileDataObject::WideFiles() {
  Read();
  return wide_;
}

// ---- the verbs' owner

ViewShellVerbs::ViewShellVerbs(HWND window, HWND listView, ViewEntries& entries, ViewPainter& painter,
                               const TDefaultExec& exec, const TImgPopupMenu& menu,
                               const FileDragHooks& hooks, std::function<void(LPCITEMIDLIST)> openFolder)
    : window_(window),
      listView_(listView),
      entries_(entries),
      painter_(painter),
      exec_(exec),
      menu_(menu),
      hooks_(hooks),
      openFolder_(std::move(openFolder)) {}

ViewShellVerbs::~ViewShellVerbs() { RegisterDropTarget(false); }

// ---- drag and drop

void ViewShellVerbs::SetDropHighlighted(int index) {
  int& highlighted = painter_.dropHighlighted;
  if (index == highlighted) return;
  for (int i : {highlighted, index}) {
    if (i >= 0) ListView_SetItemState(listView_, i, i == index ? LVIS_DROPHILITED : 0, LVIS_DROPHILITED);
  }
  highlighted = index;
}

void ViewShellVerbs::RegisterDropTarget(bool on) {
  if (on == dropRegistered_ || !listView_) return;
  if (on) {
    if (!dropTarget_)
      dropTarget_ = platform::ComPtr<IDropTarget>(std::make_unique<ViewDropTarget>(*this).release());
    dropRegistered_ = SUCCEEDED(RegisterDragDrop(listView_, dropTarget_.Get()));
  } else {
    RevokeDragDrop(listView_);
    dropRegistered_ = false;
  }
  if (!on && dropTarget_) {
    static_cast<ViewDropTarget*>(dropTarget_.Get())->Detach();
    dropTarget_.Reset();
  }
}

IDropTarget* ViewShellVerbs::DropTarget() const { return dropRegistered_ ? dropTarget_.Get() : nullptr; }

void ViewShellVerbs::AutoScroll(POINT client) {
  // One line when the cursor is within a font height of an edge that can scroll.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(listView_, WM_GETFONT, 0, 0));
  LOGFONTW log{};
  int band = 16;
  if (font && GetObjectW(font, sizeof log, &log)) band = std::max(1L, std::abs(log.lfHeight));
  RECT r;
  GetClientRect(listView_, &r);
  const LONG_PTR style = GetWindowLongPtrW(listView_, GWL_STYLE);
  const bool vertical = style & WS_VSCROLL, horizontal = style & WS_HSCROLL;
  const int thumb = GetSystemMetrics(SM_CXVSCROLL);
  const auto scroll = [this](UINT message, WPARAM code) {
    SendMessageW(listView_, message, code, 0);
    SendMessageW(listView_, message, SB_ENDSCROLL, 0);
  };
  if (vertical) {
    if (client.y < r.top + band)
      scroll(WM_VSCROLL, SB_LINEUP);
    else if (client.y >= r.bottom - band - (horizontal ? thumb : 0))
      scroll(WM_VSCROLL, SB_LINEDOWN);
  }
  if (horizontal) {
    if (client.x < r.left + band)
      scroll(WM_HSCROLL, SB_LINELEFT);
    else if (client.x >= r.right - band - (vertical ? thumb : 0))
      scroll(WM_HSCROLL, SB_LINERIGHT);
  }
}

void ViewShellVerbs::BeginDrag() {
  ShellFolder* folder = entries_.Folder();
  if (!exec_.DropSource || !folder) return;
  std::vector<LPCITEMIDLIST> ids = SelectedIds();
  if (ids.empty()) return;
  platform::ComPtr<IDataObject> data;
  if (FAILED(folder->Interface()->GetUIObjectOf(window_, static_cast<UINT>(ids.size()),
                                                const_cast<LPCITEMIDLIST*>(ids.data()), IID_IDataObject,
                                                nullptr, data.PutVoid())) ||
      !data)
    return;
  platform::ComPtr<IDropSource> source(std::make_unique<ViewDropSource>().release());
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data.Get(), source.Get(), exec_.DragType & (idtCopy | idtMove | idtLink), &effect);
}

// ---- verbs

std::vector<LPCITEMIDLIST> ViewShellVerbs::SelectedIds() {
  std::vector<LPCITEMIDLIST> ids;
  for (int i : SelectedIndices(listView_, entries_.Count())) {
    if (LPCITEMIDLIST id = AsIdList(entries_.Items()[i].ItemId())) ids.push_back(id);
    if (!entries_.ShowsFolder()) break;  // one file's menu at a time
  }
  return ids;
}

bool ViewShellVerbs::AllSelectedHave(ULONG attributes) {
  const std::vector<LPCITEMIDLIST> ids = SelectedIds();
  ShellFolder* folder = entries_.Folder();
  return folder && !ids.empty() &&
         folder->ShellAttributes(ids.data(), static_cast<UINT>(ids.size()), attributes) == attributes;
}

platform::ComPtr<IContextMenu> ViewShellVerbs::SelectionMenu(const std::vector<LPCITEMIDLIST>& ids) {
  platform::ComPtr<IContextMenu> menu;
  ShellFolder* folder = entries_.Folder();
  if (!folder || ids.empty() ||
      FAILED(folder->Interface()->GetUIObjectOf(window_, static_cast<UINT>(ids.size()),
                                                const_cast<LPCITEMIDLIST*>(ids.data()), IID_IContextMenu,
                                                nullptr, menu.PutVoid())))
    menu.Reset();
  return menu;
}

namespace {

bool InvokeMenuVerb(IContextMenu* menu, HWND owner, const char* verb) {
  platform::UniqueMenu temporary(CreatePopupMenu());
  if (!menu || !temporary || FAILED(menu->QueryContextMenu(temporary.Get(), 0, 1, 0x7FFF, CMF_NORMAL)))
    return false;
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = verb;
  info.nShow = SW_SHOWNORMAL;
  return SUCCEEDED(menu->InvokeCommand(&info));
}

}  // namespace

bool ViewShellVerbs::InvokeVerb(const char* verb) {
  if (std::strcmp(verb, "paste") == 0) return InvokePaste();
  const ULONG needed = std::strcmp(verb, "copy") == 0 ? SFGAO_CANCOPY : SFGAO_CANDELETE;
  if (!AllSelectedHave(needed)) return false;
  platform::ComPtr<IContextMenu> menu = SelectionMenu(SelectedIds());
  return InvokeMenuVerb(menu.Get(), window_, verb);
}

bool ViewShellVerbs::InvokePaste() {
  if (!entries_.FolderId() || !IsClipboardFormatAvailable(CF_HDROP)) return false;
  // The desktop pastes into its file-system folder.
  platform::UniqueIdList target = CloneIdList(entries_.FolderId());
  if (ILIsEmpty(target.Get())) SHGetSpecialFolderLocation(window_, CSIDL_DESKTOPDIRECTORY, target.Put());
  if (!target || PathOfIdList(target.Get()).empty()) return false;
  platform::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST child = nullptr;
  if (FAILED(SHBindToParent(target.Get(), IID_IShellFolder, parent.PutVoid(), &child)) || !parent)
    return false;
  platform::ComPtr<IContextMenu> menu;
  if (FAILED(parent->GetUIObjectOf(window_, 1, &child, IID_IContextMenu, nullptr, menu.PutVoid())))
    return false;
  return InvokeMenuVerb(menu.Get(), window_, "paste");
}

// ---- renaming

bool ViewShellVerbs::BeginRename() {
  const int index = ListView_GetNextItem(listView_, -1, LVNI_SELECTED | LVNI_FOCUSED) >= 0
                        ? ListView_GetNextItem(listView_, -1, LVNI_SELECTED | LVNI_FOCUSED)
                        : ListView_GetNextItem(listView_, -1, LVNI_SELECTED);
  if (index < 0 || IsReadOnly(listView_)) return false;
  SetFocus(listView_);
  return ListView_EditLabel(listView_, index) != nullptr;
}

bool ViewShellVerbs::OnBeginLabelEdit(NMLVDISPINFOW& info) {
  const int index = info.item.iItem;
  ShellFolder* folder = entries_.Folder();
  if (IsReadOnly(listView_) || !folder || index < 0 || index >= entries_.Count()) return false;
  LPCITEMIDLIST child = AsIdList(entries_.Items()[index].ItemId());
  if (!child || folder->ShellAttributes(&child, 1, SFGAO_CANRENAME) != SFGAO_CANRENAME) return false;
  // The name as the shell wants it edited (with the extension when it shows one).
  const std::wstring editing = DisplayNameOf(folder->Interface(), child, SHGDN_INFOLDER | SHGDN_FOREDITING);
  if (HWND edit = ListView_GetEditControl(listView_); edit && !editing.empty())
    SetWindowTextW(edit, editing.c_str());
  return true;
}

void ViewShellVerbs::OnEndLabelEdit(NMLVDISPINFOW& info) {
  if (!info.item.pszText) return;  // cancelled
  RenameItem(info.item.iItem, info.item.pszText);
}

bool ViewShellVerbs::RenameItem(int index, const std::wstring& newName) {
  TImgListItem* item = entries_.At(index);
  if (!item || newName.empty() || !entries_.Rename(*item, newName, window_)) return false;
  ListView_RedrawItems(listView_, index, index);
  return true;
}

// ---- context menu

bool ViewShellVerbs::ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message != WM_INITMENUPOPUP && message != WM_DRAWITEM && message != WM_MEASUREITEM &&
      message != WM_MENUCHAR)
    return false;
  if (menu3_) return SUCCEEDED(menu3_->HandleMenuMsg2(message, wParam, lParam, &result));
  if (menu2_) {
    result = 0;
    return SUCCEEDED(menu2_->HandleMenuMsg(message, wParam, lParam));
  }
  return false;
}

namespace {

UINT HighestMenuId(HMENU menu) {
  UINT highest = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      highest = std::max(highest, HighestMenuId(sub));
      continue;
    }
    const UINT id = GetMenuItemID(menu, i);
    if (id != static_cast<UINT>(-1) && id < 0x7FFF) highest = std::max(highest, id);
  }
  return highest;
}

}  // namespace

void ViewShellVerbs::ShowContextMenu(POINT screen) {
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: at the focused entry, else at the corner.
    RECT r{};
    const int focused = FocusedIndex(listView_);
    if (focused < 0 || !ListView_GetItemRect(listView_, focused, &r, LVIR_ICON)) r = {0, 0, 0, 0};
    screen = {r.left, r.bottom};
    ClientToScreen(listView_, &screen);
  }
  HMENU own = menu_.PopupMenu;
  const std::vector<LPCITEMIDLIST> ids = SelectedIds();
  platform::ComPtr<IContextMenu> shell;
  if (!ids.empty() && menu_.Enabled) shell = SelectionMenu(ids);
  if (!shell) {
    if (!own) return;
    const UINT command =
        TrackPopupMenu(own, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
    if (command) SendMessageW(GetParent(window_), WM_COMMAND, command, 0);
    return;
  }
  platform::UniqueMenu temporary;
  if (!own) temporary.Reset(CreatePopupMenu());
  HMENU menu = own ? own : temporary.Get();
  if (!menu) return;
  // Shell commands take the ids above every item of the own menu, those of
  // its submenus included.
  const int before = GetMenuItemCount(menu);
  const UINT first = std::max(static_cast<UINT>(std::max(before, 0)), HighestMenuId(menu)) + 1;
  const UINT position =
      static_cast<UINT>(std::clamp(menu_.ShellMenuPos.Get(), 0, std::max(before, 0)));
  if (FAILED(shell->QueryContextMenu(menu, position, first, 0x7FFF,
                                     ContextMenuFlags(menu_.ContextMenuType, IsReadOnly(listView_)))))
    return;
  const int added = GetMenuItemCount(menu) - before;
  shell->QueryInterface(IID_IContextMenu3, menu3_.PutVoid());
  shell->QueryInterface(IID_IContextMenu2, menu2_.PutVoid());
  const UINT command =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
  menu3_.Reset();
  menu2_.Reset();
  if (command >= first) {
    char verb[64] = {};
    shell->GetCommandString(command - first, GCS_VERBA, nullptr, verb, sizeof verb);
    if (std::strcmp(verb, "rename") == 0) {
      BeginRename();  // the shell cannot edit our captions
    } else {
      CMINVOKECOMMANDINFO info{};
      info.cbSize = sizeof info;
      info.hwnd = window_;
      info.lpVerb = MAKEINTRESOURCEA(command - first);
      info.nShow = SW_SHOWNORMAL;
      shell->InvokeCommand(&info);
    }
  } else if (command) {
    SendMessageW(GetParent(window_), WM_COMMAND, command, 0);
  }
  if (own) {
    for (int i = 0; i < added; ++i) DeleteMenu(own, position, MF_BYPOSITION);
  }
}

// ---- opening

void ViewShellVerbs::Open(TImgListItem& item) {
  ShellFolder* folder = entries_.Folder();
  if (!folder || !item.ItemId()) return;
  const platform::UniqueIdList absolute = folder->Absolute(item.ItemId());
  if (item.IsFolder() && entries_.ShowsFolder()) {
    openFolder_(absolute.Get());
    return;
  }
  const std::wstring path = item.ParsingPath();
  if (entries_.ShowsFolder() && item.OverlayIndex() == 1 &&
      _wcsicmp(PathFindExtensionW(path.c_str()), L".lnk") == 0) {
    platform::ComPtr<IShellLinkW> link;
    platform::ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   link.PutVoid())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ)) && SUCCEEDED(link->Resolve(window_, SLR_ANY_MATCH)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0))) {
      const DWORD a = GetFileAttributesW(target);
      if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
        const platform::UniqueIdList id = ParseAbsolute(target);
        if (id) openFolder_(id.Get());
        return;
      }
    }
  }
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.hwnd = window_;
  execute.nShow = SW_SHOWNORMAL;
  wchar_t expanded[MAX_PATH * 2] = {};
  if (!entries_.ShowsFolder()) {
    ExpandEnvironmentStringsW(path.c_str(), expanded, MAX_PATH * 2);
    execute.lpFile = expanded;
  } else {
    execute.fMask = SEE_MASK_INVOKEIDLIST;
    execute.lpIDList = absolute.Get();
  }
  ShellExecuteExW(&execute);
}

}  // namespace tapestrel::browser
