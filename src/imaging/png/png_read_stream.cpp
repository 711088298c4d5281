#include "imaging/png/png_read_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "imaging/png/png_error.h"
#include "imaging/png/png_filters.h"
#include "imaging/png/png_read_rows.h"

namespace tapestrel::imaging {
namespace {

constexpr size_t kMacHeaderSize = 128;

// Deflate turns one byte into at most 1032 (a 258-byte match in two bits);
// zlib's stream header and checksum only lower that.
constexpr uint64_t kMaxInflateRatio = 1032;

[[noreturn]] void Fail(const char* message) { throw EKVXPNG(message); }

int Channels(int color_type) {
  switch (color_type) {
    case kColorTypeRgb:
      return 3;
    case kColorTypeGreyAlpha:
      return 2;
    case kColorTypeRgba:
      return 4;
    default:
      return 1;
  }
}

std::vector<PaletteEntry> GreyRamp(int levels) {
  std::vector<PaletteEntry> ramp(static_cast<size_t>(levels));
  const int step = 255 / (levels - 1);
  for (int i = 0; i < levels; ++i) {
    const auto v = static_cast<uint8_t>(i * step);
    ramp[static_cast<size_t>(i)] = {v, v, v, 0};
  }
  return ramp;
}

// Sizes come from the file: one that cannot be held, or memory that runs out
// (likely in a 32-bit process), is a read error like any other.
Bitmap NewBitmap(int width, int height, PixelFormat format) {
  try {
    return Bitmap(width, height, format);
  } catch (const ImageError&) {
    Fail(png_message::kReadImage);
  } catch (const std::bad_alloc&) {
    Fail(png_message::kReadImage);
  }
}

struct InflateStream {
  z_stream zs{};
  bool open = false;
  ~InflateStream() {
    if (open) inflateEnd(&zs);
  }
};

}  // namespace

PngReadResult TKVXPNGReadStream::Decode(PngProperties& props) {
  image_ = Bitmap();
  mask_ = Bitmap();
  // Everything a file may carry starts out absent; the settings stay.
  meta_ = props;
  meta_.Interlaced = false;
  meta_.Gamma = 0;
  meta_.BackgroundColor = kNoColor;
  meta_.TransparentColor = kNoColor;
  meta_.Comment.clear();
  meta_.StoredTime = {};
  meta_.PhysicalSize = {};
  meta_.SignificantBits = {};
  meta_.Chromaticities = {};
  meta_.Gifg = {};

  // A Macintosh download may carry a MacBinary header before the signature.
  if (props.SkipMacHeader && Ensure(kMacHeaderSize + 1) > kMacHeaderSize && Data()[0] == 0 &&
      Data()[74] == 0) {
    Advance(kMacHeaderSize);
  }
  uint8_t signature[8];
  if (!ReadFully(signature, 8) || std::memcmp(signature, kPngSignature, 8) != 0) Fail(png_message::kNotPng);

  for (;;) {
    uint8_t head[8];
    if (!ReadFully(head, 8)) break;
    const uint32_t type = LoadU32(head + 4);
    chunk_left_ = LoadU32(head);
    switch (type) {
      case chunk::IHDR:
        ReadHeader();
        break;
      case chunk::PLTE:
        ReadPalette();
        break;
      case chunk::tRNS:
        ReadTransparency();
        break;
      case chunk::bKGD:
        ReadBackground();
        break;
      case chunk::sBIT:
        ReadSignificantBits();
        break;
      case chunk::tEXt:
        ReadText();
        break;
      case chunk::IDAT:
        if (!image_done_) ReadImage();
        break;
      default:
        ReadFixed(type);
        break;
    }
    // Whatever the handler left, then the CRC, which is not checked.
    Skip(uint64_t{chunk_left_} + 4);
    if (type == chunk::IEND) break;
  }
  // A file that ends before its image data has no picture to give.
  if (!image_done_) Fail(png_message::kReadImage);

  ApplyTransparency();
  meta_.Interlaced = header_.interlace != 0;
  props = meta_;
  return result_;
}

size_t TKVXPNGReadStream::ReadChunkData(uint8_t* dst, size_t cap) {
  const size_t want = std::min<size_t>(cap, chunk_left_);
  const size_t got = Read(dst, want);
  chunk_left_ -= static_cast<uint32_t>(got);
  return got;
}

void TKVXPNGReadStream::ReadHeader() {
  if (have_header_) Fail(png_message::kTwoHeaders);
  have_header_ = true;
  uint8_t d[13] = {};
  ReadChunkData(d, sizeof d);
  header_.width = LoadU32(d);
  header_.height = LoadU32(d + 4);
  header_.depth = d[8];
  const int color_type = d[9] & 7;
  if (color_type == 1 || color_type == 5 || color_type == 7) Fail(png_message::kColorType);
  header_.color_type = color_type;
  if (d[10] >= 2) Fail(png_message::kCompression);
  if (d[11] >= 2) Fail(png_message::kFilter);
  if (d[12] >= 2) Fail(png_message::kInterlace);
  header_.interlace = d[12];
}

void TKVXPNGReadStream::ReadPalette() {
  if (!have_header_ || image_started_ || have_palette_) return;
  have_palette_ = true;
  if (!(header_.color_type & kColorRgb)) return;
  uint8_t d[256 * 3];
  const size_t n = ReadChunkData(d, sizeof d) / 3;
  palette_.resize(n);
  for (size_t i = 0; i < n; ++i) palette_[i] = {d[3 * i + 2], d[3 * i + 1], d[3 * i], 0};
}

void TKVXPNGReadStream::ReadTransparency() {
  if (!have_header_ || image_started_ || (header_.color_type & kColorAlpha)) return;
  uint8_t d[256];
  const size_t n = ReadChunkData(d, sizeof d);
  switch (header_.color_type) {
    case kColorTypePalette: {
      have_trns_ = true;
      palette_alpha_.fill(255);
      const size_t count = std::min(n, palette_.size());
      std::copy(d, d + count, palette_alpha_.begin());
      break;
    }
    case kColorTypeGrey:
      if (n >= 2) {
        const uint8_t v = GreyLevel(LoadU16(d));
        meta_.TransparentColor = RgbColor(v, v, v);
      }
      break;
    default:
      if (n >= 6) {
        meta_.TransparentColor =
            RgbColor(Sample8(LoadU16(d)), Sample8(LoadU16(d + 2)), Sample8(LoadU16(d + 4)));
      }
      break;
  }
}

void TKVXPNGReadStream::ReadBackground() {
  uint8_t d[6];
  const size_t n = ReadChunkData(d, sizeof d);
  if (header_.color_type == kColorTypePalette) {
    if (n >= 1) meta_.BackgroundColor = kPaletteIndexFlag | d[0];
  } else if (header_.color_type & kColorRgb) {
    if (n >= 6) {
      meta_.BackgroundColor = RgbColor(Sample8(LoadU16(d)), Sample8(LoadU16(d + 2)), Sample8(LoadU16(d + 4)));
    }
  } else if (n >= 2) {
    const uint8_t v = GreyLevel(LoadU16(d));
    meta_.BackgroundColor = RgbColor(v, v, v);
  }
}

void TKVXPNGReadStream::ReadSignificantBits() {
  if (!have_header_ || image_started_ || have_palette_ || !(header_.color_type & kColorRgb)) return;
  const size_t want = (header_.color_type & kColorAlpha) ? 4 : 3;
  uint8_t d[4] = {};
  if (ReadChunkData(d, want) == want) std::copy(d, d + 4, meta_.SignificantBits.begin());
}

void TKVXPNGReadStream::ReadText() {
  // Only the keyword "Comment" is used; the keyword ends at the first zero
  // byte or, without one, at the end of the chunk.
  static constexpr char kKeyword[] = "Comment";
  constexpr size_t kKeywordSize = sizeof kKeyword - 1;
  uint8_t key[kKeywordSize + 1] = {};
  const size_t n = ReadChunkData(key, sizeof key);
  const bool ends_keyword =
      (n == kKeywordSize && chunk_left_ == 0) || (n == sizeof key && key[kKeywordSize] == 0);
  if (!ends_keyword || std::memcmp(key, kKeyword, kKeywordSize) != 0) return;
  if (!meta_.Comment.empty()) meta_.Comment += "\r\n";
  // The text is read piecewise so that a chunk claiming more than the data
  // hold costs no more memory than the data.
  while (chunk_left_ > 0 && Fill() > 0) {
    const size_t step = std::min<size_t>(chunk_left_, Buffered());
    meta_.Comment.append(reinterpret_cast<const char*>(Data()), step);
    Advance(step);
    chunk_left_ -= static_cast<uint32_t>(step);
  }
  meta_.Comment += "\r\n";
}

// Chunks of a fixed layout, each taken only with its exact size.
void TKVXPNGReadStream::ReadFixed(uint32_t type) {
  const bool before_image = have_header_ && !image_started_;
  const bool before_palette = before_image && !have_palette_;
  uint8_t d[32];
  switch (type) {
    case chunk::gAMA:
      if (before_palette && ReadChunkData(d, 4) == 4) meta_.Gamma = LoadU32(d) / 100000.0;
      break;
    case chunk::pHYs:
      if (before_image && ReadChunkData(d, 9) == 9) meta_.PhysicalSize = {LoadU32(d), LoadU32(d + 4), d[8]};
      break;
    case chunk::cHRM:
      if (before_palette && chunk_left_ == 32 && ReadChunkData(d, 32) == 32) {
        for (size_t i = 0; i < 8; ++i) meta_.Chromaticities[i] = LoadU32(d + 4 * i);
      }
      break;
    case chunk::gIFg:
      if (before_palette && chunk_left_ == 4 && ReadChunkData(d, 4) == 4)
        std::copy(d, d + 4, meta_.Gifg.begin());
      break;
    case chunk::tIME:
      if (chunk_left_ == 7 && ReadChunkData(d, 7) == 7)
        meta_.StoredTime = {LoadU16(d), d[2], d[3], d[4], d[5], d[6]};
      break;
    case chunk::tpNG:
      // Our own chunk: "KVX3" and flags for features this program never
      // enables, so files with any flags read as ordinary PNGs.
      if (!have_tpng_) {
        have_tpng_ = true;
        ReadChunkData(d, 8);
      }
      break;
    default:
      break;
  }
}

uint8_t TKVXPNGReadStream::GreyLevel(uint16_t sample) const {
  // Grey samples of 1, 2 and 4 bits are scaled to the ramp the bitmap gets.
  if (header_.depth >= 1 && header_.depth < 8) {
    const int max = (1 << header_.depth) - 1;
    return static_cast<uint8_t>((sample & max) * 255 / max);
  }
  return Sample8(sample);
}

void TKVXPNGReadStream::CheckDepth() const {
  const int d = header_.depth;
  switch (header_.color_type) {
    case kColorTypeGrey:
    case kColorTypeGreyAlpha:
      if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16) Fail(png_message::kGreyDepth);
      if (header_.color_type == kColorTypeGreyAlpha && d < 8) Fail(png_message::kGreyAlphaDepth);
      break;
    case kColorTypePalette:
      if (d != 1 && d != 2 && d != 4 && d != 8) Fail(png_message::kColorDepth);
      break;
    default:
      if (d != 8 && d != 16) Fail(png_message::kColorDepth);
      break;
  }
}

