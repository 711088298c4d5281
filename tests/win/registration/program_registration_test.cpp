// The real Tapestrel.exe adding pictures pasted from a file manager: the
// progress window's count, the clipboard afterwards, the overwrite question
// with each of its answers, and "中止" inside a large file, driven from
// outside like a user.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/win32/registration_files.h"
#include "clipboard_helpers.h"
#include "folder_additions.h"
#include "platform/win32/text.h"
#include "program/win32/actions.h"
#include "registration_ids.h"
#include "win_support/tapestrel_process.h"
#include "window_driver.h"

namespace tapestrel::testing {
namespace {

enum Button { kYes, kNo, kCancel, kNoToAll, kYesToAll };

class ProgramRegistrationTest : public ::testing::Test {
 protected:
  TempFolder appFolder, wallpapers, source;
  TapestrelProcess program{appFolder};
  HWND main = nullptr;

  void SetUp() override {
    WriteFile(program.Ini(),
              "[Whole]\r\nWallPaperFolder=" + wallpapers.Path() + "\r\nTaskTrayResiding=0\r\n");
    ASSERT_TRUE(program.Start());
    main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(program.WaitIdle());
  }

  // Ctrl+V typed into the program's window.
  void PressCtrlV() {
    SetForegroundWindow(main);
    WaitFor([&] { return GetForegroundWindow() == main; }, 2000);
    keybd_event(VK_CONTROL, 0, 0, 0);
    keybd_event('V', 0, 0, 0);
    keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  }
  HWND ProgressWindow() {
    for (HWND w : WindowsOf(program.Pid(), false)) {
      if (Caption(w) == L"ピクチャの登録") return w;
    }
    return nullptr;
  }
  // Where the program puts its copies until they are whole.
  std::string Staging() const { return wallpapers / app::WindowsRegistrationFiles::kStagingFolderName; }
  // The registration is over when the main window takes input again.
  bool WaitUntilDone() {
    return WaitFor([&] { return ProgressWindow() && !IsWindowVisible(ProgressWindow()); }, 15000) &&
           WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 15000);
  }
};

TEST_F(ProgramRegistrationTest, APastedFolderTreeGivesItsPicturesOnceAndEmptiesTheClipboard) {
  WriteFile(source / "a.jpg", "A");
  WriteFile(source / "b.txt", "B");
  CreateDirectoryA((source / "sub").c_str(), nullptr);
  WriteFile(source / "sub\\c.png", "C");
  PutWideFileList({platform::AnsiToWide(source.Path())});

  PressCtrlV();
  ASSERT_TRUE(WaitFor([&] { return FileExists(wallpapers / "c.png"); }, 15000));
  ASSERT_TRUE(WaitUntilDone());
  EXPECT_EQ(ReadFile(wallpapers / "a.jpg"), "A");
  EXPECT_EQ(ReadFile(wallpapers / "c.png"), "C");
  EXPECT_FALSE(FileExists(wallpapers / "b.txt"));
  EXPECT_EQ(WindowText(GetDlgItem(ProgressWindow(), IDC_REGISTRATION_COUNT)), L"2/2");
  EXPECT_FALSE(ClipboardHasFiles());

  WriteFile(source / "d.jpg", "D");
  PressCtrlV();  // the second paste finds nothing to register
  Sleep(1500);
  EXPECT_FALSE(FileExists(wallpapers / "d.jpg"));
  EXPECT_TRUE(program.Running());
}

TEST_F(ProgramRegistrationTest, EachAnswerToTheOverwriteQuestionDoesWhatItSays) {
  struct Case {
    const char* title;
    std::vector<int> buttons;
    const char* e1;
    const char* n;  // "" for no file
    const char* e2;
  };
  const Case cases[] = {
      {"yes, then no", {kYes, kNo}, "new1", "N", "old2"}, {"no, then yes", {kNo, kYes}, "old1", "N", "new2"},
      {"yes to all", {kYesToAll}, "new1", "N", "new2"},   {"no to all", {kNoToAll}, "old1", "N", "old2"},
      {"cancel", {kCancel}, "old1", "", "old2"},
  };
  for (const Case& c : cases) {
    WriteFile(wallpapers / "e1.jpg", "old1");
    WriteFile(wallpapers / "e2.jpg", "old2");
    DeleteFileA((wallpapers / "n.jpg").c_str());
    WriteFile(source / "e1.jpg", "new1");
    WriteFile(source / "n.jpg", "N");
    WriteFile(source / "e2.jpg", "new2");
    PutWideFileList({platform::AnsiToWide(source / "e1.jpg"), platform::AnsiToWide(source / "n.jpg"),
                     platform::AnsiToWide(source / "e2.jpg")});
    // Every copy begins as a temporary file in the program's folder for them
    // (as an earlier registration cut short may have left it).
    CreateDirectoryA(Staging().c_str(), nullptr);
    FolderAdditions copies(Staging());
    ASSERT_TRUE(copies.Watching());
    PostMessageW(main, WM_COMMAND, app::kActPaste, 0);

    for (size_t i = 0; i < c.buttons.size(); ++i) {
      HWND question = FindShownWindow(program.Pid(), L"情報");
      ASSERT_NE(question, nullptr) << c.title << " question " << i;
      if (i == 0) {
        EXPECT_EQ(copies.Names().size(), 0u) << c.title << ": copied before the answer";
      }
      const std::vector<HWND> buttons = ButtonsLeftToRight(question);
      EXPECT_EQ(
          WindowText(GetDlgItem(question, IDC_OVERWRITE_TEXT)),
          (i == 0 ? L"e1.jpg" : L"e2.jpg") + std::wstring(L" はすでに登録されています。上書きしますか？"))
          << c.title;
      EXPECT_EQ(Texts(buttons), (std::vector<std::wstring>{L"はい(&Y)", L"いいえ(&N)", L"キャンセル",
                                                           L"すべていいえ(&O)", L"すべてはい(&A)"}))
          << c.title;
      Press(buttons[static_cast<size_t>(c.buttons[i])]);
      WaitFor([&] { return !IsWindow(question) || !IsWindowVisible(question); }, 10000);
    }
    ASSERT_TRUE(WaitUntilDone()) << c.title;
    EXPECT_EQ(FindShownWindow(program.Pid(), L"情報", 0), nullptr) << c.title << ": no further question";
    EXPECT_EQ(ReadFile(wallpapers / "e1.jpg"), c.e1) << c.title;
    EXPECT_EQ(FileExists(wallpapers / "n.jpg") ? ReadFile(wallpapers / "n.jpg") : "", c.n) << c.title;
    EXPECT_EQ(ReadFile(wallpapers / "e2.jpg"), c.e2) << c.title;
    const size_t kept = (c.e1[0] == 'n') + (c.n[0] == 'N') + (c.e2[0] == 'n');
    EXPECT_EQ(copies.Names().size(), kept) << c.title << ": each file copied once, or not at all";
  }
}

// Writes `size` bytes that take no room on the disk (they read as zeros).
void WriteSparseFile(const std::string& path, LONGLONG size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

// The size of the largest file in `folder`, 0 for none.
LONGLONG LargestFile(const std::string& folder) {
  LONGLONG largest = 0;
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    largest = std::max(largest, static_cast<LONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return largest;
}

TEST_F(ProgramRegistrationTest, StopInsideALargeFileLeavesNothingAndTheWindowsAnswerMeanwhile) {
  constexpr LONGLONG kSize = 2LL << 30;
  WriteSparseFile(source / "big.jpg", kSize);
  PutWideFileList({platform::AnsiToWide(source / "big.jpg")});
  PostMessageW(main, WM_COMMAND, app::kActPaste, 0);
  ASSERT_TRUE(WaitFor([&] { return LargestFile(Staging()) >= (8 << 20); }, 30000)) << "the copy began";

  // Both windows answer while the file is still on its way.
  HWND progress = ProgressWindow();
  ASSERT_NE(progress, nullptr);
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutW(progress, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result));
  EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result));
  const LONGLONG sofar = LargestFile(Staging());
  EXPECT_TRUE(sofar > 0 && sofar < kSize) << sofar;

  Press(GetDlgItem(progress, IDCANCEL));
  ASSERT_TRUE(WaitUntilDone());
  EXPECT_FALSE(FileExists(wallpapers / "big.jpg"));
  EXPECT_EQ(GetFileAttributesA(Staging().c_str()), INVALID_FILE_ATTRIBUTES) << "no temporary file left";
  EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace tapestrel::testing
