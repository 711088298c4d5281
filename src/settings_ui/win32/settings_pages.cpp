// The pages of the settings dialog other than "全般".
#include "settings_ui/win32/settings_pages.h"

#include <commctrl.h>

#include "app/screen_capture.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/common_dialogs.h"
#include "platform/win32/text.h"
#include "settings_dialog_ids.h"
#include "settings_ui/win32/plugin_install.h"

namespace tapestrel::settings_ui {
namespace {

void AddColumn(HWND list, int index, const char* caption, int width) {
  const std::wstring text = platform::Utf8ToWide(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(text.c_str());
  column.cx = width;
  column.iSubItem = index;
  ListView_InsertColumn(list, index, &column);
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  if (column == 0) {
    ListView_InsertItem(list, &item);
  } else {
    ListView_SetItem(list, &item);
  }
}

std::wstring CellText(HWND list, int row) {
  wchar_t text[1024] = {};
  ListView_GetItemText(list, row, 0, text, 1024);
  return text;
}

}  // namespace

// "壁紙インターバル変更", "壁紙ランダム時間変更"

void IntervalPage::OnInit() {
  value_.Attach(Item(fields_.valueId), kIntervalRange);
  SetItems(fields_.unitId, {"秒", "分", "時間"});
}

void IntervalPage::Fill(const SettingsDraft& draft) {
  const app::SettingsRecord& r = draft.record;
  SetChecked(fields_.enabledId, r.*fields_.enabled);
  value_.SetValue(r.*fields_.value);
  SetItemIndex(fields_.unitId, r.*fields_.unit);
}

void IntervalPage::Read(SettingsDraft& draft) {
  app::SettingsRecord& r = draft.record;
  r.*fields_.enabled = Checked(fields_.enabledId);
  r.*fields_.value = SpinField(kIntervalRange, value_.Value());
  TakeChoice(r.*fields_.unit, ItemIndex(fields_.unitId));
}

// "壁紙ショートカット変更"

void HotKeyPage::OnInit() {
  // No key combination is refused.
  SendDlgItemMessageW(Handle(), IDC_WALL_CHANGE_SHORTCUT_KEY, HKM_SETRULES, 0, 0);
}

void HotKeyPage::Fill(const SettingsDraft& draft) {
  SetChecked(IDC_WALL_CHANGE_SHORTCUT_ENABLED, draft.record.WallChangeShortCutEnabled);
  SetHotKey(IDC_WALL_CHANGE_SHORTCUT_KEY, draft.record.WallChangeShortCutKey);
}

void HotKeyPage::Read(SettingsDraft& draft) {
  draft.record.WallChangeShortCutEnabled = Checked(IDC_WALL_CHANGE_SHORTCUT_ENABLED);
  draft.record.WallChangeShortCutKey = HotKey(IDC_WALL_CHANGE_SHORTCUT_KEY);
}

// "壁紙条件変更"

void ConditionPage::Fill(const SettingsDraft& draft) {
  SetChecked(IDC_WALL_OS_START_CHANGE, draft.startup.changeAtStartup);
  SetChecked(IDC_WALL_OS_END_CHANGE, draft.record.WallOSEndChange);
  SetChecked(IDC_WALL_DATE_CHANGE, draft.record.WallDateChange);
}

void ConditionPage::Read(SettingsDraft& draft) {
  draft.startup.changeAtStartup = Checked(IDC_WALL_OS_START_CHANGE);
  draft.record.WallOSEndChange = Checked(IDC_WALL_OS_END_CHANGE);
  draft.record.WallDateChange = Checked(IDC_WALL_DATE_CHANGE);
}

// "壁紙キャプチャ変更"

void CapturePage::OnInit() {
  SetItems(IDC_CAPTURE_FILE_EXT, app::CaptureFileTypes());
  SendDlgItemMessageW(Handle(), IDC_ALL_CAPTURE_HOT_KEY, HKM_SETRULES, 0, 0);
  SendDlgItemMessageW(Handle(), IDC_ACTIVE_CAPTURE_HOT_KEY, HKM_SETRULES, 0, 0);
}

void CapturePage::Fill(const SettingsDraft& draft) {
  const app::SettingsRecord& r = draft.record;
  SetChecked(IDC_CAPTURE_ENABLED, r.CaptureEnabled);
  SetHotKey(IDC_ALL_CAPTURE_HOT_KEY, r.AllCaptureHotKey);
  SetHotKey(IDC_ACTIVE_CAPTURE_HOT_KEY, r.ActiveCaptureHotKey);
  SetAnsiText(IDC_CAPTURE_FILE_NAME, r.CaptureFileName);
  SetItemIndex(IDC_CAPTURE_FILE_EXT, r.CaptureFileExt);
}

void CapturePage::Read(SettingsDraft& draft) {
  app::SettingsRecord& r = draft.record;
  r.CaptureEnabled = Checked(IDC_CAPTURE_ENABLED);
  r.AllCaptureHotKey = HotKey(IDC_ALL_CAPTURE_HOT_KEY);
  r.ActiveCaptureHotKey = HotKey(IDC_ACTIVE_CAPTURE_HOT_KEY);
  if (auto name = platform::WideToAnsiExact(Text(IDC_CAPTURE_FILE_NAME))) r.CaptureFileName = *name;
  TakeChoice(r.CaptureFileExt, ItemIndex(IDC_CAPTURE_FILE_EXT));
}

// The base of new files' names: no file has it yet, so there is no short
// name to fall back on.
std::optional<std::wstring> CapturePage::UnusableName() const {
  const std::wstring name = Text(IDC_CAPTURE_FILE_NAME);
  if (platform::WideToAnsiExact(name)) return std::nullopt;
  return name;
}

// "緊急回避"

void EvasionPage::OnInit() { SendDlgItemMessageW(Handle(), IDC_URGENT_EVASION_HOT_KEY, HKM_SETRULES, 0, 0); }

void EvasionPage::Fill(const SettingsDraft& draft) {
  const app::SettingsRecord& r = draft.record;
  SetChecked(IDC_URGENT_EVASION_ENABLED, r.UrgentEvasionEnabled);
  SetHotKey(IDC_URGENT_EVASION_HOT_KEY, r.UrgentEvasionHotKey);
  SetAnsiText(IDC_URGENT_EVASION_FILE_NAME1, r.UrgentEvasionFileName);
  SetChecked(IDC_ALL_WINDOW_MINIMIZE, r.AllWindowMinimize);
  SetChecked(IDC_URGENT_EVASION_MODE, r.UrgentEvasionMode);
  pictureFilter_ = draft.pictureFilter;
}

void EvasionPage::Read(SettingsDraft& draft) {
  app::SettingsRecord& r = draft.record;
  r.UrgentEvasionEnabled = Checked(IDC_URGENT_EVASION_ENABLED);
  r.UrgentEvasionHotKey = HotKey(IDC_URGENT_EVASION_HOT_KEY);
  if (auto file = PathText(IDC_URGENT_EVASION_FILE_NAME1)) r.UrgentEvasionFileName = *file;
  r.AllWindowMinimize = Checked(IDC_ALL_WINDOW_MINIMIZE);
  r.UrgentEvasionMode = Checked(IDC_URGENT_EVASION_MODE);
}

std::optional<std::wstring> EvasionPage::UnusableName() const {
  return UnusablePath(IDC_URGENT_EVASION_FILE_NAME1);
}

bool EvasionPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_URGENT_EVASION_FILE_NAME1:
      // UrgentEvasionFileName1Change
      if (code == EN_CHANGE) ShowShortenedPath(IDC_URGENT_EVASION_FILE_NAME1, IDC_URGENT_EVASION_FILE_NAME2);
      return true;
    case IDC_URGENT_EVASION_FILE_SELECT:
      if (code == BN_CLICKED) UrgentEvasionFileSelectClick();
      return true;
    default:
      return false;
  }
}

