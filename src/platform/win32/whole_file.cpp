#include "platform/win32/whole_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/paths.h"
#include "platform/win32/handles.h"

namespace tapestrel::platform {
namespace {

using File = UniqueFileHandle;

// Hidden and system files stay so when they are replaced.
DWORD AttributesForReplacement(const std::string& target) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FILE_ATTRIBUTE_NORMAL;
  const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  return kept ? kept : FILE_ATTRIBUTE_NORMAL;
}

bool MoveOver(const std::string& replacement, const std::string& target) {
  // MOVEFILE_REPLACE_EXISTING replaces the target in one rename; without
  // MOVEFILE_COPY_ALLOWED it never falls back to a copy, which could be cut
  // short. Write-through returns only once the move is on the disk.
  return MoveFileExA(replacement.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, size_t maxBytes) {
  File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t used = 0;
  while (used < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - used, 1u << 20));
    if (!ReadFile(file.Get(), bytes.data() + used, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;  // shorter than it said
    used += got;
  }
  bytes.resize(used);
  return bytes;
}

bool MoveReplacementOver(const std::string& replacement, const std::string& target) {
  bool flushed = false;
  {
    File file(CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    flushed = file && FlushFileBuffers(file.Get());
  }
  if (flushed && MoveOver(replacement, target)) return true;
  DeleteFileA(replacement.c_str());
  return false;
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  const std::string replacement = ReplacementPathFor(path);
  bool written = false;
  {
    // Nobody else may open the replacement while it is written: a second
    // writer at the same moment fails here instead of mixing its bytes in.
    File file(CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          AttributesForReplacement(path), nullptr));
    if (!file) return false;
    written = true;
    for (size_t done = 0; written && done < bytes.size();) {
      DWORD put = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      written = WriteFile(file.Get(), bytes.data() + done, want, &put, nullptr) && put == want;
      done += put;
    }
    // A write time of its own, to the tick: the profile API of some
    // systems keeps a file it has read until its write time changes, and
    // two saves within the file system's coarser tick would look the same.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    written = written && SetFileTime(file.Get(), nullptr, nullptr, &now) && FlushFileBuffers(file.Get());
  }
  if (written && MoveOver(replacement, path)) return true;
  DeleteFileA(replacement.c_str());
  return false;
}

}  // namespace tapestrel::platform
