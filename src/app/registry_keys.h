// The registry keys below HKEY_CURRENT_USER that the program reads and writes.
#pragma once

namespace tapestrel::app {

inline constexpr char kDesktopKey[] = "Control Panel\\Desktop";
inline constexpr char kColorsKey[] = "Control Panel\\Colors";
inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace tapestrel::app
