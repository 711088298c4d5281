// The PNG decoder: reads a PNG from a stream into an image bitmap and, for
// pictures with alpha, an 8-bit alpha mask (255 - alpha).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/png/graphic_stream.h"
#include "imaging/png/png_format.h"

struct z_stream_s;

namespace tapestrel::imaging {

struct PngReadResult {
  bool has_alpha = false;    // the mask was filled
  bool greyscale = false;    // the file was a greyscale PNG
  bool transparent = false;  // the image has a transparent color (PngProperties::TransparentColor)
};

class TKVXPNGReadStream : public TKVXCustomGraphicReadStream {
 public:
  using TKVXCustomGraphicReadStream::TKVXCustomGraphicReadStream;

  // Decodes to the end of the data. On success the metadata members of
  // `props` are replaced by the file's (absent ones reset); its writer
  // settings are left alone. Throws EKVXPNG; the bitmaps may then hold part of
  // the picture.
  PngReadResult Decode(PngProperties& props);

 private:
  struct Header {
    uint32_t width = 0, height = 0;
    int depth = 0, color_type = 0, interlace = 0;
  };

  size_t ReadChunkData(uint8_t* dst, size_t cap);
  void ReadHeader();
  void ReadPalette();
  void ReadTransparency();
  void ReadBackground();
  void ReadSignificantBits();
  void ReadText();
  void ReadFixed(uint32_t type);
  void ReadImage();
  void CheckDepth() const;
  // Refuses a picture that the IDAT data present could never fill.
  void CheckDataPresent();
  uint64_t IdatBytesPresent(uint64_t enough);
  void AllocateBitmaps();
  void DecodeRows();
  bool Inflate(uint8_t* dst, size_t n);
  bool FeedInflater();
  void ApplyTransparency();
  // A grey sample of the header's depth as an 8-bit level.
  uint8_t GreyLevel(uint16_t sample) const;
  uint8_t Sample8(uint16_t sample) const {
    return static_cast<uint8_t>(header_.depth == 16 ? sample >> 8 : sample);
  }

  Header header_;
  bool have_header_ = false;
  bool image_started_ = false;
  bool image_done_ = false;
  bool have_palette_ = false;
  bool have_tpng_ = false;
  bool have_trns_ = false;
  std::vector<PaletteEntry> palette_;
  std::array<uint8_t, 256> palette_alpha_{};
  uint32_t chunk_left_ = 0;
  int max_index_ = 0;
  PngProperties meta_;
  PngReadResult result_;
  z_stream_s* zs_ = nullptr;  // the inflater while rows are decoded
  bool zs_ended_ = false;
};

}  // namespace tapestrel::imaging
