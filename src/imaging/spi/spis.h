// TSPIs, the program's collection of picture plug-ins (".spi" libraries, or
// ".sph" in the 64-bit program), and
// TSPIBitmap, the bitmap that decodes through them.
//
// One TSPIs exists per process. Search loads every plug-in file of the chosen
// folders; each import plug-in ("00IN") registers the extensions of its masks
// in the picture-format registry, and TSPIBitmap.LoadFromFile hands files to
// those plug-ins. Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/picture_formats.h"
#include "imaging/spi/spi_port.h"

namespace tapestrel::imaging {

// Errors of this collection. Their texts are never shown: a plug-in that
// fails to load is skipped silently.
class ESPIError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// "<path>:Susie Pluginがロードできませんでした"
class ESPIFOpenErrorSPI : public ESPIError {
 public:
  using ESPIError::ESPIError;
};
// The library answered differently when it was loaded for real.
class ESPIInvalidSPI : public ESPIError {
 public:
  using ESPIError::ESPIError;
};
// "<entry point>は[<file>]では使えないSusie Plugin APIです"
class ESPIInvalidAPI : public ESPIError {
 public:
  using ESPIError::ESPIError;
};
// "Susie Plugins could not decode": no plug-in (nor the built-in reader) read the file.
class ESPIDecodeError : public ImageError {
 public:
  ESPIDecodeError() : ImageError("Susie Plugins could not decode") {}
};

// A plug-in held by the collection TSPIs, and the base of its classes. The
// class follows the plug-in's version: TInSPI for "00IN", TAmSPI for "00AM",
// TXnSPI for "00XN", TSPIsItem itself for anything else. (The thumbnail
// maker's own list holds TSPluginItem objects, splugin.h.)
class TSPIsItem {
 public:
  TSPIsItem() = default;
  TSPIsItem(const TSPIsItem&) = delete;
  TSPIsItem& operator=(const TSPIsItem&) = delete;
  virtual ~TSPIsItem() = default;

  // Loads the library and reads its information. Throws ESPIFOpenErrorSPI
  // when it cannot be loaded, ESPIInvalidAPI when an entry point this class
  // needs is missing.
  void Load(SpiHostPort& host, const std::string& path);

  const std::string& FileName() const { return fileName_; }  // the module's full path
  const std::string& Version() const { return version_; }
  const std::string& PluginName() const { return pluginName_; }
  const std::vector<std::string>& Masks() const { return masks_; }
  const std::vector<std::string>& Descriptions() const { return descriptions_; }  // one per mask
  bool HasEntry(SpiEntry entry) const { return library_ && library_->HasEntry(entry); }
  SpiLibrary& Library() const { return *library_; }

 protected:
  // Throws ESPIInvalidAPI unless every entry point the class needs exists.
  virtual void CheckAPI() const;
  void RequireEntry(SpiEntry entry) const;

 private:
  SpiHostPort* host_ = nullptr;
  std::unique_ptr<SpiLibrary> library_;
  std::string fileName_, version_, pluginName_;
  std::vector<std::string> masks_, descriptions_;
};

// A plug-in that can tell which files it reads.
class TLoaderSPI : public TSPIsItem {
 protected:
  TLoaderSPI() = default;
  void CheckAPI() const override;
};
class TInSPI : public TLoaderSPI {  // picture import
 protected:
  void CheckAPI() const override;
};
class TAmSPI : public TLoaderSPI {  // archive
 protected:
  void CheckAPI() const override;
};
class TXnSPI : public TSPIsItem {};

// Probes the file, then loads it for real as the class its version asks
// for. Null when it is no usable plug-in (the reason is not reported).
std::unique_ptr<TSPIsItem> LoadSPI(SpiHostPort& host, const std::string& path);

enum TSPISearchOption : unsigned {
  spsAppDir = 1,      // the executable's folder
  spsUserDir = 2,     // UserDir, when it exists
  spsSystemDir = 4,   // the system folder
  spsWindowsDir = 8,  // the Windows folder
};
using TSPISearchOptions = unsigned;

class TSPIs;
// The last word on keeping a plug-in just loaded; accept starts true.
using TSPISearchEvent = std::function<void(TSPIs& sender, TSPIsItem& spi, bool& accept)>;
// May veto a file before it is loaded; accept starts true.
using TSPISearchingEvent = std::function<void(TSPIs& sender, const std::string& fileName, bool& accept)>;
// May keep an extension out of the picture-format registry. The loader of a
// registered extension is always TSPIBitmap, so the choice is only whether.
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs& sender, TSPIsItem& spi, const std::string& extension,
                       const std::string& description, bool& registerIt)>;