void EvasionPage::OnDpiChanged() {
  ShowShortenedPath(IDC_URGENT_EVASION_FILE_NAME1, IDC_URGENT_EVASION_FILE_NAME2);
}

void EvasionPage::UrgentEvasionFileSelectClick() {
  const std::vector<std::wstring> files =
      platform::ChooseFilesToOpen(Handle(), {"緊急回避用壁紙ファイルの選択", pictureFilter_, "", false});
  if (!files.empty()) TakeChosenPath(IDC_URGENT_EVASION_FILE_NAME1, files.front());
}

// "壁紙変更の無効条件"

void InvalidConditionPage::OnInit() {
  cpuValue_.Attach(Item(IDC_INVALID_CONDITION_CPU_VALUE), kCpuRange);
  const HWND list = Item(IDC_INVALID_CONDITION_APPLICATION_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  RECT client;
  GetClientRect(list, &client);
  AddColumn(list, 0, "EXEファイルパス", client.right - platform::SystemMetricForDpi(SM_CXVSCROLL, Dpi()));

  // The buttons' hints.
  tips_ =
      CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  const std::pair<int, const char*> hints[] = {{IDC_APPLICATION_LIST_ADD, "追加"},
                                               {IDC_APPLICATION_LIST_DELETE, "削除"},
                                               {IDC_APPLICATION_LIST_UP, "上へ"},
                                               {IDC_APPLICATION_LIST_DOWN, "下へ"}};
  for (const auto& [id, hint] : hints) {
    std::wstring text = platform::Utf8ToWide(hint);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    tool.lpszText = text.data();
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void InvalidConditionPage::Fill(const SettingsDraft& draft) {
  const app::SettingsRecord& r = draft.record;
  SetChecked(IDC_INVALID_CONDITION_CPU_ENABLED, r.InvalidConditionCPUEnabled);
  cpuValue_.SetValue(r.InvalidConditionCPUValue);
  SetChecked(IDC_INVALID_CONDITION_APPLICATION_ENABLED, r.InvalidConditionApplicationEnabled);
  ApplicationRows rows;
  for (const std::string& path : r.ApplicationList) rows.push_back({path, false});
  SetRows(rows, -1);
}

void InvalidConditionPage::Read(SettingsDraft& draft) {
  app::SettingsRecord& r = draft.record;
  r.InvalidConditionCPUEnabled = Checked(IDC_INVALID_CONDITION_CPU_ENABLED);
  r.InvalidConditionCPUValue = SpinField(kCpuRange, cpuValue_.Value());
  r.InvalidConditionApplicationEnabled = Checked(IDC_INVALID_CONDITION_APPLICATION_ENABLED);
  r.ApplicationList.clear();
  for (const ApplicationRow& row : Rows()) r.ApplicationList.push_back(row.path);
}

bool InvalidConditionPage::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_APPLICATION_LIST_ADD:
      AddApplications(
          platform::PathsToAnsi(platform::ChooseFilesToOpen(Handle(), {"", "EXEファイル(*.exe)|*.exe", "", true})));
      return true;
    case IDC_APPLICATION_LIST_DELETE:
      ApplicationListDeleteClick();
      return true;
    case IDC_APPLICATION_LIST_UP:
      ApplicationListUpClick();
      return true;
    case IDC_APPLICATION_LIST_DOWN:
      ApplicationListDownClick();
      return true;
    default:
      return false;
  }
}

ApplicationRows InvalidConditionPage::Rows() const {
  const HWND list = Item(IDC_INVALID_CONDITION_APPLICATION_LIST);
  ApplicationRows rows;
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) {
    if (auto path = platform::PathToAnsi(CellText(list, i)))
      rows.push_back({*path, ListView_GetItemState(list, i, LVIS_SELECTED) == LVIS_SELECTED});
  }
  return rows;
}

