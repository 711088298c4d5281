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

struct ShellOrder {
  std::array<bool, 5> columns{true, false, false, false, false};
  bool logicalNames = false;
};

platform::UniqueIdList ChildNamed(IShellFolder* folder, const wchar_t* name) {
  platform::UniqueIdList id;
  ULONG eaten = 0;
  if (FAILED(folder->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(name), &eaten, id.Put(), nullptr)))
    id.Reset();
  return id;
}

int ShellCompare(IShellFolder* folder, int column, const platform::UniqueIdList& a, const platform::UniqueIdList& b) {
  if (!a || !b) return 0;
  const HRESULT hr = folder->CompareIDs(column, a.Get(), b.Get());
  return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
}

ShellOrder ProbeShellOrder() {
  ShellOrder order;
  wchar_t temp[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, temp)) return order;
  const std::wstring folder = std::wstring(temp) + L"tapestrel-order-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return order;
  // "a" comes first by name but last by size, type name and date; "n2" comes
  // before "n10" only when digits count as numbers.
  const wchar_t* const names[] = {L"a.tz2", L"b.tz1", L"n2.tz1", L"n10.tz1"};
  const DWORD sizes[] = {2, 1, 1, 1};
  const int daysBack[] = {0, 3, 0, 0};
  bool written = true;
  for (int i = 0; i < 4; ++i)
    written = written && WriteScratchFile(folder + L"\\" + names[i], sizes[i], daysBack[i]);
  platform::ComPtr<IShellFolder> shell;
  const platform::UniqueIdList absolute = ParseAbsolute(folder);
  if (written && absolute &&
      SUCCEEDED(DesktopFolder()->BindToObject(absolute.Get(), nullptr, IID_IShellFolder, shell.PutVoid()))) {
    const platform::UniqueIdList a = ChildNamed(shell.Get(), names[0]), b = ChildNamed(shell.Get(), names[1]);
    for (int column = 1; column <= 3; ++column)
      order.columns[column] = ShellCompare(shell.Get(), column, a, b) > 0;
    order.columns[4] = order.columns[1] && order.columns[2] && order.columns[3];
    order.logicalNames = ShellCompare(shell.Get(), 0, ChildNamed(shell.Get(), names[2]),
                                      ChildNamed(shell.Get(), names[3])) < 0;
  }
  for (const wchar_t* name : names) DeleteFileW((folder + L"\\" + name).c_str());
  RemoveDirectoryW(folder.c_str());
  return order;
}

const ShellOrder& TheShellOrder() {
  static const ShellOrder order = ProbeShellOrder();
  return order;
}

// Whether files of an extension carry icons of their own: programs, icons,
// cursors and links by their kind, others when their class draws each
// file's icon ("%1", or an icon handler).
bool ExtensionHasOwnIcons(const std::wstring& ext) {
  static const wchar_t* const kOwn[] = {L".exe", L".ico", L".cur", L".ani", L".lnk", L".url",      L".dll",
                                        L".cpl", L".scr", L".pif", L".msc", L".icl", L".appref-ms"};
  for (const wchar_t* own : kOwn) {
    if (ext == own) return true;
  }
  const auto readDefault = [](const std::wstring& key) {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
      return std::wstring();
    return std::wstring(value);
  };
  const auto exists = [](const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  };
  if (exists(ext + L"\\ShellEx\\IconHandler")) return true;
  const std::wstring progId = readDefault(ext);
  if (progId.empty()) return false;
  const std::wstring icon = readDefault(progId + L"\\DefaultIcon");
  return icon.find(L"%1") != std::wstring::npos || exists(progId + L"\\ShellEx\\IconHandler");
}

}  // namespace

platform::ComPtr<IShellFolder> DesktopFolder() {
  platform::ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop.Put());
  return desktop;
}

