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

// Every setting the pages edit: a value other than the default on the record
// side and the same value on the page side.
struct Transfer {
  const char* key;
  std::function<void(SettingsRecord&)> record;
  std::function<void(PageValues&)> page;
};
const std::vector<Transfer>& Transfers() {
  static const std::vector<Transfer> table{
      {"WallPaperFolder", [](auto& r) { r.WallPaperFolder = "D:\\Walls"; },
       [](auto& v) { v.wallpaperFolder = "D:\\Walls"; }},
      {"WallSlelct", [](auto& r) { r.WallSelect = app::SelectionMethod::Random; },
       [](auto& v) { v.selection = 2; }},
      {"WallPosition", [](auto& r) { r.WallPosition = app::PositionMode::Tile; },
       [](auto& v) { v.position = 2; }},
      {"WallBlankColor", [](auto& r) { r.WallBlankColor = 0x030201; },
       [](auto& v) { v.blankColor = 0x030201; }},
      {"TaskTrayResiding", [](auto& r) { r.TaskTrayResiding = false; },
       [](auto& v) { v.taskTrayResiding = false; }},
      {"WallBlankAutoColor", [](auto& r) { r.WallBlankAutoColor = true; },
       [](auto& v) { v.blankAutoColor = true; }},
      {"WallPositionRatioDrawing", [](auto& r) { r.WallPositionRatioDrawing = 8; },
       [](auto& v) { v.ratioDrawing = 8; }},
      {"ExifOrientation", [](auto& r) { r.ExifOrientation = false; },
       [](auto& v) { v.exifOrientation = false; }},
      {"MonitorMode", [](auto& r) { r.MonitorMode = app::MonitorLayout::Span; },
       [](auto& v) { v.monitorMode = 2; }},
      {"MatchOrientation", [](auto& r) { r.MatchOrientation = true; },
       [](auto& v) { v.matchOrientation = true; }},
      {"IntervalEnabled", [](auto& r) { r.IntervalEnabled = true; },
       [](auto& v) { v.intervalEnabled = true; }},
      {"IntervalValue", [](auto& r) { r.IntervalValue = 99999; }, [](auto& v) { v.intervalValue = 99999; }},
      {"IntervalUnit", [](auto& r) { r.IntervalUnit = 2; }, [](auto& v) { v.intervalUnit = 2; }},
      {"RandomIntervalEnabled", [](auto& r) { r.RandomIntervalEnabled = true; },
       [](auto& v) { v.randomIntervalEnabled = true; }},
      {"RandomIntervalValue", [](auto& r) { r.RandomIntervalValue = 77; },
       [](auto& v) { v.randomIntervalValue = 77; }},
      {"RandomIntervalUnit", [](auto& r) { r.RandomIntervalUnit = 0; },
       [](auto& v) { v.randomIntervalUnit = 0; }},
      {"WallChangeShortCutEnabled", [](auto& r) { r.WallChangeShortCutEnabled = true; },
       [](auto& v) { v.wallChangeShortCutEnabled = true; }},
      {"WallChangeShortCutKey", [](auto& r) { r.WallChangeShortCutKey = 0xC057; },
       [](auto& v) { v.wallChangeShortCutKey = 0xC057; }},
      {"WallOSEndChange", [](auto& r) { r.WallOSEndChange = true; },
       [](auto& v) { v.wallOSEndChange = true; }},
      {"WallDateChange", [](auto& r) { r.WallDateChange = true; }, [](auto& v) { v.wallDateChange = true; }},
      {"CaptureEnabled", [](auto& r) { r.CaptureEnabled = true; }, [](auto& v) { v.captureEnabled = true; }},
      {"AllCaptureHotKey", [](auto& r) { r.AllCaptureHotKey = 0x2070; },
       [](auto& v) { v.allCaptureHotKey = 0x2070; }},
      {"ActiveCaptureHotKey", [](auto& r) { r.ActiveCaptureHotKey = 0x8071; },
       [](auto& v) { v.activeCaptureHotKey = 0x8071; }},
      {"CaptureFileName", [](auto& r) { r.CaptureFileName = "Shot"; },
       [](auto& v) { v.captureFileName = "Shot"; }},
      {"CaptureFileExt", [](auto& r) { r.CaptureFileExt = 2; }, [](auto& v) { v.captureFileExt = 2; }},
      {"UrgentEvasionEnabled", [](auto& r) { r.UrgentEvasionEnabled = true; },
       [](auto& v) { v.urgentEvasionEnabled = true; }},
      {"UrgentEvasionHotKey", [](auto& r) { r.UrgentEvasionHotKey = 0x4055; },
       [](auto& v) { v.urgentEvasionHotKey = 0x4055; }},
      {"UrgentEvasionFileName", [](auto& r) { r.UrgentEvasionFileName = "C:\\safe.bmp"; },
       [](auto& v) { v.urgentEvasionFileName = "C:\\safe.bmp"; }},
      {"AllWindowMinimaize", [](auto& r) { r.AllWindowMinimize = true; },
       [](auto& v) { v.allWindowMinimize = true; }},
      {"InvalidConditionCPUEnabled", [](auto& r) { r.InvalidConditionCPUEnabled = true; },
       [](auto& v) { v.invalidConditionCPUEnabled = true; }},
      {"InvalidConditionCPUValue", [](auto& r) { r.InvalidConditionCPUValue = 42; },
       [](auto& v) { v.invalidConditionCPUValue = 42; }},
      {"InvalidConditionApplicationEnabled", [](auto& r) { r.InvalidConditionApplicationEnabled = true; },
       [](auto& v) { v.invalidConditionApplicationEnabled = true; }},
      {"InvalidConditionApplicationList",
       [](auto& r) {
         r.ApplicationList = {"C:\\a.exe", "C:\\b.exe"};
       },
       [](auto& v) {
         v.applications = {"C:\\a.exe", "C:\\b.exe"};
       }},
      {"SoundEnabled", [](auto& r) { r.SoundEnabled = true; }, [](auto& v) { v.soundEnabled = true; }},
      {"SoundFile", [](auto& r) { r.SoundFile = "C:\\ding.wav"; },
       [](auto& v) { v.soundFile = "C:\\ding.wav"; }},
  };
  return table;
}

