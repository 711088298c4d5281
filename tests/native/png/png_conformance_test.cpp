// Conformance: every image of libpng's own test folders decodes as libpng
// decodes it; every malformed one ends in one of our error texts or decodes,
// never in a crash. The folders come from Debian's libpng source package,
// unpacked by scripts/setup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "imaging/png/kvxpng.h"
#include "imaging/png/png_file.h"
#include "png_test_util.h"

using namespace tapestrel::imaging;
using namespace tapestrel::testing;
namespace fs = std::filesystem;

namespace {

fs::path LibpngSource() {
  const fs::path deps = fs::path(TAPESTREL_SOURCE_DIR) / "build" / "deps" / "src";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(deps, ec)) {
    if (entry.is_directory() && entry.path().filename().string().starts_with("libpng-") &&
        fs::exists(entry.path() / "contrib" / "pngsuite")) {
      return entry.path();
    }
  }
  return {};
}

std::vector<fs::path> PngsIn(const fs::path& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".png") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

const std::set<std::string>& ErrorTexts() {
  static const std::set<std::string> texts{
      png_message::kNotPng,      png_message::kTwoHeaders,     png_message::kColorType,
      png_message::kCompression, png_message::kFilter,         png_message::kInterlace,
      png_message::kGreyDepth,   png_message::kGreyAlphaDepth, png_message::kColorDepth,
      png_message::kZlib,        png_message::kReadImage};
  return texts;
}

// Compares our decoding with libpng's, pixel by pixel.
void ExpectSameAsLibpng(const Bytes& data, const std::string& name) {
  Rgba reference;
  std::string error;
  ASSERT_TRUE(DecodeWithLibpng(data, reference, &error)) << name << ": libpng: " << error;
  const PngPicture picture = LoadPng(data);
  const Rgba ours = ToRgba(picture);
  ASSERT_EQ(ours.width, reference.width) << name;
  ASSERT_EQ(ours.height, reference.height) << name;
  const bool palette = reference.color_type == 3;
  // A transparent grey or RGB color is compared against libpng's alpha: for
  // 16-bit files we see only the high byte, so only one direction holds.
  const bool color_key = picture.transparent && !palette;
  for (int y = 0; y < ours.height; ++y) {
    for (int x = 0; x < ours.width; ++x) {
      const uint8_t* o = ours.At(x, y);
      const uint8_t* r = reference.At(x, y);
      ASSERT_TRUE(o[0] == r[0] && o[1] == r[1] && o[2] == r[2])
          << name << " color at " << x << "," << y << ": ours " << int{o[0]} << " " << int{o[1]} << " "
          << int{o[2]} << ", libpng " << int{r[0]} << " " << int{r[1]} << " " << int{r[2]};
      if (color_key) {
        const bool keyed = RgbColor(o[0], o[1], o[2]) == picture.transparent_color;
        if (r[3] == 0) {
          ASSERT_TRUE(keyed) << name << " at " << x << "," << y;
        }
        if (reference.depth <= 8) {
          ASSERT_EQ(keyed, r[3] == 0) << name << " at " << x << "," << y;
        }
      } else {
        ASSERT_EQ(o[3], r[3]) << name << " alpha at " << x << "," << y;
      }
    }
  }
}

class PngConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = LibpngSource();
    if (root_.empty()) GTEST_SKIP() << "libpng's source package is missing: run scripts/setup";
  }
  fs::path root_;
};

}  // namespace

TEST_F(PngConformance, PngSuiteDecodesAsLibpngDoes) {
  const auto files = PngsIn(root_ / "contrib" / "pngsuite");
  ASSERT_GE(files.size(), 50u);
  for (const auto& file : files) ExpectSameAsLibpng(ReadFile(file.string()), file.filename().string());
}

TEST_F(PngConformance, TestPngsDecodeAsLibpngDoes) {
  size_t checked = 0;
  for (const auto& file : PngsIn(root_ / "contrib" / "testpngs")) {
    if (file.parent_path().filename() == "crashers") continue;
    ExpectSameAsLibpng(ReadFile(file.string()), file.filename().string());
    ++checked;
  }
  EXPECT_GE(checked, 100u);
}

TEST_F(PngConformance, MalformedFilesFailCleanlyOrDecode) {
  std::vector<fs::path> files = PngsIn(root_ / "contrib" / "testpngs" / "crashers");
  for (const auto& file : PngsIn(root_ / "contrib")) {
    const std::string name = file.filename().string();
    // Elsewhere in contrib, deliberately broken files are named so.
    if (name.find("bad") != std::string::npos || name.find("crash") != std::string::npos)
      files.push_back(file);
  }
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    const Bytes data = ReadFile(file.string());
    try {
      const PngPicture picture = LoadPng(data);
      EXPECT_FALSE(picture.image.Empty()) << file;
      // What decodes must be what libpng sees, where libpng accepts it.
      Rgba reference;
      if (DecodeWithLibpng(data, reference)) ExpectSameAsLibpng(data, file.filename().string());
    } catch (const EKVXPNG& e) {
      EXPECT_TRUE(ErrorTexts().count(e.what())) << file << ": " << e.what();
    }
  }
}

TEST_F(PngConformance, EveryCleanFileSurvivesASaveAndLoad) {
  // What we load we can save, and libpng reads the result as the same picture.
  for (const auto& file : PngsIn(root_ / "contrib" / "pngsuite")) {
    TKVXPNG png;
    png.LoadFromMemory(ReadFile(file.string()));
    Bytes saved;
    png.SaveToMemory(saved);
    Rgba reference;
    std::string error;
    ASSERT_TRUE(DecodeWithLibpng(saved, reference, &error)) << file << ": " << error;
    TKVXPNG back;
    back.LoadFromMemory(saved);
    EXPECT_EQ(back.Image().Width(), png.Image().Width());
    const PngPicture before{png.Image(), png.AlphaMask(), png.HasAlpha(), false, -1};
    const PngPicture after{back.Image(), back.AlphaMask(), back.HasAlpha(), false, -1};
    const Rgba a = ToRgba(before), b = ToRgba(after);
    if (png.HasAlpha() && IsPaletted(png.Image().Format()) && !png.Greyscale()) {
      // Palette images with partial alpha keep their colors; the writer
      // has no way to store a mask with a palette.
      for (size_t i = 0; i < a.pixels.size(); i += 4) {
        ASSERT_EQ(0, std::memcmp(&a.pixels[i], &b.pixels[i], 3)) << file;
      }
    } else {
      EXPECT_EQ(a.pixels, b.pixels) << file;
    }
  }
}
