// The test plug-ins staged in throw-away folders, pictures in their format,
// and the call log they write.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/win32/spi_library.h"
#include "win_support/files.h"

namespace tapestrel::testing {

// A plug-in's file name in this program's kind: "name.spi" (x86) or "name.sph" (x64).
inline std::string PluginFile(const std::string& name) {
  return name + std::string(imaging::kPluginExtension);
}

inline std::wstring PluginFileW(const std::string& name) {
  const std::string file = PluginFile(name);
  return std::wstring(file.begin(), file.end());
}
// The search mask of this program's plug-ins: "*.spi" or "*.sph".
inline std::string PluginMask() { return "*" + std::string(imaging::kPluginExtension); }

inline std::string TestPluginPath(const std::string& name) {
  return std::string(TAPESTREL_TEST_PLUGIN_DIR) + "\\" + PluginFile(name);
}

// A folder standing for the executable's, with "SPlugin\" when asked for.
class PluginStage {
 public:
  const std::string& Folder() const { return app_.Path(); }
  std::string AppFolder() const { return app_.Path() + "\\"; }
  std::string PluginFolder() const { return AppFolder() + "SPlugin\\"; }
  // Copies test plug-in `name` into the folder, or into "SPlugin\".
  void Put(const std::string& name, bool intoPluginFolder = false) const {
    const std::string folder = intoPluginFolder ? PluginFolder() : AppFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(TestPluginPath(name).c_str(), (folder + PluginFile(name)).c_str(), FALSE);
  }
  std::string Picture(const std::string& name, const std::string& content) const {
    const std::string path = pictures_ / name;
    WriteFile(path, content);
    return path;
  }

 private:
  TempFolder app_;
  TempFolder pictures_;
};

// A picture of the test plug-ins' own format: the header, the color table
// and the rows (top row first), each row's bytes numbered so that every
// pixel is told apart.
struct Tspx {
  int width = 4, height = 3, bits = 24;
  bool topDown = false;
  uint8_t mode = 0;
  std::string magic = "TSPX";
  std::vector<uint32_t> palette;

  size_t Stride() const { return static_cast<size_t>((width * bits + 31) / 32 * 4); }
  std::string Rows() const {
    std::string rows;
    for (int y = 0; y < height; ++y) {
      for (size_t i = 0; i < Stride(); ++i) rows += static_cast<char>((y * 31 + i * 7 + 3) & 0xFF);
    }
    return rows;
  }
  std::string Bytes() const {
    std::string b = magic;
    auto put16 = [&](int v) {
      b += static_cast<char>(v & 0xFF);
      b += static_cast<char>((v >> 8) & 0xFF);
    };
    put16(width);
    put16(height);
    b += static_cast<char>(bits);
    b += static_cast<char>(topDown ? 1 : 0);
    b += static_cast<char>(mode);
    b += '\0';
    put16(static_cast<int>(palette.size()));
    put16(0);
    for (uint32_t c : palette) b.append(reinterpret_cast<const char*>(&c), 4);
    return b + Rows();
  }
  // The rows a correct decoding yields, top row first.
  bool Matches(const imaging::Bitmap& bitmap) const {
    if (bitmap.Width() != width || bitmap.Height() != height || bitmap.Stride() != Stride()) return false;
    return std::string(reinterpret_cast<const char*>(bitmap.Pixels()), bitmap.PixelBytes()) == Rows();
  }
};

inline std::vector<uint32_t> GreyPalette(int count) {
  std::vector<uint32_t> palette;
  for (int i = 0; i < count; ++i) palette.push_back(static_cast<uint32_t>(i * 255 / (count - 1)) * 0x010101u);
  return palette;
}

// The test plug-ins' call log, "<plug-in> <entry point> <offset>" a line,
// for as long as this lives.
class PluginLog {
 public:
  PluginLog() : path_(folder_ / "calls.log") { SetEnvironmentVariableA("TAPESTREL_SPI_LOG", path_.c_str()); }
  ~PluginLog() { SetEnvironmentVariableA("TAPESTREL_SPI_LOG", nullptr); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::string text = ReadFile(path_);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  // The lines that contain `what`.
  std::vector<std::string> Lines(const std::string& what) const {
    std::vector<std::string> out;
    for (const std::string& line : Lines()) {
      if (line.find(what) != std::string::npos) out.push_back(line);
    }
    return out;
  }
  void Clear() const { DeleteFileA(path_.c_str()); }

 private:
  TempFolder folder_;
  std::string path_;
};

// Free address space of this process, in MiB: what a leak of large blocks eats.
inline uint64_t FreeAddressSpaceMiB() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  return status.ullAvailVirtual >> 20;
}

}  // namespace tapestrel::testing
