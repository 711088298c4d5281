#include "settings_ui/settings_transfer.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/settings_store.h"
#include "fake_shortcuts.h"
#include "fakes/fake_ports.h"

namespace tapestrel::settings_ui {
namespace {

using app::SettingsRecord;

// The main window's side, as a log of calls.
class RecordingHost : public CustomizeHost {
 public:
  explicit RecordingHost(SettingsRecord& record) : record_(record) {}
  std::vector<std::string> calls;
  std::string browserFolder = "C:\\Pictures";
  std::vector<std::string>* shortcutLog = nullptr;

  std::string BrowserFolder() const override { return browserFolder; }
  void OpenFolder(const std::string& folder) override { Log("open " + folder); }
  void ApplyTrayResiding() override { Log(std::string("tray ") + (record_.TaskTrayResiding ? "on" : "off")); }
  void SetChangeBlock(bool on) override {
    record_.UrgentEvasionMode = on;
    Log(std::string("evasion ") + (on ? "on" : "off"));
  }
  void SaveSettings() override { Log("save"); }
  void RegisterHotKeys() override { Log("hotkeys"); }

 private:
  void Log(const std::string& call) {
    // The shortcut's own writes, in between.
    if (shortcutLog) {
      for (const std::string& s : *shortcutLog) calls.push_back(s);
      shortcutLog->clear();
    }
    calls.push_back(call);
  }
  SettingsRecord& record_;
};

// The INI text of a record, every key that SaveSettings writes.
std::map<std::pair<std::string, std::string>, std::string> Saved(const SettingsRecord& record) {
  testing::FakeProfile profile;
  testing::FakeLocale locale;
  app::IniFile ini(profile, locale);
  app::SaveSettings(record, ini, false);
  return profile.values;
}

// Every setting the pages edit, set to a value other than the default.
struct Transfer {
  const char* key;
  std::function<void(SettingsRecord&)> set;
};
const std::vector<Transfer>& Transfers() {
  static const std::vector<Transfer> table{
      {"WallPaperFolder", [](auto& r) { r.WallPaperFolder = "D:\\Walls"; }},
      {"WallSlelct", [](auto& r) { r.WallSelect = app::SelectionMethod::Random; }},
      {"WallPosition", [](auto& r) { r.WallPosition = app::PositionMode::Tile; }},
      {"WallBlankColor", [](auto& r) { r.WallBlankColor = 0x030201; }},
      {"TaskTrayResiding", [](auto& r) { r.TaskTrayResiding = false; }},
      {"WallBlankAutoColor", [](auto& r) { r.WallBlankAutoColor = true; }},
      {"WallPositionRatioDrawing", [](auto& r) { r.WallPositionRatioDrawing = 8; }},
      {"ExifOrientation", [](auto& r) { r.ExifOrientation = false; }},
      {"MonitorMode", [](auto& r) { r.MonitorMode = app::MonitorLayout::Span; }},
      {"MatchOrientation", [](auto& r) { r.MatchOrientation = true; }},
      {"IntervalEnabled", [](auto& r) { r.IntervalEnabled = true; }},
      {"IntervalValue", [](auto& r) { r.IntervalValue = 99999; }},
      {"IntervalUnit", [](auto& r) { r.IntervalUnit = 2; }},
      {"RandomIntervalEnabled", [](auto& r) { r.RandomIntervalEnabled = true; }},
      {"RandomIntervalValue", [](auto& r) { r.RandomIntervalValue = 77; }},
      {"RandomIntervalUnit", [](auto& r) { r.RandomIntervalUnit = 0; }},
      {"WallChangeShortCutEnabled", [](auto& r) { r.WallChangeShortCutEnabled = true; }},
      {"WallChangeShortCutKey", [](auto& r) { r.WallChangeShortCutKey = 0xC057; }},
      {"WallOSEndChange", [](auto& r) { r.WallOSEndChange = true; }},
      {"WallDateChange", [](auto& r) { r.WallDateChange = true; }},
      {"CaptureEnabled", [](auto& r) { r.CaptureEnabled = true; }},
      {"AllCaptureHotKey", [](auto& r) { r.AllCaptureHotKey = 0x2070; }},
      {"ActiveCaptureHotKey", [](auto& r) { r.ActiveCaptureHotKey = 0x8071; }},
      {"CaptureFileName", [](auto& r) { r.CaptureFileName = "Shot"; }},
      {"CaptureFileExt", [](auto& r) { r.CaptureFileExt = 2; }},
      {"UrgentEvasionEnabled", [](auto& r) { r.UrgentEvasionEnabled = true; }},
      {"UrgentEvasionHotKey", [](auto& r) { r.UrgentEvasionHotKey = 0x4055; }},
      {"UrgentEvasionFileName", [](auto& r) { r.UrgentEvasionFileName = "C:\\safe.bmp"; }},
      {"AllWindowMinimaize", [](auto& r) { r.AllWindowMinimize = true; }},
      {"InvalidConditionCPUEnabled", [](auto& r) { r.InvalidConditionCPUEnabled = true; }},
      {"InvalidConditionCPUValue", [](auto& r) { r.InvalidConditionCPUValue = 42; }},
      {"InvalidConditionApplicationEnabled", [](auto& r) { r.InvalidConditionApplicationEnabled = true; }},
      {"InvalidConditionApplicationList", [](auto& r) { r.ApplicationList = {"C:\\a.exe", "C:\\b.exe"}; }},
      {"SoundEnabled", [](auto& r) { r.SoundEnabled = true; }},
      {"SoundFile", [](auto& r) { r.SoundFile = "C:\\ding.wav"; }},
  };
  return table;
}

SettingsRecord BaseRecord() {
  SettingsRecord r;
  r.WallPaperFolder = "C:\\Pictures";
  return r;
}

class SettingsTransferTest : public ::testing::Test {
 protected:
  SettingsRecord record = BaseRecord();
  testing::FakeShortcuts shortcuts;
  StartupShortcut shortcut{shortcuts, "C:\\Tools\\Tapestrel.exe"};
  testing::FakeClock clock;
  RecordingHost host{record};

