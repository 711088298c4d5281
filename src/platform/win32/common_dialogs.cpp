#include "platform/win32/common_dialogs.h"

#include "platform/dialog_selection.h"
#include "platform/win32/late_bound.h"

namespace tapestrel::platform {
namespace {
constexpr char kLibrary[] = "comdlg32.dll";
}

bool ShowOpenFileDialog(OPENFILENAMEW& dialog) {
  static const auto open = LateBound<decltype(&GetOpenFileNameW)>(kLibrary, "GetOpenFileNameW");
  return open && open(&dialog);
}

bool ShowOpenFileDialog(OPENFILENAMEA& dialog) {
  static const auto open = LateBound<decltype(&GetOpenFileNameA)>(kLibrary, "GetOpenFileNameA");
  return open && open(&dialog);
}

bool ShowColorDialog(CHOOSECOLORW& dialog) {
  static const auto choose = LateBound<decltype(&ChooseColorW)>(kLibrary, "ChooseColorW");
  return choose && choose(&dialog);
}

std::vector<std::wstring> ChosenFiles(const OPENFILENAMEW& dialog) {
  std::vector<std::wstring> files;
  if (!dialog.lpstrFile) return files;
  const std::u16string_view buffer(reinterpret_cast<const char16_t*>(dialog.lpstrFile), dialog.nMaxFile);
  for (const std::u16string& path : SplitDialogSelection(buffer)) files.emplace_back(path.begin(), path.end());
  return files;
}

}  // namespace tapestrel::platform
