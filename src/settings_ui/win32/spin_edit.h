// TWinSpinEdit: an edit control of a dialog turned into a spin edit, with an
// up-down button at its right edge. It holds a 64-bit integer in a range; the
// rules are those of spin_edit_rules.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings_ui/spin_edit_rules.h"

namespace tapestrel::settings_ui {

class TWinSpinEdit {
 public:
  TWinSpinEdit() = default;
  TWinSpinEdit(const TWinSpinEdit&) = delete;
  TWinSpinEdit& operator=(const TWinSpinEdit&) = delete;
  ~TWinSpinEdit();

  // Takes over `edit` (read-only when it has ES_READONLY): adds the button,
  // keeps the text clear of it and makes the control as high as its font
  // needs.
  void Attach(HWND edit, SpinRange range);

  // The text's value; a text that is no integer is replaced by the minimum.
  int64_t Value();
  // Stores the value limited to the range.
  void SetValue(int64_t value);

  HWND Edit() const { return edit_; }
  HWND Button() const { return button_; }
  const SpinRange& Range() const { return range_; }
  // False: the text cannot be typed into, only stepped.
  bool EditorEnabled = true;

 private:
  static LRESULT CALLBACK Subclass(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  bool ReadOnly() const;
  void Step(int direction);
  void Correct(bool leaving);
  void PlaceButton();
  void EnsureMinimumHeight();

  HWND edit_ = nullptr;
  HWND button_ = nullptr;
  SpinRange range_;
  bool clicking_ = false;  // the focus comes with a mouse click
};

}  // namespace tapestrel::settings_ui
