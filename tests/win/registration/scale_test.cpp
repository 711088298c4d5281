// A folder tree of 5,000 small pictures: the registration finishes, its
// window answers all along, and "中止" stops it within one file.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/picture_registration.h"
#include "app/win32/registration_files.h"
#include "program/win32/registration_progress_window.h"
#include "registration_ids.h"
#include "win_support/files.h"
#include "win_support/waiting.h"

namespace tapestrel::testing {
namespace {

constexpr int kFolders = 50, kFilesPerFolder = 100, kPictures = kFolders * kFilesPerFolder;

// Asks without waiting forever: the window's thread may be done with it.
std::wstring TextOf(HWND control) {
  wchar_t text[64] = {};
  DWORD_PTR unused;
  SendMessageTimeoutW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, &unused);
  return text;
}

class NoQuestion : public app::OverwriteQuestion {
 public:
  app::OverwriteAnswer Ask(const std::string&) override { return app::OverwriteAnswer::Cancel; }
};

class ScaleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new TempFolder;
    for (int f = 0; f < kFolders; ++f) {
      const std::string folder = *tree_ / ("d" + std::to_string(f));
      CreateDirectoryA(folder.c_str(), nullptr);
      for (int i = 0; i < kFilesPerFolder; ++i)
        WriteFile(folder + "\\p" + std::to_string(f) + "_" + std::to_string(i) + ".jpg",
                  std::string(1500, 'p'));
    }
  }
  static void TearDownTestSuite() { delete tree_; }
  static TempFolder* tree_;

  TempFolder wallpapers;
  HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  app::RegistrationProgressWindow progress{owner};
  app::WindowsRegistrationFiles files;
  NoQuestion question;
  app::PictureRegistration engine{{files, progress, question}};

  ~ScaleTest() override { DestroyWindow(owner); }

  // Runs the registration while `user` acts from another thread.
  int RegisterWhile(const std::function<void(const std::atomic<bool>& running)>& user) {
    std::atomic<bool> running{true};
    std::thread other([&] { user(running); });
    const int copied = engine.RegisterPictures({tree_->Path()}, wallpapers.Path(), "*.bmp;*.jpg;");
    running = false;
    other.join();
    return copied;
  }
};
TempFolder* ScaleTest::tree_ = nullptr;

TEST_F(ScaleTest, FiveThousandPicturesArriveWhileTheWindowKeepsAnswering) {
  DWORD slowest = 0;
  int answers = 0;
  const int copied = RegisterWhile([&](const std::atomic<bool>& running) {
    while (running) {
      const DWORD start = GetTickCount();
      DWORD_PTR unused;
      const bool answered = SendMessageTimeoutW(progress.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &unused);
      if (!running) break;  // the registration ended meanwhile: its thread no longer listens
      answers += answered ? 1 : 0;
      slowest = std::max(slowest, GetTickCount() - start);
      Sleep(20);
    }
  });
  EXPECT_EQ(copied, kPictures);
  EXPECT_EQ(CountFiles(wallpapers.Path(), "*.jpg"), static_cast<size_t>(kPictures));
  EXPECT_EQ(progress.ControlText(IDC_REGISTRATION_COUNT), L"5000/5000");
  EXPECT_GT(answers, 10);
  // A file takes milliseconds; the window never waits for more than a few.
  EXPECT_LT(slowest, 500u);
}

TEST_F(ScaleTest, StopEndsTheCopyWithinOneFile) {
  size_t atStop = 0;
  const int copied = RegisterWhile([&](const std::atomic<bool>& running) {
    HWND count = GetDlgItem(progress.Handle(), IDC_REGISTRATION_COUNT);
    WaitFor([&] { return !running || _wtoi(TextOf(count).c_str()) >= 1000; }, 60000);
    DWORD_PTR unused;
    // "中止", as the button reports it; answered once the main thread has
    // handled it.
    SendMessageTimeoutW(progress.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(progress.Handle(), IDCANCEL)), SMTO_NORMAL, 5000,
                        &unused);
    atStop = CountFiles(wallpapers.Path(), "*.jpg");
  });
  EXPECT_GE(copied, 1000);
  EXPECT_LT(copied, kPictures);
  EXPECT_LE(static_cast<size_t>(copied), atStop + 1);
  EXPECT_EQ(CountFiles(wallpapers.Path(), "*.jpg"), static_cast<size_t>(copied));
}

}  // namespace
}  // namespace tapestrel::testing
