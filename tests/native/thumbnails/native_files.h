// A temporary folder of real files for the native thumbnail tests, and a
// thumbnail platform that answers from it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "browser/img_util.h"
#include "browser/thumb_store.h"
#include "common/solid_picture.h"

namespace tapestrel::testing {

class NativeFolder {
 public:
  NativeFolder() {
    char name[] = "/tmp/tapestrel-thumbs-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~NativeFolder() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(*this / name, std::ios::binary) << bytes;
    return *this / name;
  }

 private:
  std::string path_;
};

inline std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Answers the file questions from the real file system and draws everything
// else as a solid picture of a known color and size, counting the calls.
class FakeThumbnailPlatform : public browser::ThumbnailPlatform, public browser::ThumbStorePort {
 public:
  static constexpr imaging::ColorValue kIconColor = 0x00AA00;
  std::vector<std::string> calls;
  int lineHeight = 16;
  std::vector<std::string> textLines;  // what DrawTextLines was given
  std::optional<imaging::Bitmap> video;
  double now = 45000.5;

  bool FileExists(const std::string& p) override { return std::filesystem::is_regular_file(p); }
  bool DirectoryExists(const std::string& p) override { return std::filesystem::is_directory(p); }
  imaging::ColorValue ResolveColor(imaging::ColorValue c) override { return c & 0xFFFFFF; }
  imaging::Bitmap DrawMetafile(const std::string&, imaging::ColorValue bk) override {
    calls.push_back("metafile");
    return SolidPicture(64, 32, bk);
  }
  imaging::Bitmap ExtractShellThumbnail(const std::string&, imaging::Bitmap blank) override {
    calls.push_back("shell " + std::to_string(blank.Width()) + "x" + std::to_string(blank.Height()));
    return blank;
  }
  int TextLineHeight(const browser::TImgFont&) override { return lineHeight; }
  imaging::Bitmap DrawTextLines(const std::vector<std::string>& lines, int w, int h, const browser::TImgFont&,
                                imaging::ColorValue bk) override {
    calls.push_back("text " + std::to_string(w) + "x" + std::to_string(h));
    textLines = lines;
    return SolidPicture(w, h, bk);
  }
  std::optional<imaging::Bitmap> VideoFrame(const std::string&, int percent) override {
    calls.push_back("video " + std::to_string(percent));
    return video;
  }
  imaging::Bitmap IconImage(const std::string&, int iconIndex, imaging::ColorValue) override {
    calls.push_back("icon " + std::to_string(iconIndex));
    return SolidPicture(32, 32, kIconColor);
  }

  std::optional<Stamp> FileStamp(const std::string& p) override {
    struct stat s;
    if (stat(p.c_str(), &s) != 0) return std::nullopt;
    return Stamp{static_cast<double>(s.st_mtim.tv_sec) + s.st_mtim.tv_nsec * 1e-9,
                 static_cast<uint32_t>(s.st_size)};
  }
  platform::DateTime Now() override { return now; }
  std::string ProgramFolder() override { return "/app/"; }
  std::string ProgramFileName() override { return "Tapestrel.exe"; }
  std::string WindowsFolder() override { return "/windows/"; }
  std::string TempFolder() override { return "/temp/"; }
};

}  // namespace tapestrel::testing
