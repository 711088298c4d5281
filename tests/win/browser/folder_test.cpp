// The view over real folders under Wine: the filter, hidden files, sorting by
// each column, the picture list the change engine takes, the detail texts,
// and following changes on disk.
#include <algorithm>

#include "app/ini_file.h"
#include "app/wallpaper_changer.h"
#include "app/wallpaper_renderer.h"
#include "browser/win32/shell_folder.h"
#include "browser/win32/view_entries.h"
#include "browser/win32/view_picture_list.h"
#include "common/solid_picture.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/desktop.h"
#include "platform/win32/file_system.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/registry.h"
#include "view_fixture.h"

namespace tapestrel::testing {
namespace {

using browser::TSortTypeEx;
using Names = std::vector<std::wstring>;

class FolderTest : public ::testing::Test {
 protected:
  TempFolder folder;
  ViewWindow window;
  browser::TImgListView& view = window.View();
  int folderChanges = 0;

  void SetUp() override {
    view.OnChangeFolder = [this] { ++folderChanges; };
  }
  void Open() { view.OpenFolder(folder.Path()); }
};

TEST_F(FolderTest, ExtensionFilterCases) {
  for (const char* name : {"a.bmp", "b.JPG", "c.Jpg", "d.jpeg", "e.txt", "noext"})
    WriteFile(folder / name, "x");
  CreateDirectoryA((folder / "sub.txt").c_str(), nullptr);
  view.SetSortType(TSortTypeEx::istName);
  Open();
  const struct {
    const char* ext;
    bool folders;
    Names shown;
  } cases[] = {
      {"*.bmp;*.JPG", true, {L"sub.txt", L"a.bmp", L"b.JPG", L"c.Jpg"}},
      {"*.BMP;*.jpg;", false, {L"a.bmp", L"b.JPG", L"c.Jpg"}},
      {"*.*", false, {L"a.bmp", L"b.JPG", L"c.Jpg", L"d.jpeg", L"e.txt", L"noext"}},
      {"", true, {L"sub.txt", L"a.bmp", L"b.JPG", L"c.Jpg", L"d.jpeg", L"e.txt", L"noext"}},
      {"*.png;*.*;", false, {L"a.bmp", L"b.JPG", L"c.Jpg", L"d.jpeg", L"e.txt", L"noext"}},
  };
  for (const auto& c : cases) {
    view.View.DispTypes.Folders = c.folders;
    view.View.DispTypes.Ext = c.ext;
    EXPECT_EQ(window.Names(), c.shown) << c.ext;
    EXPECT_EQ(ListView_GetItemCount(window.List()), static_cast<int>(c.shown.size())) << c.ext;
  }
}

TEST_F(FolderTest, HiddenFilesFollowDisplayTypes) {
  WriteFile(folder / "shown.bmp", "x");
  WriteFile(folder / "secret.bmp", "x");
  SetFileAttributesA((folder / "secret.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  Open();
  EXPECT_EQ(window.Names(), (Names{L"secret.bmp", L"shown.bmp"}));
  view.View.DispTypes.Hidden = false;
  EXPECT_EQ(window.Names(), (Names{L"shown.bmp"}));
}

// The order Windows gives each column: folders first, then the column's
// value, the name breaking ties.
TEST_F(FolderTest, SortsByEachColumnBothWays) {
  WriteSizedFile(folder / "a.png", 3000, 2023, 1, 3);
  WriteSizedFile(folder / "b.bmp", 1000, 2023, 1, 5);
  WriteSizedFile(folder / "c.jpg", 2000, 2023, 1, 1);
  WriteSizedFile(folder / "d.bmp", 500, 2023, 1, 2);
  CreateDirectoryA((folder / "z").c_str(), nullptr);
  Open();
  // Type names are the shell's: sort the expected list by them here.
  Names byType{L"a.png", L"b.bmp", L"c.jpg", L"d.bmp"};
  const auto typeOf = [&](const std::wstring& name) {
    SHFILEINFOW info{};
    SHGetFileInfoW((Wide(folder.Path()) + L"\\" + name).c_str(), 0, &info, sizeof info, SHGFI_TYPENAME);
    return std::wstring(info.szTypeName);
  };
  std::stable_sort(byType.begin(), byType.end(), [&](const std::wstring& x, const std::wstring& y) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, typeOf(x).c_str(), -1, typeOf(y).c_str(),
                          -1) == CSTR_LESS_THAN;
  });
  byType.insert(byType.begin(), L"z");
  const struct {
    TSortTypeEx type;
    Names ascending;
  } cases[] = {
      {TSortTypeEx::istName, {L"z", L"a.png", L"b.bmp", L"c.jpg", L"d.bmp"}},
      {TSortTypeEx::istSize, {L"z", L"d.bmp", L"b.bmp", L"c.jpg", L"a.png"}},
      {TSortTypeEx::istType, byType},
      {TSortTypeEx::istDate, {L"z", L"c.jpg", L"d.bmp", L"a.png", L"b.bmp"}},
  };
  for (const auto& c : cases) {
    view.SetDescend(false);
    view.SetSortType(c.type);
    EXPECT_EQ(window.Names(), c.ascending) << static_cast<int>(c.type);
    view.SetDescend(true);
    EXPECT_EQ(window.Names(), Names(c.ascending.rbegin(), c.ascending.rend())) << static_cast<int>(c.type);
  }
  EXPECT_EQ(folderChanges, 1);  // re-sorting does not enumerate again
}

TEST_F(FolderTest, ColumnClicksToggleTheCurrentColumnAndKeepTheDirectionOnAnother) {
  WriteSizedFile(folder / "a.bmp", 20);
  WriteSizedFile(folder / "b.bmp", 10);
  Open();
  view.SetViewStyle(browser::TViewStyle::vsReport);
  const auto click = [&](int column) {
    NMLISTVIEW n{};
    n.hdr = {window.List(), 1, LVN_COLUMNCLICK};
    n.iItem = -1;
    n.iSubItem = column;
    SendMessageW(view.Handle(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&n));
  };
  click(0);
  EXPECT_TRUE(view.Descend());
  click(0);
  EXPECT_FALSE(view.Descend());
  click(0);
  click(1);  // another column keeps the descending order
  EXPECT_EQ(view.SortType(), TSortTypeEx::istSize);
  EXPECT_TRUE(view.Descend());
  EXPECT_EQ(window.Names(), (Names{L"a.bmp", L"b.bmp"}));
}

// The change engine over the view's picture list, on the real adapters.
struct ChangeEngine {
  explicit ChangeEngine(browser::TImgListView& view) { pictures.Attach(&view); }
  TempFolder appFolder;
  platform::ProfileFile profile{appFolder / "Tapestrel.ini"};
  platform::UserLocale locale;
  platform::LocalClock clock;
  platform::WindowsFileSystem files;
  platform::CurrentUserRegistry registry;
  platform::WindowsDesktop desktop;
  app::NoPluginPictures plugins;
  browser::ViewPictureList pictures;
  app::SeededRandom random{3};
  app::SettingsRecord settings;
  app::IniFile ini{profile, locale};
  app::WallpaperRenderer renderer{settings, {registry, desktop, files, plugins, appFolder.Path() + "\\"}};
  app::WallpaperChanger changer{settings, ini, pictures, random, renderer, {clock, files, registry}};
};

TEST_F(FolderTest, TheChangeEngineFollowsTheDisplayedOrder) {
  WriteSolidBmp(folder / "p1.bmp", 30, 30, 0x0000FF);  // largest
  WriteSolidBmp(folder / "p2.bmp", 10, 10, 0x00FF00);  // smallest
  WriteSolidBmp(folder / "p3.bmp", 20, 20, 0xFF0000);
  view.View.DispTypes.Ext = "*.bmp;";
  Open();
  ChangeEngine engine(view);
  engine.settings.WallSelect = app::SelectionMethod::Next;
  engine.settings.LastWallIndex = 0;
  engine.changer.ChangeWallpaper(app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(engine.profile.Path(), "System", "LastWallPas"), folder / "p2.bmp");
  EXPECT_EQ(engine.settings.LastWallIndex, 1);
  // By size: p2, p3, p1. The next change takes the entry after position 1.
  view.SetSortType(TSortTypeEx::istSize);
  EXPECT_EQ(engine.pictures.Path(1), folder / "p3.bmp");
  engine.changer.ChangeWallpaper(app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(engine.profile.Path(), "System", "LastWallPas"), folder / "p1.bmp");
  EXPECT_EQ(engine.settings.LastWallIndex, 2);
}

TEST_F(FolderTest, NamesOutsideTheAnsiCodePageAreListedButNeverHandedOnMangled) {
  const std::wstring korean = Wide(folder.Path()) + L"\\\xD55C\xAE00.bmp";
  const std::wstring emoji = Wide(folder.Path()) + L"\\\xD83D\xDE00.bmp";
  for (const std::wstring& path : {korean, emoji}) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }
  WriteFile(folder / "plain.bmp", "x");
  Open();
  Names names = window.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Names{L"plain.bmp", L"\xD55C\xAE00.bmp", L"\xD83D\xDE00.bmp"}));
  browser::ViewPictureList pictures;
  pictures.Attach(&view);
  ASSERT_GE(pictures.Count(), 1);
  int plain = 0;
  for (int i = 0; i < pictures.Count(); ++i) {
    const std::string path = pictures.Path(i);
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;  // it opens
    plain += path == folder / "plain.bmp";
  }
  EXPECT_EQ(plain, 1);
}

