// The plug-in host's system side on Windows: plug-in libraries loaded with
// LoadLibraryA, their stdcall entry points called through the guard of
// spi_call.h, and the local-memory blocks they return checked against
// LocalSize before anything reads them.
#pragma once

#include <string>
#include <string_view>

#include "imaging/spi/spi_port.h"

namespace tapestrel::imaging {

// The plug-in libraries this program can load: a 64-bit process cannot load
// the 32-bit ".spi" ones, and loads their 64-bit counterparts, ".sph".
inline constexpr std::string_view kPluginExtension = sizeof(void*) == 8 ? ".sph" : ".spi";

class WindowsSpiHost : public SpiHostPort {
 public:
  // `executableFolder` (with a trailing backslash) stands for the program's
  // folder; the default is the running executable's.
  WindowsSpiHost();
  explicit WindowsSpiHost(std::string executableFolder);

  std::unique_ptr<SpiLibrary> OpenLibrary(const std::string& path) override;
  std::vector<uint8_t> ReadFileHead(const std::string& path, size_t count) const override;
  std::vector<platform::FolderEntry> FindFiles(const std::string& pattern) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::string ExecutableFolder() const override { return executableFolder_; }
  std::string SystemFolder() const override;
  std::string WindowsFolder() const override;
  std::string PluginExtension() const override { return std::string(kPluginExtension); }
  std::string AnsiToUtf8(const std::string& ansi) const override;

 private:
  std::string executableFolder_;
};

}  // namespace tapestrel::imaging
