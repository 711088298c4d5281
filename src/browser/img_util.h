// TImgUtil, the thumbnail maker behind every thumbnail cell: it tells a
// file's kind (DetectImageType) and makes its cell image in the work bitmap
// (MakeThumbnail), decoding by kind, fitting by GetType and resampling into
// the box. What needs the operating system (metafiles, the shell's HTML
// thumbnails, drawing text, video frames, icons) goes through
// ThumbnailPlatform; the Windows side is browser/win32/thumbnail_platform.h.
//
// Threads: the worker calls MakeThumbnail while the UI thread may ask
// DetectImageType of other paths; detection reads only the settings, the
// custom hook and the plug-in list, never the working state.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/options.h"
#include "browser/thumb_store.h"
#include "imaging/bitmap.h"
#include "imaging/color_value.h"
#include "imaging/jpeg_file.h"
#include "imaging/stop_request.h"
#include "imaging/thumbnail_scaling.h"

namespace tapestrel::imaging {
class TSPlugin;
}

namespace tapestrel::browser {

enum class TImageType;  // view_options.h
using imaging::TGetType;

// The kinds that never get a thumbnail: they show their icon.
bool IsIconType(TImageType type);

// A hook that takes over files before any extension test. The main window's
// reads ".png" files with the program's PNG codec.
class TImgCustomTest {
 public:
  virtual ~TImgCustomTest() = default;
  virtual bool IsCustomImage(const std::string& path) = 0;
  // True when `bitmap` now holds the picture. A load asked to stop may throw
  // imaging::PictureStopped.
  virtual bool LoadCustomImage(const std::string& path, imaging::Bitmap& bitmap,
                               const imaging::StopRequest& stop) = 0;
};

// The font of text-file thumbnails.
struct TImgFont {
  std::wstring Name = L"MS UI Gothic";
  int Height = -16;  // negative: character height in pixels
  imaging::ColorValue Color = 0;
  int Charset = 128;  // Shift-JIS
  friend bool operator==(const TImgFont&, const TImgFont&) = default;
};

// What making thumbnails asks of the operating system. Every call may throw;
// MakeThumbnail turns any failure into the icon.
class ThumbnailPlatform {
 public:
  virtual ~ThumbnailPlatform() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // A color value as RGB (system colors resolved).
  virtual imaging::ColorValue ResolveColor(imaging::ColorValue color) = 0;
  // The metafile drawn at its own size on `background`; the source size is
  // the bitmap's.
  virtual imaging::Bitmap DrawMetafile(const std::string& path, imaging::ColorValue background) = 0;
  // The shell's HTML thumbnail of the file at width x height. Throws when the
  // extractor cannot be had; a failing extraction alone leaves the blank
  // `blank` (returned as it came).
  virtual imaging::Bitmap ExtractShellThumbnail(const std::string& path, imaging::Bitmap blank) = 0;
  // Pixel height of "H" in the font; below 1 means the font is unusable.
  virtual int TextLineHeight(const TImgFont& font) = 0;
  // The lines drawn with tab expansion into a width x height bitmap on
  // `background`.
  virtual imaging::Bitmap DrawTextLines(const std::vector<std::string>& lines, int width, int height,
                                        const TImgFont& font, imaging::ColorValue background) = 0;
  // The frame at `percent` of the first video stream's length (0: the first
  // frame); nothing when the file has no readable video stream.
  virtual std::optional<imaging::Bitmap> VideoFrame(const std::string& path, int percent) = 0;
  // The icon of that index in the file (0: the file's associated icon)
  // drawn at its own size on `background`.
  virtual imaging::Bitmap IconImage(const std::string& path, int iconIndex,
                                    imaging::ColorValue background) = 0;
};

// How text files are read for their thumbnail: blocks of 1024 bytes,
// carriage returns dropped, a line feed ends a line; at most `maxLines`
// lines of at most `maxChars` bytes each; a zero byte ends the scan of its
// block (the rest of the block is skipped).
struct TextReadLimits {
  int maxLines = 0;
  int maxChars = 0;
};
std::vector<std::string> ReadTextLines(const std::string& path, TextReadLimits limits);
// The same over bytes already read (for tests and the fuzzer).
std::vector<std::string> ReadTextLines(const std::vector<uint8_t>& bytes, TextReadLimits limits);

// TextExt normalised: lower-cased, framed with ";", every "*" removed.
std::string NormalizeTextExtensions(const std::string& textExt);

class TImgUtil : public OptionGroup {
 public:
  TImgUtil();
  ~TImgUtil();

