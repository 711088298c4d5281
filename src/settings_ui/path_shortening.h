// A path shown in a field too narrow for it loses folders from the left,
// each replaced by "...\", until it fits; the file name alone is shown last,
// whether it fits or not. Used by the settings pages and the wallpaper-folder
// dialog.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tapestrel::settings_ui {

// `textWidth` measures a text in the display's font, in the units of
// `maxWidth`. For "C:\a\b\c\f" the candidates are, in order: the full path,
// "C:\...\b\c\f", "C:\...\c\f", "C:\...\f", "...\f" and "f".
std::wstring ShortenPath(std::wstring_view path, int maxWidth,
                         const std::function<int(std::wstring_view)>& textWidth);

}  // namespace tapestrel::settings_ui