platform::UniqueIdList ParseAbsolute(const std::wstring& path) {
  platform::UniqueIdList id;
  platform::ComPtr<IShellFolder> desktop = DesktopFolder();
  ULONG eaten = 0;
  if (!desktop || path.empty() ||
      FAILED(desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(path.c_str()), &eaten, id.Put(),
                                       nullptr)))
    id.Reset();
  return id;
}

platform::UniqueIdList CloneIdList(LPCITEMIDLIST id) { return platform::UniqueIdList(id ? ILClone(id) : nullptr); }

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
  return column >= 0 && column < 5 && TheShellOrder().columns[static_cast<size_t>(column)];
}

bool ShellOrdersNamesLogically() { return TheShellOrder().logicalNames; }

ShellFolder::ShellFolder(platform::ComPtr<IShellFolder> folder, LPCITEMIDLIST absolute, HWND owner)
    : folder_(std::move(folder)), absolute_(CloneIdList(absolute)), owner_(owner) {}

platform::UniqueIdList ShellFolder::Absolute(const ShellItemId* id) const {
  return platform::UniqueIdList(ILCombine(absolute_.Get(), AsIdList(id)));
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
  platform::ComPtr<IEnumIDList> items;
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
  const platform::UniqueIdList absolute = Absolute(id);
  SHFILEINFOW info{};
  if (!absolute || !SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info,
                                   SHGFI_PIDL | SHGFI_TYPENAME))
    return {};
  return info.szTypeName;
}

int ShellFolder::IconIndex(const ShellItemId* id) {
  const platform::UniqueIdList absolute = Absolute(id);
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

std::string ShellFolder::NameOrderKey(std::wstring_view fileName) {
  // The user's collation ignoring case, as the shell compares plain names;
  // a shell that reads digits as numbers gets no keys.
  if (ShellOrdersNamesLogically() || fileName.empty()) return {};
  const int length = static_cast<int>(fileName.size());
  const int size =
      LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, fileName.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::string key(static_cast<size_t>(size), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, fileName.data(), length,
               reinterpret_cast<LPWSTR>(key.data()), size);
  while (!key.empty() && key.back() == '\0') key.pop_back();  // the key's own end mark
  return key;
}

ShellItemId* ShellFolder::ParseChild(std::wstring_view fileName) {
  std::wstring name(fileName);
  LPITEMIDLIST child = nullptr;
  ULONG eaten = 0;
  if (FAILED(folder_->ParseDisplayName(owner_, nullptr, name.data(), &eaten, &child, nullptr)) || !child)
    return nullptr;
  if (ILIsEmpty(child) || !ILIsEmpty(ILGetNext(child))) {  // not one child of this folder
    CoTaskMemFree(child);
    return nullptr;
  }
  return AsItemId(child);
}

bool ListFolder(const std::wstring& path, std::vector<ListedFile>& files) {
  files.clear();
  std::wstring pattern = path;
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW find;
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &find, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    ListedFile file;
    file.name = find.cFileName;
    file.size = (static_cast<uint64_t>(find.nFileSizeHigh) << 32) | find.nFileSizeLow;
    file.attributes = find.dwFileAttributes;
    // As the shell puts it into an item ID list: local time, DOS form.
    FILETIME local;
    WORD date = 0, time = 0;
    if (FileTimeToLocalFileTime(&find.ftLastWriteTime, &local)) FileTimeToDosDateTime(&local, &date, &time);
    file.dosDateTime = (static_cast<uint32_t>(date) << 16) | time;
    files.push_back(std::move(file));
  } while (FindNextFileW(search, &find));
  FindClose(search);
  return true;
}

bool ShellFolder::IconFollowsExtension(std::wstring_view extension) {
  const std::wstring ext(extension);
  const auto found = ownIcons_.find(ext);
  if (found != ownIcons_.end()) return !found->second;
  const bool own = ExtensionHasOwnIcons(ext);
  ownIcons_.emplace(ext, own);
  return !own;
}

std::wstring ShellFolder::ChildPathPrefix() {
  std::wstring path = PathOfIdList(absolute_.Get());
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

}  // namespace tapestrel::browser
