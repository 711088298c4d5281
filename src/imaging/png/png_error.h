// Errors of the PNG codec. Every failure carries one of the fixed texts
// below, so callers and logs see the same words whatever went wrong inside.
#pragma once

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

class EKVXPNG : public ImageError {
 public:
  using ImageError::ImageError;
};

namespace png_message {
inline constexpr char kNotPng[] = "PNG LoadStream: Not PNG Format";
inline constexpr char kTwoHeaders[] = "Read Header(PNG): appear two IHDR";
inline constexpr char kColorType[] = "Read Header(PNG): Error ColorType";
inline constexpr char kCompression[] = "Read Header(PNG): not support Compression";
inline constexpr char kFilter[] = "Read Header(PNG): not supprt Filter";
inline constexpr char kInterlace[] = "Read Header(PNG): not interlace type";
inline constexpr char kGreyDepth[] = "Read Header(PNG): Error Bitdepth";
inline constexpr char kGreyAlphaDepth[] = "Read Header(PNG): not Use AlphaChannel";
inline constexpr char kColorDepth[] = "Read Header(PNG): Error BitDepth";
inline constexpr char kZlib[] = "PNG LoadStream: Error ZLIB";
inline constexpr char kReadImage[] = "Read Image (PNG): Read Error";
inline constexpr char kIdatSize[] = "Write PNG Param: Err IDAT Size(min:256  max:100000)";
inline constexpr char kWriteImage[] = "Write Image (PNG): Write Error";
}  // namespace png_message

}  // namespace tapestrel::imaging