TEST_F(FolderTest, OpeningTheFolderAlreadyShownDoesNothing) {
  WriteFile(folder / "a.bmp", "x");
  Open();
  EXPECT_EQ(folderChanges, 1);
  Open();
  view.OpenFolder(folder.Path() + "\\");
  EXPECT_EQ(folderChanges, 1);
  EXPECT_EQ(view.FolderPath(), Wide(folder.Path()));
  view.OpenFolder(folder / "no-such-folder");  // cannot be parsed: nothing changes
  EXPECT_EQ(view.FolderPath(), Wide(folder.Path()));
  EXPECT_EQ(view.ImgItems().Count(), 1);
}

TEST_F(FolderTest, AnEmptyFolderRaisesChangeFolderWithNoFocusedEntry) {
  int counted = -1;
  view.OnItemCountChange = [&](int count) { counted = count; };
  Open();
  EXPECT_EQ(folderChanges, 1);
  EXPECT_EQ(counted, 0);
  EXPECT_EQ(ListView_GetItemCount(window.List()), 0);
  EXPECT_EQ(view.FocusedIndex(), -1);
  WriteFile(folder / "a.bmp", "x");
  view.RefreshFolder();
  EXPECT_EQ(view.FocusedIndex(), 0);
}

TEST_F(FolderTest, SizeAndDateTexts) {
  WriteSizedFile(folder / "a0.bin", 0, 2021, 12, 31, 23, 59);
  WriteSizedFile(folder / "b1024.bin", 1024, 2022, 2, 3, 4, 5);
  WriteSizedFile(folder / "c1m.bin", 1048576, 2023, 10, 11, 12, 13);
  Open();
  view.SetViewStyle(browser::TViewStyle::vsReport);
  const struct {
    const wchar_t* size;
    const wchar_t* date;
  } expected[] = {
      {L"1KB", L"2021/12/31 23:59"}, {L"2KB", L"2022/02/03 04:05"}, {L"1025KB", L"2023/10/11 12:13"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(view.ImgItems()[i].SizeText(), expected[i].size);
    EXPECT_EQ(view.ImgItems()[i].DateText(), expected[i].date);
    // What the report columns show, through the list view's own requests.
    EXPECT_EQ(window.Text(i, 1), expected[i].size);
    EXPECT_EQ(window.Text(i, 3), expected[i].date);
  }
  EXPECT_EQ(window.Text(0, 0), L"a0.bin");
  EXPECT_FALSE(window.Text(0, 2).empty());  // the type name
  wchar_t header[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.pszText = header;
  column.cchTextMax = 64;
  const struct {
    const wchar_t* text;
    int width, format;
  } columns[] = {{L"名前", 162, LVCFMT_LEFT},
                 {L"サイズ", 69, LVCFMT_RIGHT},
                 {L"ファイルの種類", 138, LVCFMT_LEFT},
                 {L"更新日時", 104, LVCFMT_LEFT}};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(ListView_GetColumn(window.List(), i, &column));
    EXPECT_STREQ(header, columns[i].text);
    EXPECT_EQ(column.cx, columns[i].width);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, columns[i].format);
  }
}

