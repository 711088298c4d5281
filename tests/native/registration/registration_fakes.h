// In-memory stand-ins for the registration's ports: a file tree that logs
// what happens to it, a progress window that records what it shows, and
// scripted answers to the question.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/picture_registration.h"

namespace tapestrel::testing {

class FakeTree : public app::RegistrationFiles {
 public:
  std::map<std::string, std::string> files;                 // path -> content
  std::map<std::string, std::vector<std::string>> folders;  // "X\" -> names in listing order
  std::vector<std::string> links;                           // folders that are links
  std::vector<std::string> log;  // "new <target>", "replace <target>", "list <folder>", "done <folder>"
  std::string failCopyOf, throwOnCopyOf;
  std::string arrivesMeanwhile;  // a target another program creates during the copy
  size_t piece = 0;
  size_t written = 0;  // bytes copied, whatever became of them

  // A file, or a folder for a path ending in "\", with its parents.
  void Add(const std::string& path, const std::string& content = "") {
    const bool folder = path.back() == '\\';
    const std::string bare = folder ? path.substr(0, path.size() - 1) : path;
    const size_t cut = bare.rfind('\\');
    if (cut != std::string::npos) {
      const std::string parent = bare.substr(0, cut + 1);
      if (!folders.count(parent)) Add(parent);
      auto& names = folders[parent];
      if (std::find(names.begin(), names.end(), bare.substr(cut + 1)) == names.end())
        names.push_back(bare.substr(cut + 1));
    }
    if (folder) folders[path];
    if (!folder) files[path] = content;
  }
  std::vector<std::string> Copies() const {
    std::vector<std::string> out;
    for (const std::string& line : log) {
      if (line.rfind("new ", 0) == 0 || line.rfind("replace ", 0) == 0) out.push_back(line);
    }
    return out;
  }

  std::optional<app::RegistrationEntry> Find(const std::string& path) override {
    const std::string name = path.substr(path.rfind('\\') + 1);
    if (files.count(path)) return app::RegistrationEntry{name, false, false};
    if (!folders.count(path + "\\")) return std::nullopt;
    return app::RegistrationEntry{name, true, std::count(links.begin(), links.end(), path) != 0};
  }
  std::vector<app::RegistrationEntry> List(const std::string& folder) override {
    log.push_back("list " + folder);
    std::vector<app::RegistrationEntry> entries;
    for (const std::string& name : folders[folder]) entries.push_back(*Find(folder + name));
    return entries;
  }
  // Copies `piece` bytes at a time (all at once for 0), as the real files do.
  app::CopyOutcome Copy(const std::string& source, const std::string& target, bool replace,
                        const std::function<bool()>& between) override {
    if (source == throwOnCopyOf) throw std::runtime_error("the disk went away");
    if (source == failCopyOf || !files.count(source)) return app::CopyOutcome::Failed;
    const std::string content = files[source];
    for (size_t done = 0; done < content.size();) {
      const size_t n = piece ? std::min(piece, content.size() - done) : content.size() - done;
      done += n;
      written += n;
      if (done < content.size() && !between()) return app::CopyOutcome::Failed;
    }
    if (target == arrivesMeanwhile) Add(target, "theirs");
    if (!replace && files.count(target)) return app::CopyOutcome::TargetExists;
    log.push_back((replace ? "replace " : "new ") + target);
    Add(target, content);
    return app::CopyOutcome::Copied;
  }
  void CopiesDone(const std::string& folder) override { log.push_back("done " + folder); }

};

class FakeProgress : public app::RegistrationProgress {
 public:
  std::string state, fileName;
  std::vector<std::string> states, counts;
  int maximum = -1, position = -1, opens = 0, closes = 0, pumps = 0;
  bool shown = false, mainEnabled = true, redrawSuspended = false;
  std::function<void(int pump)> onPump;  // a click on "中止" and such

  void Open() override {
    ++opens;
    shown = true;
    mainEnabled = false;
  }
  void Close() noexcept override {
    ++closes;
    ClickStop();
    mainEnabled = true;
  }
  void SetState(const std::string& text) override { states.push_back(state = text); }
  std::string State() const override { return state; }
  void SetFileName(const std::string& name) override { fileName = name; }
  void SetCount(const std::string& text) override { counts.push_back(text); }
  void SetMaximum(int m) override { maximum = m; }
  void SetPosition(int p) override { position = p; }
  void ProcessMessages() override {
    if (onPump) onPump(++pumps);
  }
  void SuspendViewRedraw(bool suspend) override { redrawSuspended = suspend; }
  // "中止": the window closes; the main window waits for the engine.
  void ClickStop() {
    state = app::kStateStopping;
    shown = false;
  }
};

class ScriptedQuestion : public app::OverwriteQuestion {
 public:
  std::deque<app::OverwriteAnswer> answers;
  std::vector<std::string> asked;
  std::function<void()> onAsk;  // looks at the files while the question shows
  app::OverwriteAnswer Ask(const std::string& name) override {
    asked.push_back(name);
    if (onAsk) onAsk();
    if (answers.empty()) throw std::logic_error("unexpected question about " + name);
    const app::OverwriteAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace tapestrel::testing
