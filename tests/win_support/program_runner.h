// Support for tests that run the real Tapestrel.exe under Wine: a private
// copy of the program in a fresh folder (so it has its own INI file), its
// process, its windows and its files.
#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/text.h"

namespace tapestrel::testing {

inline std::string ThisProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

// A new empty folder below the temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    path_ = std::string(base) + "tapestrel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
        else DeleteFileA(path.c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
  }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string IniValue(const std::string& ini, const std::string& section, const std::string& key,
                            const std::string& fallback = "<missing>") {
  char buffer[4096];
  const DWORD n =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer, ini.c_str());
  return std::string(buffer, n);
}

template <typename Predicate>
bool WaitFor(Predicate done, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

struct WindowSearch {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindowOfProcess(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
  return TRUE;
}

// Top-level windows of a process.
inline std::vector<HWND> WindowsOf(DWORD processId, bool visibleOnly) {
  WindowSearch search{processId, visibleOnly, {}};
  EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024];
  const int n = GetWindowTextW(hwnd, text, 1024);
  return std::wstring(text, static_cast<size_t>(n > 0 ? n : 0));
}

inline std::wstring ClassName(HWND hwnd) {
  wchar_t name[256];
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, static_cast<size_t>(n > 0 ? n : 0));
}

inline BOOL CALLBACK CollectStaticText(HWND child, LPARAM lp) {
  if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0) {
    const std::wstring text = WindowText(child);
    if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(text);
  }
  return TRUE;
}

// The texts of the static controls of a dialog (a message box's message).
inline std::vector<std::wstring> StaticTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  EnumChildWindows(dialog, &CollectStaticText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

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
    if (!CreateProcessA(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
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
