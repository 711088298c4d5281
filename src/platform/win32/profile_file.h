// The profile port on a real INI file: read through the Windows profile API,
// written by replacing the whole file, so that other sections and keys keep
// their bytes and a failed write leaves the file as it was.
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
  bool WriteStrings(const std::vector<Entry>& entries) override;

 private:
  // A settings file larger than this is not one: it is left alone.
  static constexpr size_t kLargestFile = 16u << 20;
  std::string path_;
};

}  // namespace tapestrel::platform
