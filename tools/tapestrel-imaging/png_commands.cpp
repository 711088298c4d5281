// PNG to BMP and back, through the PNG codec with the program's defaults
// unless options say otherwise.
#include <cstdio>
#include <stdexcept>

#include "commands.h"
#include "imaging/bmp_file.h"
#include "imaging/png/kvxpng.h"

namespace tapestrel_imaging_tool {

using namespace tapestrel::imaging;

namespace {

const std::string& OptionValue(const Args& args, size_t& i) {
  if (i + 1 >= args.size()) throw std::invalid_argument(args[i] + " needs a value");
  return args[++i];
}

}  // namespace

// png2bmp IN.png OUT.bmp [--mask OUT_MASK.bmp]: the picture in its loaded
// depth; the mask (255 - alpha, 8 bits) is all zero for a picture without
// alpha.
int RunPng2Bmp(const Args& args) {
  std::string mask_path;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--mask") {
      mask_path = OptionValue(args, i);
    } else {
      throw std::invalid_argument("unknown option " + args[i]);
    }
  }
  TKVXPNG png;
  png.LoadFromFile(args[0]);
  WriteBmpFile(args[1], png.Image());
  if (!mask_path.empty()) {
    if (png.HasAlpha()) {
      WriteBmpFile(mask_path, png.AlphaMask());
    } else {
      Bitmap opaque(png.Width(), png.Height(), PixelFormat::Bits8);
      for (int v = 0; v < 256; ++v) {
        const auto g = static_cast<uint8_t>(v);
        opaque.Palette().push_back({g, g, g, 0});
      }
      WriteBmpFile(mask_path, opaque);
    }
  }
  return 0;
}

// bmp2png IN.bmp OUT.png [--interlace] [--filter N] [--level N]
//         [--mask MASK.bmp] [--grey]
int RunBmp2Png(const Args& args) {
  TKVXPNG png;
  png.Assign(ReadBmpFile(args[0]));
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--interlace") {
      png.Interlaced = true;
    } else if (args[i] == "--filter") {
      png.FilterMode = ParseInt(OptionValue(args, i), "--filter");
    } else if (args[i] == "--level") {
      png.CompressionLevel = ParseInt(OptionValue(args, i), "--level");
    } else if (args[i] == "--mask") {
      png.AlphaMask() = ReadBmpFile(OptionValue(args, i));
      png.SetHasAlpha(true);
      const Bitmap& m = png.AlphaMask();
      if (m.Format() != PixelFormat::Bits8 || m.Width() != png.Width() || m.Height() != png.Height()) {
        std::fprintf(stderr,
                     "bmp2png: the mask is not an 8-bit bitmap of the picture's size; it is not used\n");
      }
    } else if (args[i] == "--grey") {
      png.SetGreyscale(true);
    } else {
      throw std::invalid_argument("unknown option " + args[i]);
    }
  }
  png.SaveToFile(args[1]);
  return 0;
}

}  // namespace tapestrel_imaging_tool
