// The progress window and the overwrite question as real windows, and the
// copies on the real file system, failures included.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "app/picture_registration.h"
#include "app/win32/registration_files.h"
#include "platform/win32/text.h"
#include "program/win32/registration_progress_window.h"
#include "registration_ids.h"
#include "win_support/files.h"
#include "window_driver.h"

namespace tapestrel::testing {
namespace {

using app::OverwriteAnswer;
const std::function<bool()> kGoOn = [] { return true; };

// A window standing for the main window.
class OwnerWindow {
 public:
  OwnerWindow() {
    hwnd_ = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640, 480,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~OwnerWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

class ProgressWindowTest : public ::testing::Test {
 protected:
  OwnerWindow owner;
  app::RegistrationProgressWindow progress{owner.Handle()};

  std::wstring Text(int id) { return progress.ControlText(id); }
};

TEST_F(ProgressWindowTest, OpensCentredOnTopOverTheDisabledMainWindow) {
  progress.SetState(app::kStateSearching);
  progress.SetFileName(platform::Utf8ToAnsi("猫&犬.jpg"));
  progress.SetCount("0/3");
  progress.Open();
  HWND window = progress.Handle();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
  EXPECT_EQ(WindowText(window), L"ピクチャの登録");
  EXPECT_EQ(GetWindow(window, GW_OWNER), owner.Handle());
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT o, p;
  GetWindowRect(owner.Handle(), &o);
  GetWindowRect(window, &p);
  EXPECT_NEAR((p.left + p.right) / 2, (o.left + o.right) / 2, 1);
  EXPECT_NEAR((p.top + p.bottom) / 2, (o.top + o.bottom) / 2, 1);

  EXPECT_EQ(Text(IDC_REGISTRATION_STATE), L"ファイルを検索しています");
  EXPECT_EQ(Text(IDC_REGISTRATION_FILE), L"猫&犬.jpg");
  EXPECT_EQ(Text(IDC_REGISTRATION_COUNT), L"0/3");
  EXPECT_EQ(Text(IDCANCEL), L"中止");
  // The counter is right-aligned; "&" in a file name is no access key.
  EXPECT_EQ(GetWindowLongW(GetDlgItem(window, IDC_REGISTRATION_COUNT), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(window, IDC_REGISTRATION_FILE), GWL_STYLE) & SS_NOPREFIX);
  progress.SetMaximum(3);
  progress.SetPosition(2);
  progress.SetState(app::kStateCopying);
  progress.SetCount("2/3");
  SaveScreenshot(window, "registration_progress");

  progress.Close();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_EQ(progress.State(), app::kStateStopping);
}

TEST_F(ProgressWindowTest, EveryWayOfClosingItSaysStopping) {
  struct Way {
    const char* name;
    void (*close)(HWND window);
  };
  const Way ways[] = {
      {"the button", [](HWND w) { SendMessageW(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); }},
      {"the close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Escape", [](HWND w) { PostMessageW(GetDlgItem(w, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0); }},
  };
  for (const Way& way : ways) {
    progress.SetState(app::kStateCopying);
    progress.Open();
    way.close(progress.Handle());
    progress.ProcessMessages();
    EXPECT_EQ(progress.State(), app::kStateStopping) << way.name;
    EXPECT_FALSE(IsWindowVisible(progress.Handle())) << way.name;
    progress.Close();
  }
}

TEST_F(ProgressWindowTest, AnErrorHalfWayStillGivesTheMainWindowBack) {
  class FailingFiles : public app::RegistrationFiles {
   public:
    std::optional<app::RegistrationEntry> Find(const std::string& path) override {
      if (path != "D:\\in\\a.jpg") return std::nullopt;  // the name is free in the wallpaper folder
      return app::RegistrationEntry{"a.jpg", false, false};
    }
    std::vector<app::RegistrationEntry> List(const std::string&) override { return {}; }
    app::CopyOutcome Copy(const std::string&, const std::string&, bool,
                          const std::function<bool()>&) override {
      disabledMeanwhile = !IsWindowEnabled(owner);
      throw std::runtime_error("the disk went away");
    }
    void CopiesDone(const std::string&) override {}
    HWND owner = nullptr;
    bool disabledMeanwhile = false;
  } files;
  files.owner = owner.Handle();
  class NoQuestion : public app::OverwriteQuestion {
    app::OverwriteAnswer Ask(const std::string&) override { return app::OverwriteAnswer::Cancel; }
  } question;
  app::PictureRegistration engine({files, progress, question});
  EXPECT_THROW(engine.RegisterPictures({"D:\\in\\a.jpg"}, "D:\\wall", "*.jpg;"), std::runtime_error);
  EXPECT_TRUE(files.disabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(IsWindowVisible(progress.Handle()));
}

// The question, answered from another thread as a user would. Its texts and
// each answer are proven through the real program; here, its layout.
TEST(QuestionTest, ALongNameWidensTheDialogAndTheCloseBoxCancels) {
  OwnerWindow owner;
  app::OverwriteQuestionDialog question([&] { return owner.Handle(); });
  for (const std::string& name :
       {std::string("猫.jpg"), std::string(60, 'x') + "猫" + std::string(60, 'x')}) {
    RECT text{}, client{};
    std::thread user([&] {
      HWND dialog = FindShownWindow(GetCurrentProcessId(), L"情報");
      if (!dialog) return;
      GetWindowRect(GetDlgItem(dialog, IDC_OVERWRITE_TEXT), &text);
      GetClientRect(dialog, &client);
      MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
      SaveScreenshot(dialog, name.size() < 20 ? "overwrite_question" : "overwrite_question_long");
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(question.Ask(platform::Utf8ToAnsi(name)), OverwriteAnswer::Cancel);
    user.join();
    EXPECT_GT(text.right - text.left, 200);
    EXPECT_TRUE(text.left >= client.left && text.right <= client.right && text.bottom <= client.bottom);
  }
}

// The registration's copies arrive in the wallpaper folder through a
// temporary file whose path is longer than theirs: a target that fits
// MAX_PATH registers all the same, in a folder as long as CreateDirectory
// allows or under a long name.
TEST(RegistrationPathTest, ATargetOfMaxPathLessOneRegisters) {
  OwnerWindow owner;
  app::RegistrationProgressWindow progress{owner.Handle()};
  app::WindowsRegistrationFiles files;
  class NoQuestion : public app::OverwriteQuestion {
    app::OverwriteAnswer Ask(const std::string& name) override {
      ADD_FAILURE() << "asked about " << name;
      return app::OverwriteAnswer::Cancel;
    }
  } question;
  app::PictureRegistration engine({files, progress, question});
  TempFolder source, base;
  for (const size_t nameLength : {11u, 120u}) {
    const size_t folderLength = MAX_PATH - 2 - nameLength;
    const std::string folder = base / std::string(folderLength - base.Path().size() - 1, 'f');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
    const std::string name = std::string(nameLength - 4, 'n') + ".jpg";
    WriteFile(source / name, "picture");
    ASSERT_EQ((folder + "\\" + name).size(), MAX_PATH - 1u);

    EXPECT_EQ(engine.RegisterPictures({source / name}, folder, "*.jpg;"), 1) << nameLength;
    EXPECT_EQ(ReadFile(folder + "\\" + name), "picture") << nameLength;
    EXPECT_EQ(files.List(folder + "\\").size(), 1u) << nameLength << ": nothing left beside it";
    TempFolder::RemoveTree(folder);
  }
}

class RegistrationFilesTest : public ::testing::Test {
 protected:
  TempFolder source, target;
  app::WindowsRegistrationFiles files;

  // Nothing but the expected files in the target folder once the copies are
  // done: no temporary file, no folder of them.
  std::vector<std::string> TargetNames() {
    files.CopiesDone(target.Path());
    std::vector<std::string> names;
    for (const auto& e : files.List(target.Path() + "\\")) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(RegistrationFilesTest, CopiesArriveWholeAndNewCopiesNeverReplace) {
  const std::string bytes(2 * app::WindowsRegistrationFiles::kPieceBytes + 300000, 'p');
  WriteFile(source / "a.jpg", bytes);
  EXPECT_EQ(files.Copy(source / "a.jpg", target / "a.jpg", false, kGoOn), app::CopyOutcome::Copied);
  EXPECT_TRUE(ReadFile(target / "a.jpg") == bytes);

  WriteFile(source / "a.jpg", "newer");
  EXPECT_EQ(files.Copy(source / "a.jpg", target / "a.jpg", false, kGoOn), app::CopyOutcome::TargetExists);
  EXPECT_TRUE(ReadFile(target / "a.jpg") == bytes);
  EXPECT_TRUE(files.Copy(source / "a.jpg", target / "a.jpg", true, kGoOn) == app::CopyOutcome::Copied);
  EXPECT_EQ(ReadFile(target / "a.jpg"), "newer");
  EXPECT_EQ(TargetNames(), std::vector<std::string>{"a.jpg"});
}

TEST_F(RegistrationFilesTest, AFailedCopyLeavesTheOldFileOrNoneNeverAPart) {
  const std::string old = "old picture";
  const std::string big(1 << 20, 'n');
  struct Case {
    const char* title;
    bool replace;
    // Sets the scene; returns what must be released after the copy.
    std::function<HANDLE()> arrange;
  };
  const Case cases[] = {
      {"unreadable source", false,
       [&] {
         return CreateFileA((source / "a.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       }},
      {"locked target", true,
       [&] {
         return CreateFileA((target / "a.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       }},
      {"read-only target", true,
       [&] {
         SetFileAttributesA((target / "a.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
         return INVALID_HANDLE_VALUE;
       }},
  };
  for (const Case& c : cases) {
    WriteFile(source / "a.jpg", big);
    SetFileAttributesA((target / "a.jpg").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((target / "a.jpg").c_str());
    if (c.replace) WriteFile(target / "a.jpg", old);
    HANDLE held = c.arrange();
    const bool copied =
        files.Copy(source / "a.jpg", target / "a.jpg", c.replace, kGoOn) == app::CopyOutcome::Copied;
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_FALSE(copied) << c.title;
    if (c.replace) {
      EXPECT_TRUE(ReadFile(target / "a.jpg") == old) << c.title;
      EXPECT_EQ(TargetNames(), std::vector<std::string>{"a.jpg"}) << c.title;
    } else {
      EXPECT_FALSE(FileExists(target / "a.jpg")) << c.title;
      EXPECT_TRUE(TargetNames().empty()) << c.title;
    }
  }
}

TEST_F(RegistrationFilesTest, TheirHiddenFolderGoesWithWhatACopyCutShortLeft) {
  WriteFile(source / "a.jpg", "A");
  ASSERT_EQ(files.Copy(source / "a.jpg", target / "a.jpg", false, kGoOn), app::CopyOutcome::Copied);
  const std::string staging = target / app::WindowsRegistrationFiles::kStagingFolderName;
  EXPECT_TRUE(GetFileAttributesA(staging.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  WriteFile(staging + "\\~tapestrel-7.tmp", "left by a copy that never ended");
  EXPECT_EQ(TargetNames(), std::vector<std::string>{"a.jpg"});
  EXPECT_EQ(GetFileAttributesA(staging.c_str()), INVALID_FILE_ATTRIBUTES);

  // A source that cannot be read, where the name is free: no file, no question.
  EXPECT_EQ(files.Copy(source / "missing.jpg", target / "m.jpg", false, kGoOn), app::CopyOutcome::Failed);
  EXPECT_EQ(TargetNames(), std::vector<std::string>{"a.jpg"});
}

TEST_F(RegistrationFilesTest, FindsAndListsEverythingAFolderHolds) {
  WriteFile(source / "hidden.jpg", "h");
  SetFileAttributesA((source / "hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  CreateDirectoryA((source / "sub").c_str(), nullptr);
  std::vector<std::string> names;
  for (const auto& e : files.List(source.Path() + "\\"))
    names.push_back(e.name + (e.isDirectory ? "\\" : ""));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"hidden.jpg", "sub\\"}));

  const auto sub = files.Find(source / "sub");
  ASSERT_TRUE(sub.has_value());
  EXPECT_TRUE(sub->isDirectory);
  EXPECT_EQ(sub->name, "sub");
  EXPECT_FALSE(files.Find(source / "missing.jpg").has_value());
  const auto drive = files.Find(source.Path().substr(0, 2));  // "C:" names the drive's root
  ASSERT_TRUE(drive.has_value());
  EXPECT_TRUE(drive->isDirectory);
}

}  // namespace
}  // namespace tapestrel::testing
