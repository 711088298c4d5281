// The registration's files on the Windows file API ("A" functions: paths are
// ANSI data). Copies go through a temporary file in the target's folder that
// is renamed into place, so the wallpaper folder never holds a half-written
// picture: a failed copy leaves the old file, or none.
#pragma once

#include "app/registration_ports.h"

namespace tapestrel::app {

class WindowsRegistrationFiles : public RegistrationFiles {
 public:
  std::optional<RegistrationEntry> Find(const std::string& path) override;
  std::vector<RegistrationEntry> List(const std::string& folder) override;
  bool FileExists(const std::string& path) override;
  bool CopyNew(const std::string& source, const std::string& target) override;
  bool Replace(const std::string& source, const std::string& target) override;

 private:
  bool CopyThroughTemporary(const std::string& source, const std::string& target, bool replace);
  unsigned counter_ = 0;
};

}  // namespace tapestrel::app
