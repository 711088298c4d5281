// What the plug-in host needs of the system: loading a plug-in library and
// calling its entry points, reading the head of a file, listing folders.
// The Windows side is src/imaging/win32/spi_library.h; tests use fakes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system_port.h"

namespace tapestrel::imaging {

enum class SpiEntry {
  GetPluginInfo,
  IsSupported,
  GetPictureInfo,
  GetPicture,
  GetPreview,
  GetArchiveInfo,
  GetFileInfo,
  GetFile,
  ConfigurationDlg,
};
constexpr int kSpiEntryCount = 9;
// The exported name of an entry point ("GetPluginInfo", ...).
const char* SpiEntryName(SpiEntry entry);

// The zero-filled buffer the file's first bytes are read into; a plug-in is
// shown its start, or its start + 128 for a file behind a MacBinary header.
constexpr size_t kSpiHeaderBufferSize = 2048 + 128;
constexpr int32_t kMacBinaryOffset = 128;

// The two blocks of a decoded picture, readable until destroyed; destroying
// frees the plug-in's memory. The spans are as long as the memory really is,
// whatever the plug-in's headers say.
class SpiPictureBlocks {
 public:
  virtual ~SpiPictureBlocks() = default;
  virtual std::span<const uint8_t> Info() const = 0;
  virtual std::span<const uint8_t> Pixels() const = 0;
};

struct SpiPictureResult {
  int code = -1;  // the plug-in's result; 0 = success
  // Both blocks, or null when the plug-in failed or left either one out.
  std::unique_ptr<SpiPictureBlocks> blocks;
};

// The progress callback a plug-in may call while decoding: (numerator,
// denominator) -> nonzero to abort.
using SpiProgressCallback = std::function<int(int numerator, int denominator)>;

// One loaded plug-in library; its library is released when destroyed.
// A missing entry point, or a plug-in that has faulted (it is never entered
// again), answers as a failure: no string, not supported, result -1.
// Callable from any thread: plug-ins are written for one caller, so a
// library lets one thread at a time into its module, whichever object of it
// the thread calls.
class SpiLibrary {
 public:
  virtual ~SpiLibrary() = default;
  // The full path as the system reports it, else the path it was loaded from.
  virtual const std::string& ModuleFileName() const = 0;
  virtual bool HasEntry(SpiEntry entry) const = 0;
  // String `index` (at most 255 characters); empty when the plug-in has none.
  virtual std::string GetPluginInfo(int index) = 0;
  // `header` points into a header buffer (kSpiHeaderBufferSize - offset bytes).
  virtual int IsSupported(const std::string& fileName, const uint8_t* header) = 0;
  // Asks for the picture information and frees its text; the plug-in's result.
  virtual int GetPictureInfo(const std::string& fileName, int32_t offset) = 0;
  // "GetPicture", or "GetPreview" when `preview`; `progress` may be null.
  virtual SpiPictureResult GetPicture(const std::string& fileName, int32_t offset, bool preview,
                                      const SpiProgressCallback* progress) = 0;
};

class SpiHostPort {
 public:
  virtual ~SpiHostPort() = default;
  // Null when the file cannot be loaded as a library.
  virtual std::unique_ptr<SpiLibrary> OpenLibrary(const std::string& path) = 0;
  // At most `count` bytes from the start of the file (read-only, others may
  // read and write it); empty when it cannot be read.
  virtual std::vector<uint8_t> ReadFileHead(const std::string& path, size_t count) const = 0;
  // The entries matching a pattern such as "C:\folder\*.spi", in listing order.
  virtual std::vector<platform::FolderEntry> FindFiles(const std::string& pattern) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;
  // Folders with a trailing backslash.
  virtual std::string ExecutableFolder() const = 0;
  virtual std::string SystemFolder() const = 0;
  virtual std::string WindowsFolder() const = 0;
  // The extension, with its dot, of the plug-in libraries this process can
  // load: ".spi" for a 32-bit process; ".sph", the 64-bit libraries of the
  // same interface, for a 64-bit one.
  virtual std::string PluginExtension() const = 0;
  // Plug-in texts are in the ANSI code page; the picture-format registry
  // holds UTF-8.
  virtual std::string AnsiToUtf8(const std::string& ansi) const = 0;
};

}  // namespace tapestrel::imaging
