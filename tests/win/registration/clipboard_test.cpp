// The file clipboard on the real clipboard: what it writes as other programs
// read it, what it reads from a file manager's list, and what it leaves behind.
#include <gtest/gtest.h>

#include "clipboard_helpers.h"
#include "platform/win32/clipboard_files.h"
#include "platform/win32/text.h"

namespace tapestrel::testing {
namespace {

using platform::FileClipboard;
using platform::Utf8ToAnsi;

int g_ownerRenders = 0;

LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT) ++g_ownerRenders;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ClipboardTest : public ::testing::Test {
 protected:
  HWND owner = nullptr;

  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ClipboardTestOwner";
    RegisterClassW(&wc);
    owner = CreateWindowW(L"ClipboardTestOwner", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    g_ownerRenders = 0;
    PutText("before");
  }
  void TearDown() override { DestroyWindow(owner); }
};

TEST_F(ClipboardTest, CopyAndCutWriteTheShellsBlockWithTheirEffect) {
  const std::string japanese = Utf8ToAnsi("C:\\写真\\猫.jpg");
  for (const bool cut : {false, true}) {
    FileClipboard clipboard(owner);
    clipboard.CopyFiles = {"C:\\a.jpg", "D:\\b.png", japanese};
    ASSERT_TRUE(cut ? clipboard.CutToClipboard() : clipboard.CopyToClipboard());

    const auto block = ClipboardBytes(CF_HDROP);
    ASSERT_TRUE(block.has_value());
    ASSERT_EQ(block->size(), 32768u);
    const std::vector<uint8_t> header(block->begin(), block->begin() + 20);
    EXPECT_EQ(header, (std::vector<uint8_t>{20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const std::string names = std::string("C:\\a.jpg") + '\0' + "D:\\b.png" + '\0' + japanese + '\0' + '\0';
    EXPECT_EQ(std::string(block->begin() + 20, block->begin() + 20 + static_cast<long>(names.size())), names);
    EXPECT_EQ(ClipboardFilesByShell(), clipboard.CopyFiles);
    EXPECT_EQ(ClipboardDropEffect(), cut ? DWORD{DROPEFFECT_MOVE} : DWORD{DROPEFFECT_COPY});
  }
}

TEST_F(ClipboardTest, NothingToPlaceLeavesTheClipboardAlone) {
  FileClipboard clipboard(owner);
  EXPECT_FALSE(clipboard.CopyToClipboard());
  clipboard.CopyFiles = {"C:\\?.jpg"};  // what a failed conversion leaves: no path
  EXPECT_FALSE(clipboard.CutToClipboard());
  EXPECT_EQ(ClipboardText(), "before");
  EXPECT_FALSE(ClipboardHasFiles());
}

TEST_F(ClipboardTest, APasteConvertsAFileManagersWideListAndConsumesItButNothingElse) {
  FileClipboard clipboard(owner);
  clipboard.PasteFromClipboard();  // text only: nothing read, nothing taken
  EXPECT_TRUE(clipboard.PasteFiles.empty());
  EXPECT_EQ(ClipboardText(), "before");

  PutWideFileList({L"C:\\写真\\猫.jpg", L"C:\\한글.jpg", L"C:\\\xD800x.jpg", L"D:\\b.png"}, DROPEFFECT_MOVE);
  clipboard.PasteFromClipboard();
  // Names with no exact form in code page 932 are left out, never mangled.
  EXPECT_EQ(clipboard.PasteFiles, (std::vector<std::string>{Utf8ToAnsi("C:\\写真\\猫.jpg"), "D:\\b.png"}));
  EXPECT_FALSE(ClipboardHasFiles());
  clipboard.PasteFromClipboard();  // the second paste finds nothing
  EXPECT_TRUE(clipboard.PasteFiles.empty());
}

TEST_F(ClipboardTest, AtItsEndItTakesItsOwnListAlongButNotAnotherProgramsData) {
  {
    FileClipboard clipboard(owner);
    clipboard.CopyFiles = {"C:\\a.jpg"};
    ASSERT_TRUE(clipboard.CopyToClipboard());
  }
  EXPECT_FALSE(ClipboardHasFiles());
  {
    FileClipboard clipboard(owner);
    clipboard.CopyFiles = {"C:\\a.jpg"};
    ASSERT_TRUE(clipboard.CopyToClipboard());
    PutText("copied elsewhere later");
  }
  EXPECT_EQ(ClipboardText(), "copied elsewhere later");
}

TEST_F(ClipboardTest, RenderRequestsAreCountedAndPassedOnToTheOwner) {
  int notified = 0;
  {
    FileClipboard clipboard(owner);
    clipboard.OnRenderFormat = [&] { ++notified; };
    for (int i = 0; i < 5; ++i) SendMessageW(owner, WM_RENDERFORMAT, CF_HDROP, 0);
    EXPECT_EQ(clipboard.RenderCount(), 5);
    EXPECT_EQ(notified, 2);  // the first three only count
  }
  EXPECT_EQ(g_ownerRenders, 5);
  SendMessageW(owner, WM_RENDERFORMAT, CF_HDROP, 0);  // unchained at its end
  EXPECT_EQ(notified, 2);
  EXPECT_EQ(g_ownerRenders, 6);
}

}  // namespace
}  // namespace tapestrel::testing
