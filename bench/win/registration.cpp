// Registering a folder tree of 5,000 small pictures, timed in the shipped
// code (the x86 or the x64 build) under Wine, against a bare CopyFileA loop over the same files
// (goal: ratio <= 1.5). The registration is all a user waits for: the search
// of the tree, every copy through a temporary file renamed into place, and
// the progress window shown and brought up to date after every file. Both
// run in every repetition, in turn, into fresh folders; the ratio is the
// median of the per-repetition ratios.
//
// Under Wine without a window manager, hiding a framed window waits two
// seconds for a manager that never answers; the benchmark has Wine leave its
// windows unmanaged (as inside a Wine desktop), so that the figure is the
// program's and not that wait's.
// Usage: bench_win_registration.exe [--repetitions=N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/picture_registration.h"
#include "app/win32/registration_files.h"
#include "program/win32/registration_progress_window.h"
#include "timing.h"
#include "win_support/files.h"

using namespace tapestrel;

namespace {

constexpr int kFolders = 50, kFilesPerFolder = 100;
constexpr char kMask[] = "*.bmp;*.jpeg;*.jpg;*.png;";

using bench::Median;
using bench::Milliseconds;

int Repetitions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--repetitions=", 14) == 0) return std::max(1, std::atoi(argv[i] + 14));
  }
  return 5;
}

// Under Wine: this program's windows unmanaged. The setting is read when the
// process starts, so a first run sets it and runs the benchmark again.
bool RelaunchedUnmanaged(int& exitCode) {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return false;
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string name = std::string(path).substr(std::string(path).find_last_of('\\') + 1);
  const std::string key = "Software\\Wine\\AppDefaults\\" + name + "\\X11 Driver";
  char value[8] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Managed", RRF_RT_REG_SZ, nullptr, value, &size) ==
          ERROR_SUCCESS &&
      value[0] == 'N') {
    return false;
  }
  RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Managed", REG_SZ, "N", 2);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(path, GetCommandLineA(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  exitCode = static_cast<int>(code);
  return true;
}

// 5,000 pictures of 1 to 4 KB in 50 folders, every name different.
std::vector<std::string> MakeTree(const std::string& root) {
  std::vector<std::string> files;
  CreateDirectoryA(root.c_str(), nullptr);
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = root + "\\d" + std::to_string(f);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      const std::string path = folder + "\\p" + std::to_string(f) + "_" + std::to_string(i) + ".jpg";
      testing::WriteFile(path,
                         std::string(1024 + static_cast<size_t>((f * 131 + i * 37) % 3072), 'a' + i % 26));
      files.push_back(path);
    }
  }
  return files;
}

// The real window, noting when the copy phase begins and when the window
// closes: the copy phase alone is timed against the bare loop as well.
class TimedProgress : public app::RegistrationProgress {
 public:
  explicit TimedProgress(app::RegistrationProgressWindow& window) : window_(window) {}
  LARGE_INTEGER copyStart{}, closed{};
  void Open() override { window_.Open(); }
  void Close() noexcept override {
    window_.Close();
    QueryPerformanceCounter(&closed);
  }
  void SetState(const std::string& text) override {
    if (text == app::kStateCopying) QueryPerformanceCounter(&copyStart);
    window_.SetState(text);
  }
  std::string State() const override { return window_.State(); }
  void SetFileName(const std::string& name) override { window_.SetFileName(name); }
  void SetCount(const std::string& text) override { window_.SetCount(text); }
  void SetMaximum(int maximum) override { window_.SetMaximum(maximum); }
  void SetPosition(int position) override { window_.SetPosition(position); }
  void ProcessMessages() override { window_.ProcessMessages(); }
  void SuspendViewRedraw(bool suspend) override { window_.SuspendViewRedraw(suspend); }
  double CopyMilliseconds() const {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(closed.QuadPart - copyStart.QuadPart) * 1000 / static_cast<double>(f.QuadPart);
  }

 private:
  app::RegistrationProgressWindow& window_;
};

