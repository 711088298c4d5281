// The profile port on a real INI file, through the Windows profile API.
#pragma once

#include "platform/profile_port.h"

namespace tapestrel::platform {

class ProfileFile : public ProfilePort {
 public:
  explicit ProfileFile(std::string path) : path_(std::move(path)) {}
  std::string Path() const override { return path_; }
  bool Exists() const override;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value) override;

 private:
  std::string path_;
};

}  // namespace tapestrel::platform
