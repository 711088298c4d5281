// The page "全般".
#include <windows.h>

#include "platform/win32/common_dialogs.h"
#include <shlobj.h>

#include "platform/win32/text.h"
#include "settings_dialog_ids.h"
#include "settings_ui/win32/settings_pages.h"

namespace tapestrel::settings_ui {
namespace {

constexpr std::initializer_list<int> kPositions{IDC_WALL_POSITION_CENTER, IDC_WALL_POSITION_EXPANSION,
                                                IDC_WALL_POSITION_ARRANGES,
                                                IDC_WALL_POSITION_RATIO_EXPANSION};
constexpr std::initializer_list<int> kSelections{IDC_WALL_DOWN_SELECT, IDC_WALL_UP_SELECT,
                                                 IDC_WALL_RANDOM_SELECT};
constexpr int kMonitorModes = 3;
constexpr int kRatioExpansion = 3;
constexpr int kPicturePerMonitor = 1;

}  // namespace

GeneralPage::GeneralPage(CustomColorsWriter keepCustomColors)
    : SettingsPage("全般"), keepCustomColors_(std::move(keepCustomColors)) {}

void GeneralPage::OnInit() {
  SetItems(IDC_WALL_POSITION_RATIO_DRAWING,
           {"中央", "上寄せ", "右寄せ", "下寄せ", "左寄せ", "左上寄せ", "右上寄せ", "右下寄せ", "左下寄せ"});
  SetItems(IDC_MONITOR_MODE,
           {"すべてのモニタに同じピクチャ", "モニタごとに別のピクチャ", "すべてのモニタに1枚を広げる"});
  SetBlankColor(0);
}

void GeneralPage::Fill(const SettingsDraft& draft) {
  const app::SettingsRecord& r = draft.record;
  SetAnsiText(IDC_WALLPAPER_FOLDER1, r.WallPaperFolder);
  // A value outside a radio group checks its first button.
  CheckOneOf(kSelections, ItemOrFirst(static_cast<int>(r.WallSelect), static_cast<int>(kSelections.size())));
  CheckOneOf(kPositions, ItemOrFirst(static_cast<int>(r.WallPosition), static_cast<int>(kPositions.size())));
  SetBlankColor(r.WallBlankColor);
  customColors_ = r.ColorDialogColors;
  SetChecked(IDC_TASK_TRAY_RESIDING, r.TaskTrayResiding);
  SetChecked(IDC_WALL_BLANK_AUTO_COLOR, r.WallBlankAutoColor);
  SetItemIndex(IDC_WALL_POSITION_RATIO_DRAWING, r.WallPositionRatioDrawing);
  SetChecked(IDC_EXIF_ORIENTATION, r.ExifOrientation);
  SetItemIndex(IDC_MONITOR_MODE, ItemOrFirst(static_cast<int>(r.MonitorMode), kMonitorModes));
  SetChecked(IDC_MATCH_ORIENTATION, r.MatchOrientation);
  SetChecked(IDC_EXE_AUTORUN, draft.startup.startWithWindows);
  UpdateRatioDrawing();
  UpdateMatchOrientation();
  UpdateAutoColor();
}

void GeneralPage::Read(SettingsDraft& draft) {
  app::SettingsRecord& r = draft.record;
  if (auto folder = PathText(IDC_WALLPAPER_FOLDER1)) r.WallPaperFolder = *folder;
  TakeChoice(r.WallSelect, CheckedOf(kSelections));
  TakeChoice(r.WallPosition, CheckedOf(kPositions));
  r.WallBlankAutoColor = Checked(IDC_WALL_BLANK_AUTO_COLOR);
  r.WallBlankColor = blankColor_;
  r.ColorDialogColors = customColors_;
  TakeChoice(r.WallPositionRatioDrawing, ItemIndex(IDC_WALL_POSITION_RATIO_DRAWING));
  r.ExifOrientation = Checked(IDC_EXIF_ORIENTATION);
  TakeChoice(r.MonitorMode, ItemIndex(IDC_MONITOR_MODE));
  r.MatchOrientation = Checked(IDC_MATCH_ORIENTATION);
  r.TaskTrayResiding = Checked(IDC_TASK_TRAY_RESIDING);
  draft.startup.startWithWindows = Checked(IDC_EXE_AUTORUN);
}

std::optional<std::wstring> GeneralPage::UnusableName() const { return UnusablePath(IDC_WALLPAPER_FOLDER1); }

bool GeneralPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_WALLPAPER_FOLDER1:
      // WallpaperFolder1Change
      if (code == EN_CHANGE) ShowShortenedPath(IDC_WALLPAPER_FOLDER1, IDC_WALLPAPER_FOLDER2);
      return true;
    case IDC_WALLPAPER_FOLDER_SELECT:
      if (code == BN_CLICKED) WallpaperFolderSelectClick();
      return true;
    case IDC_WALL_POSITION_CENTER:
    case IDC_WALL_POSITION_EXPANSION:
    case IDC_WALL_POSITION_ARRANGES:
    case IDC_WALL_POSITION_RATIO_EXPANSION:
      if (code == BN_CLICKED) UpdateRatioDrawing();
      return true;
    case IDC_WALL_BLANK_AUTO_COLOR:
      if (code == BN_CLICKED) UpdateAutoColor();
      return true;
    case IDC_MONITOR_MODE:
      if (code == CBN_SELCHANGE) UpdateMatchOrientation();
      return true;
    case IDC_WALL_BLANK_COLOR_SELECT:
      if (code == BN_CLICKED) WallBlankColorSelectClick();
      return true;
    default:
      return false;
  }
}

