// The registration's progress window "ピクチャの登録": the phase, a progress
// bar, the file last handled, a counter and "中止". It lives as long as the
// main window and shows only while a registration runs; closing it in any
// way puts the stopping text into the phase, which the engine watches.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "app/registration_ports.h"
#include "platform/win32/dpi.h"

namespace tapestrel::app {

class RegistrationProgressWindow : public RegistrationProgress {
 public:
  // `owner` is the main window, disabled while the window shows.
  explicit RegistrationProgressWindow(HWND owner);
  RegistrationProgressWindow(const RegistrationProgressWindow&) = delete;
  RegistrationProgressWindow& operator=(const RegistrationProgressWindow&) = delete;
  ~RegistrationProgressWindow() override;

  HWND Handle() const { return hwnd_; }
  // Suspends and resumes the browser's drawing during the copy.
  std::function<void(bool suspend)> OnSuspendViewRedraw;
  // Runs `work` from the message loop, once the current message is done.
  void RunLater(std::function<void()> work);

  void Open() override;
  void Close() noexcept override;
  void SetState(const std::string& utf8) override;
  std::string State() const override;
  void SetFileName(const std::string& ansiName) override;
  void SetCount(const std::string& text) override;
  void SetMaximum(int maximum) override;
  void SetPosition(int position) override;
  void ProcessMessages() override;
  void SuspendViewRedraw(bool suspend) override;

  // What a control shows now, for tests.
  std::wstring ControlText(int id);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The button, the close box, Escape and the engine all end here.
  void Stop();
  void CentreOnOwner();
  // The file name, counter and bar reach the controls at most ten times a
  // second (and always at the end): each update redraws, and nobody reads
  // faster.
  void ShowPendingSoon();
  void ShowPending();

  HWND owner_;
  HWND hwnd_ = nullptr;
  platform::DialogDpi dpi_;
  std::string state_;  // what the phase label shows, read before every item
  struct Pending {
    std::wstring fileName, count;
    int position = 0;
    bool changed = false;
  } pending_;
  DWORD lastShown_ = 0;
  std::deque<std::function<void()>> later_;
};

// The question before a file of the same name is replaced: a dialog of the
// information kind with five buttons, laid out for the name it shows.
class OverwriteQuestionDialog : public OverwriteQuestion {
 public:
  // `owner` returns the window to stay in front of, when asked.
  explicit OverwriteQuestionDialog(std::function<HWND()> owner) : owner_(std::move(owner)) {}
  OverwriteAnswer Ask(const std::string& ansiFileName) override;

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  std::function<HWND()> owner_;
};

}  // namespace tapestrel::app
