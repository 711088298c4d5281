// Typed access to "Tapestrel.ini", key by key, over the profile port.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ini_values.h"
#include "platform/date_time.h"
#include "platform/hotkey_value.h"
#include "platform/locale_port.h"
#include "platform/profile_port.h"

namespace tapestrel::app {

// A value could not be written. The message is "<path> に書き込めません".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::string& path);
  const std::string& FilePath() const { return path_; }

 private:
  std::string path_;
};

class IniFile {
 public:
  IniFile(platform::ProfilePort& profile, const platform::LocalePort& locale)
      : profile_(profile), locale_(locale) {}

  const platform::ProfilePort& Profile() const { return profile_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
  platform::DateTime ReadDateTime(const std::string& section, const std::string& key,
                                  platform::DateTime fallback) const;
  ColorValue ReadColor(const std::string& section, const std::string& key, ColorValue fallback) const;
  platform::HotKeyValue ReadHotKey(const std::string& section, const std::string& key) const;

  // Each throws IniWriteError when the value cannot be written. Inside an
  // IniUpdate the value is only kept until the update is committed.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteDateTime(const std::string& section, const std::string& key, platform::DateTime value);
  void WriteColor(const std::string& section, const std::string& key, ColorValue value);
  void WriteHotKey(const std::string& section, const std::string& key, platform::HotKeyValue value);

 private:
  friend class IniUpdate;
  platform::ProfilePort& profile_;
  const platform::LocalePort& locale_;
  // The writes of the update in progress, if any.
  std::optional<std::vector<platform::ProfilePort::Entry>> pending_;
};

// Several writes that reach the file together: the file then holds all of
// them or, when it cannot be written, none. Reads during an update see the
// file as it was before it. An update that is not committed writes nothing.
class IniUpdate {
 public:
  explicit IniUpdate(IniFile& ini);
  ~IniUpdate();
  IniUpdate(const IniUpdate&) = delete;
  IniUpdate& operator=(const IniUpdate&) = delete;
  // Throws IniWriteError when the file cannot be written.
  void Commit();

 private:
  IniFile& ini_;
};

}  // namespace tapestrel::app