  SettingsDraft Draft(AutostartFlags startup = {}) const { return {record, startup, "", {}}; }
  void Apply(const SettingsDraft& d, AutostartFlags read = {}) {
    ApplySettings(d, read, record, host, shortcut, clock);
  }
};

TEST_F(SettingsTransferTest, EveryKeyIsTakenAndNothingElse) {
  const auto unchanged = Saved(record);
  for (const Transfer& t : Transfers()) {
    SettingsRecord taken = record;
    RecordingHost h(taken);
    SettingsDraft draft = Draft();
    t.set(draft.record);
    ApplySettings(draft, {}, taken, h, shortcut, clock);
    SettingsRecord expected = record;
    t.set(expected);
    const auto saved = Saved(taken);
    EXPECT_EQ(saved, Saved(expected)) << t.key;
    int differing = 0;
    for (const auto& [key, value] : saved) differing += unchanged.at(key) != value;
    EXPECT_EQ(differing, 1) << t.key;
  }
}

TEST_F(SettingsTransferTest, WhatThePagesDoNotEditStaysTheRecords) {
  SettingsDraft d = Draft({true, false});
  // Changed while the dialog was open: the change state, the view.
  record.LastWallIndex = 7;
  record.ViewMode = 3;
  record.UrgentEvasionMode = true;
  d.record.UrgentEvasionMode = false;  // the page's box: as the tray menu sets it
  Apply(d, {true, false});
  EXPECT_EQ(record.LastWallIndex, 7);
  EXPECT_EQ(record.ViewMode, 3);
  EXPECT_FALSE(record.UrgentEvasionMode);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"tray on", "evasion off", "save", "hotkeys"}));
  EXPECT_TRUE(shortcuts.log.empty());  // the Startup flags as read: no rewrite
}

TEST_F(SettingsTransferTest, SwitchingTheIntervalOnRestartsItsCount) {
  clock.now = 45000.0 + 10.0 / 24;  // 10:00
  record.LastChangeTime = 44999.5;
  SettingsDraft d = Draft();
  d.record.IntervalEnabled = true;
  Apply(d);
  EXPECT_EQ(record.LastChangeTime, clock.now);
  clock.now += 1.0 / 24;  // already on at 11:00: left alone
  Apply(d);
  EXPECT_EQ(record.LastChangeTime, 45000.0 + 10.0 / 24);
}

TEST_F(SettingsTransferTest, TheFolderIsOpenedOnlyWhenItsTextDiffersExactly) {
  SettingsDraft d = Draft();
  Apply(d);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "open C:\\Pictures"), 0);
  host.calls.clear();
  d.record.WallPaperFolder = "C:\\PICTURES";
  Apply(d);
  EXPECT_EQ(host.calls.front(), "open C:\\PICTURES");
}

