#include "app/ini_file.h"

namespace tapestrel::app {

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error(path + " に書き込めません"), path_(path) {}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
  std::string value = profile_.ReadString(section, key, fallback);
  if (value.size() > platform::ProfilePort::kMaxValueLength)
    value.resize(platform::ProfilePort::kMaxValueLength);
  return value;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const {
  return ParseIniInteger(ReadString(section, key, "")).value_or(fallback);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

platform::DateTime IniFile::ReadDateTime(const std::string& section, const std::string& key,
                                         platform::DateTime fallback) const {
  return platform::ParseDateTime(ReadString(section, key, ""), locale_.DateTimeFormats()).value_or(fallback);
}

ColorValue IniFile::ReadColor(const std::string& section, const std::string& key,
                               ColorValue fallback) const {
  // Text that is neither a color name nor a number falls back to the default.
  return ParseColor(ReadString(section, key, ColorToText(fallback))).value_or(fallback);
}

platform::HotKeyValue IniFile::ReadHotKey(const std::string& section, const std::string& key) const {
  return platform::TextToHotKey(ReadString(section, key, ""), locale_);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (pending_) {
    pending_->push_back({section, key, value});
    return;
  }
  if (!profile_.WriteString(section, key, value)) throw IniWriteError(profile_.Path());
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteDateTime(const std::string& section, const std::string& key, platform::DateTime value) {
  WriteString(section, key, platform::FormatDateTime(value, locale_.DateTimeFormats()));
}

void IniFile::WriteColor(const std::string& section, const std::string& key, ColorValue value) {
  WriteString(section, key, ColorToText(value));
}

void IniFile::WriteHotKey(const std::string& section, const std::string& key, platform::HotKeyValue value) {
  WriteString(section, key, platform::HotKeyToText(value, locale_));
}

}  // namespace tapestrel::app

namespace tapestrel::app {

IniUpdate::IniUpdate(IniFile& ini) : ini_(ini) {
  if (ini_.pending_) throw std::logic_error("an INI update is already in progress");
  ini_.pending_.emplace();
}

IniUpdate::~IniUpdate() { ini_.pending_.reset(); }

void IniUpdate::Commit() {
  const std::vector<platform::ProfilePort::Entry> entries = std::move(*ini_.pending_);
  ini_.pending_.emplace();
  if (!entries.empty() && !ini_.profile_.WriteStrings(entries)) throw IniWriteError(ini_.profile_.Path());
}

}  // namespace tapestrel::app