TEST_F(FolderTest, FilesCreatedRenamedAndDeletedOnDiskShowWithinTwoSeconds) {
  WriteFile(folder / "first.bmp", "x");
  Open();
  const auto shows = [&](const Names& names) {
    return PumpUntil([&] { return window.Names() == names; }, 2000);
  };
  WriteFile(folder / "second.bmp", "x");
  EXPECT_TRUE(shows({L"first.bmp", L"second.bmp"}));
  MoveFileA((folder / "first.bmp").c_str(), (folder / "third.bmp").c_str());
  EXPECT_TRUE(shows({L"second.bmp", L"third.bmp"}));
  DeleteFileA((folder / "second.bmp").c_str());
  EXPECT_TRUE(shows({L"third.bmp"}));
  const int before = folderChanges;
  view.ShellChangeNotification.Enabled = false;
  WriteFile(folder / "fourth.bmp", "x");
  Pump(1500);
  EXPECT_EQ(folderChanges, before);
}

// Renamed away for a while and back, as a share that drops out and returns:
// listed again. Removed: an empty list; made again at once: another folder of
// the same name, listed.
TEST_F(FolderTest, AFolderThatVanishesLeavesAnEmptyListAndIsListedAgainWhenBack) {
  const std::string shown = folder / "shown", away = folder / "away";
  CreateDirectoryA(shown.c_str(), nullptr);
  for (int i = 0; i < 20; ++i) WriteFile(shown + "\\p" + std::to_string(i) + ".bmp", "x");
  view.OpenFolder(shown);
  ASSERT_EQ(view.ImgItems().Count(), 20);
  ASSERT_TRUE(MoveFileA(shown.c_str(), away.c_str()));
  EXPECT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 0; }, 3000));
  ASSERT_TRUE(MoveFileA(away.c_str(), shown.c_str()));
  EXPECT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 20; }, 3000));

  TempFolder::RemoveTree(shown);
  EXPECT_TRUE(PumpUntil([&] { return view.ImgItems().Count() == 0; }, 3000));
  EXPECT_EQ(ListView_GetItemCount(window.List()), 0);
  view.RefreshFolder();
  UpdateWindow(window.Frame());
  EXPECT_EQ(view.ImgItems().Count(), 0);
  CreateDirectoryA(shown.c_str(), nullptr);
  WriteFile(shown + "\\again.bmp", "x");
  EXPECT_TRUE(PumpUntil([&] { return window.Names() == Names{L"again.bmp"}; }, 4000));
}