// A file of a few bytes may claim a picture of a gigabyte. The rows it
// needs, filter bytes included, are weighed against the compressed bytes
// really there before anything is allocated for them: the main thread and
// the thumbnail thread may decode at the same time in a 2 GB process.
void TKVXPNGReadStream::CheckDataPresent() {
  const PixelFormat format = PngOutputFormat(header_.color_type, header_.depth);
  constexpr uint32_t kIntMax = std::numeric_limits<int>::max();
  if (header_.width > kIntMax || header_.height > kIntMax) Fail(png_message::kReadImage);
  const int width = static_cast<int>(header_.width);
  const int height = static_cast<int>(header_.height);
  try {
    Bitmap::CheckSize(width, height, format);
  } catch (const ImageError&) {
    Fail(png_message::kReadImage);
  }
  const uint64_t bits = static_cast<uint64_t>(Channels(header_.color_type) * header_.depth);
  uint64_t needed = 0;
  for (int p = 0; p < (header_.interlace ? 7 : 1); ++p) {
    const Adam7Pass& pass = header_.interlace ? kAdam7[p] : Adam7Pass{0, 0, 1, 1};
    const auto columns = static_cast<uint64_t>(Adam7Pass::Count(width, pass.x0, pass.dx));
    if (columns == 0) continue;
    needed +=
        static_cast<uint64_t>(Adam7Pass::Count(height, pass.y0, pass.dy)) * ((columns * bits + 7) / 8 + 1);
  }
  const uint64_t enough = (needed + kMaxInflateRatio - 1) / kMaxInflateRatio;
  if (IdatBytesPresent(enough) < enough) Fail(png_message::kReadImage);
}

