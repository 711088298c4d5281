#include "imaging/png/png_file.h"

#include "imaging/png/kvxpng.h"

namespace tapestrel::imaging {
namespace {

PngPicture Take(TKVXPNG& png) {
  PngPicture picture;
  picture.image = std::move(png.Image());
  picture.has_alpha = png.HasAlpha();
  if (picture.has_alpha) picture.alpha_mask = std::move(png.AlphaMask());
  picture.transparent = png.Transparent();
  picture.transparent_color = picture.transparent ? png.TransparentColor : -1;
  return picture;
}

// The decoder's progress, reported every few rows, is where a stop request
// is heard.
void HearStop(TKVXPNG& png, const StopRequest& stop) {
  png.SetOnProgress([stop](ProgressStage, int) { stop.ThrowIfRequested(); });
}

void Prepare(TKVXPNG& png, const Bitmap& image, const Bitmap* mask) {
  png.Assign(image);
  if (mask != nullptr) {
    png.AlphaMask() = *mask;
    png.SetHasAlpha(true);
  }
}

}  // namespace

PngPicture LoadPngFile(const std::string& path, const StopRequest& stop) {
  TKVXPNG png;
  HearStop(png, stop);
  png.LoadFromFile(path);
  return Take(png);
}

PngPicture LoadPng(std::span<const uint8_t> data, const StopRequest& stop) {
  TKVXPNG png;
  HearStop(png, stop);
  png.LoadFromMemory(data);
  return Take(png);
}

void SavePngFile(const std::string& path, const Bitmap& image, const Bitmap* mask) {
  TKVXPNG png;
  Prepare(png, image, mask);
  png.SaveToFile(path);
}

std::vector<uint8_t> SavePng(const Bitmap& image, const Bitmap* mask) {
  TKVXPNG png;
  Prepare(png, image, mask);
  std::vector<uint8_t> out;
  png.SaveToMemory(out);
  return out;
}

}  // namespace tapestrel::imaging
