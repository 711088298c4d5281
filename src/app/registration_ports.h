// What picture registration needs from the system: the files it searches and
// copies, the progress window it reports to (which also disables the main
// window and lets messages run), and the overwrite question.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tapestrel::app {

struct RegistrationEntry {
  std::string name;  // the file-system name, without folder
  bool isDirectory = false;
  bool isReparsePoint = false;  // a link or junction: not followed when met inside a folder
};

enum class CopyOutcome { Copied, TargetExists, Failed };

class RegistrationFiles {
 public:
  virtual ~RegistrationFiles() = default;
  // The entry a path names, as the file system finds it; nothing when absent.
  virtual std::optional<RegistrationEntry> Find(const std::string& path) = 0;
  // Everything in a folder (hidden and system entries too, without "." and
  // ".."), in the order the file system returns it. `folder` ends with "\".
  virtual std::vector<RegistrationEntry> List(const std::string& folder) = 0;
  // Copies in pieces through a temporary file that takes the target's name
  // only once it is whole, so a failed or stopped copy leaves the old file,
  // or none, never a part. Without `replace`, a file of that name is never
  // replaced: TargetExists says one is there (it came while this one was
  // copied). `between` runs between the pieces of a large file; when it
  // answers false the copy stops there (Failed).
  virtual CopyOutcome Copy(const std::string& source, const std::string& target, bool replace,
                           const std::function<bool()>& between) = 0;
  // The copies into `folder` are over: what they left behind can go.
  virtual void CopiesDone(const std::string& folder) = 0;
};

class RegistrationProgress {
 public:
  virtual ~RegistrationProgress() = default;
  // Resets the controls, disables the main window and shows the window.
  virtual void Open() = 0;
  // Hides the window (which sets the stopping text) and enables the main
  // window again. Must not throw.
  virtual void Close() noexcept = 0;
  // The phase text (UTF-8); it doubles as the stop signal.
  virtual void SetState(const std::string& text) = 0;
  virtual std::string State() const = 0;
  virtual void SetFileName(const std::string& ansiName) = 0;
  virtual void SetCount(const std::string& text) = 0;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  // Lets pending window messages run: how "中止" gets through.
  virtual void ProcessMessages() = 0;
  // Holds back the browser's redrawing while files arrive.
  virtual void SuspendViewRedraw(bool suspend) = 0;
};

enum class OverwriteAnswer { Yes, No, Cancel, NoToAll, YesToAll };

class OverwriteQuestion {
 public:
  virtual ~OverwriteQuestion() = default;
  // "<name> はすでに登録されています。上書きしますか？"
  virtual OverwriteAnswer Ask(const std::string& ansiFileName) = 0;
};

}  // namespace tapestrel::app