class NeverAsked : public app::OverwriteQuestion {
 public:
  app::OverwriteAnswer Ask(const std::string& name) override {
    throw std::runtime_error("unexpected question about " + name);
  }
};

int Run(int argc, char** argv) {
  const int repetitions = Repetitions(argc, argv);
  testing::TempFolder work;
  const std::string tree = work / "tree";
  const std::vector<std::string> files = MakeTree(tree);

  HWND owner = CreateWindowExW(0, L"Static", L"Tapestrel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 800, 600,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  app::RegistrationProgressWindow window(owner);
  TimedProgress progress(window);
  app::WindowsRegistrationFiles registrationFiles;
  NeverAsked question;
  app::PictureRegistration engine({registrationFiles, progress, question});

  std::vector<double> bare, registration, copying, ratio, copyRatio;
  for (int i = 0; i <= repetitions; ++i) {  // the first round warms up and is not counted
    const std::string bareTarget = work / ("bare" + std::to_string(i));
    const std::string target = work / ("wall" + std::to_string(i));
    CreateDirectoryA(bareTarget.c_str(), nullptr);
    CreateDirectoryA(target.c_str(), nullptr);
    int copied = 0;
    auto bareLoop = [&] {
      for (const std::string& path : files) {
        CopyFileA(path.c_str(), (bareTarget + path.substr(path.find_last_of('\\'))).c_str(), TRUE);
      }
    };
    auto registering = [&] { copied = engine.RegisterPictures({tree}, target, kMask); };
    double b, r;
    if (i % 2) {
      b = Milliseconds(bareLoop), r = Milliseconds(registering);
    } else {
      r = Milliseconds(registering), b = Milliseconds(bareLoop);
    }
    // The figures only count if the work was done.
    if (copied != kFolders * kFilesPerFolder || testing::CountFiles(target, "*.jpg") != files.size() ||
        testing::CountFiles(bareTarget, "*.jpg") != files.size() ||
        testing::ReadFile(target + "\\p7_42.jpg") != testing::ReadFile(tree + "\\d7\\p7_42.jpg")) {
      std::printf("FAILED: %d copied, %u and %u files\n", copied,
                  static_cast<unsigned>(testing::CountFiles(target, "*.jpg")),
                  static_cast<unsigned>(testing::CountFiles(bareTarget, "*.jpg")));
      return 1;
    }
    testing::TempFolder::RemoveTree(bareTarget);
    testing::TempFolder::RemoveTree(target);
    if (i == 0) continue;
    const double c = progress.CopyMilliseconds();
    bare.push_back(b), registration.push_back(r), copying.push_back(c);
    ratio.push_back(r / b), copyRatio.push_back(c / b);
    std::printf("  repetition %d: bare %.0f ms, copy phase %.0f ms, all %.0f ms\n", i, b, c, r);
  }
  DestroyWindow(owner);

  const double goal = 1.5, q = Median(ratio), qc = Median(copyRatio);
  const double n = static_cast<double>(files.size());
  auto line = [&](const char* what, double ms, const char* ratioText) {
    std::printf("  %-46s %8.0f ms  %6.3f ms a file%s\n", what, ms, ms / n, ratioText);
  };
  char copyText[96], wholeText[96];
  std::snprintf(copyText, sizeof copyText, "   ratio %.2f (goal <= %.2f): %s", qc, goal,
                qc <= goal ? "met" : "MISSED");
  std::snprintf(wholeText, sizeof wholeText, "   ratio %.2f", q);
  std::printf("Registering %d small pictures in %d folders (%s), median of %d repetitions\n",
              kFolders * kFilesPerFolder, kFolders, bench::BuildName(), repetitions);
  line("bare CopyFileA loop", Median(bare), "");
  line("RegisterPictures, copy phase (copy, window)", Median(copying), copyText);
  line("RegisterPictures, all (search, copy, window)", Median(registration), wholeText);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int exitCode = 0;
    if (RelaunchedUnmanaged(exitCode)) return exitCode;
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::printf("FAILED: %s\n", e.what());
    return 1;
  }
}
