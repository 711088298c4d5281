// The registration's files on the Windows file API ("A" functions for the
// paths it is given: they are ANSI data). Copies go, in pieces, into a
// temporary file beside the target (in a hidden folder of ours inside the
// target's folder) that is renamed into place once whole, so the wallpaper
// folder never holds a half-written picture: a failed or stopped copy leaves
// the old file, or none.
#pragma once

#include <vector>

#include "app/registration_ports.h"

namespace tapestrel::app {

class WindowsRegistrationFiles : public RegistrationFiles {
 public:
  std::optional<RegistrationEntry> Find(const std::string& path) override;
  std::vector<RegistrationEntry> List(const std::string& folder) override;
  CopyOutcome Copy(const std::string& source, const std::string& target, bool replace,
                   const std::function<bool()>& between) override;
  void CopiesDone(const std::string& folder) override;

  static constexpr char kStagingFolderName[] = ".tapestrel-incoming";
  static constexpr char kTemporaryPrefix[] = "~tapestrel-";
  // Small enough that "中止" and the windows answer at once, large enough
  // that a disk streams at full speed.
  static constexpr unsigned kPieceBytes = 1u << 20;

 private:
  // Where the temporary files of copies into `targetFolder` go, as a path
  // without the length limit, with its backslash.
  std::wstring StagingFolder(const std::string& targetFolder);
  std::string stagingFor_;  // the target folder, with its backslash
  std::wstring staging_;    // empty until the first copy
  unsigned counter_ = 0;
  std::vector<char> piece_;
};

}  // namespace tapestrel::app
