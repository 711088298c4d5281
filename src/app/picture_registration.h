// Registering pictures: the files given, and the picture files found in the
// folders given (searched to any depth), are copied into the wallpaper
// folder, asking before a file of the same name is replaced. One engine
// behind the open dialog, the folder dialog, dropping and pasting.
#pragma once

#include <string>
#include <vector>

#include "app/registration_ports.h"

namespace tapestrel::app {

// The phase texts of the progress window.
inline constexpr char kStateSearching[] = "ファイルを検索しています";
inline constexpr char kStateCopying[] = "ファイルをコピーしています";
inline constexpr char kStateStopping[] = "登録を中止しています";

// What the overwrite question says after the file name.
inline constexpr char kOverwriteQuestionSuffix[] = " はすでに登録されています。上書きしますか？";

class PictureRegistration {
 public:
  struct Ports {
    RegistrationFiles& files;
    RegistrationProgress& progress;
    OverwriteQuestion& question;
  };
  explicit PictureRegistration(Ports ports) : ports_(ports) {}

  // `pictureMask` is the browser's extension list ("*.bmp;*.jpg;"): a file
  // is a picture when its lower-cased extension occurs in it. Entries are
  // full paths of files or folders. Answers the number of files copied.
  // An error ends the registration with the window closed and the main
  // window enabled, then goes on to the caller.
  int RegisterPictures(const std::vector<std::string>& entries, const std::string& wallpaperFolder,
                       const std::string& pictureMask);

  bool Running() const { return running_; }

 private:
  struct Run;
  bool Step(Run& run);
  void SearchEntries(Run& run, const std::vector<std::string>& entries);
  void SearchFolder(Run& run, const std::string& folder);
  void Consider(Run& run, const std::string& path, const RegistrationEntry& entry, bool given);
  void Copy(Run& run);
  bool CopyOne(Run& run, const std::string& source, const std::string& target);
  bool MayReplace(Run& run, const std::string& name);
  bool Stopping() const;

  Ports ports_;
  bool running_ = false;
};

}  // namespace tapestrel::app
