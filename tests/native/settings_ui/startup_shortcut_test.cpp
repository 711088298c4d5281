#include "settings_ui/startup_shortcut.h"

#include <gtest/gtest.h>

#include "fake_shortcuts.h"

namespace tapestrel::settings_ui {
namespace {

TEST(AutostartArguments, ParsedInAnyLetterCaseAndSpacing) {
  struct Case {
    const char* arguments;
    AutostartFlags flags;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"", {false, false}},
           {"/ExeAutorun", {true, false}},
           {"/WallChange", {false, true}},
           {"/ExeAutorun /WallChange", {true, true}},
           {"/EXEAUTORUN", {true, false}},
           {"/wallchange  /exeAutoRun", {true, true}},  // two blanks, other order
           {"  /WallChange  ", {false, true}},
           {"/ExeAutorun/WallChange", {false, false}},  // one token, no match
           {"/ExeAutoruns -x /WallChang", {false, false}},
           {"/Other /WallChange", {false, true}},
       }) {
    EXPECT_EQ(ParseAutostartArguments(c.arguments), c.flags) << c.arguments;
  }
}

TEST(AutostartArguments, TheFourStringsAndTheirRoundTrip) {
  EXPECT_EQ(BuildAutostartArguments({false, false}), "");
  EXPECT_EQ(BuildAutostartArguments({true, false}), "/ExeAutorun");
  EXPECT_EQ(BuildAutostartArguments({false, true}), "/WallChange");
  EXPECT_EQ(BuildAutostartArguments({true, true}), "/ExeAutorun /WallChange");
  for (bool start : {false, true}) {
    for (bool change : {false, true}) {
      EXPECT_EQ(ParseAutostartArguments(BuildAutostartArguments({start, change})),
                (AutostartFlags{start, change}));
    }
  }
}

TEST(ShortcutWorkingFolder, DropsTheBackslashExceptAtADriveRoot) {
  EXPECT_EQ(ShortcutWorkingFolder("C:\\Tools\\Tapestrel\\Tapestrel.exe"), "C:\\Tools\\Tapestrel");
  EXPECT_EQ(ShortcutWorkingFolder("C:\\Tapestrel.exe"), "C:\\");
  EXPECT_EQ(ShortcutWorkingFolder("\\\\server\\share\\Tapestrel.exe"), "\\\\server\\share");
}

class StartupShortcutTest : public ::testing::Test {
 protected:
  testing::FakeShortcuts port;
  StartupShortcut shortcut{port, "C:\\Tools\\Renamed.exe"};

  std::string Arguments() { return port.links.at(port.LinkPath()).arguments; }
  void Existing(const std::string& arguments) {
    port.links[port.LinkPath()] = {"C:\\Old.exe", "C:\\", arguments};
  }
};

TEST_F(StartupShortcutTest, FlagsSwitchOneAtATimeAndTheLastOneOffDeletesTheShortcut) {
  EXPECT_EQ(shortcut.ReadAutostartFlags(), (AutostartFlags{false, false}));
  shortcut.SetAutostartFlag(AutostartMode::StartOn);
  // One name whatever the executable is called; it points at the executable.
  EXPECT_EQ(port.links.at(port.LinkPath()).target, "C:\\Tools\\Renamed.exe");
  EXPECT_EQ(port.links.at(port.LinkPath()).workingFolder, "C:\\Tools");
  EXPECT_EQ(Arguments(), "/ExeAutorun");
  shortcut.SetAutostartFlag(AutostartMode::ChangeOn);  // both from nothing: two rewrites
  EXPECT_EQ(Arguments(), "/ExeAutorun /WallChange");
  EXPECT_EQ(shortcut.ReadAutostartFlags(), (AutostartFlags{true, true}));
  shortcut.SetAutostartFlag(AutostartMode::StartOff);
  EXPECT_EQ(Arguments(), "/WallChange");
  shortcut.SetAutostartFlag(AutostartMode::ChangeOff);
  EXPECT_TRUE(port.links.empty());
  EXPECT_EQ(port.log, (std::vector<std::string>{"save /ExeAutorun", "save /ExeAutorun /WallChange",
                                                "save /WallChange", "delete"}));
  shortcut.SetAutostartFlag(AutostartMode::StartOff);  // nothing to delete
  EXPECT_EQ(port.log.size(), 4u);
}

TEST_F(StartupShortcutTest, ForeignArgumentsAreReadAroundAndLostOnRewrite) {
  Existing("-tray  /WALLCHANGE /exeautorun");
  EXPECT_EQ(shortcut.ReadAutostartFlags(), (AutostartFlags{true, true}));
  shortcut.SetAutostartFlag(AutostartMode::StartOff);
  EXPECT_EQ(Arguments(), "/WallChange");
}

TEST_F(StartupShortcutTest, ShellFailuresReachTheCaller) {
  Existing("/ExeAutorun");
  port.unreadable = true;
  EXPECT_THROW(shortcut.ReadAutostartFlags(), ShortcutError);
  EXPECT_THROW(shortcut.SetAutostartFlag(AutostartMode::ChangeOn), ShortcutError);
  port.unreadable = false;
  port.readOnly = true;
  EXPECT_THROW(shortcut.SetAutostartFlag(AutostartMode::ChangeOn), ShortcutError);
  EXPECT_EQ(Arguments(), "/ExeAutorun");
}

TEST_F(StartupShortcutTest, WithoutAStartupFolderNothingIsOnAndSwitchingOnFails) {
  Existing("/ExeAutorun /WallChange");
  port.noFolder = true;
  EXPECT_EQ(shortcut.ReadAutostartFlags(), AutostartFlags{});
  EXPECT_THROW(shortcut.SetAutostartFlag(AutostartMode::StartOn), ShortcutError);
  EXPECT_TRUE(port.log.empty());
}

}  // namespace
}  // namespace tapestrel::settings_ui
