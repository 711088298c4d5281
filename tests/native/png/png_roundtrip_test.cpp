// What the writer produces reads back, through libpng and through our reader,
// as the picture that was saved: every source format, with and without a mask,
// greyscale, interlaced, in every filter mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "imaging/png/kvxpng.h"
#include "png_test_util.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;

namespace {

struct Expected {
  uint8_t r, g, b, a;
};

// The picture as the writer is meant to store it, pixel by pixel.
std::vector<Expected> ExpectedPixels(const Bitmap& image, const Bitmap* mask, bool grey) {
  std::vector<Expected> out;
  const int bits = image.BitsPerPixel();
  for (int y = 0; y < image.Height(); ++y) {
    const uint8_t* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      int r = 0, g = 0, b = 0;
      if (IsPaletted(image.Format())) {
        const int index = bits == 8   ? row[x]
                          : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                      : (row[x / 8] >> (7 - x % 8)) & 1;
        const PaletteEntry e = image.Palette()[static_cast<size_t>(index)];
        r = e.red, g = e.green, b = e.blue;
      } else if (bits == 15 || bits == 16) {
        const int v = row[2 * x] | row[2 * x + 1] << 8;
        const int b5 = v & 31, r5 = bits == 15 ? (v >> 10) & 31 : (v >> 11) & 31;
        r = r5 << 3 | r5 >> 2;
        b = b5 << 3 | b5 >> 2;
        if (bits == 15) {
          const int g5 = (v >> 5) & 31;
          g = g5 << 3 | g5 >> 2;
        } else {
          const int g6 = (v >> 5) & 63;
          g = g6 << 2 | g6 >> 4;
        }
      } else {
        const uint8_t* p = row + x * (bits / 8);
        b = p[0], g = p[1], r = p[2];
      }
      if (grey) {
        // Stored at the bitmap depth (1, 4 or 8) and shown on the ramp.
        const int depth = IsPaletted(image.Format()) ? bits : 8;
        const int level = (77 * r + 150 * g + 29 * b) >> (16 - depth);
        r = g = b = level * 255 / ((1 << depth) - 1);
      }
      const uint8_t a = mask ? static_cast<uint8_t>(255 - mask->Row(y)[x]) : 255;
      out.push_back({static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), a});
    }
  }
  return out;
}

void ExpectPixels(const Rgba& got, const std::vector<Expected>& expected, const std::string& what) {
  ASSERT_EQ(got.pixels.size(), expected.size() * 4) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    const uint8_t* p = &got.pixels[i * 4];
    const Expected& e = expected[i];
    if (p[0] != e.r || p[1] != e.g || p[2] != e.b || p[3] != e.a) {
      ADD_FAILURE() << what << ": pixel " << i % got.width << "," << i / got.width << " is " << int{p[0]}
                    << " " << int{p[1]} << " " << int{p[2]} << " " << int{p[3]} << ", expected " << int{e.r}
                    << " " << int{e.g} << " " << int{e.b} << " " << int{e.a};
      return;
    }
  }
}

}  // namespace

TEST(PngRoundTrip, EverySourceFormatAndOption) {
  const PixelFormat formats[] = {PixelFormat::Bits1,  PixelFormat::Bits4,  PixelFormat::Bits8,
                                 PixelFormat::Bits15, PixelFormat::Bits16, PixelFormat::Bits24,
                                 PixelFormat::Bits32};
  int cases = 0;
  for (PixelFormat format : formats) {
    for (bool with_mask : {false, true}) {
      for (bool grey : {false, true}) {
        for (bool interlaced : {false, true}) {
          for (int mode = 0; mode <= 5; ++mode) {
            // Odd sizes so that interlace passes and packed rows end mid-byte.
            const int width = 13 + mode, height = 11 + (interlaced ? 3 : 0);
            TKVXPNG png;
            png.Assign(Pattern(width, height, format, mode + 3));
            png.AlphaMask() = PatternMask(width, height, mode + 9);
            png.SetHasAlpha(with_mask);
            png.SetGreyscale(grey);
            png.Interlaced = interlaced;
            png.FilterMode = mode;
            Bytes data;
            png.SaveToMemory(data);

            // A mask is written for direct-color sources, and for 8-bit
            // palettes written as grey + alpha.
            const bool alpha_written =
                with_mask && (!IsPaletted(format) || (grey && format == PixelFormat::Bits8));
            const auto expected =
                ExpectedPixels(png.Image(), alpha_written ? &png.AlphaMask() : nullptr, grey);
            const std::string what = "format " + std::to_string(BitsPerPixel(format)) +
                                     (with_mask ? " mask" : "") + (grey ? " grey" : "") +
                                     (interlaced ? " interlaced" : "") + " mode " + std::to_string(mode);
            Rgba reference;
            std::string error;
            ASSERT_TRUE(DecodeWithLibpng(data, reference, &error)) << what << ": " << error;
            ExpectPixels(reference, expected, what + " (libpng)");

            TKVXPNG back;
            back.LoadFromMemory(data);
            EXPECT_EQ(back.Interlaced, interlaced);
            EXPECT_EQ(back.Greyscale(), grey) << what;
            EXPECT_EQ(back.HasAlpha(), alpha_written) << what;
            PngPicture picture{back.Image(), back.AlphaMask(), back.HasAlpha(), back.Transparent(),
                               back.TransparentColor};
            ExpectPixels(ToRgba(picture), expected, what + " (ours)");
            // Palette sources come back index for index; 24-bit ones byte for byte.
            if (!grey && IsPaletted(format)) {
              const Bitmap& a = png.Image();
              const Bitmap& b = back.Image();
              ASSERT_EQ(b.Format(), a.Format());
              for (int y = 0; y < height; ++y) {
                const int full = width * a.BitsPerPixel() / 8;
                ASSERT_EQ(0, std::memcmp(a.Row(y), b.Row(y), static_cast<size_t>(full))) << what;
              }
            }
            if (!grey && format == PixelFormat::Bits24) {
              EXPECT_EQ(back.Image(), png.Image()) << what;
            }
            if (alpha_written) {
              EXPECT_EQ(back.AlphaMask().Pixels()[5], png.AlphaMask().Pixels()[5]);
            }
            ++cases;
          }
        }
      }
    }
  }
  EXPECT_EQ(cases, 7 * 2 * 2 * 2 * 6);
}

