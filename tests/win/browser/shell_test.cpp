// The view's shell side under Wine: Delete and F2 through the shell, the
// selection keys, the shell context menu merged into the view's own menu,
// and files dropped onto the view.
#include <atomic>
#include <cstring>
#include <thread>

#include "view_fixture.h"
#include "win_support/window_search.h"

namespace tapestrel::testing {
namespace {

using Names = std::vector<std::wstring>;

// Presses a key in the list view with exactly these modifiers down.
void PressKey(HWND list, WORD key, bool ctrl = false) {
  BYTE state[256] = {};
  if (ctrl) state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  SendMessageW(list, WM_KEYDOWN, key, 1);
  SendMessageW(list, WM_KEYUP, key, 0xC0000001);
  std::memset(state, 0, sizeof state);
  SetKeyboardState(state);
}

// Answers "Yes" to the shell's confirmation box of this process while the
// test waits inside the shell.
class ConfirmBoxes {
 public:
  ConfirmBoxes()
      : thread_([this] {
          while (!stop_) {
            for (HWND w : WindowsOf(GetCurrentProcessId(), true)) {
              if (GetDlgItem(w, IDYES)) {
                ++answered_;
                PostMessageW(w, WM_COMMAND, IDYES, 0);
              }
            }
            Sleep(100);
          }
        }) {}
  ~ConfirmBoxes() {
    stop_ = true;
    thread_.join();
  }
  int Answered() const { return answered_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::thread thread_;
};

// The shell's own names of the recycle bin's items.
Names RecycleBinNames() {
  Names names;
  LPITEMIDLIST bin = nullptr;
  IShellFolder* desktop = nullptr;
  IShellFolder* folder = nullptr;
  IEnumIDList* items = nullptr;
  SHGetDesktopFolder(&desktop);
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)) &&
      SUCCEEDED(desktop->BindToObject(bin, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))) &&
      folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) == S_OK && items) {
    LPITEMIDLIST id;
    ULONG got;
    while (items->Next(1, &id, &got) == S_OK) {
      names.push_back(browser::DisplayNameOf(folder, id, SHGDN_NORMAL));
      CoTaskMemFree(id);
    }
  }
  if (items) items->Release();
  if (folder) folder->Release();
  if (desktop) desktop->Release();
  CoTaskMemFree(bin);
  return names;
}

// Wine's recycle bin is the desktop's trash folder of the Unix user: the
// test's file goes from there again, so that runs do not pile up.
void PurgeWineTrash(const std::string& name) {
  char home[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH);  // "\\??\\Z:\\home\\user"
  if (n < 4 || n >= MAX_PATH) return;
  const std::string trash = std::string(home + 4) + "\\.local\\share\\Trash\\";
  DeleteFileA((trash + "files\\" + name).c_str());
  DeleteFileA((trash + "info\\" + name + ".trashinfo").c_str());
}

class ShellTest : public ::testing::Test {
 protected:
  TempFolder folder;
  ViewWindow window;
  browser::TImgListView& view = window.View();

