// Reading a shell link as the shell does, independently of the program's
// code: for the tests of the Startup shortcut.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/text.h"
#include "win_support/files.h"

namespace tapestrel::testing {

struct Link {
  bool exists = false;
  std::string arguments, target, folder;
};
inline Link ReadLink(const std::string& path) {
  Link link;
  if (!FileExists(path)) return link;
  link.exists = true;
  IShellLinkA* shell = nullptr;
  IPersistFile* file = nullptr;
  EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         reinterpret_cast<void**>(&shell))));
  if (!shell) return link;
  shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (file && SUCCEEDED(file->Load(platform::AnsiToWide(path).c_str(), STGM_READ))) {
    char text[MAX_PATH] = {};
    shell->GetArguments(text, MAX_PATH);
    link.arguments = text;
    shell->GetPath(text, MAX_PATH, nullptr, 0);
    link.target = text;
    shell->GetWorkingDirectory(text, MAX_PATH);
    link.folder = text;
  }
  if (file) file->Release();
  shell->Release();
  return link;
}

inline std::string StartupShortcutPath() {
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE);
  return std::string(folder) + "\\Tapestrel.lnk";
}

}  // namespace tapestrel::testing
