#include "browser/win32/shell_folder.h"

#include <shlwapi.h>

#include <array>

#include "platform/win32/handles.h"

namespace tapestrel::browser {
namespace {

std::wstring StrRetText(STRRET& s, LPCITEMIDLIST id) {
  LPWSTR text = nullptr;
  if (FAILED(StrRetToStrW(&s, id, &text)) || !text) return {};
  std::wstring result(text);
  CoTaskMemFree(text);
  return result;
}

bool WriteScratchFile(const std::wstring& path, DWORD size, int daysBack) {
  platform::UniqueFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const char bytes[2] = {'x', 'x'};
  DWORD written = 0;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= static_cast<ULONGLONG>(daysBack) * 864000000000ULL;
  const FILETIME when{t.LowPart, t.HighPart};
  return WriteFile(file.Get(), bytes, size, &written, nullptr) &&
         SetFileTime(file.Get(), nullptr, nullptr, &when);
}

std::array<bool, 5> ProbeColumnOrder() {
  std::array<bool, 5> orders{true, false, false, false, false};
  wchar_t temp[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, temp)) return orders;
  const std::wstring folder = std::wstring(temp) + L"tapestrel-order-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return orders;
  // "a" comes first by name but last by size, type name and date.
  const std::wstring a = folder + L"\\a.tz2", b = folder + L"\\b.tz1";
  if (WriteScratchFile(a, 2, 0) && WriteScratchFile(b, 1, 3)) {
    ComPtr<IShellFolder> shell;
    UniqueIdList absolute = ParseAbsolute(folder);
    UniqueIdList idA, idB;
    ULONG eaten = 0;
    if (absolute &&
        SUCCEEDED(
            DesktopFolder()->BindToObject(absolute.Get(), nullptr, IID_IShellFolder, shell.PutVoid())) &&
        SUCCEEDED(shell->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(L"a.tz2"), &eaten, idA.Put(),
                                          nullptr)) &&
        SUCCEEDED(shell->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(L"b.tz1"), &eaten, idB.Put(),
                                          nullptr))) {
      for (int column = 1; column <= 3; ++column) {
        const HRESULT hr = shell->CompareIDs(column, idA.Get(), idB.Get());
        orders[column] = SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) > 0;
      }
      orders[4] = orders[1] && orders[2] && orders[3];
    }
  }
  DeleteFileW(a.c_str());
  DeleteFileW(b.c_str());
  RemoveDirectoryW(folder.c_str());
  return orders;
}

}  // namespace

ComPtr<IShellFolder> DesktopFolder() {
  ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop.Put());
  return desktop;
}

UniqueIdList ParseAbsolute(const std::wstring& path) {
  UniqueIdList id;
  ComPtr<IShellFolder> desktop = DesktopFolder();
  ULONG eaten = 0;
  if (!desktop || path.empty() ||
      FAILED(desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(path.c_str()), &eaten, id.Put(),
                                       nullptr)))
    id.Reset();
  return id;
}

UniqueIdList CloneIdList(LPCITEMIDLIST id) { return UniqueIdList(id ? ILClone(id) : nullptr); }

std::wstring PathOfIdList(LPCITEMIDLIST id) {
  wchar_t path[MAX_PATH];
  if (!id || !SHGetPathFromIDListW(id, path)) return {};
  return path;
}

std::wstring DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST child, SHGDNF flags) {
  STRRET s{};
  if (!folder || FAILED(folder->GetDisplayNameOf(child, flags, &s))) return {};
  return StrRetText(s, child);
}

bool ShellOrdersFileSystemColumn(int column) {
  static const std::array<bool, 5> orders = ProbeColumnOrder();
  return column >= 0 && column < 5 && orders[static_cast<size_t>(column)];
}

ShellFolder::ShellFolder(ComPtr<IShellFolder> folder, LPCITEMIDLIST absolute, HWND owner)
    : folder_(std::move(folder)), absolute_(CloneIdList(absolute)), owner_(owner) {}

UniqueIdList ShellFolder::Absolute(const ShellItemId* id) const {
  return UniqueIdList(ILCombine(absolute_.Get(), AsIdList(id)));
}

ULONG ShellFolder::ShellAttributes(const LPCITEMIDLIST* children, UINT count, ULONG mask) const {
  ULONG attributes = mask;
  if (count == 0 ||
      FAILED(folder_->GetAttributesOf(count, const_cast<LPCITEMIDLIST*>(children), &attributes)))
    return 0;
  return attributes & mask;
}

