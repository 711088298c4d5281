// An in-memory plug-in world for the native tests of the plug-in host:
// scripted plug-in libraries, files and folders, and a log of every call.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "imaging/spi/spi_port.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::testing {

using imaging::SpiEntry;

// A BITMAPINFO block: the 40-byte header and `palette` (0x00RRGGBB each).
inline std::vector<uint8_t> MakeInfoBlock(int32_t width, int32_t height, int bits,
                                          const std::vector<uint32_t>& palette = {}, uint32_t clrUsed = 0,
                                          uint32_t compression = 0) {
  std::vector<uint8_t> b(40 + 4 * palette.size(), 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  b[12] = 1;
  b[14] = static_cast<uint8_t>(bits);
  b[15] = static_cast<uint8_t>(bits >> 8);
  put32(16, compression);
  put32(32, clrUsed);
  for (size_t i = 0; i < palette.size(); ++i) put32(40 + 4 * i, palette[i]);
  return b;
}

// What a scripted plug-in answers to "GetPicture"/"GetPreview".
struct FakePicture {
  int code = 0;
  bool withBlocks = true;
  std::vector<uint8_t> info = MakeInfoBlock(1, 1, 24);
  std::vector<uint8_t> pixels = std::vector<uint8_t>(4, 0x7F);
};

struct FakePlugin {
  std::string id;                    // names the plug-in in the call log
  std::vector<std::string> strings;  // "GetPluginInfo" answers by index
  std::set<SpiEntry> missing;        // entry points it does not export
  std::string magic;                 // "IsSupported": the header starts with it (empty: never)
  std::string moduleFileName;        // empty: the path it was loaded from
  std::function<FakePicture(const std::string& file, int32_t offset, bool preview)> picture =
      [](const std::string&, int32_t, bool) { return FakePicture{}; };
  int pictureInfoResult = 0;
  // Called before each "GetPluginInfo" answer; may throw, as a misbehaving
  // plug-in (or the host running out of memory) would.
  std::function<void(int index)> onInfo;
  // Progress calls made during "GetPicture": (numerator, denominator).
  std::vector<std::pair<int, int>> progressCalls;
};

// An import plug-in ("00IN") with the given masks and descriptions.
inline FakePlugin ImportPlugin(const std::string& id, const std::vector<std::string>& masksAndDescriptions,
                               const std::string& magic = "TSPX") {
  FakePlugin p;
  p.id = id;
  p.strings = {"00IN", id + " plug-in"};
  p.strings.insert(p.strings.end(), masksAndDescriptions.begin(), masksAndDescriptions.end());
  p.magic = magic;
  return p;
}

class FakeSpiHost : public imaging::SpiHostPort {
 public:
  std::string exeFolder = "C:\\App\\";
  std::string systemFolder = "C:\\Windows\\System32\\";
  std::string windowsFolder = "C:\\Windows\\";
  std::set<std::string> directories{"C:\\App\\", "C:\\Windows\\System32\\", "C:\\Windows\\"};
  std::map<std::string, std::vector<uint8_t>> files;

  std::vector<std::string> log;     // "id:Call:offset"
  std::vector<std::string> opened;  // paths given to OpenLibrary
  int liveLibraries = 0;
  int liveBlocks = 0;

  // Adds a plug-in file to a folder (listed in the order added).
  void AddPlugin(const std::string& path, FakePlugin plugin, bool isHidden = false) {
    plugins_[path] = std::move(plugin);
    AddEntry(path, false, isHidden);
  }
  // Adds a listing entry without a plug-in behind it.
  void AddEntry(const std::string& path, bool isDirectory = false, bool isHidden = false) {
    listing_.push_back(
        {platform::ExtractFilePath(path), {platform::ExtractFileName(path), isDirectory, isHidden, 0}});
  }
  FakePlugin& Plugin(const std::string& path) { return plugins_.at(path); }
  void AddFile(const std::string& path, const std::string& content) {
    files[path] = std::vector<uint8_t>(content.begin(), content.end());
  }

  std::unique_ptr<imaging::SpiLibrary> OpenLibrary(const std::string& path) override;
  std::vector<uint8_t> ReadFileHead(const std::string& path, size_t count) const override {
    auto it = files.find(path);
    if (it == files.end()) return {};
    return std::vector<uint8_t>(it->second.begin(), it->second.begin() + std::min(count, it->second.size()));
  }
  std::vector<platform::FolderEntry> FindFiles(const std::string& pattern) const override {
    const std::string folder = platform::ExtractFilePath(pattern);
    const std::string mask = platform::AnsiLowerAscii(platform::ExtractFileName(pattern));
    std::vector<platform::FolderEntry> found;
    for (const auto& [entryFolder, entry] : listing_) {
      if (!platform::AnsiEqualsIgnoreAsciiCase(entryFolder, folder)) continue;
      const std::string name = platform::AnsiLowerAscii(entry.name);
      // "*.ext" and exact names are all the tests use.
      const bool matches = mask.rfind("*", 0) == 0
                               ? name.size() >= mask.size() - 1 && name.ends_with(mask.substr(1))
                               : name == mask;
      if (matches) found.push_back(entry);
    }
    return found;
  }
  bool DirectoryExists(const std::string& path) const override {
    return directories.count(platform::IncludeTrailingBackslash(path)) != 0;
  }
  std::string ExecutableFolder() const override { return exeFolder; }
  std::string SystemFolder() const override { return systemFolder; }
  std::string WindowsFolder() const override { return windowsFolder; }
  std::string PluginExtension() const override { return ".spi"; }
  std::string AnsiToUtf8(const std::string& ansi) const override {
    if (onAnsiToUtf8) onAnsiToUtf8(ansi);
    return "utf8:" + ansi;
  }
  // May throw for a text, as a conversion running out of memory would.
  std::function<void(const std::string& ansi)> onAnsiToUtf8;

 private:
  std::map<std::string, FakePlugin> plugins_;
  std::vector<std::pair<std::string, platform::FolderEntry>> listing_;
};

class FakeBlocks : public imaging::SpiPictureBlocks {
 public:
  FakeBlocks(FakeSpiHost& host, FakePicture picture) : host_(host), picture_(std::move(picture)) {
    ++host_.liveBlocks;
  }
  ~FakeBlocks() override { --host_.liveBlocks; }
  std::span<const uint8_t> Info() const override { return picture_.info; }
  std::span<const uint8_t> Pixels() const override { return picture_.pixels; }

 private:
  FakeSpiHost& host_;
  FakePicture picture_;
};

class FakeLibrary : public imaging::SpiLibrary {
 public:
  FakeLibrary(FakeSpiHost& host, FakePlugin& plugin, std::string fileName)
      : host_(host), plugin_(plugin), fileName_(std::move(fileName)) {
    ++host_.liveLibraries;
  }
  ~FakeLibrary() override { --host_.liveLibraries; }

  const std::string& ModuleFileName() const override { return fileName_; }
  bool HasEntry(SpiEntry e) const override { return plugin_.missing.count(e) == 0; }
  std::string GetPluginInfo(int index) override {
    if (plugin_.onInfo) plugin_.onInfo(index);
    if (!HasEntry(SpiEntry::GetPluginInfo) || index < 0 ||
        index >= static_cast<int>(plugin_.strings.size())) {
      return {};
    }
    return plugin_.strings[static_cast<size_t>(index)];
  }
  int IsSupported(const std::string&, const uint8_t* header) override {
    if (!HasEntry(SpiEntry::IsSupported)) return 0;
    // The log shows what the plug-in sees: the header's first four bytes.
    std::string seen(reinterpret_cast<const char*>(header), 4);
    for (char& c : seen) {
      if (c < 0x20 || c > 0x7E) c = '.';
    }
    host_.log.push_back(plugin_.id + ":IsSupported:" + seen);
    return !plugin_.magic.empty() && std::memcmp(header, plugin_.magic.data(), plugin_.magic.size()) == 0;
  }
  int GetPictureInfo(const std::string&, int32_t offset) override {
    host_.log.push_back(plugin_.id + ":GetPictureInfo:" + std::to_string(offset));
    return plugin_.pictureInfoResult;
  }
  imaging::SpiPictureResult GetPicture(const std::string& file, int32_t offset, bool preview,
                                       const imaging::SpiProgressCallback* progress) override {
    const SpiEntry entry = preview ? SpiEntry::GetPreview : SpiEntry::GetPicture;
    imaging::SpiPictureResult result;
    if (!HasEntry(entry)) return result;
    host_.log.push_back(plugin_.id + ":" + imaging::SpiEntryName(entry) + ":" + std::to_string(offset));
    if (progress) {
      for (auto [n, d] : plugin_.progressCalls) {
        if ((*progress)(n, d) != 0) {
          result.code = 1;
          return result;
        }
      }
    }
    FakePicture picture = plugin_.picture(file, offset, preview);
    result.code = picture.code;
    if (picture.code == 0 && picture.withBlocks) result.blocks = std::make_unique<FakeBlocks>(host_, picture);
    return result;
  }

 private:
  FakeSpiHost& host_;
  FakePlugin& plugin_;
  std::string fileName_;
};

inline std::unique_ptr<imaging::SpiLibrary> FakeSpiHost::OpenLibrary(const std::string& path) {
  opened.push_back(path);
  auto it = plugins_.find(path);
  if (it == plugins_.end()) return nullptr;
  const std::string name = it->second.moduleFileName.empty() ? path : it->second.moduleFileName;
  return std::make_unique<FakeLibrary>(*this, it->second, name);
}

}  // namespace tapestrel::testing
