// The texts of the main window's status bar: panel 0 describes the selection,
// panel 1 the thumbnail being loaded. UTF-8, as the program's own texts are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tapestrel::app {

// What panel 0 needs to know of the view.
struct SelectionSummary {
  int itemCount = 0;
  int selectedCount = 0;
  // The first selected item; read only when something is selected.
  bool firstIsFolder = false;
  std::string firstTypeName;
  uint64_t firstFileSize = 0;
};

// "12 個のオブジェクト", "3 個のオブジェクトを選択",
// "種類:JPEG イメージ サイズ: 1024 バイト" or "種類:JPEG イメージ サイズ: 2KB".
std::string SelectionStatusText(const SelectionSummary& selection);

// The browser's size of a file: whole kilobytes plus one, "1KB" for an empty
// file, "2KB" for 1024 bytes.
std::string KilobyteSizeText(uint64_t bytes);

// Panel 1 while a thumbnail is made: "<name> を開いています".
std::string LoadingStatusText(std::string_view displayName);

}  // namespace tapestrel::app
