// The ten pages of the settings dialog, in the order of its tree.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <functional>

#include "app/settings_record.h"
#include "platform/win32/handles.h"
#include "settings_ui/application_list.h"
#include "settings_ui/win32/settings_page.h"
#include "settings_ui/win32/spin_edit.h"

namespace tapestrel::settings_ui {

// Stores the color dialog's custom colors ("ColorA" to "ColorP") at once.
using CustomColorsWriter = std::function<void(const app::CustomColors& colors)>;

// "全般": the wallpaper folder, position, blank color, choice of the next
// picture, photo orientation, several monitors, tray residence and start with Windows.
class GeneralPage : public SettingsPage {
 public:
  // The color dialog's custom colors come with the draft and, when it
  // closes with OK, go to `keepCustomColors` at once as well.
  explicit GeneralPage(CustomColorsWriter keepCustomColors);
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
  std::optional<std::wstring> UnusableName() const override;

  imaging::ColorValue BlankColor() const { return blankColor_; }
  // The color dialog ("変更"): the custom colors in and, on OK, out.
  void WallBlankColorSelectClick();

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code) override;
  void OnDpiChanged() override;
  HBRUSH OnStaticColor(HWND control, HDC dc) override;

 private:
  void SetBlankColor(imaging::ColorValue color);
  void WallpaperFolderSelectClick();
  // The alignment list follows "等比率拡大表示"; the swatch and its button
  // follow "自動モード".
  void UpdateRatioDrawing();
  void UpdateAutoColor();
  // The portrait preference matters only with a picture per monitor.
  void UpdateMatchOrientation();

  CustomColorsWriter keepCustomColors_;
  app::CustomColors customColors_{};
  imaging::ColorValue blankColor_ = 0;
  COLORREF lastChosen_ = 0;  // the color dialog starts where it ended
  platform::UniqueGdiObject swatch_;
};

// "壁紙インターバル変更" and "壁紙ランダム時間変更": a switch, a number and a unit.
class IntervalPage : public SettingsPage {
 public:
  struct Fields {
    bool app::SettingsRecord::*enabled;
    int32_t app::SettingsRecord::*value;
    int32_t app::SettingsRecord::*unit;
    int enabledId, valueId, unitId;
  };
  IntervalPage(std::string nodeName, Fields fields) : SettingsPage(std::move(nodeName)), fields_(fields) {}
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
  TWinSpinEdit& Value() { return value_; }

 protected:
  void OnInit() override;

 private:
  Fields fields_;
  TWinSpinEdit value_;
};

// "壁紙ショートカット変更"
class HotKeyPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;

 protected:
  void OnInit() override;
};

// "壁紙条件変更"
class ConditionPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
};

// "壁紙キャプチャ変更"
class CapturePage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
  std::optional<std::wstring> UnusableName() const override;

 protected:
  void OnInit() override;
};

// "緊急回避"
class EvasionPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
  std::optional<std::wstring> UnusableName() const override;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code) override;
  void OnDpiChanged() override;

 private:
  void UrgentEvasionFileSelectClick();
  std::string pictureFilter_;
};

// "壁紙変更の無効条件": the processor load and the application list.
class InvalidConditionPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
  TWinSpinEdit& CpuValue() { return cpuValue_; }

  // The list's buttons; adding takes the files a dialog returned.
  void AddApplications(const std::vector<std::string>& files);
  void ApplicationListDeleteClick();
  void ApplicationListUpClick();
  void ApplicationListDownClick();

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  ApplicationRows Rows() const;
  void SetRows(const ApplicationRows& rows, int focused);

  TWinSpinEdit cpuValue_;
  HWND tips_ = nullptr;  // destroyed with the page
};

// "対応ピクチャファイル形式": the readable formats and plug-in installation.
class FormatsPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft&) override {}

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code) override;
};

// "サウンド"
class SoundPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill(const SettingsDraft& draft) override;
  void Read(SettingsDraft& draft) override;
  std::optional<std::wstring> UnusableName() const override;

 protected:
  bool OnCommand(int id, int code) override;
  void OnDpiChanged() override;
};

}  // namespace tapestrel::settings_ui
