#include "app/win32/registration_files.h"

#include <windows.h>

#include <cstring>

#include "platform/paths.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tapestrel::app {
namespace {

RegistrationEntry EntryOf(const std::string& name, const WIN32_FIND_DATAW& data) {
  return {name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
          (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
}

// The path without the length limit ("\\?\C:\..." or "\\?\UNC\server\..."):
// the temporary file's path is longer than its target's, and a target that
// fits MAX_PATH must not fail for it. Empty when it has no full form.
std::wstring LongPath(const std::string& path) {
  const std::wstring wide = platform::AnsiToWide(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return {};
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  if (full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A leftover temporary file goes, read-only or not.
void Discard(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

// A new file that takes itself away unless it is kept: every way out of a
// copy that did not finish, an error included, leaves nothing behind.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(HANDLE file, std::wstring path) : file_(file), path_(std::move(path)) {}
  TemporaryFile(TemporaryFile&&) = default;
  ~TemporaryFile() {
    if (!file_ || kept_) return;
    FILE_DISPOSITION_INFO gone{TRUE};
    const bool marked = SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &gone, sizeof gone);
    file_.Reset();
    if (!marked) Discard(path_);
  }
  explicit operator bool() const { return static_cast<bool>(file_); }
  HANDLE Get() const { return file_.Get(); }
  void Keep() { kept_ = true; }

 private:
  platform::UniqueFileHandle file_;
  std::wstring path_;
  bool kept_ = false;
};

// Gives the open file its final name, in one step and through its own
// handle: no moment shows a part, and no other program can open it between
// the last piece and the rename.
bool RenameTo(HANDLE file, const std::wstring& longTarget, bool replace) {
  // The name as the kernel takes it: "\??\C:\..." or "\??\UNC\server\...".
  const std::wstring name = L"\\??\\" + longTarget.substr(4);
  std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, name.data(), info->FileNameLength);
  return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != FALSE;
}

// The whole file in pieces; false when reading or writing fails or `between`
// says stop.
bool CopyPieces(HANDLE from, HANDLE to, std::vector<char>& piece, const std::function<bool()>& between) {
  constexpr DWORD kPieceBytes = WindowsRegistrationFiles::kPieceBytes;
  piece.resize(kPieceBytes);
  for (;;) {
    DWORD read = 0, written = 0;
    if (!ReadFile(from, piece.data(), kPieceBytes, &read, nullptr)) return false;
    if (read == 0) return true;
    if (!WriteFile(to, piece.data(), read, &written, nullptr) || written != read) return false;
    // Only a full piece can have another after it.
    if (read == kPieceBytes && !between()) return false;
  }
}

// A file of a new name `prefix` + number + ".tmp", open to be written.
TemporaryFile NewTemporary(const std::wstring& prefix, unsigned& counter) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::wstring path = prefix + std::to_wstring(counter++) + L".tmp";
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE) return TemporaryFile(file, std::move(path));
    // A name someone already uses is never overwritten: the next is tried.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

}  // namespace

std::optional<RegistrationEntry> WindowsRegistrationFiles::Find(const std::string& path) {
  // A drive ("D:") has no entry of its own to find: it is a folder without a name.
  if (path.size() == 2 && path[1] == ':') {
    const DWORD attributes = GetFileAttributesA((path + "\\").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return std::nullopt;
    return RegistrationEntry{"", true, false};
  }
  std::optional<RegistrationEntry> entry;
  platform::FindEachAnsi(path, [&](const std::string& name, const WIN32_FIND_DATAW& data) {
    if (!entry) entry = EntryOf(name, data);
  });
  return entry;
}

std::vector<RegistrationEntry> WindowsRegistrationFiles::List(const std::string& folder) {
  std::vector<RegistrationEntry> entries;
  platform::FindEachAnsi(folder + "*.*", [&](const std::string& name, const WIN32_FIND_DATAW& data) {
    entries.push_back(EntryOf(name, data));
  });
  return entries;
}

CopyOutcome WindowsRegistrationFiles::Copy(const std::string& source, const std::string& target, bool replace,
                                            const std::function<bool()>& between) {
  const std::wstring longTarget = LongPath(target);
  if (longTarget.empty()) return CopyOutcome::Failed;
  // A read-only file is not replaced, as CopyFileA would not replace it
  // (a rename over it succeeds on some systems).
  if (replace) {
    const DWORD old = GetFileAttributesW(longTarget.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY)) return CopyOutcome::Failed;
  }

  platform::UniqueFileHandle in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  // Only the times and attributes: the full record would also ask for the
  // volume's serial number, a costly question that adds up over thousands of
  // small pictures.
  FILE_BASIC_INFO about;
  if (!in || !GetFileInformationByHandleEx(in.Get(), FileBasicInfo, &about, sizeof about)) return CopyOutcome::Failed;
  const std::wstring staging = StagingFolder(platform::ExtractFilePath(target));
  if (staging.empty()) return CopyOutcome::Failed;
  TemporaryFile temporary = NewTemporary(staging + platform::AnsiToWide(kTemporaryPrefix), counter_);
  if (!temporary || !CopyPieces(in.Get(), temporary.Get(), piece_, between)) return CopyOutcome::Failed;
  if (!RenameTo(temporary.Get(), longTarget, replace)) {
    return !replace && FileExists(longTarget) ? CopyOutcome::TargetExists : CopyOutcome::Failed;
  }
  temporary.Keep();
  // As a plain copy leaves it: the source's time of writing and attributes.
  FILE_BASIC_INFO basic{};
  basic.LastWriteTime = about.LastWriteTime;
  basic.FileAttributes = about.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  SetFileInformationByHandle(temporary.Get(), FileBasicInfo, &basic, sizeof basic);
  return CopyOutcome::Copied;
}

void WindowsRegistrationFiles::CopiesDone(const std::string&) {
  if (staging_.empty()) return;
  // Only our own leftovers, such as those of a copy cut short earlier.
  const std::wstring prefix = platform::AnsiToWide(kTemporaryPrefix);
  std::vector<std::wstring> leftovers;
  WIN32_FIND_DATAW data;
  platform::UniqueFindHandle find(FindFirstFileW((staging_ + L"*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.rfind(prefix, 0) == 0)
        leftovers.push_back(staging_ + name);
    } while (FindNextFileW(find.Get(), &data));
  }
  find.Reset();
  for (const std::wstring& path : leftovers) Discard(path);
  RemoveDirectoryW(staging_.c_str());
  staging_.clear();
  stagingFor_.clear();
}

std::wstring WindowsRegistrationFiles::StagingFolder(const std::string& targetFolder) {
  if (!staging_.empty() && stagingFor_ == targetFolder) return staging_;
  const std::wstring folder = LongPath(targetFolder);
  if (folder.empty()) return folder;
  // A hidden folder of our own inside the target folder: on the same volume,
  // so the final rename is one atomic step, and small, so creating each
  // temporary file is quick however many pictures the folder holds, and
  // what a copy cut short leaves behind is found again. Without it, the
  // target folder itself.
  const std::wstring staging = folder + platform::AnsiToWide(kStagingFolderName);
  CreateDirectoryW(staging.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(staging.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
  SetFileAttributesW(staging.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
  staging_ = staging + L"\\";
  stagingFor_ = targetFolder;
  return staging_;
}

}  // namespace tapestrel::app
