#include "app/picture_registration.h"

#include <unordered_set>

#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::app {
namespace {

// Wildcards cannot occur in a real path; "?" is also what a failed
// conversion leaves, so such an entry is never looked up or copied.
bool HasWildcard(const std::string& path) {
  return platform::AnsiFindLastOf(path, "?*") != std::string::npos;
}

// Restores the main window however the registration ends.
template <typename Action>
class AtExit {
 public:
  explicit AtExit(Action action) : action_(action) {}
  AtExit(const AtExit&) = delete;
  ~AtExit() { action_(); }

 private:
  Action action_;
};

}  // namespace

struct PictureRegistration::Run {
  std::string wallpaperFolder;  // without a trailing backslash
  std::string mask;             // lower-cased
  std::vector<std::string> found;
  bool stopped = false;
  int copied = 0;
  // The answers that hold for the rest of the copy.
  bool yesToAll = false, noToAll = false, cancelled = false;
  // The names of the wallpaper folder's files, lower-cased: listed once, so
  // that the question can come before the copy without a look into a large
  // folder for every file.
  std::unordered_set<std::string> taken;
};

int PictureRegistration::RegisterPictures(const std::vector<std::string>& entries,
                                          const std::string& wallpaperFolder,
                                          const std::string& pictureMask) {
  // The main window is disabled while this runs; a command that still gets
  // through (a posted message) must not start a second registration inside.
  if (running_ || wallpaperFolder.empty()) return 0;
  running_ = true;
  AtExit restore([this]() noexcept {
    ports_.progress.Close();
    running_ = false;
  });

  Run run;
  run.wallpaperFolder = platform::ExcludeTrailingBackslash(wallpaperFolder);
  run.mask = platform::AnsiLowerAscii(pictureMask);

  RegistrationProgress& progress = ports_.progress;
  progress.SetPosition(0);
  progress.SetState(kStateSearching);
  progress.SetFileName("");
  progress.SetCount("0/0");
  progress.Open();

  SearchEntries(run, entries);
  if (!run.found.empty() && !Stopping()) {
    progress.SetState(kStateCopying);
    progress.SuspendViewRedraw(true);
    AtExit redraw([&progress]() noexcept {
      try {
        progress.SuspendViewRedraw(false);
      } catch (...) {
      }
    });
    Copy(run);
  }
  return run.copied;
}

bool PictureRegistration::Stopping() const { return ports_.progress.State() == kStateStopping; }

bool PictureRegistration::Step(Run& run) {
  if (run.stopped) return false;
  ports_.progress.ProcessMessages();
  run.stopped = Stopping();
  return !run.stopped;
}

void PictureRegistration::SearchEntries(Run& run, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    if (!Step(run)) return;
    if (entry.empty() || HasWildcard(entry)) continue;
    // A folder may come with its trailing backslash ("C:\Pictures\").
    const std::string path = platform::ExcludeTrailingBackslash(entry);
    if (std::optional<RegistrationEntry> found = ports_.files.Find(path)) Consider(run, path, *found, true);
  }
}

void PictureRegistration::SearchFolder(Run& run, const std::string& folder) {
  for (const RegistrationEntry& entry : ports_.files.List(folder)) {
    if (!Step(run)) return;
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    Consider(run, folder + entry.name, entry, false);
  }
}

void PictureRegistration::Consider(Run& run, const std::string& path, const RegistrationEntry& entry,
                                   bool given) {
  if (entry.isDirectory) {
    if (!entry.name.empty() && entry.name[0] == '.') return;
    // A link inside a searched folder may lead back up the tree.
    if (!given && entry.isReparsePoint) return;
    SearchFolder(run, platform::ExtractFilePath(path) + entry.name + "\\");
    return;
  }
  const std::string name = entry.name.empty() ? platform::ExtractFileName(path) : entry.name;
  const std::string ext = platform::AnsiLowerAscii(platform::ExtractFileExt(name));
  // No extension is no picture (an empty text would match any mask).
  if (ext.size() < 2 || run.mask.find(ext) == std::string::npos) return;
  // Files of the wallpaper folder are never copied onto themselves.
  const std::string folder = platform::ExcludeTrailingBackslash(platform::ExtractFilePath(path));
  if (platform::AnsiEqualsIgnoreAsciiCase(folder, run.wallpaperFolder)) return;

  run.found.push_back(path);
  ports_.progress.SetFileName(name);
  ports_.progress.SetCount("0/" + std::to_string(run.found.size()));
}

void PictureRegistration::Copy(Run& run) {
  RegistrationProgress& progress = ports_.progress;
  RegistrationFiles& files = ports_.files;
  const std::string total = std::to_string(run.found.size());
  progress.SetMaximum(static_cast<int>(run.found.size()));
  AtExit tidy([&files, &run]() noexcept {
    try {
      files.CopiesDone(run.wallpaperFolder);
    } catch (...) {
    }
  });
  for (const RegistrationEntry& entry : files.List(platform::IncludeTrailingBackslash(run.wallpaperFolder))) {
    if (!entry.isDirectory) run.taken.insert(platform::AnsiLowerAscii(entry.name));
  }
  int done = 0;
  for (const std::string& source : run.found) {
    if (run.cancelled || !Step(run)) break;
    const std::string name = platform::ExtractFileName(source);
    const std::string target = platform::IncludeTrailingBackslash(run.wallpaperFolder) + name;
    if (CopyOne(run, source, target)) ++run.copied;
    // "中止" inside a large file: that file was not handled.
    if (run.stopped) break;
    progress.SetFileName(name);
    ++done;
    progress.SetPosition(done);
    progress.SetCount(std::to_string(done) + "/" + total);
  }
}

bool PictureRegistration::CopyOne(Run& run, const std::string& source, const std::string& target) {
  // The question comes before the copy: an answer of no costs nothing, and
  // yes copies once.
  const std::string name = platform::ExtractFileName(target);
  bool taken = run.taken.count(platform::AnsiLowerAscii(name)) != 0;
  for (;;) {
    if (taken && !MayReplace(run, name)) return false;
    const CopyOutcome outcome =
        ports_.files.Copy(source, target, taken, [this, &run] { return Step(run); });
    if (outcome == CopyOutcome::Copied) run.taken.insert(platform::AnsiLowerAscii(name));
    // A file of that name that came after the listing (from another program,
    // or under a case the listing did not match) is asked about all the same.
    if (outcome != CopyOutcome::TargetExists || taken || run.stopped) return outcome == CopyOutcome::Copied;
    taken = true;
  }
}

bool PictureRegistration::MayReplace(Run& run, const std::string& name) {
  if (run.yesToAll) return true;
  if (run.noToAll) return false;
  switch (ports_.question.Ask(name)) {
    case OverwriteAnswer::YesToAll:
      run.yesToAll = true;
      return true;
    case OverwriteAnswer::Yes:
      return true;
    case OverwriteAnswer::NoToAll:
      run.noToAll = true;
      return false;
    case OverwriteAnswer::No:
      return false;
    case OverwriteAnswer::Cancel:
      run.cancelled = true;
      return false;
  }
  return false;
}

}  // namespace tapestrel::app