void InvalidConditionPage::SetRows(const ApplicationRows& rows, int focused) {
  const HWND list = Item(IDC_INVALID_CONDITION_APPLICATION_LIST);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i);
    SetCell(list, row, 0, platform::AnsiToWide(rows[i].path));
    if (rows[i].selected) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  }
  if (focused >= 0) ListView_SetItemState(list, focused, LVIS_FOCUSED, LVIS_FOCUSED);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void InvalidConditionPage::AddApplications(const std::vector<std::string>& files) {
  ApplicationRows rows = Rows();
  settings_ui::AddApplications(rows, files);
  SetRows(rows, -1);
}

void InvalidConditionPage::ApplicationListDeleteClick() {
  ApplicationRows rows = Rows();
  DeleteSelectedApplications(rows);
  SetRows(rows, -1);
}

void InvalidConditionPage::ApplicationListUpClick() {
  ApplicationRows rows = Rows();
  const int focused = MoveSelectedApplicationsUp(rows);
  if (focused < 0) return;
  SetRows(rows, focused);
  SetFocus(Item(IDC_INVALID_CONDITION_APPLICATION_LIST));
}

void InvalidConditionPage::ApplicationListDownClick() {
  ApplicationRows rows = Rows();
  const int focused = MoveSelectedApplicationsDown(rows);
  if (focused < 0) return;
  SetRows(rows, focused);
  SetFocus(Item(IDC_INVALID_CONDITION_APPLICATION_LIST));
}

