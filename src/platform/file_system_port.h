// The few file-system questions portable code asks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tapestrel::platform {

struct FolderEntry {
  std::string name;  // file name only
  bool isDirectory = false;
  bool isHidden = false;
  uint64_t size = 0;
};

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  virtual bool FileExists(const std::string& path) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;
  // The entries of a folder (without "." and ".."); empty when it cannot be read.
  virtual std::vector<FolderEntry> ListFolder(const std::string& folder) const = 0;
  // Creates the folder and any missing parents; true when it exists afterwards.
  virtual bool CreateFolder(const std::string& folder) const = 0;
  // Puts the finished file `replacement` in the place of `target` in one
  // step, flushed to the disk first, so that `target` is never seen half
  // written. False when it cannot; `replacement` is then deleted and
  // `target` is as it was.
  virtual bool MoveReplacementOver(const std::string& replacement, const std::string& target) const = 0;
};

}  // namespace tapestrel::platform
