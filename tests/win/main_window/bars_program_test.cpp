// The real Tapestrel.exe: its status bar counts the wallpaper folder, and
// through its own message loop Enter on the selected picture applies it
// without recording it, a double click applies and records it.
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

TEST(BarsProgram, StatusBarCountsThePicturesEnterAppliesDoubleClickAppliesAndRecords) {
  TempFolder app, pictures;
  for (int i = 0; i < 12; ++i) {
    WriteSolidBmp(pictures / ("p" + std::to_string(10 + i) + ".bmp"), 16, 12,
                  0x0A0A0Au * static_cast<uint32_t>(i));
  }
  TapestrelProcess program(app);
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + pictures.Path() + "\r\n");
  ASSERT_TRUE(program.Start());
  const HWND main = program.MainWindow(20000);
  ASSERT_NE(main, nullptr);
  const HWND status = ChildOfClass(main, STATUSCLASSNAMEW), list = ChildOfClass(main, WC_LISTVIEWW);
  ASSERT_NE(status, nullptr);
  ASSERT_NE(list, nullptr);
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

  const std::string recordedBefore = IniValue(program.Ini(), "System", "LastWallPas");
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(select);
  SendMessageW(list, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(remote.At(0)));
  EXPECT_TRUE(WaitFor([&] { return panel0().starts_with(L"種類:"); }, 5000))
      << platform::WideToUtf8(panel0());

  PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitFor([&] { return DesktopValue("ConvertedWallpaper") == pictures / "p15.bmp"; }, 10000));
  EXPECT_EQ(IniValue(program.Ini(), "System", "LastWallPas"), recordedBefore);

  RECT item{LVIR_ICON};
  remote.Write(item);
  SendMessageW(list, LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(remote.At(0)));
  item = remote.Read<RECT>();
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
               MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2));
  EXPECT_TRUE(WaitFor(
      [&] { return IniValue(program.Ini(), "System", "LastWallPas") == pictures / "p15.bmp"; }, 10000));
}

}  // namespace
}  // namespace tapestrel::testing