// A listing is compared with the entries on its own thread; the window takes
// that comparison only while the entries and the filter are still those it
// was made against, and compares anew otherwise.
TEST_F(FolderTest, AListingComparedAwayCountsOnlyForTheEntriesItWasComparedWith) {
  for (const char* name : {"a.bmp", "b.bmp", "skip.txt"}) WriteFile(folder / name, "x");
  const HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  constexpr UINT kListed = WM_APP + 9;
  browser::ViewEntries entries(sink, WM_APP + 8, kListed);
  ASSERT_TRUE(entries.Open(browser::ParseAbsolute(platform::AnsiToWide(folder.Path())).Get()));
  browser::TImgItems::EnumOptions bmp;
  bmp.ext = L"*.bmp;";
  entries.Enumerate(bmp, [](browser::TImgListItem&) {});
  WriteFile(folder / "c.bmp", "x");
  enum class Meanwhile { nothing, sorted, filterChanged };
  for (Meanwhile meanwhile : {Meanwhile::nothing, Meanwhile::sorted, Meanwhile::filterChanged}) {
    ASSERT_TRUE(entries.StartListing(bmp));
    if (meanwhile == Meanwhile::sorted) entries.Sort();
    browser::TImgItems::EnumOptions now = bmp;
    if (meanwhile == Meanwhile::filterChanged) now.ext = L"*.*";
    MSG m{};
    for (int i = 0; i < 500 && !PeekMessageW(&m, sink, kListed, kListed, PM_REMOVE); ++i) Sleep(10);
    ASSERT_EQ(m.message, kListed);
    browser::ViewEntries::Listing listing;
    ASSERT_TRUE(entries.TakeListing(m.wParam, now, listing));
    EXPECT_TRUE(listing.listed);
    ASSERT_EQ(listing.changes.has_value(), meanwhile == Meanwhile::nothing) << static_cast<int>(meanwhile);
    if (!listing.changes) continue;
    ASSERT_EQ(listing.changes->added.size(), 1u);  // skip.txt is filtered out
    EXPECT_EQ(listing.changes->added[0]->name, L"c.bmp");
    EXPECT_TRUE(listing.changes->removed.empty() && listing.changes->rewritten.empty());
  }
  DestroyWindow(sink);
}

}  // namespace
}  // namespace tapestrel::testing