class TSPIs {
 public:
  // Registers the plug-ins' extensions in `registry`. Throws ESPIError
  // ("TSPIs は複数生成できません") while another instance exists.
  TSPIs(SpiHostPort& host, PictureFormatRegistry& registry);
  TSPIs(const TSPIs&) = delete;
  TSPIs& operator=(const TSPIs&) = delete;
  ~TSPIs();

  // The living instance, or null.
  static TSPIs* Instance();

  bool MacBinary = true;        // also try every plug-in at file offset 128
  bool GraphicPreview = false;  // ask "GetPreview" before "GetPicture"
  TSPISearchOptions SearchOptions = spsAppDir | spsUserDir | spsSystemDir | spsWindowsDir;
  std::string UserDir;
  TSPISearchEvent OnSearch;
  TSPISearchingEvent OnSearching;
  TSPIPictureRegisterEvent OnPictureRegister;

  // Loads every new plug-in file matching the mask ("*.spi"; "*.sph" in a
  // 64-bit process): in the mask's
  // own folder when it names one, else in the folders of SearchOptions.
  void Search(const std::string& mask);

  int Count() const { return static_cast<int>(items_.size()); }
  TSPIsItem& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  SpiHostPort& Host() const { return host_; }

 private:
  void SearchFolder(const std::string& folder, const std::string& pattern);
  // Loads, keeps and registers one plug-in file, or leaves everything as it
  // was when anything throws.
  void AddPlugin(const std::string& path);
  // The registry entries of an import plug-in's masks that OnPictureRegister lets through.
  std::vector<PictureFormat> ExtensionsToRegister(TSPIsItem& spi);

  SpiHostPort& host_;
  PictureFormatRegistry& registry_;
  std::vector<std::unique_ptr<TSPIsItem>> items_;
};

// One decoding through the collection's import plug-ins.
class TSPIGraphic {
 public:
  explicit TSPIGraphic(TSPIs& spis) : spis_(spis) {}

  // Told the percentage while a plug-in decodes; answering true aborts it.
  std::function<bool(int percent)> OnProgress;

  // Tries the plug-ins (those whose mask names the file's extension first)
  // at offset 0 and, with MacBinary, 128; the first picture that converts
  // wins. Throws ESPIDecodeError when none does.
  void LoadFromFile(const std::string& fileName);

  Bitmap& Picture() { return picture_; }
  // Whether the deciding plug-in's "GetPictureInfo" succeeded.
  bool PictureInfoValid() const { return pictureInfoValid_; }

 private:
  TSPIs& spis_;
  Bitmap picture_;
  bool pictureInfoValid_ = false;
};

// A bitmap that reads any file the built-in bitmap reader or an import
// plug-in reads.
class TSPIBitmap {
 public:
  using BuiltinReader = std::function<Bitmap(const std::string& fileName)>;

  // `builtin` is the program's bitmap file reader; `spis` the collection
  // (by default the process's one, if any).
  explicit TSPIBitmap(BuiltinReader builtin, TSPIs* spis = TSPIs::Instance())
      : builtin_(std::move(builtin)), spis_(spis) {}

  std::function<bool(int percent)> OnProgress;

  // A ".BMP" file goes to the built-in reader first and the plug-ins second;
  // anything else the other way round. Throws ESPIDecodeError when both fail.
  void LoadFromFile(const std::string& fileName);

  const Bitmap& Picture() const { return picture_; }
  Bitmap TakePicture() { return std::move(picture_); }

 private:
  BuiltinReader builtin_;
  TSPIs* spis_;
  Bitmap picture_;
};

}  // namespace tapestrel::imaging