  void Open(std::initializer_list<const char*> files) {
    for (const char* name : files) WriteFile(folder / name, "picture");
    view.SetMultiSelect(true);
    view.OpenFolder(folder.Path());
  }
  int IndexOf(const std::wstring& name) {
    const Names names = window.Names();
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
};

TEST_F(ShellTest, DeleteSendsTheSelectionToTheRecycleBin) {
  const std::string unique = "deleted-" + std::to_string(GetTickCount()) + ".bmp";
  Open({"kept.bmp", unique.c_str()});
  view.Select(IndexOf(Wide(unique)), true);
  {
    ConfirmBoxes yes;
    PressKey(window.List(), VK_DELETE);
  }
  EXPECT_FALSE(FileExists(folder / unique));
  EXPECT_TRUE(FileExists(folder / "kept.bmp"));
  EXPECT_TRUE(PumpUntil([&] { return window.Names() == Names{L"kept.bmp"}; }, 2000));
  const Names bin = RecycleBinNames();
  EXPECT_NE(std::find(bin.begin(), bin.end(), Wide(unique)), bin.end());
  PurgeWineTrash(unique);
}

TEST_F(ShellTest, DeleteWithAModifierOrNothingSelectedDoesNothing) {
  Open({"a.bmp"});
  PressKey(window.List(), VK_DELETE);  // nothing selected
  view.Select(0, true);
  PressKey(window.List(), VK_DELETE, true);
  EXPECT_TRUE(FileExists(folder / "a.bmp"));
}

TEST_F(ShellTest, F2RenamesThroughTheShellWithoutARefresh) {
  Open({"old.bmp", "other.bmp"});
  int refreshes = 0;
  view.OnChangeFolder = [&] { ++refreshes; };
  const int index = IndexOf(L"old.bmp");
  view.Select(index, true);
  ListView_SetItemState(window.List(), index, LVIS_FOCUSED, LVIS_FOCUSED);
  PressKey(window.List(), VK_F2);
  HWND edit = ListView_GetEditControl(window.List());
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(WindowText(edit), L"old.bmp");
  SetWindowTextW(edit, L"new.bmp");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  Pump(100);
  EXPECT_TRUE(FileExists(folder / "new.bmp"));
  EXPECT_FALSE(FileExists(folder / "old.bmp"));
  EXPECT_EQ(view.ImgItems()[index].DisplayName(), L"new.bmp");
  EXPECT_EQ(view.ImgItems()[index].ParsingPath(), Wide(folder / "new.bmp"));
  Pump(1500);
  EXPECT_EQ(refreshes, 0);  // the watcher was stopped around the rename
  // It still watches afterwards.
  WriteFile(folder / "later.bmp", "x");
  EXPECT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 3; }, 2000));
}

TEST_F(ShellTest, ControlASelectsAllAndControlIInverts) {
  Open({"a.bmp", "b.bmp", "c.bmp"});
  PressKey(window.List(), 'A', true);
  EXPECT_EQ(view.SelCount(), 3);
  PressKey(window.List(), 'I', true);
  EXPECT_EQ(view.SelCount(), 0);
  view.Select(1, true);
  PressKey(window.List(), 'I', true);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{0, 2}));
  EXPECT_EQ(view.Selection().size(), 2u);
  EXPECT_EQ(view.Selection()[1], &view.ImgItems()[2]);
}

TEST_F(ShellTest, KeyAndMouseHooksSeeEveryKeyFirst) {
  Open({"a.bmp"});
  std::vector<WORD> down, up;
  view.OnKeyDown = [&](WORD key, bool& handled) {
    down.push_back(key);
    handled = key == VK_DELETE;  // the window takes Delete itself
  };
  view.OnKeyUp = [&](WORD key) { up.push_back(key); };
  int selectionChanges = 0;
  view.OnSelectionChange = [&] { ++selectionChanges; };
  view.Select(0, true);
  PressKey(window.List(), VK_DELETE);
  PressKey(window.List(), VK_RETURN);
  EXPECT_EQ(down, (std::vector<WORD>{VK_DELETE, VK_RETURN}));
  EXPECT_EQ(up, (std::vector<WORD>{VK_DELETE, VK_RETURN}));
  EXPECT_TRUE(FileExists(folder / "a.bmp"));
  Pump(50);
  EXPECT_EQ(selectionChanges, 1);
}

// The view's own menu while a popup menu is open, and closing it.
struct MenuSpy {
  static inline HMENU menu = nullptr;
  static inline std::vector<UINT> ids;
  static void CALLBACK Look(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ids.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    EndMenu();
  }
};

TEST_F(ShellTest, TheShellMenuIsMergedAtItsPositionAndRemovedAfterwards) {
  Open({"a.bmp"});
  HMENU own = CreatePopupMenu();
  AppendMenuW(own, MF_STRING, 1001, L"one");
  AppendMenuW(own, MF_STRING, 1002, L"two");
  AppendMenuW(own, MF_STRING, 1003, L"three");
  view.ImgPopupMenu.PopupMenu = own;
  view.ImgPopupMenu.ShellMenuPos = 1;
  MenuSpy::menu = own;
  RECT r;
  GetWindowRect(window.List(), &r);
  const auto showMenu = [&] {
    MenuSpy::ids.clear();
    SetTimer(nullptr, 0, 200, &MenuSpy::Look);
    SendMessageW(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.List()),
                 MAKELPARAM(r.left + 50, r.top + 50));
  };
  showMenu();  // nothing selected: the own menu alone
  EXPECT_EQ(MenuSpy::ids, (std::vector<UINT>{1001, 1002, 1003}));

  view.Select(0, true);
  showMenu();
  ASSERT_GT(MenuSpy::ids.size(), 4u);
  EXPECT_EQ(MenuSpy::ids.front(), 1001u);
  EXPECT_EQ(MenuSpy::ids.back(), 1003u);
  EXPECT_EQ(MenuSpy::ids[MenuSpy::ids.size() - 2], 1002u);
  bool shellItems = false;
  for (size_t i = 1; i + 2 < MenuSpy::ids.size(); ++i)
    shellItems |= MenuSpy::ids[i] > 1003 && MenuSpy::ids[i] < 0x8000;
  EXPECT_TRUE(shellItems);
  EXPECT_EQ(GetMenuItemCount(own), 3);
  EXPECT_EQ(GetMenuItemID(own, 1), 1002u);

  view.ImgPopupMenu.Enabled = false;  // no merge at all
  showMenu();
  EXPECT_EQ(MenuSpy::ids, (std::vector<UINT>{1001, 1002, 1003}));
  view.ImgPopupMenu.PopupMenu = nullptr;
  DestroyMenu(own);
}

