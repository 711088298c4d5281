// TSPlugin, the thumbnail maker's own list of import plug-ins ("00IN"), and
// TSPluginItem, one of them. The wallpaper renderer asks FindPlugin whether any
// plug-in reads a file; thumbnails decode through LoadPicture.
//
// The list is filled at start-up and never changes afterwards, so the
// thumbnail thread and the main thread may both use it without a lock. The
// plug-ins themselves are called from both threads; their libraries let one
// thread at a time in (SpiLibrary).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/spi/spi_port.h"
#include "imaging/spi/spis.h"
#include "imaging/stop_request.h"

namespace tapestrel::imaging {

// Result codes of TSPlugin; any other value is a plug-in's own result.
constexpr int kSpiSuccess = 0;
constexpr int kSpiNoVersion = 101;      // plug-in string 0 empty
constexpr int kSpiNoName = 102;         // plug-in string 1 empty
constexpr int kSpiNoMask = 103;         // no file mask
constexpr int kSpiNotSupported = 200;   // no plug-in reads the file
constexpr int kSpiAlreadyLoaded = 201;  // a plug-in of that file name is in the list
constexpr int kSpiBadPicture = 202;     // the plug-in succeeded, but its blocks did not hold a picture

// "<path>:Susie Pluginがロードできませんでした"
class ESPIOpenError : public ESPIError {
 public:
  using ESPIError::ESPIError;
};
// Same text; the plug-in's information could not be read (codes 101-103).
class ESPILoadError : public ESPIError {
 public:
  ESPILoadError(const std::string& text, int code) : ESPIError(text), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// An import plug-in of the thumbnail maker's list TSPlugin: its own library
// reference, independent of the collection TSPIs's TSPIsItem for the same file.
class TSPluginItem {
 public:
  // Loads the library and reads its version, name and masks; throws
  // ESPIOpenError or ESPILoadError.
  TSPluginItem(SpiHostPort& host, const std::string& path);

  const std::string& Path() const { return path_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& Version() const { return version_; }
  const std::string& PluginName() const { return pluginName_; }
  const std::vector<std::string>& Masks() const { return masks_; }
  // Every pattern of every mask, lower-cased, one a line.
  const std::string& MaskText() const { return maskText_; }
  // Copied from TSPlugin before each decoding; atomic because the thumbnail
  // thread and the main thread both decode.
  std::atomic<bool> Preview{false};

  // Whether the plug-in reads the file (offset 0 only). A file whose
  // extension does not occur in the mask text is refused before it is opened.
  bool Supports(const std::string& fileName);
  // Decodes into `bitmap`: 0, or the plug-in's code (kSpiBadPicture when it
  // claimed success with unusable blocks). A stop request aborts the
  // plug-in through its progress callback and is looked at between calls:
  // a decode asked to stop throws PictureStopped.
  int Decode(const std::string& fileName, Bitmap& bitmap, const StopRequest& stop = {});

 private:
  SpiHostPort& host_;
  std::unique_ptr<SpiLibrary> library_;
  std::string path_, fileName_, version_, pluginName_, maskText_;
  std::vector<std::string> masks_;
};

class TSPlugin {
 public:
  explicit TSPlugin(SpiHostPort& host) : host_(host) {}
  TSPlugin(const TSPlugin&) = delete;
  TSPlugin& operator=(const TSPlugin&) = delete;

  bool Preview = false;  // ask "GetPreview" before "GetPicture"

  // Every plug-in file of the folder ("*.spi", or "*.sph" in a 64-bit
  // process) tried with AddPlugin; the number tried.
  int LoadFolder(const std::string& folder);
  int LoadExeFolder() { return LoadFolder(host_.ExecutableFolder()); }
  int LoadWindowsFolder() { return LoadFolder(host_.WindowsFolder()); }
  int LoadSystemFolder() { return LoadFolder(host_.SystemFolder()); }
  // The plug-in's index; kSpiAlreadyLoaded when one of that file name is in
  // the list; 0 when the file is no usable import plug-in (0 is also the
  // first index: callers do not rely on the result).
  int AddPlugin(const std::string& path);

  // The last plug-in that reads the file, or -1.
  int FindPlugin(const std::string& fileName);
  // 0 when `bitmap` now holds the picture; kSpiNotSupported when no plug-in
  // reads the file; otherwise the code of the last plug-in that tried.
  // Throws PictureStopped when `stop` is requested.
  int LoadPicture(const std::string& fileName, Bitmap& bitmap, const StopRequest& stop = {});

  int Count() const { return static_cast<int>(items_.size()); }
  TSPluginItem& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }

 private:
  SpiHostPort& host_;
  std::vector<std::unique_ptr<TSPluginItem>> items_;
};

// The program's start-up loading: TSPlugin from the executable's folder, the
// Windows folder, the system folder and then "SPlugin\" (when it exists);
// TSPIs with UserDir set to "SPlugin\" (or the executable's folder) searched
// for "*.spi" ("*.sph" in a 64-bit process). Every plug-in found stays loaded.
void LoadPluginsAtStartup(SpiHostPort& host, TSPlugin& splugin, TSPIs& spis);

// The plug-in folder below the executable's folder.
constexpr char kPluginFolderName[] = "SPlugin\\";

}  // namespace tapestrel::imaging
