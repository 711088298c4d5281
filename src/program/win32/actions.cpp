#include "program/win32/actions.h"

#include <cstdlib>
#include <string_view>

#include "platform/win32/text.h"

namespace tapestrel::app {

void ActionList::Add(Action action) { actions_.push_back(std::move(action)); }

Action* ActionList::Find(UINT id) {
  for (Action& a : actions_) {
    if (a.id == id) return &a;
  }
  return nullptr;
}

const Action* ActionList::Find(UINT id) const { return const_cast<ActionList*>(this)->Find(id); }

bool ActionList::Execute(UINT id) {
  Action* a = Find(id);
  if (!a) return false;
  if (!a->enabled) return true;
  if (a->group != kNoGroup) Check(id);
  if (a->execute) {
    auto handler = a->execute;  // the handler may change the list
    handler();
  }
  return true;
}

void ActionList::SetEnabled(UINT id, bool enabled) {
  if (Action* a = Find(id)) a->enabled = enabled;
  if (OnChange) OnChange();
}

void ActionList::SetHandler(UINT id, std::function<void()> execute) {
  if (Action* a = Find(id)) {
    a->execute = std::move(execute);
    a->enabled = true;
  }
  if (OnChange) OnChange();
}

void ActionList::Check(UINT id) {
  Action* target = Find(id);
  if (!target) return;
  if (target->group != kNoGroup) {
    for (Action& a : actions_) {
      if (a.group == target->group) a.checked = false;
    }
  }
  target->checked = true;
  if (OnChange) OnChange();
}

bool ActionList::IsChecked(UINT id) const {
  const Action* a = Find(id);
  return a && a->checked;
}

void ActionList::UpdateMenu(HMENU menu) const {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu) {
      UpdateMenu(info.hSubMenu);
      continue;
    }
    if (const Action* a = Find(info.wID)) {
      EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (a->enabled ? MF_ENABLED : MF_GRAYED));
      CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (a->checked ? MF_CHECKED : MF_UNCHECKED));
      if (a->group != kNoGroup && a->checked) {
        CheckMenuRadioItem(menu, static_cast<UINT>(i), static_cast<UINT>(i), static_cast<UINT>(i),
                           MF_BYPOSITION);
      }
    }
  }
}

namespace {

// "Ctrl+L", "Shift+Ctrl+X", "F5": the virtual key and modifiers of a
// shortcut text; key 0 when the text names no key we know.
struct Shortcut {
  UINT key = 0;
  bool ctrl = false, shift = false, alt = false;
};

Shortcut ParseShortcut(std::string_view text) {
  Shortcut s;
  for (size_t plus; (plus = text.find('+')) != std::string_view::npos && plus + 1 < text.size();) {
    const std::string_view modifier = text.substr(0, plus);
    if (modifier == "Ctrl") s.ctrl = true;
    if (modifier == "Shift") s.shift = true;
    if (modifier == "Alt") s.alt = true;
    text.remove_prefix(plus + 1);
  }
  if (text.size() == 1 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= '0' && text[0] <= '9'))) {
    s.key = static_cast<UINT>(text[0]);
  } else if (text.size() >= 2 && text[0] == 'F') {
    const int n = std::atoi(std::string(text.substr(1)).c_str());
    if (n >= 1 && n <= 24) s.key = VK_F1 + static_cast<UINT>(n - 1);
  }
  return s;
}

bool IsTextBox(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return _wcsicmp(name, L"Edit") == 0;
}

}  // namespace

bool ActionList::TranslateShortcut(HWND window, const MSG& message) const {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  if (!IsWindowEnabled(window) || IsTextBox(message.hwnd)) return false;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0,
             alt = GetKeyState(VK_MENU) < 0;
  for (const Action& a : actions_) {
    if (!a.enabled || !a.shortcut || !*a.shortcut) continue;
    const Shortcut s = ParseShortcut(a.shortcut);
    if (s.key == message.wParam && s.ctrl == ctrl && s.shift == shift && s.alt == alt) {
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(a.id, 1), 0);  // 1: from an accelerator
      return true;
    }
  }
  return false;
}

HMENU BuildMenu(const ActionList& actions, const std::vector<MenuItem>& items, bool popup) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  for (const MenuItem& item : items) {
    if (!item.submenu.empty()) {
      HMENU sub = BuildMenu(actions, item.submenu, true);
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                  platform::Utf8ToWide(item.caption).c_str());
      continue;
    }
    if (item.id == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string caption = item.caption ? item.caption : "";
    if (const Action* a = actions.Find(item.id)) {
      caption = a->caption;
      if (a->shortcut && *a->shortcut) caption += std::string("\t") + a->shortcut;
    }
    AppendMenuW(menu, MF_STRING, item.id, platform::Utf8ToWide(caption).c_str());
  }
  actions.UpdateMenu(menu);
  return menu;
}

const std::vector<MenuItem>& ViewModeItems() {
  static const std::vector<MenuItem> items{{kActImage},     {kActCustom}, {kActIcon},
                                           {kActSmallIcon}, {kActList},   {kActReport}};
  return items;
}

const std::vector<MenuItem>& ViewStyleItems() {
  static const std::vector<MenuItem> items{{kActViewStyle1}, {kActViewStyle2}, {kActViewStyle3},
                                           {kActViewStyle4}, {kActViewStyle5}, {kActViewStyle6}};
  return items;
}

const std::vector<MenuItem>& SortItems() {
  static const std::vector<MenuItem> items{
      {kActIconSortForName}, {kActIconSortForSize}, {kActIconSortForType}, {kActIconSortForDate}};
  return items;
}

const std::vector<MenuItem>& EditItems() {
  static const std::vector<MenuItem> items{{kActLoadFile},    {kActLoadFolder}, {}, {kActCut},
                                           {kActCopy},        {kActPaste},      {}, {kActSelectAll},
                                           {kActChangeSelect}};
  return items;
}

}  // namespace tapestrel::app