TEST(ContextMenuFlags, MapTheSetAndRenameOnlyWhenReadOnly) {
  using namespace browser;
  EXPECT_EQ(ContextMenuFlags(ictExplore | ictCanRename, false), static_cast<UINT>(CMF_EXPLORE));
  EXPECT_EQ(ContextMenuFlags(ictExplore | ictCanRename, true),
            static_cast<UINT>(CMF_EXPLORE | CMF_CANRENAME));
  EXPECT_EQ(ContextMenuFlags(ictNormal | ictDefaultOnly | ictVerbsOnly | ictNoverbs | ictNoDefault, false),
            static_cast<UINT>(CMF_DEFAULTONLY | CMF_VERBSONLY | CMF_NOVERBS | CMF_NODEFAULT));
  EXPECT_EQ(ContextMenuFlags(ictIncludeStatic | ictReserved, false), 0x40u | 0xFFFF0000u);
}

// A data object that offers exactly one global memory block as CF_HDROP, or
// nothing at all.
class BlockData final : public IDataObject {
 public:
  explicit BlockData(std::string block, bool offersFiles = true)
      : block_(std::move(block)), offersFiles_(offersFiles) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, block_.size());
    std::memcpy(GlobalLock(global), block_.data(), block_.size());
    GlobalUnlock(global);
    *medium = {};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return offersFiles_ && f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  std::string block_;
  bool offersFiles_;
};

// A DROPFILES block of wide names, as Explorer puts it on the clipboard.
std::string WideDropBlock(const std::vector<std::wstring>& files) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::wstring& f : files)
    block.append(reinterpret_cast<const char*>(f.c_str()), (f.size() + 1) * 2);
  block.append(2, '\0');
  return block;
}

class DropTest : public ShellTest {
 protected:
  TempFolder source;
  std::vector<std::wstring> dropped;
  int enters = 0, overs = 0, leaves = 0;
  bool acceptEnter = true, acceptDrop = true;

  void SetUp() override {
    Open({"here.bmp"});
    view.OnFileDragEnter = [&](browser::TFileDataObject&, browser::TShiftState, POINT, bool& accept) {
      ++enters;
      accept = acceptEnter;
    };
    view.OnFileDragOver = [&](browser::TFileDataObject&, browser::TShiftState, POINT, bool&) { ++overs; };
    view.OnFileDragDrop = [&](browser::TFileDataObject& data, browser::TShiftState shift, POINT,
                              bool& accept) {
      dropped = data.WideFiles();
      EXPECT_EQ(data.FileCount(), static_cast<int>(dropped.size()));
      EXPECT_TRUE(shift & browser::ssLeft);
      accept = acceptDrop;
    };
    view.OnFileDragLeave = [&] { ++leaves; };
  }

  // Drags `data` in over an empty part of the view and drops it; the drop's effect.
  DWORD DragAndDrop(IDataObject* data) {
    IDropTarget* target = view.DropTarget();
    EXPECT_NE(target, nullptr);
    if (!target) return DROPEFFECT_NONE;
    RECT r;
    GetWindowRect(window.List(), &r);
    const POINTL point{r.right - 40, r.bottom - 60};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, MK_LBUTTON, point, &effect);
    entered = effect;
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragOver(MK_LBUTTON, point, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data, MK_LBUTTON, point, &effect);
    return effect;
  }
  DWORD entered = 0;
};

