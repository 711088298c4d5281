// One page of the settings dialog: a dialog from the resource script, created
// hidden at start-up and hosted by the dialog's panel while its node is
// selected. It holds values only in its controls; the dialog fills it from
// the settings draft before showing and reads it back into the draft on OK.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/hotkey_value.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "settings_ui/settings_transfer.h"

namespace tapestrel::settings_ui {

class SettingsPage {
 public:
  explicit SettingsPage(std::string nodeName) : nodeName_(std::move(nodeName)) {}
  SettingsPage(const SettingsPage&) = delete;
  SettingsPage& operator=(const SettingsPage&) = delete;
  virtual ~SettingsPage();

  // Creates the page window from its template: hidden, owned by `owner` (so
  // that it never gets a task-bar button of its own).
  void Create(int templateId, HWND owner);
  HWND Handle() const { return hwnd_; }
  // Lays the page out for the scale of the dialog that shows it.
  void FollowDpi(int dpi);
  int Dpi() const { return dpi_.Dpi(); }
  // The page's name in the dialog's tree (UTF-8).
  const std::string& NodeName() const { return nodeName_; }

  virtual void Fill(const SettingsDraft& draft) = 0;
  virtual void Read(SettingsDraft& draft) = 0;
  // The first text of the page that the settings could not keep, because
  // it has no form in the ANSI code page; asked before anything is read.
  virtual std::optional<std::wstring> UnusableName() const { return std::nullopt; }

 protected:
  virtual void OnInit() {}
  // After the page was laid out for another scale.
  virtual void OnDpiChanged() {}
  // Command and notification handlers answer whether they took the message.
  virtual bool OnCommand(int id, int code) { return false; }
  virtual bool OnNotify(const NMHDR& header) { return false; }
  // The brush of a static control that paints itself differently, or null.
  virtual HBRUSH OnStaticColor(HWND control, HDC dc) { return nullptr; }

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  // The index of the checked button among `ids`, or -1.
  int CheckedOf(std::initializer_list<int> ids) const;
  void CheckOneOf(std::initializer_list<int> ids, int index);
  std::wstring Text(int id) const;
  // Texts of data (paths, file names) in the ANSI code page. A path goes by
  // platform::PathToAnsi, so it may come back as its short path, or not at all.
  std::optional<std::string> PathText(int id) const;
  void SetAnsiText(int id, const std::string& text);
  // The text of `id` when it is not a path the settings can keep.
  std::optional<std::wstring> UnusablePath(int id) const;
  // A path the user chose in a dialog becomes the text of `id`; one with no
  // ANSI path is refused with a message, and the text stays as it was.
  void TakeChosenPath(int id, const std::wstring& path);
  // Drop-down lists: the items (UTF-8), the selected index or -1.
  void SetItems(int id, const std::vector<std::string>& items);
  int ItemIndex(int id) const;
  void SetItemIndex(int id, int index);
  // Hot-key controls, in hot-key values.
  platform::HotKeyValue HotKey(int id) const;
  void SetHotKey(int id, platform::HotKeyValue value);
  // Shows in `display` the path of `pathEdit` shortened to the display's
  // width in the page's font.
  void ShowShortenedPath(int pathEdit, int display) const;
  // A pixel size written for 96 dpi, at the page's scale.
  int Scaled(int pixels) const { return dpi_(pixels); }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void InitTitleStrip();

  std::string nodeName_;
  HWND hwnd_ = nullptr;
  platform::DialogDpi dpi_;
  platform::UniqueGdiObject titleFont_;
};

// The hot-key control's word (virtual key, HOTKEYF_ flags) and hot-key values.
platform::HotKeyValue HotKeyFromControl(WORD control);
WORD HotKeyToControl(platform::HotKeyValue value);

}  // namespace tapestrel::settings_ui
