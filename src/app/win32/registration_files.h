// The registration's files on the Windows file API ("A" functions: paths are
// ANSI data). Copies go through a temporary file beside the target (in a
// hidden folder of ours inside the target's folder) that is renamed into
// place, so the wallpaper folder never holds a half-written picture: a failed
// copy leaves the old file, or none.
#pragma once

#include "app/registration_ports.h"

namespace tapestrel::app {

class WindowsRegistrationFiles : public RegistrationFiles {
 public:
  std::optional<RegistrationEntry> Find(const std::string& path) override;
  std::vector<RegistrationEntry> List(const std::string& folder) override;
  CopyOutcome CopyNew(const std::string& source, const std::string& target) override;
  bool Replace(const std::string& source, const std::string& target) override;
  void CopiesDone(const std::string& folder) override;

  static constexpr char kStagingFolderName[] = ".tapestrel-incoming";
  static constexpr char kTemporaryPrefix[] = "~tapestrel-";

 private:
  std::string StagingFolder(const std::string& targetFolder);
  bool CopyThroughTemporary(const std::string& source, const std::string& target, bool replace);
  std::string staging_;  // with its backslash; empty until the first copy
  unsigned counter_ = 0;
};

}  // namespace tapestrel::app