TEST_F(SettingsTransferTest, OkFollowsTheOrderOfItsSideEffects) {
  host.shortcutLog = &shortcuts.log;
  SettingsDraft d = Draft({true, true});
  d.record.WallPaperFolder = "D:\\Other";
  d.record.TaskTrayResiding = false;
  d.record.UrgentEvasionMode = true;
  Apply(d);
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"open D:\\Other", "tray off", "save /ExeAutorun",
                                      "save /ExeAutorun /WallChange", "evasion on", "save", "hotkeys"}));
  // Start-with-Windows unticked while the change stays: only the change is left.
  host.calls.clear();
  d.startup.startWithWindows = false;
  Apply(d, {true, true});
  EXPECT_EQ(shortcuts.links.at(shortcuts.LinkPath()).arguments, "/WallChange");
}

TEST_F(SettingsTransferTest, AShortcutErrorEndsOkBeforeTheFileIsWritten) {
  shortcuts.readOnly = true;
  SettingsDraft d = Draft({true, false});
  d.record.TaskTrayResiding = false;
  d.record.IntervalValue = 30;
  EXPECT_THROW(Apply(d), ShortcutError);
  EXPECT_FALSE(record.TaskTrayResiding);  // taken before the error: stays
  EXPECT_EQ(record.IntervalValue, 1);     // after it: not taken
  EXPECT_EQ(host.calls, (std::vector<std::string>{"tray off"}));
}

// The dialog as a script: what the user changes before OK or Cancel.
class ScriptedDialog : public SettingsDialogPort {
 public:
  std::function<bool(SettingsDraft&)> user;
  SettingsDraft shown;
  bool ShowModal(SettingsDraft& draft) override {
    shown = draft;
    return user(draft);
  }
};

TEST_F(SettingsTransferTest, CustomizeReadsTheShortcutFillsShowsAndWritesBackOnOkOnly) {
  shortcuts.links[shortcuts.LinkPath()] = {"C:\\Tools\\Tapestrel.exe", "C:\\Tools", "/WallChange"};
  ScriptedDialog dialog;
  dialog.user = [](SettingsDraft& d) {
    d.record.SoundFile = "C:\\new.wav";
    d.startup.changeAtStartup = false;
    return false;  // Cancel
  };
  const CustomizeContext context{
      record, host, shortcut, dialog, clock, "Pictures|*.bmp", BuildFormatRows({})};
  CustomizeExecute(context);
  EXPECT_TRUE(dialog.shown.startup.changeAtStartup);
  EXPECT_EQ(dialog.shown.pictureFilter, "Pictures|*.bmp");
  EXPECT_EQ(dialog.shown.formats.size(), 3u);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(record.SoundFile, "");
  EXPECT_TRUE(shortcuts.log.empty());

  dialog.user = [](SettingsDraft& d) {
    d.record.SoundFile = "C:\\new.wav";
    d.startup.changeAtStartup = false;
    return true;  // OK
  };
  CustomizeExecute(context);
  EXPECT_EQ(record.SoundFile, "C:\\new.wav");
  EXPECT_TRUE(shortcuts.links.empty());  // the last flag off: deleted
  EXPECT_EQ(host.calls.back(), "hotkeys");
}

TEST(FormatRows, BuiltInRowsThenOneRowPerPlugin) {
  const std::vector<FormatRow> rows =
      BuildFormatRows({{{"*.pi", "*.pic;*.pi2"}, {"Pi", "Pic"}, "C:\\App\\SPlugin\\ifpic.spi"},
                       {{}, {}, "C:\\Windows\\axnone.spi"}});
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (FormatRow{"*.bmp", "ビットマップ", "", true}));
  EXPECT_EQ(rows[1], (FormatRow{"*.jpg;*.jpeg", "JPEG イメージファイル", "", true}));
  EXPECT_EQ(rows[2], (FormatRow{"*.png", "PNG Format", "", true}));
  EXPECT_EQ(rows[3], (FormatRow{"*.pi;*.pic;*.pi2", "Pi / Pic", "ifpic.spi", false}));
  EXPECT_EQ(rows[4], (FormatRow{"", "", "axnone.spi", false}));
}

}  // namespace
}  // namespace tapestrel::settings_ui