// "対応ピクチャファイル形式"

void FormatsPage::OnInit() {
  const HWND list = Item(IDC_FORMAT_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddColumn(list, 0, "拡張子", Scaled(110));
  AddColumn(list, 1, "形式名", Scaled(170));
  AddColumn(list, 2, "プラグイン名", Scaled(110));
}

void FormatsPage::Fill(const SettingsDraft& draft) {
  const HWND list = Item(IDC_FORMAT_LIST);
  ListView_DeleteAllItems(list);
  int row = 0;
  for (const FormatRow& format : draft.formats) {
    auto text = [&](const std::string& s) {
      return format.programText ? platform::Utf8ToWide(s) : platform::AnsiToWide(s);
    };
    SetCell(list, row, 0, text(format.extension));
    SetCell(list, row, 1, text(format.formatName));
    SetCell(list, row, 2, text(format.pluginName));
    ++row;
  }
}

bool FormatsPage::OnCommand(int id, int code) {
  if (id != IDC_SUSIE_PLUGIN_INSTALL || code != BN_CLICKED) return false;
  SusiePluginInstallClick(Handle());
  return true;
}

// "サウンド"

void SoundPage::Fill(const SettingsDraft& draft) {
  SetChecked(IDC_SOUND_ENABLED, draft.record.SoundEnabled);
  SetAnsiText(IDC_SOUND_FILE1, draft.record.SoundFile);
}

void SoundPage::Read(SettingsDraft& draft) {
  draft.record.SoundEnabled = Checked(IDC_SOUND_ENABLED);
  if (auto file = PathText(IDC_SOUND_FILE1)) draft.record.SoundFile = *file;
}

void SoundPage::OnDpiChanged() { ShowShortenedPath(IDC_SOUND_FILE1, IDC_SOUND_FILE2); }

std::optional<std::wstring> SoundPage::UnusableName() const { return UnusablePath(IDC_SOUND_FILE1); }

bool SoundPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_SOUND_FILE1:
      // SoundFile1Change
      if (code == EN_CHANGE) ShowShortenedPath(IDC_SOUND_FILE1, IDC_SOUND_FILE2);
      return true;
    case IDC_SOUND_SELECT:
      // SoundSelectClick
      if (code == BN_CLICKED) {
        const std::vector<std::wstring> files =
            platform::ChooseFilesToOpen(Handle(), {"", "waveファイル(*.wav)|*.wav", "", false});
        if (!files.empty()) TakeChosenPath(IDC_SOUND_FILE1, files.front());
      }
      return true;
    default:
      return false;
  }
}

}  // namespace tapestrel::settings_ui
