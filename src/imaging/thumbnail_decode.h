// Decoding BMP and JPEG files into a thumbnail loader's work bitmap: JPEGs at
// the smallest DCT scale that still covers the box, then fitted into the box
// and resampled in 24 bits.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/bitmap.h"
#include "imaging/jpeg_file.h"
#include "imaging/stop_request.h"
#include "imaging/thumbnail_scaling.h"

namespace tapestrel::imaging {

struct ThumbnailPicture {
  Bitmap bitmap;        // 24 bits per pixel
  int sourceWidth = 0;  // the picture's own size (a JPEG's before scaling)
  int sourceHeight = 0;
};

// Fits a decoded picture into the w x h box by `type` and resamples it there;
// igtNormal only widens it to 24 bits.
void FitThumbnail(Bitmap& bitmap, int w, int h, TGetType type, const StopRequest& stop = {});

// `exifOrientation`: the photo turned as its camera recorded before the scale
// is chosen; the source size is then the turned one. Decoding and fitting
// look at `stop` every row and throw PictureStopped when it is requested.
ThumbnailPicture DecodeThumbnailJpeg(std::span<const uint8_t> data, int w, int h, TGetType type,
                                     JpegMode mode = JpegMode::BestSpeed, bool exifOrientation = false,
                                     const StopRequest& stop = {});
ThumbnailPicture DecodeThumbnailBmp(std::span<const uint8_t> data, int w, int h, TGetType type,
                                    const StopRequest& stop = {});
ThumbnailPicture DecodeThumbnailPng(std::span<const uint8_t> data, int w, int h, TGetType type,
                                    const StopRequest& stop = {});

// With the built-in thumbnail decoder of the file's extension
// (builtin_pictures.h): ".bmp", ".jpg", ".jpeg" or ".png"; anything else, or a
// file that cannot be decoded, throws ImageError.
ThumbnailPicture LoadThumbnailPicture(const std::string& path, int w, int h, TGetType type,
                                      JpegMode mode = JpegMode::BestSpeed, bool exifOrientation = false);

}  // namespace tapestrel::imaging
