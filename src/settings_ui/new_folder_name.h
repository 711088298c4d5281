// The name of a folder made by "フォルダの作成(&F)": "新しいフォルダ", or the first
// of "新しいフォルダ(2)", "新しいフォルダ(3)", ... that is still free.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tapestrel::settings_ui {

constexpr char kNewFolderName[] = "新しいフォルダ";  // UTF-8

// The full path of the new folder below `parent` (ANSI, with or without its
// trailing backslash), `baseName` in the same code page; nothing when
// `parent` is empty (a shell folder without a file-system path) or every
// candidate is taken.
std::optional<std::string> NewFolderPath(std::string_view parent, std::string_view baseName,
                                         const std::function<bool(const std::string&)>& exists);

}  // namespace tapestrel::settings_ui
