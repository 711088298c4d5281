#include "imaging/png/png_write_rows.h"

#include <cstring>

#include "imaging/png/png_format.h"
#include "imaging/png/rgb_swap.h"

namespace tapestrel::imaging {
namespace {

enum Source { k15, k16, k24, k32 };
enum Output { kRgb, kRgba, kGrey, kGreyAlpha };

template <Source S>
inline void LoadPixel(const uint8_t* src, size_t i, uint8_t& r, uint8_t& g, uint8_t& b) {
  if constexpr (S == k24 || S == k32) {
    const uint8_t* p = src + i * (S == k24 ? 3 : 4);
    b = p[0];
    g = p[1];
    r = p[2];
  } else {
    // 5-bit and 6-bit fields are widened by repeating their top bits.
    const unsigned v = src[2 * i] | (unsigned{src[2 * i + 1]} << 8);
    const unsigned b5 = v & 31;
    b = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
    if constexpr (S == k15) {
      const unsigned g5 = (v >> 5) & 31, r5 = (v >> 10) & 31;
      g = static_cast<uint8_t>(g5 << 3 | g5 >> 2);
      r = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
    } else {
      const unsigned g6 = (v >> 5) & 63, r5 = (v >> 11) & 31;
      g = static_cast<uint8_t>(g6 << 2 | g6 >> 4);
      r = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
    }
  }
}

template <Source S, Output O>
void EncodeDirect(const uint8_t* src, const uint8_t* mask, uint8_t* dst, size_t width, const uint8_t*) {
  if constexpr (S == k24 && O == kRgb) {
    SwapRedBlue24(src, dst, width);
    return;
  }
  for (size_t i = 0; i < width; ++i) {
    uint8_t r, g, b;
    LoadPixel<S>(src, i, r, g, b);
    if constexpr (O == kRgb || O == kRgba) {
      *dst++ = r;
      *dst++ = g;
      *dst++ = b;
    } else {
      *dst++ = GreyLevelOf(r, g, b, 8);
    }
    if constexpr (O == kRgba || O == kGreyAlpha) *dst++ = static_cast<uint8_t>(~mask[i]);
  }
}

template <int Depth>
void CopyPacked(const uint8_t* src, const uint8_t*, uint8_t* dst, size_t width, const uint8_t*) {
  std::memcpy(dst, src, (width * Depth + 7) / 8);
}

// Palette indices through their grey value, repacked at the same depth.
template <int Depth>
void PaletteGrey(const uint8_t* src, const uint8_t*, uint8_t* dst, size_t width, const uint8_t* grey) {
  if constexpr (Depth == 8) {
    for (size_t i = 0; i < width; ++i) dst[i] = grey[src[i]];
  } else {
    constexpr int kPerByte = 8 / Depth;
    constexpr int kMask = (1 << Depth) - 1;
    const size_t bytes = (width + kPerByte - 1) / kPerByte;
    for (size_t i = 0; i < bytes; ++i) {
      unsigned out = 0;
      for (int k = 0; k < kPerByte; ++k) {
        const int shift = 8 - Depth * (k + 1);
        out |= unsigned{grey[(src[i] >> shift) & kMask]} << shift;
      }
      dst[i] = static_cast<uint8_t>(out);
    }
  }
}

void PaletteGreyAlpha(const uint8_t* src, const uint8_t* mask, uint8_t* dst, size_t width,
                      const uint8_t* grey) {
  for (size_t i = 0; i < width; ++i) {
    dst[2 * i] = grey[src[i]];
    dst[2 * i + 1] = static_cast<uint8_t>(~mask[i]);
  }
}

template <Source S>
auto DirectFor(Output o) {
  switch (o) {
    case kRgba:
      return EncodeDirect<S, kRgba>;
    case kGrey:
      return EncodeDirect<S, kGrey>;
    case kGreyAlpha:
      return EncodeDirect<S, kGreyAlpha>;
    default:
      return EncodeDirect<S, kRgb>;
  }
}

}  // namespace

int PngWriteLayout::BitsPerPixel() const {
  switch (color_type) {
    case kColorTypeRgb:
      return 3 * depth;
    case kColorTypeGreyAlpha:
      return 2 * depth;
    case kColorTypeRgba:
      return 4 * depth;
    default:
      return depth;
  }
}

PngWriteLayout ChoosePngWriteLayout(const Bitmap& image, const Bitmap* mask, bool greyscale) {
  PngWriteLayout layout;
  layout.grey = greyscale;
  if (IsPaletted(image.Format())) {
    layout.depth = image.BitsPerPixel();
    if (!greyscale) {
      layout.color_type = kColorTypePalette;
    } else if (mask != nullptr && layout.depth == 8) {
      layout.color_type = kColorTypeGreyAlpha;
      layout.alpha = true;
    } else {
      layout.color_type = kColorTypeGrey;
    }
    return layout;
  }
  layout.depth = 8;
  layout.alpha = mask != nullptr;
  if (greyscale) {
    layout.color_type = layout.alpha ? kColorTypeGreyAlpha : kColorTypeGrey;
  } else {
    layout.color_type = layout.alpha ? kColorTypeRgba : kColorTypeRgb;
  }
  return layout;
}

PngRowEncoder::PngRowEncoder(const Bitmap& image, const Bitmap* mask, const PngWriteLayout& layout)
    : image_(image), mask_(layout.alpha ? mask : nullptr) {
  if (IsPaletted(image.Format())) {
    const auto& palette = image.Palette();
    for (size_t i = 0; i < palette.size() && i < grey_.size(); ++i) {
      grey_[i] = GreyLevelOf(palette[i].red, palette[i].green, palette[i].blue, layout.depth);
    }
    if (layout.color_type == kColorTypePalette) {
      encode_ = layout.depth == 1 ? CopyPacked<1> : layout.depth == 4 ? CopyPacked<4> : CopyPacked<8>;
    } else if (layout.alpha) {
      encode_ = PaletteGreyAlpha;
    } else {
      encode_ = layout.depth == 1 ? PaletteGrey<1> : layout.depth == 4 ? PaletteGrey<4> : PaletteGrey<8>;
    }
    return;
  }
  const Output out = layout.grey ? (layout.alpha ? kGreyAlpha : kGrey) : (layout.alpha ? kRgba : kRgb);
  switch (image.Format()) {
    case PixelFormat::Bits15:
      encode_ = DirectFor<k15>(out);
      break;
    case PixelFormat::Bits16:
      encode_ = DirectFor<k16>(out);
      break;
    case PixelFormat::Bits32:
      encode_ = DirectFor<k32>(out);
      break;
    default:
      encode_ = DirectFor<k24>(out);
      break;
  }
}

void PngRowEncoder::Encode(int y, uint8_t* dst) const {
  const uint8_t* src = image_.Pixels() + image_.Stride() * static_cast<size_t>(y);
  const uint8_t* mask = mask_ ? mask_->Pixels() + mask_->Stride() * static_cast<size_t>(y) : nullptr;
  encode_(src, mask, dst, static_cast<size_t>(image_.Width()), grey_.data());
}

void GatherPixels(const uint8_t* src, uint8_t* dst, size_t count, size_t x0, size_t dx, int bits) {
  if (bits >= 8) {
    const size_t b = static_cast<size_t>(bits) / 8;
    for (size_t i = 0, x = x0; i < count; ++i, x += dx) std::memcpy(dst + i * b, src + x * b, b);
    return;
  }
  const int per_byte = 8 / bits;
  const int mask = (1 << bits) - 1;
  std::memset(dst, 0, (count * static_cast<size_t>(bits) + 7) / 8);
  for (size_t i = 0, x = x0; i < count; ++i, x += dx) {
    const int from = 8 - bits * (1 + static_cast<int>(x % per_byte));
    const int to = 8 - bits * (1 + static_cast<int>(i % per_byte));
    const int v = (src[x / per_byte] >> from) & mask;
    dst[i / per_byte] = static_cast<uint8_t>(dst[i / per_byte] | (v << to));
  }
}

}  // namespace tapestrel::imaging