// The payload bytes of this IDAT chunk and the IDAT chunks right behind it
// (the inflater takes no others), as far as the data really hold them. The
// count stops once it reaches `enough`, so that a real picture costs a look
// at a chunk header or two.
uint64_t TKVXPNGReadStream::IdatBytesPresent(uint64_t enough) {
  const uint64_t remaining = Remaining();
  uint64_t present = std::min<uint64_t>(chunk_left_, remaining);
  uint64_t offset = uint64_t{chunk_left_} + 4;  // past this chunk's data and CRC
  uint8_t head[8];
  while (present < enough && PeekAt(offset, head, sizeof head) && LoadU32(head + 4) == chunk::IDAT) {
    offset += sizeof head;
    const uint64_t length = LoadU32(head);
    present += std::min(length, remaining - offset);
    offset += length + 4;
  }
  return present;
}

void TKVXPNGReadStream::AllocateBitmaps() {
  const PixelFormat format = PngOutputFormat(header_.color_type, header_.depth);
  const int width = static_cast<int>(header_.width);
  const int height = static_cast<int>(header_.height);
  image_ = NewBitmap(width, height, format);
  if (header_.color_type & kColorAlpha) mask_ = NewBitmap(width, height, PixelFormat::Bits8);
  if (header_.color_type == kColorTypePalette) {
    image_.Palette() = palette_;
  } else if (format != PixelFormat::Bits24) {
    image_.Palette() = GreyRamp(header_.depth == 1   ? 2
                                : header_.depth == 2 ? 4
                                : header_.depth == 4 ? 16
                                                     : 256);
  }
  if (header_.color_type & kColorAlpha) mask_.Palette() = GreyRamp(256);
}

