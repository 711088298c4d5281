#include "imaging/png/png_write_stream.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "imaging/png/png_error.h"
#include "imaging/png/png_filters.h"

namespace tapestrel::imaging {
namespace {

constexpr char kSoftware[] = "KVXPNG ver 3.4";

[[noreturn]] void Fail(const char* message) { throw EKVXPNG(message); }

bool ValidTime(const PngTime& t) {
  return t.year != 0 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 &&
         t.minute < 60 && t.second < 61;
}

PngTime UtcNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day ymd{day};
  const hh_mm_ss<seconds> hms{now - day};
  return {static_cast<uint16_t>(static_cast<int>(ymd.year())),
          static_cast<uint8_t>(static_cast<unsigned>(ymd.month())),
          static_cast<uint8_t>(static_cast<unsigned>(ymd.day())),
          static_cast<uint8_t>(hms.hours().count()),
          static_cast<uint8_t>(hms.minutes().count()),
          static_cast<uint8_t>(hms.seconds().count())};
}

// The deflate step of the image data: filtered rows in, IDAT payloads of
// exactly the buffer's size out (the last one shorter).
class IdatDeflater {
 public:
  using Emit = std::function<void(const uint8_t* payload, size_t n)>;

  IdatDeflater(int level, size_t idat_size, Emit emit) : idat_(idat_size), emit_(std::move(emit)) {
    if (deflateInit2(&zs_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      Fail(png_message::kWriteImage);
    zs_.next_out = idat_.data();
    zs_.avail_out = static_cast<uInt>(idat_.size());
  }
  ~IdatDeflater() { deflateEnd(&zs_); }
  IdatDeflater(const IdatDeflater&) = delete;
  IdatDeflater& operator=(const IdatDeflater&) = delete;

  void Deflate(const uint8_t* data, size_t n) { Run(data, n, Z_NO_FLUSH); }
  // Ends the stream and emits what is left.
  void Finish() {
    Run(nullptr, 0, Z_FINISH);
    const size_t rest = idat_.size() - zs_.avail_out;
    if (rest > 0) emit_(idat_.data(), rest);
  }

 private:
  void Run(const uint8_t* data, size_t n, int flush) {
    zs_.next_in = const_cast<Bytef*>(data);
    zs_.avail_in = static_cast<uInt>(n);
    for (;;) {
      const int ret = deflate(&zs_, flush);
      if (ret == Z_STREAM_ERROR) Fail(png_message::kWriteImage);
      if (zs_.avail_out == 0) {
        emit_(idat_.data(), idat_.size());
        zs_.next_out = idat_.data();
        zs_.avail_out = static_cast<uInt>(idat_.size());
        continue;
      }
      if (flush == Z_FINISH ? ret == Z_STREAM_END : zs_.avail_in == 0) break;
      if (ret == Z_BUF_ERROR) Fail(png_message::kWriteImage);
    }
  }

  z_stream zs_{};
  std::vector<uint8_t> idat_;
  Emit emit_;
};

}  // namespace

void TKVXPNGWriteStream::Encode(const PngProperties& props, bool greyscale) {
  if (props.IdatSize < kMinIdatSize || props.IdatSize > kMaxIdatSize) Fail(png_message::kIdatSize);
  if (image_.Empty()) Fail(png_message::kWriteImage);

  const bool mask_usable = mask_ != nullptr && mask_ != &image_ && mask_->Format() == PixelFormat::Bits8 &&
                           mask_->Width() == image_.Width() && mask_->Height() == image_.Height();
  layout_ = ChoosePngWriteLayout(image_, mask_usable ? mask_ : nullptr, greyscale);
  used_mask_ = layout_.alpha ? mask_ : nullptr;
  if (layout_.color_type == kColorTypePalette) {
    const size_t full = size_t{1} << layout_.depth;
    palette_size_ = image_.Palette().empty() ? full : std::min(image_.Palette().size(), full);
  }

  Write(kPngSignature, sizeof kPngSignature);

  uint8_t ihdr[13];
  StoreU32(ihdr, static_cast<uint32_t>(image_.Width()));
  StoreU32(ihdr + 4, static_cast<uint32_t>(image_.Height()));
  ihdr[8] = static_cast<uint8_t>(layout_.depth);
  ihdr[9] = static_cast<uint8_t>(layout_.color_type);
  ihdr[10] = 0;
  ihdr[11] = 0;
  ihdr[12] = props.Interlaced ? 1 : 0;
  WriteChunk(chunk::IHDR, ihdr, sizeof ihdr);

  WriteTime(props);
  // A load ends the comment with CR LF; that one is not part of the text, or
  // every load and save would add another.
  std::string_view comment = props.Comment;
  if (comment.ends_with("\r\n")) comment.remove_suffix(2);
  if (!comment.empty()) WriteText("Comment", comment);
  WriteText("Software", kSoftware);

  const uint8_t tpng[8] = {
      'K', 'V', 'X', '3', 0, static_cast<uint8_t>(layout_.color_type == kColorTypeGreyAlpha), 0, 0};
  WriteChunk(chunk::tpNG, tpng, sizeof tpng);

  if (props.Gifg[0] || props.Gifg[1] || props.Gifg[2]) WriteChunk(chunk::gIFg, props.Gifg.data(), 4);

  // The epsilon keeps a gamma read from a file (n / 100000) at n when saved.
  const double gamma = std::floor(props.Gamma * 100000 + 1e-6);
  if (gamma > 0 && gamma <= 0x7FFFFFFF) {
    uint8_t d[4];
    StoreU32(d, static_cast<uint32_t>(gamma));
    WriteChunk(chunk::gAMA, d, 4);
  }

  if (props.Chromaticities[0] != 0 && props.Chromaticities[1] != 0) {
    uint8_t d[32];
    for (size_t i = 0; i < 8; ++i) StoreU32(d + 4 * i, props.Chromaticities[i]);
    WriteChunk(chunk::cHRM, d, sizeof d);
  }

  WriteSignificantBits(props);
  if (layout_.color_type == kColorTypePalette) WritePalette();
  if (props.BackgroundColor != kNoColor) WriteBackground(props.BackgroundColor);
  if (props.TransparentColor != kNoColor && !layout_.alpha) WriteTransparency(props.TransparentColor);
  WritePhysicalSize(props.PhysicalSize);
  WriteImageData(props);
  WriteChunk(chunk::IEND, nullptr, 0);

  Flush();
  if (!Good()) Fail(png_message::kWriteImage);
}

void TKVXPNGWriteStream::WriteChunk(uint32_t type, const uint8_t* data, size_t n) {
  uint8_t head[8];
  StoreU32(head, static_cast<uint32_t>(n));
  StoreU32(head + 4, type);
  Write(head, 8);
  uLong crc = crc32(0L, head + 4, 4);
  if (n > 0) {
    Write(data, n);
    crc = crc32(crc, data, static_cast<uInt>(n));
  }
  WriteU32(static_cast<uint32_t>(crc));
}

void TKVXPNGWriteStream::WriteText(std::string_view keyword, std::string_view text) {
  if (keyword.empty() || keyword.size() >= 80) return;
  std::vector<uint8_t> d(keyword.begin(), keyword.end());
  d.push_back(0);
  d.insert(d.end(), text.begin(), text.end());
  WriteChunk(chunk::tEXt, d.data(), d.size());
}

void TKVXPNGWriteStream::WriteTime(const PngProperties& props) {
  const PngTime t = props.StampTime ? UtcNow() : props.StoredTime;
  if (!ValidTime(t)) return;
  uint8_t d[7];
  StoreU16(d, t.year);
  d[2] = t.month;
  d[3] = t.day;
  d[4] = t.hour;
  d[5] = t.minute;
  d[6] = t.second;
  WriteChunk(chunk::tIME, d, sizeof d);
}

void TKVXPNGWriteStream::WriteSignificantBits(const PngProperties& props) {
  if (layout_.grey) return;
  uint8_t d[4];
  const PixelFormat format = image_.Format();
  if (format == PixelFormat::Bits15 || format == PixelFormat::Bits16) {
    d[0] = 5;
    d[1] = format == PixelFormat::Bits15 ? 5 : 6;
    d[2] = 5;
    d[3] = 8;
  } else {
    const auto& s = props.SignificantBits;
    // Values read from a 16-bit file are clamped to the 8 bits written; a
    // zero is not a valid value, so such a record is left out.
    if (s[0] == 0 || s[1] == 0 || s[2] == 0) return;
    for (size_t i = 0; i < 3; ++i) d[i] = std::min<uint8_t>(s[i], 8);
    d[3] = s[3] == 0 ? 8 : std::min<uint8_t>(s[3], 8);
  }
  WriteChunk(chunk::sBIT, d, layout_.alpha ? 4 : 3);
}

void TKVXPNGWriteStream::WritePalette() {
  std::vector<uint8_t> d(3 * palette_size_);
  const auto& palette = image_.Palette();
  for (size_t i = 0; i < palette_size_; ++i) {
    if (i < palette.size()) {
      d[3 * i] = palette[i].red;
      d[3 * i + 1] = palette[i].green;
      d[3 * i + 2] = palette[i].blue;
    } else {
      // A bitmap without a color table: PLTE must not be empty.
      const auto v = static_cast<uint8_t>(palette_size_ > 1 ? i * 255 / (palette_size_ - 1) : 0);
      d[3 * i] = d[3 * i + 1] = d[3 * i + 2] = v;
    }
  }
  WriteChunk(chunk::PLTE, d.data(), d.size());
}

int TKVXPNGWriteStream::PaletteIndexOf(int32_t color) const {
  const uint32_t c = static_cast<uint32_t>(color);
  if ((c >> 24) == 1) {
    const uint32_t index = c & 0xFFFFFF;
    return index < palette_size_ ? static_cast<int>(index) : -1;
  }
  if ((c >> 24) != 0) return -1;
  const auto& palette = image_.Palette();
  for (size_t i = 0; i < palette_size_ && i < palette.size(); ++i) {
    if (RgbColor(palette[i].red, palette[i].green, palette[i].blue) == color) return static_cast<int>(i);
  }
  return -1;
}

bool TKVXPNGWriteStream::ColorOf(int32_t color, uint8_t& r, uint8_t& g, uint8_t& b) const {
  const uint32_t c = static_cast<uint32_t>(color);
  if ((c >> 24) == 1) {
    const auto& palette = image_.Palette();
    const uint32_t index = c & 0xFFFFFF;
    if (index >= palette.size()) return false;
    r = palette[index].red;
    g = palette[index].green;
    b = palette[index].blue;
    return true;
  }
  if ((c >> 24) != 0) return false;
  r = static_cast<uint8_t>(c);
  g = static_cast<uint8_t>(c >> 8);
  b = static_cast<uint8_t>(c >> 16);
  return true;
}

void TKVXPNGWriteStream::WriteBackground(int32_t color) {
  uint8_t d[6] = {};
  uint8_t r, g, b;
  if (layout_.color_type == kColorTypePalette) {
    const int index = PaletteIndexOf(color);
    if (index < 0) return;
    d[0] = static_cast<uint8_t>(index);
    WriteChunk(chunk::bKGD, d, 1);
  } else if (!ColorOf(color, r, g, b)) {
    return;
  } else if (layout_.grey) {
    StoreU16(d, GreyLevelOf(r, g, b, layout_.depth));
    WriteChunk(chunk::bKGD, d, 2);
  } else {
    StoreU16(d, r);
    StoreU16(d + 2, g);
    StoreU16(d + 4, b);
    WriteChunk(chunk::bKGD, d, 6);
  }
}

void TKVXPNGWriteStream::WriteTransparency(int32_t color) {
  uint8_t d[256];
  uint8_t r, g, b;
  if (layout_.color_type == kColorTypePalette) {
    const int index = PaletteIndexOf(color);
    if (index < 0) return;
    std::memset(d, 255, sizeof d);
    d[index] = 0;
    WriteChunk(chunk::tRNS, d, static_cast<size_t>(index) + 1);
  } else if (!ColorOf(color, r, g, b)) {
    return;
  } else if (layout_.grey) {
    StoreU16(d, GreyLevelOf(r, g, b, layout_.depth));
    WriteChunk(chunk::tRNS, d, 2);
  } else {
    StoreU16(d, r);
    StoreU16(d + 2, g);
    StoreU16(d + 4, b);
    WriteChunk(chunk::tRNS, d, 6);
  }
}

void TKVXPNGWriteStream::WritePhysicalSize(const PngPhysicalSize& size) {
  if (size.x < 1 || size.y < 1) return;
  uint32_t x = size.x, y = size.y;
  uint8_t unit = size.unit;
  if (unit == 2) {
    // Inch to metre, rounded; PNG knows only the metre.
    const auto to_metre = [](uint32_t v) {
      const uint64_t m = (uint64_t{v} * 10000 + 127) / 254;
      return static_cast<uint32_t>(std::min<uint64_t>(m, 0xFFFFFFFF));
    };
    x = to_metre(x);
    y = to_metre(y);
    unit = 1;
  } else if (unit > 2) {
    unit = 0;
  }
  uint8_t d[9];
  StoreU32(d, x);
  StoreU32(d + 4, y);
  d[8] = unit;
  WriteChunk(chunk::pHYs, d, sizeof d);
}

void TKVXPNGWriteStream::WriteImageData(const PngProperties& props) {
  const int level = props.CompressionLevel >= 0 && props.CompressionLevel <= 9 ? props.CompressionLevel
                                                                               : Z_DEFAULT_COMPRESSION;
  IdatDeflater deflater(level, static_cast<size_t>(props.IdatSize),
                        [this](const uint8_t* payload, size_t n) { WriteChunk(chunk::IDAT, payload, n); });

  const int width = image_.Width(), height = image_.Height();
  const int bits = layout_.BitsPerPixel();
  const size_t full_bytes = (static_cast<size_t>(width) * static_cast<size_t>(bits) + 7) / 8;
  PngRowFilter filter(props.FilterMode, bits, full_bytes);

  // Each row keeps byte 0 for the filter type so that it goes to deflate in
  // one piece; `full` holds a whole bitmap row for an interlace pass to pick from.
  std::vector<uint8_t> buffers(3 * (full_bytes + 1));
  uint8_t* full = buffers.data();
  uint8_t* cur = full + (full_bytes + 1);
  uint8_t* prev = cur + (full_bytes + 1);
  const PngRowEncoder encoder(image_, used_mask_, layout_);

  const Adam7Pass whole{0, 0, 1, 1};
  const int pass_count = props.Interlaced ? 7 : 1;
  int total_rows = 0;
  for (int p = 0; p < pass_count; ++p) {
    const Adam7Pass& pass = props.Interlaced ? kAdam7[p] : whole;
    if (Adam7Pass::Count(width, pass.x0, pass.dx) > 0)
      total_rows += Adam7Pass::Count(height, pass.y0, pass.dy);
  }
  RowProgress progress(progress_, total_rows);
  progress.Start();
  int done = 0;
  for (int p = 0; p < pass_count; ++p) {
    const Adam7Pass& pass = props.Interlaced ? kAdam7[p] : whole;
    const size_t pass_width = static_cast<size_t>(Adam7Pass::Count(width, pass.x0, pass.dx));
    const int pass_rows = Adam7Pass::Count(height, pass.y0, pass.dy);
    if (pass_width == 0 || pass_rows == 0) continue;
    const size_t row_bytes = (pass_width * static_cast<size_t>(bits) + 7) / 8;
    std::memset(prev, 0, row_bytes + 1);
    for (int j = 0; j < pass_rows; ++j) {
      const int y = pass.y0 + j * pass.dy;
      if (pass.dx == 1) {
        encoder.Encode(y, cur + 1);
      } else {
        encoder.Encode(y, full + 1);
        GatherPixels(full + 1, cur + 1, pass_width, static_cast<size_t>(pass.x0),
                     static_cast<size_t>(pass.dx), bits);
      }
      deflater.Deflate(filter.Apply(cur, prev + 1, row_bytes), row_bytes + 1);
      std::swap(cur, prev);
      progress.Row(++done);
    }
  }
  deflater.Finish();
  progress.End();
}

}  // namespace tapestrel::imaging
