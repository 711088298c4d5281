// The settings dialog (TForm2): a tree of the ten page names beside a panel
// that hosts the selected page, OK and "キャンセル". The pages are created once,
// with the dialog object, and live until it goes; the frame window itself
// exists while the dialog is shown.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/win32/dpi.h"
#include "settings_ui/settings_transfer.h"
#include "settings_ui/win32/form_panel.h"
#include "settings_ui/win32/settings_pages.h"

namespace tapestrel::settings_ui {

class SettingsDialog : public SettingsDialogPort {
 public:
  static constexpr int kPageCount = 10;

  // `keepCustomColors` stores the color dialog's custom colors as soon as it
  // closes with OK; the dialog and its pages belong to `owner`.
  SettingsDialog(CustomColorsWriter keepCustomColors, HWND owner);
  ~SettingsDialog() override;

  // Fills every page from `draft`, shows the dialog modally over `owner`
  // (with "全般" selected) and, on OK, reads the pages back into it. While
  // the dialog is open already, answers false at once.
  bool ShowModal(SettingsDraft& draft) override;

  // While shown: the frame, its tree and panel.
  HWND Frame() const { return frame_; }
  HWND Tree() const;
  TFormPanel* Panel() const { return panel_.get(); }
  // The pages in the order of the tree.
  SettingsPage& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }
  GeneralPage& General() const { return *general_; }
  InvalidConditionPage& InvalidCondition() const { return *invalidCondition_; }
  IntervalPage& Interval() const { return *interval_; }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void FormShow();
  // Pixels at 96 dpi to the frame's: x * x / xDivisor, y * y / yDivisor.
  struct FrameScale {
    int x, xDivisor, y, yDivisor;
    int X(int v) const { return MulDiv(v, x, xDivisor); }
    int Y(int v) const { return MulDiv(v, y, yDivisor); }
    // A left, top, width and height.
    RECT Of(const RECT& r) const { return {X(r.left), Y(r.top), X(r.right), Y(r.bottom)}; }
  };
  FrameScale MeasureFrameScale() const;
  void PlaceControls();
  void LayOut(int dpi);
  void ShowSelectedPage();
  void OnOkClick();

  std::vector<std::unique_ptr<SettingsPage>> pages_;
  GeneralPage* general_ = nullptr;
  IntervalPage* interval_ = nullptr;
  InvalidConditionPage* invalidCondition_ = nullptr;
  std::unique_ptr<TFormPanel> panel_;
  HWND owner_ = nullptr;
  HWND frame_ = nullptr;
  platform::DialogDpi dpi_;
  SettingsDraft* draft_ = nullptr;
};

}  // namespace tapestrel::settings_ui
