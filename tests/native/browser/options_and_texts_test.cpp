// The option groups' notifications, the extension filter and the detail texts.
#include <gtest/gtest.h>

#include "browser/extension_filter.h"
#include "browser/item_texts.h"
#include "browser/view_options.h"

namespace tapestrel::browser {
namespace {

TEST(ViewOptions, OnlyRealChangesNotifyAndInnerGroupsPassThemOn) {
  TViewImage image;
  int changes = 0;
  image.OnChange = [&] { ++changes; };
  image.ImageWidth = 94;  // the same value
  image.Frame.Width = 1;
  EXPECT_EQ(changes, 0);
  image.ImageWidth = 120;
  image.Frame.Color = kClHighlight;
  image.SelectFrame.Visible = false;
  image.BlankSpace.Right = 128;
  image.SmallIcon.IconPos = TIconPos::iipNone;
  image.ImgUtil.BKColor = kClBlack;
  image.ImgUtil.AutoThumb = true;  // not a change that rebuilds anything
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(image.ImageWidth.Get(), 120);
  EXPECT_EQ(image.SelectFrame.Width.Get(), 3);
  EXPECT_EQ(image.SelectFrame.Color.Get(), kClHighlight);
}

TEST(ViewOptions, TheFilterAndTheLayoutNotifySeparately) {
  TView view;
  int filter = 0, layout = 0;
  view.OnChange1 = [&] { ++filter; };
  view.OnChange2 = [&] { ++layout; };
  view.DispTypes.Ext = "*.bmp;";
  view.DispTypes.Hidden = false;
  view.ShowCaptions = false;
  view.IconSpacing.Y = 4;
  EXPECT_EQ(filter, 2);
  EXPECT_EQ(layout, 2);
}

TEST(ViewOptions, NotifyTypesMapToChangeFilterBits) {
  EXPECT_EQ(NotifyFilter(intFileName | intDirName), 0x3u);
  EXPECT_EQ(NotifyFilter(intCreation), 0x40u);
  EXPECT_EQ(NotifyFilter(intSecurity), 0x100u);
  EXPECT_EQ(NotifyFilter(0xFF), 0x17Fu);
}

TEST(ExtensionFilter, PatternsMatchByNameOrExtensionIgnoringCase) {
  const struct {
    const wchar_t* ext;
    const wchar_t* name;
    bool passes;
  } cases[] = {
      {L"*.bmp;*.JPG", L"photo.Jpg", true},
      {L"*.bmp;*.JPG", L"photo.jpeg", false},
      {L"*.bmp;*.JPG", L"PHOTO.BMP", true},
      {L"*.bmp;*.JPG", L"photo.bmp.txt", false},
      {L"*.bmp;*.JPG", L"noext", false},
      {L"*.bmp;*.JPG", L"bmp", false},
      {L";*.png;", L"a.PNG", true},
      {L"*.png;*.*;", L"notes.txt", true},
      {L"", L"anything", true},
      {L"readme.TXT;*.png", L"ReadMe.txt", true},
      {L"readme.txt;*.png", L"other.txt", false},
      {L"*.bmp;*.jpg", L"\u30c6\u30b9\u30c8.JPG", true},
      {L"*;*.png", L"noext", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtensionFilter(c.ext).Passes(c.name), c.passes) << c.ext << " / " << c.name;
  }
  EXPECT_EQ(ExtensionFilter(L"*.BMP;*.jpg").MatchList(), L";*.bmp;*.jpg;");
  EXPECT_FALSE(ExtensionFilter(L"").Active());
  EXPECT_FALSE(ExtensionFilter(L"*.bmp;*.*").Active());
  EXPECT_TRUE(ExtensionFilter(L"*.bmp").Active());
}

TEST(ExtensionFilter, FileNameIsThePartAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOf(L"C:\\a.b\\c.jpg"), L"c.jpg");
  EXPECT_EQ(FileNameOf(L"C:name"), L"name");
  EXPECT_EQ(FileNameOf(L"plain"), L"plain");
}

TEST(ItemTexts, SizeIsWholeKilobytesPlusOne) {
  EXPECT_EQ(SizeText(0), L"1KB");
  EXPECT_EQ(SizeText(1), L"1KB");
  EXPECT_EQ(SizeText(1023), L"1KB");
  EXPECT_EQ(SizeText(1024), L"2KB");
  EXPECT_EQ(SizeText(1048576), L"1025KB");
  EXPECT_EQ(SizeText(0x100000400ull), L"2KB");  // the low 32 bits only
}

TEST(ItemTexts, DateIsYearMonthDayHourMinuteWithTheLocaleSeparators) {
  const uint16_t date = (44 << 9) | (5 << 5) | 6;   // 2024-05-06
  const uint16_t time = (7 << 11) | (8 << 5) | 29;  // 07:08:58
  EXPECT_EQ(DateText(date, time, L"/", L":"), L"2024/05/06 07:08");
  EXPECT_EQ(DateText(date, time, L".", L"h"), L"2024.05.06 07h08");
  EXPECT_EQ(DateText(0, 0, L"/", L":"), L"1980/00/00 00:00");
}

}  // namespace
}  // namespace tapestrel::browser
