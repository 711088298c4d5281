#include "app/win32/actions.h"

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
}

void ActionList::SetHandler(UINT id, std::function<void()> execute) {
  if (Action* a = Find(id)) {
    a->execute = std::move(execute);
    a->enabled = true;
  }
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
        CheckMenuRadioItem(menu, static_cast<UINT>(i), static_cast<UINT>(i), static_cast<UINT>(i), MF_BYPOSITION);
      }
    }
  }
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

}  // namespace tapestrel::app
