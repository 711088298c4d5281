// The main window's thumbnail view: how the window sets it up, its sort
// commands and their settings, the refresh command, and the change engine
// and the screen capture working on the view's entries.
#include <set>

#include "common/solid_picture.h"
#include "program/win32/actions.h"
#include "view_fixture.h"
#include "win/settings_ui/modal.h"
#include "win_support/desktop_registry.h"
#include "win_support/main_window_fixture.h"
#include "win_support/names_outside_code_page.h"

namespace tapestrel::testing {
namespace {

using browser::TSortTypeEx;

class MainWindowViewTest : public ::testing::Test {
 protected:
  TempFolder pictures;

  void SetUp() override {
    WriteSolidBmp(pictures / "a.bmp", 30, 30, 0x0000FF);  // largest
    WriteSolidBmp(pictures / "b.bmp", 10, 10, 0x00FF00);  // smallest
    WriteSolidBmp(pictures / "c.bmp", 20, 20, 0xFF0000);
    WriteFile(pictures / "notes.txt", "not a picture");
    CreateDirectoryA((pictures / "sub.bmp").c_str(), nullptr);
  }
  std::string Ini(const std::string& extra = "") {
    return "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n" + extra;
  }
};

TEST_F(MainWindowViewTest, TheViewIsSetUpAsTheWindowNeedsIt) {
  MainWindowFixture fixture(Ini());
  browser::TImgListView& view = fixture.Form().View();
  EXPECT_TRUE(view.MultiSelect());
  EXPECT_FALSE(view.HideSelection());
  EXPECT_FALSE(view.DefaultExec.DblClick);
  EXPECT_TRUE(view.ViewImage.LookAhead);
  EXPECT_FALSE(view.ViewImage.ImgUtil.AutoThumb);
  EXPECT_EQ(view.Color(), browser::kClWhite);
  EXPECT_EQ(view.ViewImage.ImageWidth.Get(), 120);
  EXPECT_EQ(view.ViewImage.ImageHeight.Get(), 90);
  EXPECT_EQ(view.ViewImage.Frame.Color.Get(), browser::kClInactiveBorder);
  EXPECT_EQ(view.ViewImage.Frame.Width.Get(), 1);
  EXPECT_EQ(view.ViewImage.SelectFrame.Color.Get(), browser::kClHighlight);
  EXPECT_EQ(view.ViewImage.SelectFrame.Width.Get(), 3);
  EXPECT_EQ(view.ViewImage.SmallIcon.IconPos.Get(), browser::TIconPos::iipNone);
  EXPECT_EQ(view.IconStyle(), browser::TIconStyle::iisImage);
  EXPECT_FALSE(view.View.DispTypes.Folders);
  EXPECT_FALSE(view.View.DispTypes.Hidden);
  EXPECT_EQ(view.ImgPopupMenu.ShellMenuPos.Get(), 1);
  // The wallpaper folder's pictures, filtered by the registered formats.
  EXPECT_NE(view.View.DispTypes.Ext.Get().find("*.bmp;"), std::string::npos);
  EXPECT_NE(view.View.DispTypes.Ext.Get().find("*.jpg;"), std::string::npos);
  EXPECT_EQ(view.FolderPath(), Wide(pictures.Path()));
  std::vector<std::wstring> shown;
  for (int i = 0; i < view.ImgItems().Count(); ++i) shown.emplace_back(view.ImgItems()[i].DisplayName());
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"a.bmp", L"b.bmp", L"c.bmp"}));
  EXPECT_EQ(fixture.Form().Pictures().Count(), 3);
}

TEST_F(MainWindowViewTest, SortCommandsSetTheViewAndAreSaved) {
  MainWindowFixture fixture(Ini("[List]\r\nSortType=1\r\nSortDirection=1\r\n"));
  app::MainWindow& form = fixture.Form();
  browser::TImgListView& view = form.View();
  EXPECT_EQ(view.SortType(), TSortTypeEx::istSize);  // as stored
  EXPECT_TRUE(view.Descend());
  EXPECT_EQ(form.Pictures().Path(0), pictures / "a.bmp");

  form.Actions().Execute(app::kActIconSortForDate);  // another key: ascending
  EXPECT_EQ(view.SortType(), TSortTypeEx::istDate);
  EXPECT_FALSE(view.Descend());
  form.Actions().Execute(app::kActIconSortForSize);
  form.Actions().Execute(app::kActIconSortForSize);  // the same key twice: descending
  EXPECT_TRUE(view.Descend());
  EXPECT_EQ(form.Pictures().Path(0), pictures / "a.bmp");
  form.Actions().Execute(app::kActIconSortForName);
  EXPECT_EQ(view.SortType(), TSortTypeEx::istName);
  EXPECT_FALSE(view.Descend());
  EXPECT_EQ(form.Pictures().Path(0), pictures / "a.bmp");
  form.Actions().Execute(app::kActIconSortForName);
  form.SaveSettings(false);
  EXPECT_EQ(IniValue(fixture.Ini(), "List", "SortType"), "0");
  EXPECT_EQ(IniValue(fixture.Ini(), "List", "SortDirection"), "1");
}

