// The real Tapestrel.exe: its status bar counts the wallpaper folder and
// describes the selection; through its own message loop Enter on one
// selected picture applies it without recording it, a double click applies
// and records it, and with two selected neither does anything.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "ui_driver.h"
#include "win_support/desktop_registry.h"
#include "win_support/tapestrel_process.h"

namespace tapestrel::testing {
namespace {

struct ClassSearch {
  const wchar_t* name;
  HWND found;
};
BOOL CALLBACK MatchClass(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<ClassSearch*>(p);
  if (ClassName(w) != s->name) return TRUE;
  s->found = w;
  return FALSE;
}
HWND ChildOfClass(HWND parent, const wchar_t* className) {
  ClassSearch search{className, nullptr};
  EnumChildWindows(parent, &MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(BarsProgram, StatusTextsAndEnterAndDoubleClickOnTheSelection) {
  TempFolder app, pictures;
  for (int i = 0; i < 12; ++i) {
    const std::string path = pictures / ("p" + std::to_string(10 + i) + ".bmp");
    WriteSolidBmp(path, 8, 8, 0x0A0A0Au * static_cast<uint32_t>(i));
    if (i >= 10)
      WriteFile(path, ReadFile(path) + std::string(1024 + (i - 10) - 246, '\0'));  // 1024, 1025 bytes
  }
  TapestrelProcess program(app);
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  ASSERT_TRUE(program.Start());
  const HWND main = program.MainWindow(20000);
  ASSERT_NE(main, nullptr);
  const HWND status = ChildOfClass(main, STATUSCLASSNAMEW), list = ChildOfClass(main, WC_LISTVIEWW);
  RemoteBuffer remote(main, 4096);
  struct Text {
    wchar_t chars[256];
  };
  auto panel0 = [&] {
    remote.Write(Text{});
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(remote.At(0)));
    return std::wstring(remote.Read<Text>().chars);
  };
  EXPECT_TRUE(WaitFor([&] { return panel0() == L"12 個のオブジェクト"; }, 10000))
      << platform::WideToUtf8(panel0());

  const std::string recordedAtStart = IniValue(program.Ini(), "System", "LastWallPas");
  enum Input { Enter, DoubleClick };
  const struct {
    std::vector<int> selected;
    const wchar_t* status;  // its end
    Input input;
    const char *applied, *recorded;  // afterwards; "" none yet
  } rows[] = {{{10}, L" サイズ: 1024 バイト", Enter, "p20.bmp", ""},
              {{11}, L" サイズ: 2KB", DoubleClick, "p21.bmp", "p21.bmp"},
              {{5}, L" サイズ: 246 バイト", Enter, "p15.bmp", "p21.bmp"},
              {{3, 4}, L" サイズ: 246 バイト", DoubleClick, "p15.bmp", "p21.bmp"},
              {{3, 4}, L" サイズ: 246 バイト", Enter, "p15.bmp", "p21.bmp"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.selected.front());
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    remote.Write(state);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.At(0)));
    state.state = LVIS_SELECTED;
    remote.Write(state);
    for (int i : row.selected)
      SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(remote.At(0)));
    EXPECT_TRUE(
        WaitFor([&] { return panel0().ends_with(row.status) && panel0().starts_with(L"種類:"); }, 5000))
        << platform::WideToUtf8(panel0());
    RECT item{LVIR_ICON};
    remote.Write(item);
    SendMessageW(list, LVM_GETITEMRECT, row.selected.front(), reinterpret_cast<LPARAM>(remote.At(0)));
    item = remote.Read<RECT>();
    if (row.input == Enter) PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    if (row.input == DoubleClick)
      PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(item.left + 20, item.top + 20));
    Sleep(1500);  // what it does is done by then
    EXPECT_EQ(DesktopValue("ConvertedWallpaper"), pictures / row.applied);
    EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallPas"),
              *row.recorded ? pictures / row.recorded : recordedAtStart);
  }
}

}  // namespace
}  // namespace tapestrel::testing