void TKVXPNGReadStream::ReadImage() {
  image_started_ = true;
  CheckDepth();
  CheckDataPresent();
  AllocateBitmaps();
  result_.greyscale = !(header_.color_type & kColorRgb);
  result_.has_alpha = (header_.color_type & kColorAlpha) != 0;

  InflateStream inflater;
  if (inflateInit(&inflater.zs) != Z_OK) Fail(png_message::kZlib);
  inflater.open = true;
  zs_ = &inflater.zs;
  zs_ended_ = false;
  try {
    DecodeRows();
  } catch (...) {
    zs_ = nullptr;
    throw;
  }
  zs_ = nullptr;
  image_done_ = true;
}

void TKVXPNGReadStream::DecodeRows() {
  const size_t width = header_.width;
  const int bits = Channels(header_.color_type) * header_.depth;
  const size_t bpp = FilterDistance(bits);
  const size_t full_bytes = (width * static_cast<size_t>(bits) + 7) / 8;
  const PngRowConverter convert = SelectPngRowConverter(header_.color_type, header_.depth);
  const int out_bits = image_.BitsPerPixel();
  const bool has_mask = !mask_.Empty();
  const bool check_indices =
      header_.color_type == kColorTypePalette && palette_.size() < (size_t{1} << header_.depth);

  // Two rows (current and previous) with their filter byte, and for
  // interlaced images a conversion row for one pass before it is scattered.
  std::vector<uint8_t> rows(2 * (full_bytes + 1));
  uint8_t* cur = rows.data();
  uint8_t* prev = cur + full_bytes + 1;
  std::vector<uint8_t> conversion;
  std::vector<uint8_t> conversion_mask;
  if (header_.interlace) {
    conversion.resize(image_.Stride() + 8);
    if (has_mask) conversion_mask.resize(width);
  }

  uint8_t* const pixels = image_.Pixels();
  const size_t stride = image_.Stride();
  uint8_t* const mask_pixels = has_mask ? mask_.Pixels() : nullptr;
  const size_t mask_stride = has_mask ? mask_.Stride() : 0;

  const Adam7Pass whole{0, 0, 1, 1};
  const int pass_count = header_.interlace ? 7 : 1;
  int total_rows = 0;
  for (int p = 0; p < pass_count; ++p) {
    const Adam7Pass& pass = header_.interlace ? kAdam7[p] : whole;
    if (Adam7Pass::Count(static_cast<int>(width), pass.x0, pass.dx) > 0) {
      total_rows += Adam7Pass::Count(static_cast<int>(header_.height), pass.y0, pass.dy);
    }
  }
  RowProgress progress(progress_, total_rows);
  progress.Start();

  int done = 0;
  for (int p = 0; p < pass_count; ++p) {
    const Adam7Pass& pass = header_.interlace ? kAdam7[p] : whole;
    const size_t pass_width =
        static_cast<size_t>(Adam7Pass::Count(static_cast<int>(width), pass.x0, pass.dx));
    const int pass_rows = Adam7Pass::Count(static_cast<int>(header_.height), pass.y0, pass.dy);
    if (pass_width == 0 || pass_rows == 0) continue;  // empty passes are not stored
    const size_t row_bytes = (pass_width * static_cast<size_t>(bits) + 7) / 8;
    std::memset(prev, 0, row_bytes + 1);
    for (int j = 0; j < pass_rows; ++j) {
      if (!Inflate(cur, row_bytes + 1) || cur[0] > kFilterPaeth) Fail(png_message::kReadImage);
      UnfilterRow(cur[0], cur + 1, prev + 1, row_bytes, bpp);
      if (check_indices)
        max_index_ = std::max<int>(max_index_, MaxPaletteIndex(cur + 1, pass_width, header_.depth));

      const size_t y = static_cast<size_t>(pass.y0) + static_cast<size_t>(j) * static_cast<size_t>(pass.dy);
      uint8_t* dst = pixels + y * stride;
      uint8_t* mask_dst = has_mask ? mask_pixels + y * mask_stride : nullptr;
      if (pass.dx == 1) {
        convert(cur + 1, dst, mask_dst, pass_width);
      } else {
        convert(cur + 1, conversion.data(), has_mask ? conversion_mask.data() : nullptr, pass_width);
        ScatterPixels(conversion.data(), dst, pass_width, static_cast<size_t>(pass.x0),
                      static_cast<size_t>(pass.dx), out_bits);
        if (has_mask) {
          ScatterPixels(conversion_mask.data(), mask_dst, pass_width, static_cast<size_t>(pass.x0),
                        static_cast<size_t>(pass.dx), 8);
        }
      }
      std::swap(cur, prev);
      progress.Row(++done);
    }
  }
  progress.End();
}