// The shell's own data object of a file, as Explorer drags it.
platform::ComPtr<IDataObject> ShellDataObject(const std::string& folder, const wchar_t* name) {
  platform::ComPtr<IDataObject> data;
  const platform::UniqueIdList parent = browser::ParseAbsolute(Wide(folder));
  platform::ComPtr<IShellFolder> shell;
  LPITEMIDLIST child = nullptr;
  ULONG eaten = 0;
  if (parent &&
      SUCCEEDED(
          browser::DesktopFolder()->BindToObject(parent.Get(), nullptr, IID_IShellFolder, shell.PutVoid())) &&
      SUCCEEDED(
          shell->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(name), &eaten, &child, nullptr))) {
    LPCITEMIDLIST children[] = {child};
    shell->GetUIObjectOf(nullptr, 1, children, IID_IDataObject, nullptr, data.PutVoid());
  }
  CoTaskMemFree(child);
  return data;
}

TEST_F(DropTest, AnAcceptedDropReachesTheHandlerAndTheShell) {
  WriteFile(source / "incoming.bmp", "picture");
  platform::ComPtr<IDataObject> data = ShellDataObject(source.Path(), L"incoming.bmp");
  ASSERT_TRUE(data);
  ASSERT_TRUE(browser::TFileDataObject::OffersFiles(data.Get()));
  const DWORD effect = DragAndDrop(data.Get());
  EXPECT_EQ(dropped, (std::vector<std::wstring>{Wide(source / "incoming.bmp")}));
  EXPECT_EQ(enters, 1);
  EXPECT_GE(overs, 1);
  EXPECT_NE(entered, static_cast<DWORD>(DROPEFFECT_NONE));
  // The folder's own drop target took the drop and chose the effect. (Windows
  // then copies or moves the file; Wine's folder drop target accepts and
  // does nothing.)
  EXPECT_NE(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(DropTest, ARefusedDropReportsNoEffectAndCopiesNothing) {
  WriteFile(source / "incoming.bmp", "picture");
  const std::wstring korean = Wide(source.Path()) + L"\\\xD55C.bmp";
  BlockData data(WideDropBlock({Wide(source / "incoming.bmp"), korean}));
  acceptDrop = false;  // the program registers the files itself
  EXPECT_EQ(DragAndDrop(&data), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(dropped.size(), 2u);
  EXPECT_EQ(dropped[1], korean);
  Pump(500);
  EXPECT_FALSE(FileExists(folder / "incoming.bmp"));

  dropped.clear();
  acceptEnter = false;
  acceptDrop = true;
  EXPECT_EQ(DragAndDrop(&data), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(entered, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(dropped.empty());
}

TEST_F(DropTest, OnlyFileListsAreTakenAndBrokenOnesAreReadInsideTheirBlock) {
  BlockData text("plain text", false);
  EXPECT_EQ(DragAndDrop(&text), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(enters, 0);

  DROPFILES header{};
  header.fWide = TRUE;
  header.pFiles = 0x7FFFFFF0;  // beyond the block
  const std::string beyond(reinterpret_cast<const char*>(&header), sizeof header);
  header.pFiles = sizeof header;
  const std::string unterminated =
      std::string(reinterpret_cast<const char*>(&header), sizeof header) + std::string("C\0:\0\\\0x\0", 8);
  header.fWide = FALSE;
  static const char kAnsiNames[] = "C:\\a.bmp\0C:\\\x93\xfa.bmp\0";  // the literal's zero ends the list
  const std::string ansi = std::string(reinterpret_cast<const char*>(&header), sizeof header) +
                           std::string(kAnsiNames, sizeof kAnsiNames);
  const struct {
    std::string block;
    std::vector<std::wstring> files;
  } cases[] = {{beyond, {}},
               {unterminated, {}},  // a name cut off by the block's end may be mangled: left out
               {"", {}},
               {ansi, {L"C:\\a.bmp", L"C:\\\x65E5.bmp"}}};
  for (const auto& c : cases) {
    BlockData data(c.block);
    browser::TFileDataObject files(&data);
    EXPECT_EQ(files.WideFiles(), c.files);
    EXPECT_EQ(files.Files().size(), c.files.size());
  }
}

TEST_F(DropTest, SwitchingTheDropTargetOffRevokesIt) {
  EXPECT_NE(view.DropTarget(), nullptr);
  view.DefaultExec.DropTarget = false;
  EXPECT_EQ(view.DropTarget(), nullptr);
  view.DefaultExec.DropTarget = true;
  EXPECT_NE(view.DropTarget(), nullptr);
}

}  // namespace
}  // namespace tapestrel::testing

namespace tapestrel::testing {
namespace {

// A display request as the list view sends it; the text the view answered.
std::wstring Request(browser::TImgListView& view, int item, UINT mask) {
  wchar_t text[64] = L"(none)";
  NMLVDISPINFOW info{};
  info.hdr = {view.ListView(), 1, static_cast<UINT>(LVN_GETDISPINFOW)};
  info.item.mask = mask;
  info.item.iItem = item;
  info.item.pszText = text;
  info.item.cchTextMax = 64;
  SendMessageW(view.Handle(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
  return text;
}

TEST_F(ShellTest, WhileTheScrollBarMovesOnlyWhatDrawingNeedsIsAnswered) {
  Open({"a.bmp", "b.bmp", "c.bmp"});
  view.Select(2, true);
  SendMessageW(window.List(), WM_VSCROLL, SB_THUMBTRACK, 0);
  EXPECT_EQ(Request(view, 0, LVIF_TEXT | LVIF_IMAGE), L"a.bmp");
  EXPECT_EQ(Request(view, 0, LVIF_TEXT), L"a.bmp");
  EXPECT_EQ(Request(view, 1, LVIF_TEXT | LVIF_STATE), L"(none)");
  EXPECT_EQ(Request(view, 2, LVIF_TEXT | LVIF_STATE), L"c.bmp");  // selected when the scroll began
  SendMessageW(window.List(), WM_VSCROLL, SB_ENDSCROLL, 0);
  EXPECT_EQ(Request(view, 1, LVIF_TEXT | LVIF_STATE), L"b.bmp");
  EXPECT_EQ(Request(view, 7, LVIF_TEXT), L"(none)");  // no such entry
  view.View.ShowCaptions = false;
  EXPECT_EQ(Request(view, 1, LVIF_TEXT), L"");
}

TEST_F(ShellTest, ControlCPutsTheSelectionOnTheClipboardAsFiles) {
  Open({"a.bmp", "b.bmp"});
  OleSetClipboard(nullptr);
  PressKey(window.List(), 'C', true);  // nothing selected: nothing copied
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
  view.Select(1, true);
  PressKey(window.List(), 'C', true);
  Pump(100);
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
  IDataObject* data = nullptr;
  ASSERT_EQ(OleGetClipboard(&data), S_OK);
  browser::TFileDataObject files(data);
  EXPECT_EQ(files.WideFiles(), (std::vector<std::wstring>{Wide(folder / "b.bmp")}));
  data->Release();
  OleSetClipboard(nullptr);
}

TEST_F(ShellTest, FoldersAndLinksToFoldersOpenInTheView) {
  CreateDirectoryA((folder / "inner").c_str(), nullptr);
  WriteFile(folder / "inner\\deep.bmp", "x");
  Open({"top.bmp"});
  // A link to the inner folder.
  platform::ComPtr<IShellLinkW> link;
  platform::ComPtr<IPersistFile> file;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid()),
            S_OK);
  link->SetPath(Wide(folder / "inner").c_str());
  link->QueryInterface(IID_IPersistFile, file.PutVoid());
  ASSERT_EQ(file->Save(Wide(folder / "inner.lnk").c_str(), TRUE), S_OK);
  view.RefreshFolder();

  view.Open(view.ImgItems()[IndexOf(L"inner")]);  // a folder
  EXPECT_EQ(view.FolderPath(), Wide(folder / "inner"));
  EXPECT_EQ(window.Names(), (Names{L"deep.bmp"}));
  view.OpenParentFolder();
  EXPECT_EQ(view.FolderPath(), Wide(folder.Path()));

  for (int i = 0; i < view.ImgItems().Count(); ++i) {
    if (view.ImgItems()[i].OverlayIndex() == 1) {  // the link
      view.Open(view.ImgItems()[i]);
      EXPECT_EQ(view.FolderPath(), Wide(folder / "inner"));
      return;
    }
  }
  ADD_FAILURE() << "no entry shows the link overlay";
}

}  // namespace
}  // namespace tapestrel::testing