TEST(PngRoundTrip, TinyInterlacedPicturesWithEmptyPasses) {
  for (PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits24}) {
    for (int width = 1; width <= 9; ++width) {
      for (int height = 1; height <= 9; ++height) {
        TKVXPNG png;
        png.Assign(Pattern(width, height, format, width * 10 + height));
        png.Interlaced = true;
        png.FilterMode = 0;
        Bytes data;
        png.SaveToMemory(data);
        const std::string what = std::to_string(BitsPerPixel(format)) + " bits " + std::to_string(width) +
                                 " x " + std::to_string(height);
        Rgba reference;
        ASSERT_TRUE(DecodeWithLibpng(data, reference)) << what;
        ExpectPixels(reference, ExpectedPixels(png.Image(), nullptr, false), what + " (libpng)");
        TKVXPNG back;
        back.LoadFromMemory(data);
        const PngPicture picture{back.Image(), {}, false, false, -1};
        ExpectPixels(ToRgba(picture), ExpectedPixels(png.Image(), nullptr, false), what + " (ours)");
      }
    }
  }
}

TEST(PngRoundTrip, PaletteBitmapWithoutColorTable) {
  Bitmap image = Pattern(6, 2, PixelFormat::Bits4);
  image.Palette().clear();
  Rgba reference;
  std::string error;
  ASSERT_TRUE(DecodeWithLibpng(SavePng(image), reference, &error)) << error;
  EXPECT_EQ(LoadPng(SavePng(image)).image.Palette().size(), 16u);
}

TEST(PngRoundTrip, MetadataSurvivesALoadAndSave) {
  TKVXPNG png;
  png.Assign(Pattern(5, 5, PixelFormat::Bits8));
  png.Comment = "line one";
  png.Gamma = 0.57;
  png.BackgroundColor = 0x01000003;
  png.TransparentColor = 0x01000004;
  png.PhysicalSize = {3780, 3780, 1};
  png.Chromaticities = {1, 2, 3, 4, 5, 6, 7, 8};
  png.Gifg = {1, 0, 0, 5};
  png.SignificantBits = {3, 3, 3, 0};
  Bytes first;
  png.SaveToMemory(first);
  TKVXPNG back;
  back.LoadFromMemory(first);
  EXPECT_TRUE(back.Transparent());
  Bytes second;
  back.SaveToMemory(second);
  TKVXPNG again;
  again.LoadFromMemory(second);
  EXPECT_EQ(again.Comment, "line one\r\n");
  EXPECT_DOUBLE_EQ(again.Gamma, 0.57);
  EXPECT_EQ(again.BackgroundColor, 0x01000003);
  EXPECT_EQ(again.TransparentColor, 0x01000004);
  EXPECT_EQ(again.PhysicalSize, png.PhysicalSize);
  EXPECT_EQ(again.Chromaticities, png.Chromaticities);
  EXPECT_EQ(again.Gifg, png.Gifg);
  EXPECT_EQ(again.SignificantBits, png.SignificantBits);
  EXPECT_EQ(again.Image(), png.Image());
}

TEST(PngRoundTrip, ConvenienceCalls) {
  const Bitmap image = Pattern(21, 9, PixelFormat::Bits32);
  const Bitmap mask = PatternMask(21, 9);
  const PngPicture plain = LoadPng(SavePng(image));
  EXPECT_FALSE(plain.has_alpha);
  EXPECT_EQ(plain.image.Format(), PixelFormat::Bits24);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 21; ++x)
      ASSERT_EQ(0, std::memcmp(plain.image.Row(y) + 3 * x, image.Row(y) + 4 * x, 3));
  }
  const PngPicture masked = LoadPng(SavePng(image, &mask));
  EXPECT_TRUE(masked.has_alpha);
  EXPECT_EQ(masked.alpha_mask.Format(), PixelFormat::Bits8);
  EXPECT_EQ(masked.alpha_mask.Row(8)[20], mask.Row(8)[20]);

  const std::string path = std::string(TAPESTREL_BINARY_DIR) + "/png_roundtrip.png";
  SavePngFile(path, image, &mask);
  EXPECT_EQ(LoadPngFile(path).alpha_mask, masked.alpha_mask);
  std::remove(path.c_str());
  EXPECT_THROW(LoadPngFile(path), ImageError);
}