TEST_F(MainWindowViewTest, RefreshReadsTheFolderAgain) {
  MainWindowFixture fixture(Ini());
  browser::TImgListView& view = fixture.Form().View();
  view.ShellChangeNotification.Enabled = false;
  WriteSolidBmp(pictures / "d.bmp", 5, 5, 0);
  Pump(300);
  EXPECT_EQ(view.ImgItems().Count(), 3);
  fixture.Form().Actions().Execute(app::kActRefresh);
  EXPECT_EQ(view.ImgItems().Count(), 4);
}

TEST_F(MainWindowViewTest, ChangesFollowTheViewsOrder) {
  MainWindowFixture fixture(Ini("[System]\r\nLastWallIndex=0\r\n"));
  app::MainWindow& form = fixture.Form();
  form.ChangeWallpaper(app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(fixture.Ini(), "System", "LastWallPas"), pictures / "b.bmp");
  form.Actions().Execute(app::kActIconSortForSize);  // b, c, a
  form.ChangeWallpaper(app::ChangeMode::Ordinary);
  EXPECT_EQ(IniValue(fixture.Ini(), "System", "LastWallPas"), pictures / "a.bmp");
  EXPECT_EQ(form.Settings().LastWallIndex, 2);
}

TEST_F(MainWindowViewTest, ACaptureJoinsTheViewBeforeItIsRecorded) {
  MainWindowFixture fixture(Ini("[Capture]\r\nCaptureFileExt=0\r\n"));
  app::MainWindow& form = fixture.Form();
  form.View().ShellChangeNotification.Enabled = false;  // only the hook can bring it in
  form.CaptureToWallpaper(app::CaptureArea::WholeScreen);
  const std::string captured = IniValue(fixture.Ini(), "System", "LastWallPas");
  ASSERT_NE(captured.find(pictures.Path()), std::string::npos);
  EXPECT_EQ(form.View().ImgItems().Count(), 4);
  ASSERT_LT(form.Settings().LastWallIndex, form.Pictures().Count());
  EXPECT_EQ(form.Pictures().Path(form.Settings().LastWallIndex), captured);
}

// Enter and a double click on the real view, and the automatic change, on
// pictures named outside the code page: each applies that very picture (by
// its short path), or, where there is no short name, the change passes it
// by and the user who chose it is told.
TEST(MainWindowNamesTest, EnterDoubleClickAndTheChangeApplyThePictureNamedOrNone) {
  for (bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "short names" : "no short names");
    std::optional<NoShortNames> none;
    if (!shortNames) none.emplace();
    TempFolder folder, elsewhere;
    const std::string before = elsewhere / "before.bmp";
    WriteSolidBmp(before, 8, 8, 0);
    WriteSolidBmp(folder / "Cafe.bmp", 8, 8, 0x0000FF);  // what a best fit makes of "Café.bmp"
    uint32_t color = 0x00FF00;
    for (const std::wstring& name : NamesOutsideTheCodePage()) {
      WriteSolidBmp(folder / "x.bmp", 8, 8, color += 0x40);
      RenameWide(folder / "x.bmp", name + L".bmp");
    }
    MainWindowFixture fixture("[Whole]\r\nWallPaperFolder=" + folder.Path() + "\r\n");
    app::MainWindow& form = fixture.Form();
    ShowWindow(form.Handle(), SW_SHOW);
    browser::TImgListView& view = form.View();
    const HWND list = view.ListView();
    ASSERT_EQ(view.ImgItems().Count(), 4);
    EXPECT_EQ(form.Pictures().Count(), shortNames ? 4 : 1);
    for (int i = 0; i < 4; ++i) {
      const std::wstring path = view.ImgItems()[i].ParsingPath();
      const std::wstring name(view.ImgItems()[i].DisplayName());
      const bool usable = shortNames || name == L"Cafe.bmp";
      for (bool enter : {true, false}) {
        SCOPED_TRACE(platform::WideToUtf8(name) + (enter ? " Enter" : " double click"));
        form.ApplyWallpaper(before, app::ChangeMode::Quiet);
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        std::wstring told;
        std::optional<WhileModal> box;
        if (!usable)
          box.emplace([] { return ThreadWindowTitled(L"Tapestrel"); }, [&](HWND window) {
            told = WindowText(GetDlgItem(window, 0xFFFF));
            PostMessageW(window, WM_COMMAND, IDOK, 0);
          });
        RECT item{LVIR_ICON, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
        if (enter) PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
        if (!enter) PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(item.left + 4, item.top + 4));
        PumpUntil([&] { return usable ? DesktopValue("ConvertedWallpaper") != before : !told.empty(); }, 5000);
        Pump(100);
        const std::string applied = DesktopValue("ConvertedWallpaper");
        if (usable) {
          EXPECT_EQ(ReadFile(applied), ReadWide(path));
        } else {
          EXPECT_EQ(applied, before);
          EXPECT_EQ(told.rfind(name, 0), 0u) << platform::WideToUtf8(told);
          EXPECT_NE(told.find(L"扱えない文字"), std::wstring::npos) << platform::WideToUtf8(told);
        }
      }
    }
    // Every change applies one of the pictures, never a look-alike or none.
    std::set<std::string> changedTo;
    for (int i = 0; i < 4; ++i) {
      form.ChangeWallpaper(app::ChangeMode::Ordinary);
      changedTo.insert(ReadFile(DesktopValue("ConvertedWallpaper")));
    }
    EXPECT_EQ(changedTo.size(), shortNames ? 4u : 1u);
  }
}

}  // namespace
}  // namespace tapestrel::testing