// A record with the defaults, apart from what would make every OK differ:
// the CPU value (default 0) is shown limited to 1.
SettingsRecord BaseRecord() {
  SettingsRecord r;
  r.InvalidConditionCPUValue = 1;
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

  void WriteBack(const PageValues& v, AutostartFlags read = {}) {
    WriteBackPageValues(v, read, record, host, shortcut, clock);
  }
};

TEST_F(SettingsTransferTest, EveryKeyIsFilledFromTheRecord) {
  const PageValues base = FillPageValues(record, {});
  for (const Transfer& t : Transfers()) {
    SettingsRecord changed = record;
    t.record(changed);
    EXPECT_NE(Saved(changed), Saved(record)) << t.key << ": the table's value is the default";
    PageValues expected = base;
    t.page(expected);
    EXPECT_TRUE(FillPageValues(changed, {}) == expected) << t.key;
  }
}

TEST_F(SettingsTransferTest, EveryKeyIsWrittenBackAndNothingElse) {
  const PageValues base = FillPageValues(record, {});
  const auto unchanged = Saved(record);
  for (const Transfer& t : Transfers()) {
    SettingsRecord written = record;
    RecordingHost h(written);
    PageValues values = base;
    t.page(values);
    WriteBackPageValues(values, {}, written, h, shortcut, clock);
    SettingsRecord expected = record;
    t.record(expected);
    const auto saved = Saved(written);
    EXPECT_EQ(saved, Saved(expected)) << t.key;
    int differing = 0;
    for (const auto& [key, value] : saved) differing += unchanged.at(key) != value;
    EXPECT_EQ(differing, 1) << t.key;
  }
}

TEST_F(SettingsTransferTest, ShortcutFlagsAndTheEvasionFlagAreNoIniKeys) {
  PageValues v = FillPageValues(record, {true, false});
  EXPECT_TRUE(v.exeAutorun);
  EXPECT_FALSE(v.wallOSStartChange);
  EXPECT_TRUE(FillPageValues(record, {false, true}).wallOSStartChange);
  record.UrgentEvasionMode = true;
  EXPECT_TRUE(FillPageValues(record, {}).urgentEvasionMode);
  v.urgentEvasionMode = false;
  WriteBack(v, {true, false});
  EXPECT_FALSE(record.UrgentEvasionMode);
  EXPECT_TRUE(shortcuts.log.empty());  // the flags as read: no rewrite
}

TEST_F(SettingsTransferTest, UnknownRadioValuesCheckTheFirstButtonAndAreSavedSo) {
  record.WallSelect = static_cast<app::SelectionMethod>(7);
  record.WallPosition = static_cast<app::PositionMode>(-2);
  const PageValues v = FillPageValues(record, {});
  EXPECT_EQ(v.selection, 0);
  EXPECT_EQ(v.position, 0);
  WriteBack(v);
  EXPECT_EQ(record.WallSelect, app::SelectionMethod::Next);
  EXPECT_EQ(record.WallPosition, app::PositionMode::Center);
}

TEST_F(SettingsTransferTest, ListsWithNothingSelectedKeepTheRecordValue) {
  record.IntervalUnit = 5;
  record.WallPositionRatioDrawing = 12;
  PageValues v = FillPageValues(record, {});
  // What the drop-down lists give back for an index they do not have.
  v.intervalUnit = v.randomIntervalUnit = v.captureFileExt = v.ratioDrawing = v.selection = v.position = -1;
  record.RandomIntervalUnit = 2;
  record.WallSelect = app::SelectionMethod::Previous;
  WriteBack(v);
  EXPECT_EQ(record.IntervalUnit, 5);
  EXPECT_EQ(record.RandomIntervalUnit, 2);
  EXPECT_EQ(record.WallPositionRatioDrawing, 12);
  EXPECT_EQ(record.WallSelect, app::SelectionMethod::Previous);
  EXPECT_EQ(record.CaptureFileExt, 0);
}

