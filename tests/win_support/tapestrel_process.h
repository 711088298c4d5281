// The real Tapestrel.exe under test: a private copy in a fresh folder (so it
// has its own INI file), its process and its windows.
#pragma once

#include <windows.h>

#include <string>

#include "win_support/files.h"
#include "win_support/waiting.h"
#include "win_support/window_search.h"

namespace tapestrel::testing {

// A copy of Tapestrel.exe in its own folder, started and stopped by the test.
class TapestrelProcess {
 public:
  explicit TapestrelProcess(const TempFolder& folder)
      : exe_(folder / "Tapestrel.exe"), ini_(folder / "Tapestrel.ini") {
    CopyFileA((ThisProgramFolder() + "Tapestrel.exe").c_str(), exe_.c_str(), FALSE);
  }
  TapestrelProcess(const TapestrelProcess&) = delete;
  ~TapestrelProcess() { Kill(); }

  const std::string& Exe() const { return exe_; }
  const std::string& Ini() const { return ini_; }

  bool Start(const std::string& arguments = "") {
    Kill();
    std::string commandLine = "\"" + exe_ + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
  }

  DWORD Pid() const { return pid_; }
  // Waits until the program's message loop runs (start-up is over).
  bool WaitIdle(int milliseconds = 10000) {
    return process_ && WaitForInputIdle(process_, static_cast<DWORD>(milliseconds)) == 0;
  }
  HANDLE ProcessHandle() const { return process_; }
  bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  // True when the process ended within the time.
  bool WaitExit(int milliseconds) {
    return process_ && WaitForSingleObject(process_, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

  // The visible top-level window with this caption (or any, when empty).
  HWND WaitForWindow(const std::wstring& caption, int milliseconds) {
    HWND found = nullptr;
    WaitFor(
        [&] {
          for (HWND w : WindowsOf(pid_, true)) {
            if (caption.empty() || WindowText(w) == caption) {
              found = w;
              return true;
            }
          }
          return false;
        },
        milliseconds);
    return found;
  }
  HWND MainWindow(int milliseconds = 10000) {
    HWND found = nullptr;
    WaitFor(
        [&] {
          for (HWND w : WindowsOf(pid_, true)) {
            if (ClassName(w) == L"TapestrelMainWindow") {
              found = w;
              return true;
            }
          }
          return false;
        },
        milliseconds);
    return found;
  }
  // The main window whether visible or not.
  HWND AnyMainWindow() const {
    for (HWND w : WindowsOf(pid_, false)) {
      if (ClassName(w) == L"TapestrelMainWindow") return w;
    }
    return nullptr;
  }

  void Kill() {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
      }
      CloseHandle(process_);
      process_ = nullptr;
    }
  }

 private:
  std::string exe_;
  std::string ini_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

}  // namespace tapestrel::testing
