#include "platform/win32/ansi_path.h"

#include <atomic>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tapestrel::platform {
namespace {

constexpr char kNameUnusableMessage[] =
    "\r\n\r\nこの名前にはTapestrelで扱えない文字が含まれているため使用できません。\r\n"
    "名前を変更してからやり直してください。";

std::optional<std::wstring> SystemShortPath(const std::wstring& path) {
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring shortPath(needed, L'\0');
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
  if (n == 0 || n >= needed) return std::nullopt;
  shortPath.resize(n);
  return shortPath;
}

// Read by the thumbnail worker as well as the window thread.
std::atomic<ShortPathFinder> g_finder{&SystemShortPath};

}  // namespace

std::optional<std::string> PathToAnsi(std::wstring_view path) {
  if (std::optional<std::string> exact = WideToAnsiExact(path)) return exact;
  const std::optional<std::wstring> shortPath = g_finder.load()(std::wstring(path));
  if (!shortPath) return std::nullopt;
  return WideToAnsiExact(*shortPath);
}

std::vector<std::string> PathsToAnsi(const std::vector<std::wstring>& paths) {
  std::vector<std::string> out;
  for (const std::wstring& path : paths) {
    if (std::optional<std::string> ansi = PathToAnsi(path)) out.push_back(std::move(*ansi));
  }
  return out;
}

std::optional<std::string> ModulePathToAnsi(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::nullopt;
    if (n < path.size()) {
      path.resize(n);
      return PathToAnsi(path);
    }
    if (path.size() >= 32768) return std::nullopt;
    path.resize(path.size() * 2);
  }
}

void FindEachAnsi(const std::string& pattern,
                  const std::function<void(const std::string& name, const WIN32_FIND_DATAW& found)>& each) {
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW(AnsiToWide(pattern).c_str(), &found));
  if (!find) return;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::optional<std::string> ansi = WideToAnsiExact(name);
    if (!ansi && found.cAlternateFileName[0]) ansi = WideToAnsiExact(found.cAlternateFileName);
    if (ansi) each(*ansi, found);
  } while (FindNextFileW(find.Get(), &found));
}

void TellNameUnusable(HWND owner, std::wstring_view name) {
  const std::wstring text = std::wstring(name) + Utf8ToWide(kNameUnusableMessage);
  MessageBoxW(owner, text.c_str(), L"Tapestrel", MB_OK | MB_ICONWARNING);
}

ShortPathFinder SetShortPathFinder(ShortPathFinder finder) {
  return g_finder.exchange(finder ? finder : &SystemShortPath);
}

}  // namespace tapestrel::platform
