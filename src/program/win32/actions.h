// The main window's commands as actions: a name, a caption, an optional
// shortcut text and a handler, shared by the main menu, the context menu, the
// tray menu and the tool bar. Menus identify items by the action's id and
// take the check mark and enabled state from the action when they open.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tapestrel::app {

enum ActionId : UINT {
  kActImage = 1001,
  kActCustom,
  kActIcon,
  kActSmallIcon,
  kActList,
  kActReport,
  kActViewStyle1,
  kActViewStyle2,
  kActViewStyle3,
  kActViewStyle4,
  kActViewStyle5,
  kActViewStyle6,
  kActCustomize,
  kActLoadFile,
  kActLoadFolder,
  kActCut,
  kActCopy,
  kActPaste,
  kActSelectAll,
  kActChangeSelect,
  kActRefresh,
  kActIconSortForName,
  kActIconSortForSize,
  kActIconSortForType,
  kActIconSortForDate,
  kActGoToTaskTray,
  kActWindowShow,
  kActApplicationExit,
  kActTapestrelHelp,
  kActAboutDialog,
  // Menu items that are not shared actions.
  kCmdChangeWallpaper,  // tray: "壁紙を変更(&D)"
  kCmdUrgentEvasion,    // tray: "緊急回避モード(&U)"
};

// Radio groups: executing one member checks it and unchecks the rest.
enum ActionGroup { kNoGroup = 0, kGroupViewMode, kGroupViewStyle };

struct Action {
  UINT id;
  const char* name;      // "Image", "LoadFile", ...
  const char* caption;   // UTF-8, with its "&" access key
  const char* shortcut;  // shown after a tab, e.g. "Ctrl+L"; may be empty
  ActionGroup group = kNoGroup;
  bool enabled = true;
  bool checked = false;
  std::function<void()> execute{};
};

class ActionList {
 public:
  void Add(Action action);
  // After an action's enabled or checked state changed: the tool bar follows.
  std::function<void()> OnChange;
  Action* Find(UINT id);
  const Action* Find(UINT id) const;
  // Runs the handler of an enabled action (and sets its radio check).
  // Answers whether the id belongs to an action.
  bool Execute(UINT id);
  void SetEnabled(UINT id, bool enabled);
  void SetHandler(UINT id, std::function<void()> execute);
  void Check(UINT id);
  bool IsChecked(UINT id) const;
  // Brings every item of `menu` (and its submenus) up to date.
  void UpdateMenu(HMENU menu) const;
  // A key press in `window` (or a control of it) that is the shortcut of an
  // enabled action becomes that action's WM_COMMAND; answers whether it did.
  // Nothing is taken while `window` is disabled or a text box has the focus.
  bool TranslateShortcut(HWND window, const MSG& message) const;

 private:
  std::vector<Action> actions_;
};

// Menu building from action ids; 0 is a separator.
struct MenuItem {
  UINT id = 0;                      // an action, or 0 with a submenu or for a separator
  const char* caption = nullptr;    // for submenus and non-action items
  std::vector<MenuItem> submenu{};  // non-empty: a popup
};
HMENU BuildMenu(const ActionList& actions, const std::vector<MenuItem>& items, bool popup);

// The groups of items that several menus show alike.
const std::vector<MenuItem>& ViewModeItems();
const std::vector<MenuItem>& ViewStyleItems();
const std::vector<MenuItem>& SortItems();
const std::vector<MenuItem>& EditItems();  // adding pictures, the clipboard, the selection

}  // namespace tapestrel::app
