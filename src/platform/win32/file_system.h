// The file-system port on the Windows file API.
#pragma once

#include "platform/file_system_port.h"

namespace tapestrel::platform {

class WindowsFileSystem : public FileSystemPort {
 public:
  bool FileExists(const std::string& path) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::vector<FolderEntry> ListFolder(const std::string& folder) const override;
  bool CreateFolder(const std::string& folder) const override;
  bool MoveReplacementOver(const std::string& replacement, const std::string& target) const override;
};

// Every entry matching `pattern` (an ANSI path, wildcards allowed) that has
// an ANSI name (see FindEachAnsi).
std::vector<FolderEntry> FindFolderEntries(const std::string& pattern);

// The folder of the running executable, with a trailing backslash.
std::string ExecutableFolder();

}  // namespace tapestrel::platform
