#include "settings_ui/win32/settings_page.h"

#include <commctrl.h>
#include "platform/win32/common_dialogs.h"

#include <stdexcept>

#include "platform/error_guard.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/text.h"
#include "settings_dialog_ids.h"
#include "settings_ui/path_shortening.h"

namespace tapestrel::settings_ui {

SettingsPage::~SettingsPage() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

void SettingsPage::Create(int templateId, HWND owner) {
  hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                             &SettingsPage::Procedure, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) throw std::runtime_error("settings page not created");
}

INT_PTR CALLBACK SettingsPage::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<SettingsPage*>(lParam)->hwnd_ = dialog;
  }
  auto* self = reinterpret_cast<SettingsPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  return platform::Guarded<INT_PTR>(FALSE, [&] { return self->HandleMessage(message, wParam, lParam); });
}

INT_PTR SettingsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      dpi_.Attach(hwnd_);
      InitTitleStrip();
      OnInit();
      return FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));

    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      if (control == Item(IDC_PAGE_TITLE)) {
        SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
        SetBkColor(dc, GetSysColor(COLOR_ACTIVECAPTION));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_ACTIVECAPTION));
      }
      return reinterpret_cast<INT_PTR>(OnStaticColor(control, dc));
    }
    default:
      return FALSE;
  }
}

void SettingsPage::FollowDpi(int dpi) {
  const int before = dpi_.Dpi();
  if (!dpi_.Follow(dpi)) return;
  InitTitleStrip();
  // The lists' columns keep their share of the list.
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, WC_LISTVIEWW) != 0) continue;
    const HWND header = ListView_GetHeader(child);
    for (int i = Header_GetItemCount(header) - 1; i >= 0; --i)
      ListView_SetColumnWidth(child, i, MulDiv(ListView_GetColumnWidth(child, i), dpi, before));
  }
  OnDpiChanged();
}

void SettingsPage::InitTitleStrip() {
  // The node name after one ideographic space, bold, in the caption colors,
  // across the top of the page.
  const HWND title = Item(IDC_PAGE_TITLE);
  LOGFONTW font{};
  GetObjectW(dpi_.Font(), sizeof font, &font);
  font.lfHeight = -dpi_(15);
  font.lfWidth = 0;
  font.lfWeight = FW_BOLD;
  platform::UniqueGdiObject previous = std::move(titleFont_);
  titleFont_.Reset(CreateFontIndirectW(&font));
  SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);
  SetWindowTextW(title, (L"\u3000" + platform::Utf8ToWide(nodeName_)).c_str());
  SetWindowPos(title, nullptr, dpi_(4), dpi_(4), dpi_(417), dpi_(19), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SettingsPage::Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

void SettingsPage::SetChecked(int id, bool checked) {
  CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int SettingsPage::CheckedOf(std::initializer_list<int> ids) const {
  int index = 0;
  for (int id : ids) {
    if (Checked(id)) return index;
    ++index;
  }
  return -1;
}

void SettingsPage::CheckOneOf(std::initializer_list<int> ids, int index) {
  int i = 0;
  for (int id : ids) SetChecked(id, i++ == index);
}

std::wstring SettingsPage::Text(int id) const {
  const HWND item = Item(id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::optional<std::string> SettingsPage::PathText(int id) const { return platform::PathToAnsi(Text(id)); }

std::optional<std::wstring> SettingsPage::UnusablePath(int id) const {
  if (PathText(id)) return std::nullopt;
  return Text(id);
}

void SettingsPage::TakeChosenPath(int id, const std::wstring& path) {
  if (platform::PathToAnsi(path)) {
    SetDlgItemTextW(hwnd_, id, path.c_str());
  } else {
    platform::TellNameUnusable(hwnd_, path);
  }
}

void SettingsPage::SetAnsiText(int id, const std::string& text) {
  SetDlgItemTextW(hwnd_, id, platform::AnsiToWide(text).c_str());
}

void SettingsPage::SetItems(int id, const std::vector<std::string>& items) {
  SendDlgItemMessageW(hwnd_, id, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendDlgItemMessageW(hwnd_, id, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(platform::Utf8ToWide(item).c_str()));
  }
}

int SettingsPage::ItemIndex(int id) const {
  const LRESULT index = SendDlgItemMessageW(hwnd_, id, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void SettingsPage::SetItemIndex(int id, int index) {
  // An index the list does not have selects nothing.
  SendDlgItemMessageW(hwnd_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

platform::HotKeyValue SettingsPage::HotKey(int id) const {
  return HotKeyFromControl(static_cast<WORD>(SendDlgItemMessageW(hwnd_, id, HKM_GETHOTKEY, 0, 0)));
}

void SettingsPage::SetHotKey(int id, platform::HotKeyValue value) {
  SendDlgItemMessageW(hwnd_, id, HKM_SETHOTKEY, HotKeyToControl(value), 0);
}

void SettingsPage::ShowShortenedPath(int pathEdit, int display) const {
  const HWND field = Item(display);
  RECT client;
  GetClientRect(field, &client);
  const DWORD margins = static_cast<DWORD>(SendMessageW(field, EM_GETMARGINS, 0, 0));
  const int width = client.right - LOWORD(margins) - HIWORD(margins);
  platform::WindowDc dc(field);
  const HGDIOBJ old = SelectObject(dc.Get(), dpi_.Font());
  const std::wstring shown =
      ShortenPath(Text(pathEdit), width, [&](std::wstring_view text) {
        SIZE size{};
        GetTextExtentPoint32W(dc.Get(), text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
      });
  SelectObject(dc.Get(), old);
  SetWindowTextW(field, shown.c_str());
}

platform::HotKeyValue HotKeyFromControl(WORD control) {
  // HOTKEYF_EXT needs no bit of its own: a code with a keypad twin always
  // stands for the extended key.
  const BYTE flags = HIBYTE(control);
  platform::HotKeyValue value = LOBYTE(control);
  if (flags & HOTKEYF_SHIFT) value |= platform::kHotKeyShift;
  if (flags & HOTKEYF_CONTROL) value |= platform::kHotKeyCtrl;
  if (flags & HOTKEYF_ALT) value |= platform::kHotKeyAlt;
  return value;
}

WORD HotKeyToControl(platform::HotKeyValue value) {
  BYTE flags = 0;
  if (value & platform::kHotKeyShift) flags |= HOTKEYF_SHIFT;
  if (value & platform::kHotKeyCtrl) flags |= HOTKEYF_CONTROL;
  if (value & platform::kHotKeyAlt) flags |= HOTKEYF_ALT;
  const auto key = static_cast<BYTE>(value & 0xFF);
  // Shown as the key itself ("Left"), not as its keypad twin ("Num 4").
  if (platform::IsKeypadTwinCode(key)) flags |= HOTKEYF_EXT;
  return MAKEWORD(key, flags);
}

std::vector<std::wstring> ChooseFiles(HWND owner, const FileDialogOptions& options) {
  std::wstring filter = platform::Utf8ToWide(options.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  const std::wstring title = platform::Utf8ToWide(options.title);
  const std::wstring extension = platform::Utf8ToWide(options.defaultExtension);
  // Room for many names: with several chosen the dialog returns the folder,
  // then each name.
  std::wstring buffer(options.multiple ? 32768 : MAX_PATH, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST |
              (options.multiple ? OFN_ALLOWMULTISELECT : 0);
  if (!platform::ShowOpenFileDialog(ofn)) return {};
  return platform::ChosenFiles(ofn);
}

}  // namespace tapestrel::settings_ui
