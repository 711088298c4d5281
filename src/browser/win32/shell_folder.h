// The entries' shell side: one folder of the shell namespace as a
// ShellFolderPort, and the desktop's item ID lists.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <vector>

#include "browser/folder_changes.h"
#include "browser/shell_items.h"
#include "platform/win32/com_ptr.h"

namespace tapestrel::browser {

// The port's item IDs are the shell's child ID lists.
inline LPITEMIDLIST AsIdList(ShellItemId* id) { return reinterpret_cast<LPITEMIDLIST>(id); }
inline LPCITEMIDLIST AsIdList(const ShellItemId* id) { return reinterpret_cast<LPCITEMIDLIST>(id); }
inline ShellItemId* AsItemId(LPITEMIDLIST id) { return reinterpret_cast<ShellItemId*>(id); }

platform::ComPtr<IShellFolder> DesktopFolder();
// The absolute ID list of a parsing name; empty when the shell cannot parse it.
platform::UniqueIdList ParseAbsolute(const std::wstring& path);
platform::UniqueIdList CloneIdList(LPCITEMIDLIST id);
// The file-system path of an absolute ID list, empty when it has none.
std::wstring PathOfIdList(LPCITEMIDLIST id);
std::wstring DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST child, SHGDNF flags);

class ShellFolder : public ShellFolderPort {
 public:
  // `absolute` is the folder's own absolute ID list (the desktop's is empty).
  ShellFolder(platform::ComPtr<IShellFolder> folder, LPCITEMIDLIST absolute, HWND owner);

  IShellFolder* Interface() const { return folder_.Get(); }
  LPCITEMIDLIST AbsoluteId() const { return absolute_.Get(); }
  // The child's absolute ID list.
  platform::UniqueIdList Absolute(const ShellItemId* id) const;
  // SFGAO_ bits of the asked mask that every child has.
  ULONG ShellAttributes(const LPCITEMIDLIST* children, UINT count, ULONG mask) const;

  bool Enumerate(EnumFlags flags, const std::function<void(ShellItemId*)>& take) override;
  void Free(ShellItemId* id) override { CoTaskMemFree(id); }
  uint32_t Attributes(const ShellItemId* id) override;
  std::wstring ParsingName(const ShellItemId* id) override;
  std::wstring DisplayName(const ShellItemId* id) override;
  std::optional<ItemFileData> FileData(const ShellItemId* id) override;
  std::wstring TypeName(const ShellItemId* id) override;
  int IconIndex(const ShellItemId* id) override;
  int Compare(int column, const ShellItemId* a, const ShellItemId* b) override;
  bool OrdersByColumn(int column) override;
  int CompareTexts(std::wstring_view a, std::wstring_view b) override;
  std::string NameOrderKey(std::wstring_view fileName) override;
  ShellItemId* ParseChild(std::wstring_view fileName) override;
  bool IconFollowsExtension(std::wstring_view extension) override;
  std::wstring ChildPathPrefix() override;

 private:
  platform::ComPtr<IShellFolder> folder_;
  platform::UniqueIdList absolute_;
  HWND owner_;
  std::map<std::wstring, bool> ownIcons_;  // by extension
};

// The files and folders of a file-system folder, with the size and time its
// item ID lists carry. False when it cannot be listed.
bool ListFolder(const std::wstring& path, std::vector<ListedFile>& files);

// How the file-system folders' CompareIDs orders, found out once per process
// on scratch files: whether it orders by each column 0..4 (or by name
// whatever the column), and whether it compares digits in names as numbers
// ("n2" before "n10").
bool ShellOrdersFileSystemColumn(int column);
bool ShellOrdersNamesLogically();

}  // namespace tapestrel::browser
