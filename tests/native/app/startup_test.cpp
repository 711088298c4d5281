#include <gtest/gtest.h>

#include "app/picture_extensions.h"
#include "app/startup_rules.h"
#include "imaging/picture_formats.h"

namespace tapestrel::app {
namespace {

TEST(ParseSwitches, WholeArgumentsInAnyCase) {
  auto s = ParseSwitches({"/WallChange"});
  EXPECT_TRUE(s.change);
  EXPECT_FALSE(s.autoRun);
  s = ParseSwitches({"x", "/EXEAUTORUN", "/wallchange", "/wallchange"});
  EXPECT_TRUE(s.change);
  EXPECT_TRUE(s.autoRun);
  s = ParseSwitches({"-wallchange", "/wallchangex", "wallchange", "/exeautorun "});
  EXPECT_FALSE(s.change);
  EXPECT_FALSE(s.autoRun);
}

TEST(DecideStartAction, SwitchesAndTrayResidence) {
  EXPECT_EQ(DecideStartAction({false, true}, true), StartAction::ExitAfterChange);
  EXPECT_EQ(DecideStartAction({true, true}, true), StartAction::StartHidden);
  EXPECT_EQ(DecideStartAction({true, true}, false), StartAction::ShowWindow);
  EXPECT_EQ(DecideStartAction({true, false}, false), StartAction::ShowWindow);
  EXPECT_EQ(DecideStartAction({false, false}, true), StartAction::ShowWindow);
}

TEST(ShouldChangeOnNewDay, OnlyOnAnotherDateWithoutTheSwitch) {
  SettingsRecord s;
  s.WallDateChange = true;
  s.LastChangeTime = 45000.9;
  EXPECT_TRUE(ShouldChangeOnNewDay(s, {}, 45001.1));
  EXPECT_FALSE(ShouldChangeOnNewDay(s, {}, 45000.1));
  EXPECT_FALSE(ShouldChangeOnNewDay(s, {false, true}, 45001.1));  // "/wallchange" changes once already
  s.WallDateChange = false;
  EXPECT_FALSE(ShouldChangeOnNewDay(s, {}, 45001.1));
}

TEST(FolderPromptFor, MessagesAndCaptions) {
  EXPECT_STREQ(FolderPromptFor(true).message, "壁紙フォルダパスが無効なため再設定します");
  EXPECT_STREQ(FolderPromptFor(true).caption, "壁紙フォルダパス再設定");
  EXPECT_STREQ(FolderPromptFor(false).message, "初期設定\r\n壁紙フォルダパスを設定します");
  EXPECT_STREQ(FolderPromptFor(false).caption, "壁紙フォルダパス初期設定");
}

TEST(PictureExtensions, BuiltInFormatsLeaveOutIconsAndMetafiles) {
  imaging::PictureFormatRegistry formats;
  const auto list = BuildPictureExtensionList(formats.FileMask());
  EXPECT_EQ(list, (std::vector<std::string>{".bmp", ".jpeg", ".jpg", ".PNG"}));
  const std::string displayed = BuildDisplayedExtensions(list);
  EXPECT_EQ(displayed, "*.bmp;*.jpeg;*.jpg;*.PNG;");
  const std::string filter = BuildOpenPictureFilter(formats.Filter(), displayed);
  EXPECT_EQ(filter,
            "すべての画像 (*.bmp;*.jpeg;*.jpg;*.PNG)|*.bmp;*.jpeg;*.jpg;*.PNG"
            "|ビットマップ (*.bmp)|*.bmp|JPEG イメージ ファイル (*.jpeg)|*.jpeg"
            "|JPEG イメージ ファイル (*.jpg)|*.jpg|PNG Format (*.PNG)|*.PNG");
}

TEST(PictureExtensions, APlugInForIconsKeepsThem) {
  imaging::PictureFormatRegistry formats;
  formats.Register("ico", "Icon plug-in");
  formats.Register("*", "odd");
  formats.Register("mag", "MAG");
  const auto list = BuildPictureExtensionList(formats.FileMask());
  EXPECT_EQ(list, (std::vector<std::string>{".bmp", ".jpeg", ".jpg", ".PNG", ".ico", ".mag"}));
  const std::string displayed = BuildDisplayedExtensions(list);
  const std::string filter = BuildOpenPictureFilter(formats.Filter(), displayed);
  EXPECT_NE(filter.find("|アイコン (*.ico)|*.ico"), std::string::npos);
  EXPECT_EQ(filter.find("メタファイル"), std::string::npos);
}

TEST(PictureExtensions, EntriesWithoutDotAreEmpty) {
  EXPECT_EQ(BuildPictureExtensionList("*.bmp;foo;;*.PNG"), (std::vector<std::string>{".bmp", "", ".PNG"}));
  EXPECT_EQ(BuildDisplayedExtensions({".bmp", "", ".PNG"}), "*.bmp;*.PNG;");
  EXPECT_EQ(BuildPictureExtensionList("*.*;*.ico"), (std::vector<std::string>{""}));
  EXPECT_TRUE(BuildPictureExtensionList("*.*").empty());
}

}  // namespace
}  // namespace tapestrel::app
