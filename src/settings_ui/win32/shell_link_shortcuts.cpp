#include "settings_ui/win32/shell_link_shortcuts.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <utility>

#include "platform/win32/ansi_path.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/com_scope.h"
#include "platform/win32/text.h"

namespace tapestrel::settings_ui {
namespace {

using platform::ComPtr;

// A new shell link object with its file interface.
struct ShellLink {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;

  ShellLink() {
    if (FAILED(
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) {
      throw ShortcutError("no shell link object");
    }
  }
};

std::wstring WidePath(const std::string& path) {
  std::wstring wide = platform::AnsiToWide(path);
  if (wide.size() >= MAX_PATH) throw ShortcutError("path too long");
  return wide;
}

}  // namespace

std::optional<std::string> ShellLinkShortcuts::StartupFolder() {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner_, CSIDL_STARTUP, &list)) || !list) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  if (!found || !*path) return std::nullopt;
  return platform::PathToAnsi(path);
}

bool ShellLinkShortcuts::Exists(const std::string& linkPath) {
  const DWORD attributes = GetFileAttributesA(linkPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ShellLinkShortcuts::ReadArguments(const std::string& linkPath) {
  platform::ComScope com;
  ShellLink shell;
  if (FAILED(shell.file->Load(WidePath(linkPath).c_str(), STGM_READ)))
    throw ShortcutError("unreadable shortcut");
  char arguments[MAX_PATH] = {};
  if (FAILED(shell.link->GetArguments(arguments, MAX_PATH))) throw ShortcutError("unreadable shortcut");
  arguments[MAX_PATH - 1] = '\0';
  return arguments;
}

void ShellLinkShortcuts::Save(const std::string& linkPath, const std::string& target,
                              const std::string& workingFolder, const std::string& arguments) {
  platform::ComScope com;
  ShellLink shell;
  shell.link->SetArguments(arguments.c_str());
  shell.link->SetPath(target.c_str());
  shell.link->SetWorkingDirectory(workingFolder.c_str());
  if (FAILED(shell.file->Save(WidePath(linkPath).c_str(), FALSE))) throw ShortcutError("shortcut not saved");
}

void ShellLinkShortcuts::Delete(const std::string& linkPath) { DeleteFileA(linkPath.c_str()); }

}  // namespace tapestrel::settings_ui
