// What making thumbnails asks of Windows: metafiles drawn with GDI, the
// shell's HTML thumbnail extractor, text drawn in a font, video frames
// through the AVI file interface, file icons, and the file stamps and
// folders of the on-disk store. Stateless: the thumbnail worker and the UI
// thread may call it at the same time.
#pragma once

#include <windows.h>

#include "browser/img_util.h"
#include "browser/thumb_store.h"
#include "browser/thumbnail_retry.h"

namespace tapestrel::browser {

class WindowsThumbnailPlatform : public ThumbnailPlatform, public ThumbStorePort {
 public:
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  imaging::ColorValue ResolveColor(imaging::ColorValue color) override;
  imaging::Bitmap DrawMetafile(const std::string& path, imaging::ColorValue background) override;
  imaging::Bitmap ExtractShellThumbnail(const std::string& path, imaging::Bitmap blank) override;
  int TextLineHeight(const TImgFont& font) override;
  imaging::Bitmap DrawTextLines(const std::vector<std::string>& lines, int width, int height,
                                const TImgFont& font, imaging::ColorValue background) override;
  std::optional<imaging::Bitmap> VideoFrame(const std::string& path, int percent) override;
  imaging::Bitmap IconImage(const std::string& path, int iconIndex, imaging::ColorValue background) override;

  std::optional<Stamp> FileStamp(const std::string& path) override;
  platform::DateTime Now() override;
  std::string ProgramFolder() override;
  std::string ProgramFileName() override;
  std::string WindowsFolder() override;
  std::string TempFolder() override;
};

// A 24-bit top-down DIB section selected into its own memory DC: what GDI
// draws thumbnails into before the pixels become a Bitmap.
class DibCanvas {
 public:
  // Throws imaging::ImageError when the size is out of range or GDI refuses.
  DibCanvas(int width, int height);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  HDC Dc() const { return dc_; }
  void Fill(imaging::ColorValue rgb);
  // Copies a 24-bit bitmap of the same size in, or the pixels out.
  void Load(const imaging::Bitmap& bitmap);
  imaging::Bitmap Pixels() const;

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint8_t* bits_ = nullptr;
};

// The file's size and last-write time; nothing when it is gone.
std::optional<FileStamp> ReadFileStamp(const std::string& path);
// Whether the stamp's last write is at most `ms` before now.
bool WrittenWithinMs(const FileStamp& stamp, int64_t ms);

// A font made from the thumbnail maker's font description.
HFONT CreateThumbnailFont(const TImgFont& font);

}  // namespace tapestrel::browser
