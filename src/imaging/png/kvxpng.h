// TKVXPNG: a PNG picture as the rest of the program handles it: an image
// bitmap, an optional 8-bit alpha mask (255 - alpha), the flags a load sets,
// and the members that a save writes.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "imaging/bitmap.h"
#include "imaging/png/graphic_stream.h"
#include "imaging/png/png_error.h"
#include "imaging/png/png_format.h"

namespace tapestrel::imaging {

class TKVXPNG : public PngProperties {
 public:
  // The picture framework registers the class under this extension.
  static constexpr char kExtension[] = "PNG";
  static constexpr char kDescription[] = "PNG Format";

  // Decodes from the stream's position to its end through a 64 KiB buffer.
  void LoadFromStream(std::istream& in);
  // Decodes bytes in memory in place.
  void LoadFromMemory(std::span<const uint8_t> data);
  void LoadFromFile(const std::string& path);
  void SaveToStream(std::ostream& out) const;
  void SaveToMemory(std::vector<uint8_t>& out) const;
  void SaveToFile(const std::string& path) const;

  // Copies both bitmaps, the flags and every member.
  void Assign(const TKVXPNG& other) { *this = other; }
  // Another picture becomes the image; everything else stays, but a
  // transparent color belonged to the old image.
  void Assign(const Bitmap& image) {
    image_ = image;
    transparent_ = false;
  }
  void AssignTo(Bitmap& target) const { target = image_; }

  Bitmap& Image() { return image_; }
  const Bitmap& Image() const { return image_; }
  Bitmap& AlphaMask() { return alpha_mask_; }
  const Bitmap& AlphaMask() const { return alpha_mask_; }
  int Width() const { return image_.Width(); }
  int Height() const { return image_.Height(); }
  bool Empty() const { return image_.Empty(); }
  const std::vector<PaletteEntry>& Palette() const { return image_.Palette(); }

  // The last load gave an alpha mask; a save then writes alpha.
  bool HasAlpha() const { return has_alpha_; }
  void SetHasAlpha(bool on) { has_alpha_ = on; }
  // The last load was a greyscale PNG; a save then writes grey.
  bool Greyscale() const { return greyscale_; }
  void SetGreyscale(bool on) { greyscale_ = on; }
  // The image has a transparent color, TransparentColor (an RGB color or a
  // palette index with bit 24 set).
  bool Transparent() const { return transparent_; }

  void SetOnProgress(ProgressHandler handler) { on_progress_ = std::move(handler); }

 private:
  template <typename Source>
  void Load(Source& source);
  template <typename Sink>
  void Save(Sink& sink) const;

  Bitmap image_;
  Bitmap alpha_mask_;
  bool has_alpha_ = false;
  bool greyscale_ = false;
  bool transparent_ = false;
  ProgressHandler on_progress_;
};

}  // namespace tapestrel::imaging
