// In-memory stand-ins for the platform ports, for the native tests.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock_port.h"
#include "platform/desktop_port.h"
#include "platform/file_system_port.h"
#include "platform/locale_port.h"
#include "platform/profile_port.h"
#include "platform/registry_port.h"

namespace tapestrel::testing {

// A profile file as a map; remembers the order of writes and can refuse them.
class FakeProfile : public platform::ProfilePort {
 public:
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<std::string> writeLog;  // "Section/Key"
  bool readOnly = false;
  // Refuse writes from this key on ("Section/Key"); empty: never.
  std::string failFrom;

  std::string Path() const override { return "C:\\Tapestrel\\Tapestrel.ini"; }
  bool Exists() const override { return !values.empty(); }
  std::string ReadString(const std::string& s, const std::string& k,
                         const std::string& fallback) const override {
    auto it = values.find({s, k});
    if (it == values.end()) return fallback;
    return it->second.substr(0, kMaxValueLength);
  }
  // All the entries or, when one of them is refused, none.
  bool WriteStrings(const std::vector<Entry>& entries) override {
    for (const Entry& e : entries) {
      if (readOnly || (!failFrom.empty() && failFrom == e.section + "/" + e.key)) failing_ = true;
    }
    if (failing_) return false;
    for (const Entry& e : entries) {
      values[{e.section, e.key}] = e.value;
      writeLog.push_back(e.section + "/" + e.key);
    }
    ++writeSteps;
    return true;
  }
  int writeSteps = 0;  // calls of WriteStrings that wrote
  const std::string& Get(const std::string& s, const std::string& k) const { return values.at({s, k}); }
  bool Has(const std::string& s, const std::string& k) const { return values.count({s, k}) != 0; }

 private:
  bool failing_ = false;
};

class FakeLocale : public platform::LocalePort {
 public:
  platform::DateTimeFormat formats;
  std::map<int, std::string> keyNames;
  platform::DateTimeFormat DateTimeFormats() const override { return formats; }
  std::string KeyName(int vk) const override {
    auto it = keyNames.find(vk);
    return it == keyNames.end() ? std::string() : it->second;
  }
};

class FakeClock : public platform::ClockPort {
 public:
  platform::DateTime now = 45000.5;
  platform::DateTime Now() const override { return now; }
};

class FakeRegistry : public platform::RegistryPort {
 public:
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<std::string> writeLog;
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) const override {
    auto it = values.find({key, name});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteString(const std::string& key, const std::string& name, const std::string& value) override {
    values[{key, name}] = value;
    writeLog.push_back(key + "/" + name);
    return true;
  }
};

class FakeFileSystem : public platform::FileSystemPort {
 public:
  std::set<std::string> files;
  // Answer FileExists from the real disk instead of `files`.
  bool realFiles = false;
  std::set<std::string> folders;
  std::map<std::string, std::vector<platform::FolderEntry>> listings;
  bool FileExists(const std::string& path) const override {
    return realFiles ? std::filesystem::is_regular_file(path) : files.count(path) != 0;
  }
  bool DirectoryExists(const std::string& path) const override { return folders.count(path) != 0; }
  std::vector<platform::FolderEntry> ListFolder(const std::string& folder) const override {
    auto it = listings.find(folder);
    return it == listings.end() ? std::vector<platform::FolderEntry>() : it->second;
  }
  bool CreateFolder(const std::string& folder) const override {
    createdFolders.push_back(folder);
    return true;
  }
  mutable std::vector<std::string> createdFolders;
  // Replacements happen on the real disk, where the pictures are written.
  bool MoveReplacementOver(const std::string& replacement, const std::string& target) const override {
    std::error_code error;
    std::filesystem::rename(replacement, target, error);
    if (!error) return true;
    std::filesystem::remove(replacement, error);
    return false;
  }
};

// Records what would reach the desktop.
class FakeDesktop : public platform::DesktopPort {
 public:
  int width = 1024, height = 768;
  std::vector<platform::ScreenRect> monitors;  // none: one screen of width x height
  std::vector<std::string> wallpapers;
  std::vector<uint32_t> backgrounds;
  std::vector<std::string> sounds;
  int beeps = 0;
  bool soundWorks = true;
  void ScreenSize(int& w, int& h) const override {
    w = width;
    h = height;
  }
  std::vector<platform::ScreenRect> Monitors() const override {
    return monitors.empty() ? std::vector<platform::ScreenRect>{{0, 0, width, height}} : monitors;
  }
  bool SetWallpaper(const std::string& file) override {
    wallpapers.push_back(file);
    return true;
  }
  void SetBackgroundColor(uint32_t rgb) override { backgrounds.push_back(rgb); }
  uint32_t SystemColor(int index) const override { return 0x010101u * static_cast<uint32_t>(index); }
  bool PlaySoundFile(const std::string& path) override {
    sounds.push_back(path);
    return soundWorks;
  }
  void DefaultBeep() override { ++beeps; }
};

}  // namespace tapestrel::testing