TEST_F(SettingsTransferTest, SpinValuesOutOfRangeAreShownAndSavedLimited) {
  record.IntervalValue = 0;
  record.RandomIntervalValue = 123456;
  record.InvalidConditionCPUValue = 250;
  PageValues v = FillPageValues(record, {});
  EXPECT_EQ(v.intervalValue, 1);
  EXPECT_EQ(v.randomIntervalValue, 99999);
  EXPECT_EQ(v.invalidConditionCPUValue, 100);
  WriteBack(v);
  EXPECT_EQ(record.IntervalValue, 1);
  EXPECT_EQ(record.RandomIntervalValue, 99999);
  EXPECT_EQ(record.InvalidConditionCPUValue, 100);
  record.InvalidConditionCPUValue = 0;  // the file's default
  EXPECT_EQ(FillPageValues(record, {}).invalidConditionCPUValue, 1);
}

TEST_F(SettingsTransferTest, SwitchingTheIntervalOnRestartsItsCount) {
  clock.now = 45000.0 + 10.0 / 24;  // 10:00
  record.LastChangeTime = 44999.5;
  PageValues v = FillPageValues(record, {});
  v.intervalEnabled = true;
  WriteBack(v);
  EXPECT_EQ(record.LastChangeTime, clock.now);
  clock.now += 1.0 / 24;  // already on at 11:00: left alone
  WriteBack(v);
  EXPECT_EQ(record.LastChangeTime, 45000.0 + 10.0 / 24);
}

TEST_F(SettingsTransferTest, TheFolderIsOpenedOnlyWhenItsTextDiffersExactly) {
  PageValues v = FillPageValues(record, {});
  WriteBack(v);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "open C:\\Pictures"), 0);
  host.calls.clear();
  v.wallpaperFolder = "C:\\PICTURES";
  WriteBack(v);
  EXPECT_EQ(host.calls.front(), "open C:\\PICTURES");
}

TEST_F(SettingsTransferTest, OkFollowsTheOrderOfItsSideEffects) {
  host.shortcutLog = &shortcuts.log;
  PageValues v = FillPageValues(record, {});
  v.wallpaperFolder = "D:\\Other";
  v.taskTrayResiding = false;
  v.exeAutorun = true;
  v.wallOSStartChange = true;
  v.urgentEvasionMode = true;
  WriteBack(v);
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"open D:\\Other", "tray off", "save /ExeAutorun",
                                      "save /ExeAutorun /WallChange", "evasion on", "save", "hotkeys"}));
  // Start-with-Windows unticked while the change stays: only the change is left.
  host.calls.clear();
  v.exeAutorun = false;
  WriteBack(v, {true, true});
  EXPECT_EQ(shortcuts.links.at(shortcuts.LinkPath()).arguments, "/WallChange");
}

TEST_F(SettingsTransferTest, AShortcutErrorEndsOkBeforeTheFileIsWritten) {
  shortcuts.readOnly = true;
  PageValues v = FillPageValues(record, {});
  v.taskTrayResiding = false;
  v.exeAutorun = true;
  v.intervalValue = 30;
  EXPECT_THROW(WriteBack(v), ShortcutError);
  EXPECT_FALSE(record.TaskTrayResiding);  // copied before the error: stays
  EXPECT_EQ(record.IntervalValue, 1);     // after it: not copied
  EXPECT_EQ(host.calls, (std::vector<std::string>{"tray off"}));
}

// The dialog as a script: what the user changes before OK or Cancel.
class ScriptedDialog : public SettingsDialogPort {
 public:
  std::function<bool(PageValues&)> user;
  PageValues shown;
  bool ShowModal(PageValues& values) override {
    shown = values;
    return user(values);
  }
};

TEST_F(SettingsTransferTest, CustomizeReadsTheShortcutFillsShowsAndWritesBackOnOkOnly) {
  shortcuts.links[shortcuts.LinkPath()] = {"C:\\Tools\\Tapestrel.exe", "C:\\Tools", "/WallChange"};
  ScriptedDialog dialog;
  dialog.user = [](PageValues& v) {
    v.soundFile = "C:\\new.wav";
    v.wallOSStartChange = false;
    return false;  // Cancel
  };
  const CustomizeContext context{
      record, host, shortcut, dialog, clock, "Pictures|*.bmp", BuildFormatRows({})};
  CustomizeExecute(context);
  EXPECT_TRUE(dialog.shown.wallOSStartChange);
  EXPECT_EQ(dialog.shown.pictureFilter, "Pictures|*.bmp");
  EXPECT_EQ(dialog.shown.formats.size(), 3u);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(record.SoundFile, "");
  EXPECT_TRUE(shortcuts.log.empty());

  dialog.user = [](PageValues& v) {
    v.soundFile = "C:\\new.wav";
    v.wallOSStartChange = false;
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