void GeneralPage::OnDpiChanged() { ShowShortenedPath(IDC_WALLPAPER_FOLDER1, IDC_WALLPAPER_FOLDER2); }

HBRUSH GeneralPage::OnStaticColor(HWND control, HDC) {
  return control == Item(IDC_WALL_BLANK_COLOR_PANEL) ? static_cast<HBRUSH>(swatch_.Get()) : nullptr;
}

void GeneralPage::SetBlankColor(imaging::ColorValue color) {
  blankColor_ = color;
  swatch_.Reset(CreateSolidBrush(static_cast<COLORREF>(color & 0x00FFFFFF)));
  InvalidateRect(Item(IDC_WALL_BLANK_COLOR_PANEL), nullptr, TRUE);
}

void GeneralPage::UpdateRatioDrawing() {
  EnableWindow(Item(IDC_WALL_POSITION_RATIO_DRAWING), CheckedOf(kPositions) == kRatioExpansion);
}

void GeneralPage::UpdateMatchOrientation() {
  EnableWindow(Item(IDC_MATCH_ORIENTATION), ItemIndex(IDC_MONITOR_MODE) == kPicturePerMonitor);
}

void GeneralPage::UpdateAutoColor() {
  const bool manual = !Checked(IDC_WALL_BLANK_AUTO_COLOR);
  EnableWindow(Item(IDC_WALL_BLANK_COLOR_SELECT), manual);
  EnableWindow(Item(IDC_WALL_BLANK_COLOR_PANEL), manual);
}

void GeneralPage::WallpaperFolderSelectClick() {
  const std::wstring title = platform::Utf8ToWide("壁紙フォルダの設定");
  BROWSEINFOW info{};
  info.hwndOwner = Handle();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST list = SHBrowseForFolderW(&info);
  if (!list) return;
  wchar_t path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  if (found) TakeChosenPath(IDC_WALLPAPER_FOLDER1, path);
}

void GeneralPage::WallBlankColorSelectClick() {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = static_cast<COLORREF>(customColors_[static_cast<size_t>(i)] & 0x00FFFFFF);
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Handle();
  dialog.rgbResult = lastChosen_;
  dialog.lpCustColors = custom;
  dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!platform::ShowColorDialog(dialog)) return;
  lastChosen_ = dialog.rgbResult;
  SetBlankColor(dialog.rgbResult);
  // At once, whatever becomes of the settings dialog.
  for (int i = 0; i < 16; ++i) customColors_[static_cast<size_t>(i)] = custom[i];
  if (keepCustomColors_) keepCustomColors_(customColors_);
}

}  // namespace tapestrel::settings_ui