  // The view rebuilds when the background or the photos' turning changes;
  // the other settings apply to the next thumbnail made.
  Option<imaging::ColorValue> BKColor{this, 0xFFFFFF};
  // JPEG photos turned as their camera recorded, whoever decodes them.
  Option<bool> ExifOrientation{this, true};
  bool AutoThumb = false;  // use the on-disk store
  int Quality = 90;        // JPEG quality of stored thumbnails
  imaging::JpegMode Performance = imaging::JpegMode::BestSpeed;
  bool SusiePriority = false;
  TImgFont Font;
  TGetType GetType = TGetType::igtPreview;
  TThumb Thumbnail;
  imaging::TSPlugin* SPlugin = nullptr;  // the program's plug-in list, or none

  const std::string& TextExt() const { return textExt_; }
  void SetTextExt(const std::string& ext);
  int AviFramePos() const { return aviFramePos_; }
  // Values outside 0..100 are ignored.
  void SetAviFramePos(int percent);

  void SetCustomTest(TImgCustomTest* hook) { customTest_ = hook; }
  TImgCustomTest* CustomTest() const { return customTest_; }
  void SetPlatform(ThumbnailPlatform* platform) { platform_ = platform; }
  ThumbnailPlatform* Platform() const { return platform_; }

  // The kind of the file; iitNone when it has none.
  TImageType DetectImageType(const std::string& path) const;

  // Results of MakeThumbnail.
  static constexpr int kMade = 0;
  static constexpr int kNoSuchFile = 1;
  static constexpr int kFailed = -1;
  static constexpr int kStopped = -2;
  // Makes the file's cell image for a w x h box in the work bitmap: 0 made
  // (a thumbnail, or the icon of a file without thumbnail), 1 the file is
  // gone, kStopped when `stop` was requested before the picture was made
  // (the work bitmap is then of no use), another value when decoding failed
  // (the work bitmap then holds the icon, when one could be had). Decoders
  // look at `stop` every row, plug-ins between calls.
  int MakeThumbnail(const std::string& path, int w, int iconIndex, int h, const imaging::StopRequest& stop = {});
  // The icon of the file in the work bitmap; 0.
  int LoadIconImage(const std::string& path, int iconIndex);

  const imaging::Bitmap& WorkBitmap() const { return work_; }
  TImageType ImageType() const { return type_; }
  int IconIndexUsed() const { return iconIndex_; }
  int SourceWidth() const { return sourceWidth_; }
  int SourceHeight() const { return sourceHeight_; }

 private:
  int Decode(const std::string& path, int w, int h, const imaging::StopRequest& stop);
  void Fit(int w, int h, const imaging::StopRequest& stop = {});
  void TakeSourceSize() {
    sourceWidth_ = work_.Width();
    sourceHeight_ = work_.Height();
  }
  bool PluginReads(const std::string& path) const;

  std::string textExt_;
  std::string textExtList_ = ";";
  int aviFramePos_ = 20;
  TImgCustomTest* customTest_ = nullptr;
  ThumbnailPlatform* platform_ = nullptr;

  imaging::Bitmap work_;
  TImageType type_;
  int iconIndex_ = -1;
  int sourceWidth_ = 0, sourceHeight_ = 0;
};

}  // namespace tapestrel::browser
