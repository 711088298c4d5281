// A user whose folders are named outside the ANSI code page (an accented
// profile name on a Japanese Windows): the program beside its settings, the
// picture it chooses and the wallpaper file all go by names that open the
// right files, never by stand-ins.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "imaging/bmp_file.h"
#include "platform/win32/text.h"
#include "win_support/desktop_registry.h"
#include "win_support/registry_override.h"
#include "win_support/tapestrel_process.h"

namespace tapestrel::testing {
namespace {

// The ANSI form of a path by its short 8.3 name.
std::string ShortAnsi(const std::wstring& path) {
  wchar_t shortPath[MAX_PATH] = {};
  GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  return platform::WideToAnsi(shortPath);
}

TEST(NamesOutsideTheCodePage, ProgramFolderPictureAndLocalAppDataAreFoundByTheirShortNames) {
  TempFolder base;
  const std::wstring wideBase = platform::AnsiToWide(base.Path());
  const std::wstring programFolder = wideBase + L"\\Tåpestrel", pictures = wideBase + L"\\Bilder Ørsted",
                     appData = wideBase + L"\\Åsa";
  for (const std::wstring& folder : {programFolder, pictures, appData, appData + L"\\Microsoft"})
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  WriteSolidBmp(base / "red.bmp", 8, 8, 0x0000FF);
  ASSERT_TRUE(MoveFileW((wideBase + L"\\red.bmp").c_str(), (pictures + L"\\Ölberg.bmp").c_str()));
  RegistryOverride localAppData(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                L"Local AppData", appData);

  TempFolder scratch;
  TapestrelProcess program(scratch);
  const std::wstring exe = programFolder + L"\\Tapestrel.exe", ini = programFolder + L"\\Tapestrel.ini";
  ASSERT_TRUE(CopyFileW(platform::AnsiToWide(program.Exe()).c_str(), exe.c_str(), FALSE));
  WriteFile(ShortAnsi(programFolder) + "\\Tapestrel.ini",
            "[Whole]\r\nWallPaperFolder=" + ShortAnsi(pictures) + "\r\nWallPosition=0\r\n");

  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = L"\"" + exe + L"\" /wallchange";
  ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  const bool ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);  // e.g. asking for the folder it did not find
  CloseHandle(pi.hProcess);
  EXPECT_TRUE(ended);

  // The change is recorded in the settings beside the program, under the
  // picture's short name, and the wallpaper file is the picture.
  EXPECT_EQ(IniValue(ShortAnsi(ini), "System", "LastWallPas"), ShortAnsi(pictures + L"\\Ölberg.bmp"));
  const imaging::Bitmap wallpaper = imaging::ReadBmpFile(ShortAnsi(appData) + "\\Microsoft\\Wallpaper1.bmp");
  ASSERT_EQ(wallpaper.Width(), 8);
  EXPECT_EQ(wallpaper.Row(0)[0], 0);  // blue
  EXPECT_EQ(wallpaper.Row(0)[2], 255);  // red

  for (const std::wstring& file : {exe, ini, pictures + L"\\Ölberg.bmp", appData + L"\\Microsoft\\Wallpaper1.bmp"})
    DeleteFileW(file.c_str());
  for (const std::wstring& folder : {appData + L"\\Microsoft", appData, pictures, programFolder})
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace tapestrel::testing