bool ShellFolder::Enumerate(EnumFlags flags, const std::function<void(ShellItemId*)>& take) {
  SHCONTF contents = 0;
  if (flags.folders) contents |= SHCONTF_FOLDERS;
  if (flags.nonFolders) contents |= SHCONTF_NONFOLDERS;
  if (flags.hidden) contents |= SHCONTF_INCLUDEHIDDEN;
  ComPtr<IEnumIDList> items;
  const HRESULT hr = folder_->EnumObjects(owner_, contents, items.Put());
  if (FAILED(hr)) return false;
  if (!items) return true;  // S_FALSE: nothing to list
  LPITEMIDLIST batch[64];
  for (;;) {
    ULONG fetched = 0;
    const HRESULT next = items->Next(64, batch, &fetched);
    if (FAILED(next)) return true;
    fetched = std::min<ULONG>(fetched, 64);
    for (ULONG i = 0; i < fetched; ++i) {
      try {
        take(AsItemId(batch[i]));
      } catch (...) {
        for (ULONG rest = i + 1; rest < fetched; ++rest) CoTaskMemFree(batch[rest]);
        throw;
      }
    }
    if (next != S_OK || fetched == 0) return true;
  }
}

uint32_t ShellFolder::Attributes(const ShellItemId* id) {
  LPCITEMIDLIST child = AsIdList(id);
  const ULONG a = ShellAttributes(&child, 1, SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_SHARE | SFGAO_LINK);
  uint32_t result = 0;
  if (a & SFGAO_FOLDER) result |= kAttrFolder;
  if (a & SFGAO_FILESYSANCESTOR) result |= kAttrFileSystemAncestor;
  if (a & SFGAO_SHARE) result |= kAttrShared;
  if (a & SFGAO_LINK) result |= kAttrLink;
  return result;
}

std::wstring ShellFolder::ParsingName(const ShellItemId* id) {
  return DisplayNameOf(folder_.Get(), AsIdList(id), SHGDN_FORPARSING);
}

std::wstring ShellFolder::DisplayName(const ShellItemId* id) {
  return DisplayNameOf(folder_.Get(), AsIdList(id), SHGDN_INFOLDER);
}

std::optional<ItemFileData> ShellFolder::FileData(const ShellItemId* id) {
  WIN32_FIND_DATAW find{};
  if (FAILED(SHGetDataFromIDListW(folder_.Get(), AsIdList(id), SHGDFIL_FINDDATA, &find, sizeof find)))
    return {};
  ItemFileData data;
  data.size = (static_cast<uint64_t>(find.nFileSizeHigh) << 32) | find.nFileSizeLow;
  data.attributes = find.dwFileAttributes;
  data.lastWrite =
      (static_cast<uint64_t>(find.ftLastWriteTime.dwHighDateTime) << 32) | find.ftLastWriteTime.dwLowDateTime;
  FILETIME local;
  if (FileTimeToLocalFileTime(&find.ftLastWriteTime, &local))
    FileTimeToDosDateTime(&local, &data.dosDate, &data.dosTime);
  return data;
}

std::wstring ShellFolder::TypeName(const ShellItemId* id) {
  const UniqueIdList absolute = Absolute(id);
  SHFILEINFOW info{};
  if (!absolute || !SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info,
                                   SHGFI_PIDL | SHGFI_TYPENAME))
    return {};
  return info.szTypeName;
}

int ShellFolder::IconIndex(const ShellItemId* id) {
  const UniqueIdList absolute = Absolute(id);
  SHFILEINFOW info{};
  if (!absolute || !SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info,
                                   SHGFI_PIDL | SHGFI_SYSICONINDEX))
    return -1;
  return info.iIcon;
}

int ShellFolder::Compare(int column, const ShellItemId* a, const ShellItemId* b) {
  const HRESULT hr = folder_->CompareIDs(static_cast<LPARAM>(column), AsIdList(a), AsIdList(b));
  return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
}

bool ShellFolder::OrdersByColumn(int column) { return column == 0 || ShellOrdersFileSystemColumn(column); }

int ShellFolder::CompareTexts(std::wstring_view a, std::wstring_view b) {
  const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                               b.data(), static_cast<int>(b.size()));
  return r == 0 ? 0 : r - CSTR_EQUAL;
}

std::wstring ShellFolder::ChildPathPrefix() {
  std::wstring path = PathOfIdList(absolute_.Get());
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

}  // namespace tapestrel::browser
