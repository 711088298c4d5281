#include "platform/win32/common_dialogs.h"

#include "platform/dialog_selection.h"
#include "platform/win32/late_bound.h"
#include "platform/win32/text.h"

namespace tapestrel::platform {
namespace {
constexpr char kLibrary[] = "comdlg32.dll";
}

bool ShowColorDialog(CHOOSECOLORW& dialog) {
  static const auto choose = LateBound<decltype(&ChooseColorW)>(kLibrary, "ChooseColorW");
  return choose && choose(&dialog);
}

std::vector<std::wstring> ChooseFilesToOpen(HWND owner, const OpenFileOptions& options) {
  static const auto open = LateBound<decltype(&GetOpenFileNameW)>(kLibrary, "GetOpenFileNameW");
  if (!open) return {};
  // The filter's "|" separators become zeros; the list ends with two.
  std::wstring filter = Utf8ToWide(options.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  const std::wstring title = Utf8ToWide(options.title);
  const std::wstring extension = Utf8ToWide(options.defaultExtension);
  // Room for many names: with several chosen the dialog returns the folder,
  // then each name.
  std::wstring buffer(options.multiple ? 1 << 18 : MAX_PATH, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = options.filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                 (options.multiple ? OFN_ALLOWMULTISELECT : 0) | (options.mustExist ? OFN_FILEMUSTEXIST : 0);
  if (!open(&dialog)) return {};
  std::vector<std::wstring> files;
  for (const std::u16string& path : SplitDialogSelection(
           std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size()))) {
    files.emplace_back(path.begin(), path.end());
  }
  return files;
}

}  // namespace tapestrel::platform