bool TKVXPNGReadStream::Inflate(uint8_t* dst, size_t n) {
  z_stream& zs = *zs_;
  zs.next_out = dst;
  zs.avail_out = static_cast<uInt>(n);
  while (zs.avail_out > 0) {
    if (zs_ended_) return false;
    if (zs.avail_in == 0 && !FeedInflater()) return false;
    const int ret = inflate(&zs, Z_NO_FLUSH);
    if (ret == Z_STREAM_END) {
      zs_ended_ = true;
    } else if (ret != Z_OK && !(ret == Z_BUF_ERROR && zs.avail_in == 0)) {
      return false;
    }
  }
  return true;
}

// Hands the inflater the rest of the current IDAT where it lies in the
// buffer; when that is used up the next chunk must be another IDAT.
bool TKVXPNGReadStream::FeedInflater() {
  while (chunk_left_ == 0) {
    uint8_t head[8];
    if (Skip(4) != 4 || !ReadFully(head, 8) || LoadU32(head + 4) != chunk::IDAT) return false;
    chunk_left_ = LoadU32(head);
  }
  const size_t available = Fill();
  if (available == 0) return false;
  const size_t take = std::min<size_t>(available, chunk_left_);
  zs_->next_in = const_cast<Bytef*>(Data());
  zs_->avail_in = static_cast<uInt>(take);
  Advance(take);
  chunk_left_ -= static_cast<uint32_t>(take);
  return true;
}

void TKVXPNGReadStream::ApplyTransparency() {
  if (header_.color_type == kColorTypePalette) {
    // Indices beyond a short palette must still name a color.
    const size_t needed = static_cast<size_t>(max_index_) + 1;
    if (image_.Palette().size() < needed) image_.Palette().resize(needed, PaletteEntry{0, 0, 0, 0});
    if (!have_trns_) return;
    int zeros = 0, partial = 0, zero_index = 0;
    for (size_t i = 0; i < palette_alpha_.size(); ++i) {
      if (palette_alpha_[i] == 0) {
        ++zeros;
        zero_index = static_cast<int>(i);
      } else if (palette_alpha_[i] != 255) {
        ++partial;
      }
    }
    if (zeros == 1 && partial == 0) {
      result_.transparent = true;
      meta_.TransparentColor = kPaletteIndexFlag | zero_index;
      return;
    }
    if (zeros == 0 && partial == 0) return;
    // Any other mix of alpha values becomes a mask by palette index.
    const int width = image_.Width(), height = image_.Height();
    mask_ = NewBitmap(width, height, PixelFormat::Bits8);
    mask_.Palette() = GreyRamp(256);
    const int depth = image_.BitsPerPixel();
    for (int y = 0; y < height; ++y) {
      const uint8_t* src = image_.Row(y);
      uint8_t* dst = mask_.Row(y);
      for (int x = 0; x < width; ++x) {
        const int index = depth == 8   ? src[x]
                          : depth == 4 ? (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F
                                       : (src[x >> 3] >> (7 - (x & 7))) & 1;
        dst[x] = static_cast<uint8_t>(255 - palette_alpha_[static_cast<size_t>(index)]);
      }
    }
    result_.has_alpha = true;
  } else if (meta_.TransparentColor != kNoColor) {
    result_.transparent = true;
  }
}

}  // namespace tapestrel::imaging
