// Pictures made on the fly for the imaging tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "imaging/bitmap.h"

namespace imaging_test {

using tapestrel::imaging::Bitmap;
using tapestrel::imaging::PixelFormat;

// Every meaningful bit random, padding left zero; paletted formats get a full
// random palette.
Bitmap RandomBitmap(int width, int height, PixelFormat format, uint32_t seed);

// A smooth 24-bit picture that JPEG keeps well: gradients and a soft disc.
Bitmap SmoothPicture(int width, int height);

// A JPEG written with libjpeg directly, independent of the code under test.
enum class JpegKind { Rgb, Grey, Progressive, AdobeCmyk, Arithmetic };
std::vector<uint8_t> MakeJpeg(const Bitmap& bgr24, JpegKind kind, int quality = 95);

// Mean absolute difference per channel of two 24-bit bitmaps of one size.
double MeanAbsDiff(const Bitmap& a, const Bitmap& b);

// A fresh file path in the test's scratch folder.
std::string TempPath(const std::string& name);

}  // namespace imaging_test
