#include "browser/img_util.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/png_custom_image.h"
#include "imaging/png/png_file.h"

#include "browser/cell_images.h"
#include "browser/view_options.h"
#include "common/exif_photo.h"
#include "fakes/fake_spi.h"
#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/spi/splugin.h"
#include "imaging/thumbnail_scaling.h"
#include "native_files.h"

using namespace tapestrel;
using namespace tapestrel::browser;
using tapestrel::testing::FakeThumbnailPlatform;
using tapestrel::testing::NativeFolder;
using tapestrel::testing::SolidPicture;

namespace {

// Pixels that vary, so that a wrong scale or offset shows.
imaging::Bitmap Gradient(int w, int h) {
  imaging::Bitmap b(w, h, imaging::PixelFormat::Bits24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = b.Row(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 255 / w);
      p[1] = static_cast<uint8_t>(y * 255 / h);
      p[2] = static_cast<uint8_t>((x + y) & 0xFF);
    }
  return b;
}

class ImgUtilTest : public ::testing::Test {
 protected:
  ImgUtilTest() {
    util.SetPlatform(&platform);
    util.Thumbnail.SetPort(&platform);
  }
  NativeFolder folder;
  FakeThumbnailPlatform platform;
  TImgUtil util;
};

class PngHook : public TImgCustomTest {
 public:
  bool IsCustomImage(const std::string& path) override { return imaging::LowerCaseExtension(path) == ".png"; }
  bool LoadCustomImage(const std::string&, imaging::Bitmap& bitmap, const imaging::StopRequest&) override {
    ++loads;
    if (!succeed) return false;
    bitmap = SolidPicture(240, 120, 0x0000FF);
    return true;
  }
  int loads = 0;
  bool succeed = true;
};

}  // namespace

TEST_F(ImgUtilTest, DetectImageTypeByExtensionHookAndPlugin) {
  PngHook hook;
  util.SetCustomTest(&hook);
  tapestrel::testing::FakeSpiHost host;
  host.AddPlugin("C:\\App\\pic.spi", tapestrel::testing::ImportPlugin("pic", {"*.pic;*.jpg", "PIC"}));
  host.AddFile("C:\\p\\a.pic", "TSPX....");
  host.AddFile("C:\\p\\b.pic", "nothing");
  host.AddFile("C:\\p\\c.jpg", "TSPX....");
  imaging::TSPlugin splugin(host);
  splugin.AddPlugin("C:\\App\\pic.spi");
  util.SPlugin = &splugin;
  util.SetTextExt("*.LOG;*.ini");
  const std::string dir = folder / "sub";
  std::filesystem::create_directory(dir);

  const struct {
    std::string path;
    TImageType type;
  } cases[] = {
      {"C:\\p\\x.PNG", TImageType::iitCustom},  // the hook comes first
      {"C:\\p\\x.bmp", TImageType::iitBmp},    {"C:\\p\\x.JPG", TImageType::iitJpeg},
      {"C:\\p\\x.jpeg", TImageType::iitJpeg},  {"C:\\p\\x.ico", TImageType::iitIco},
      {"C:\\p\\x.cur", TImageType::iitCur},    {"C:\\p\\x.ani", TImageType::iitAni},
      {"C:\\p\\x.emf", TImageType::iitEmf},    {"C:\\p\\x.wmf", TImageType::iitWmf},
      {"C:\\p\\x.exe", TImageType::iitExe},    {"C:\\p\\x.dll", TImageType::iitDll},
      {"C:\\p\\x.html", TImageType::iitHtml},  {"C:\\p\\x.htm", TImageType::iitHtml},
      {"C:\\p\\x.eml", TImageType::iitEml},    {"C:\\p\\x.txt", TImageType::iitTxt},
      {"C:\\p\\x.avi", TImageType::iitAvi},    {"C:\\p\\x.log", TImageType::iitTxt},
      {"C:\\p\\x.Ini", TImageType::iitTxt},    {"C:\\p\\x.lo", TImageType::iitNone},  // whole entries only
      {"C:\\p\\c.jpg", TImageType::iitJpeg},  // built-in before plug-ins
      {"C:\\p\\a.pic", TImageType::iitSusie},  {"C:\\p\\b.pic", TImageType::iitNone},
      {"C:\\p\\x.xyz", TImageType::iitNone},   {"C:\\", TImageType::iitDir},
      {"C:\\p\\noext", TImageType::iitNone},   {dir, TImageType::iitDir},
  };
  for (const auto& c : cases) EXPECT_EQ(c.type, util.DetectImageType(c.path)) << c.path;
  EXPECT_EQ(TImageType::iitNone, TImgUtil().DetectImageType("C:\\p\\x.png"));  // without the hook

  for (TImageType t : {TImageType::iitNone, TImageType::iitIco, TImageType::iitCur, TImageType::iitAni,
                       TImageType::iitExe, TImageType::iitDll, TImageType::iitDir})
    EXPECT_TRUE(IsIconType(t));
  for (TImageType t : {TImageType::iitSusie, TImageType::iitBmp, TImageType::iitJpeg, TImageType::iitEmf,
                       TImageType::iitTxt, TImageType::iitCustom, TImageType::iitAvi})
    EXPECT_FALSE(IsIconType(t));
}

TEST(TextExtensions, NormalisedLowerCasedFramedWithoutAsterisks) {
  EXPECT_EQ(";.log;.ini;", NormalizeTextExtensions("*.LOG;*.ini"));
  EXPECT_EQ(";.c;", NormalizeTextExtensions(";*.c;"));
  EXPECT_EQ(";", NormalizeTextExtensions(""));
}

TEST(TextLines, LinesEndAtLineFeedsAndKeepTheirLimits) {
  auto lines = [](const std::string& s, int maxLines, int maxChars) {
    return ReadTextLines(std::vector<uint8_t>(s.begin(), s.end()), {maxLines, maxChars});
  };
  using L = std::vector<std::string>;
  EXPECT_EQ((L{"ab", "cd"}), lines("ab\r\ncd", 5, 10));   // CR dropped, last line kept
  EXPECT_EQ((L{"abc", ""}), lines("abcdef\n\nx", 2, 3));  // lines cut, line count bounded
  EXPECT_EQ((L{"a\tb"}), lines("a\tb\n", 5, 10));         // tabs stay for the drawing
  EXPECT_EQ((L{}), lines("", 5, 10));

  // A zero byte ends its 1024-byte block; the next block goes on.
  std::string text = "one\ntw";
  text += '\0';
  text += "hidden\n";
  text.resize(1024, 'z');
  text += "o\nthree\n";
  EXPECT_EQ((L{"one", "two", "three"}), lines(text, 10, 20));
}

TEST_F(ImgUtilTest, JpegsAreDecodedAtTheLargestCoveringScaleThenFitted) {
  // 4000 x 3000 at 1/8 is 500 x 375, shrunk to 120 x 90; 200 x 150 is
  // decoded at full size (200 / 2 < 120) and shrunk to 120 x 90.
  for (auto [w, h, scale] : {std::tuple{4000, 3000, 8}, std::tuple{200, 150, 1}}) {
    const std::string path = folder / ("p" + std::to_string(w) + ".jpg");
    imaging::EncodeJpegFile(path, Gradient(w, h));
    ASSERT_EQ(0, util.MakeThumbnail(path, 120, 0, 90));
    EXPECT_EQ(TImageType::iitJpeg, util.ImageType());
    EXPECT_EQ(w, util.SourceWidth());
    EXPECT_EQ(h, util.SourceHeight());

    imaging::JpegDecodeOptions options;
    options.mode = imaging::JpegMode::BestSpeed;
    options.scaleDenominator = scale;
    imaging::Bitmap expected = imaging::DecodeJpegFile(path, options);
    EXPECT_EQ(w / scale, expected.Width());
    imaging::ResampleTo(expected, 120, 90);
    EXPECT_TRUE(expected == util.WorkBitmap()) << w;
  }
}

TEST_F(ImgUtilTest, PhotosAreTurnedAsTheirCameraRecordedBeforeTheScaleIsChosen) {
  // 480 x 100 covers 60 x 45 at 1/2, turned upright only whole: the photo
  // decoded so, turned by hand, made as a bitmap's thumbnail; off, as stored.
  using namespace tapestrel::testing;
  const std::vector<uint8_t> jpeg = imaging::EncodeJpeg(Gradient(480, 100));
  const std::string photo = folder / "photo.jpg", byHand = folder / "by_hand.bmp";
  for (int orientation = 1; orientation <= 8; ++orientation)
    for (bool on : {true, false}) {
      const bool upright = on && orientation >= 5;
      imaging::WriteFileBytes(photo, WithExifBlock(jpeg, OrientationTiff(orientation)));
      util.ExifOrientation = on;
      ASSERT_EQ(0, util.MakeThumbnail(photo, 60, 0, 45));
      EXPECT_EQ(upright ? 480 : 100, util.SourceHeight());
      const imaging::Bitmap fromPhoto = util.WorkBitmap();
      const imaging::Bitmap decoded = imaging::DecodeJpeg(
          jpeg, {.mode = imaging::JpegMode::BestSpeed, .scaleDenominator = upright ? 1 : 2});
      imaging::WriteBmpFile(byHand, on ? TurnedByHand(decoded, orientation) : decoded);
      ASSERT_EQ(0, util.MakeThumbnail(byHand, 60, 0, 45));
      EXPECT_TRUE(fromPhoto == util.WorkBitmap()) << orientation << on;
    }
}

TEST_F(ImgUtilTest, FittingByGetTypeAndCentringInTheCell) {
  // igtPreview: a small picture stays, a large one shrinks at its aspect.
  const struct {
    int w, h, tw, th;
  } cases[] = {{60, 40, 60, 40}, {300, 100, 120, 40}, {100, 300, 29, 90}, {1, 1, 1, 1}, {30000, 300, 120, 1}};
  for (const auto& c : cases) {
    const std::string path = folder / "f.bmp";
    tapestrel::testing::WriteSolidBmp(path, c.w, c.h, 0x123456);
    ASSERT_EQ(0, util.MakeThumbnail(path, 120, 0, 90)) << c.w;
    EXPECT_EQ(c.tw, util.WorkBitmap().Width()) << c.w << "x" << c.h;
    EXPECT_EQ(c.th, util.WorkBitmap().Height()) << c.w << "x" << c.h;
  }

  // A 60 x 40 thumbnail lies at 30, 25 in its 120 x 90 cell on the view color.
  tapestrel::testing::WriteSolidBmp(folder / "s.bmp", 60, 40, 0x0000FF);
  ASSERT_EQ(0, util.MakeThumbnail(folder / "s.bmp", 120, 0, 90));
  TImgItems items;
  TImgListItem entry(items, nullptr, 1, false, -1);
  InstallThumbnail(entry, util.WorkBitmap(), util.SourceWidth(), util.SourceHeight(), 120, 90, 0xFFFFFF);
  ASSERT_TRUE(entry.Loaded);
  ASSERT_EQ(120, entry.Image->Width());
  auto at = [&](int x, int y) { return imaging::PixelColor(*entry.Image, x, y); };
  EXPECT_EQ(0xFFFFFFu, at(29, 25));
  EXPECT_EQ(0x0000FFu, at(30, 25));
  EXPECT_EQ(0x0000FFu, at(89, 64));
  EXPECT_EQ(0xFFFFFFu, at(90, 64));
  EXPECT_EQ(0xFFFFFFu, at(89, 65));
  EXPECT_EQ(60, entry.ImageWidth);

  // igtStretch enlarges, igtFit fills the box.
  util.GetType = TGetType::igtStretch;
  ASSERT_EQ(0, util.MakeThumbnail(folder / "s.bmp", 120, 0, 90));
  EXPECT_EQ((imaging::Size{120, 80}), (imaging::Size{util.WorkBitmap().Width(), util.WorkBitmap().Height()}));
  util.GetType = TGetType::igtFit;
  ASSERT_EQ(0, util.MakeThumbnail(folder / "s.bmp", 120, 0, 90));
  EXPECT_EQ((imaging::Size{120, 90}), (imaging::Size{util.WorkBitmap().Width(), util.WorkBitmap().Height()}));
}

TEST_F(ImgUtilTest, DispatchByKindThroughThePlatform) {
  PngHook hook;
  util.SetCustomTest(&hook);
  util.BKColor = 0x00FF00;
  const std::string png = folder.Write("a.png", "whatever"), emf = folder.Write("a.emf", "x"),
                    htm = folder.Write("a.htm", "x"), txt = folder.Write("a.txt", "l1\nl2\n"),
                    avi = folder.Write("a.avi", "x"), ico = folder.Write("a.ico", "x"),
                    unknown = folder.Write("a.xyz", "x");

  EXPECT_EQ(0, util.MakeThumbnail(png, 120, 0, 90));
  EXPECT_EQ(1, hook.loads);
  EXPECT_EQ(240, util.SourceWidth());
  EXPECT_EQ(120, util.WorkBitmap().Width());  // 240 x 120 shrunk

  EXPECT_EQ(0, util.MakeThumbnail(emf, 120, 0, 90));
  EXPECT_EQ(0x00FF00u, imaging::PixelColor(util.WorkBitmap(), 0, 0));  // drawn on BKColor
  EXPECT_EQ(64, util.SourceWidth());

  // HTML: 640 wide, 640 / w x h high, then exactly the box.
  EXPECT_EQ(0, util.MakeThumbnail(htm, 120, 0, 90));
  EXPECT_EQ("shell 640x480", platform.calls.back());
  EXPECT_EQ(120, util.WorkBitmap().Width());
  EXPECT_EQ(90, util.WorkBitmap().Height());

  // Text: drawn into 2w x 2h with (2h / "H") + 1 lines of w + 1 characters.
  EXPECT_EQ(0, util.MakeThumbnail(txt, 120, 0, 90));
  EXPECT_EQ("text 240x180", platform.calls.back());
  EXPECT_EQ((std::vector<std::string>{"l1", "l2"}), platform.textLines);
  platform.lineHeight = 0;
  EXPECT_EQ(-1, util.MakeThumbnail(txt, 120, 0, 90));
  EXPECT_EQ("icon 0", platform.calls.back());

  // Video: the frame at AviFramePos; none is a failure with the icon.
  util.SetAviFramePos(150);  // ignored
  EXPECT_EQ(-1, util.MakeThumbnail(avi, 120, 0, 90));
  EXPECT_EQ("video 20", platform.calls[platform.calls.size() - 2]);
  platform.video = SolidPicture(320, 240, 0);
  util.SetAviFramePos(50);
  EXPECT_EQ(0, util.MakeThumbnail(avi, 120, 0, 90));
  EXPECT_EQ("video 50", platform.calls.back());
  EXPECT_EQ(320, util.SourceWidth());

  // Icon kinds and unknown files: their icon, code 0, nothing decoded.
  for (const std::string& p : {ico, unknown}) {
    platform.calls.clear();
    EXPECT_EQ(0, util.MakeThumbnail(p, 120, 0, 90));
    EXPECT_EQ((std::vector<std::string>{"icon 0"}), platform.calls);
    EXPECT_EQ(FakeThumbnailPlatform::kIconColor, imaging::PixelColor(util.WorkBitmap(), 0, 0));
  }
}

TEST_F(ImgUtilTest, BadInputGivesTheIconAndAFailureCode) {
  PngHook hook;
  util.SetCustomTest(&hook);
  hook.succeed = false;
  std::string truncated;
  {
    const std::vector<uint8_t> jpeg = imaging::EncodeJpeg(Gradient(64, 64));
    truncated.assign(jpeg.begin(), jpeg.begin() + 200);
  }
  const std::string paths[] = {folder.Write("bad.jpg", truncated), folder.Write("bad.bmp", "BM\x10\x00"),
                               folder.Write("empty.jpg", ""), folder.Write("bad.png", "x")};
  for (const std::string& p : paths) {
    platform.calls.clear();
    EXPECT_EQ(-1, util.MakeThumbnail(p, 120, 0, 90)) << p;
    EXPECT_EQ((std::vector<std::string>{"icon 0"}), platform.calls) << p;
    EXPECT_EQ(32, util.WorkBitmap().Width()) << p;
  }
  // A picture that fits into no pixel: its icon.
  tapestrel::testing::WriteSolidBmp(folder / "line.bmp", 30000, 2, 0);
  EXPECT_EQ(-1, util.MakeThumbnail(folder / "line.bmp", 120, 0, 90));
  EXPECT_EQ(32, util.WorkBitmap().Width());

  // A file that is gone: 1, no icon.
  platform.calls.clear();
  EXPECT_EQ(1, util.MakeThumbnail(folder / "gone.jpg", 120, 0, 90));
  EXPECT_TRUE(platform.calls.empty());
  EXPECT_TRUE(util.WorkBitmap().Empty());
}

TEST_F(ImgUtilTest, SusiePriorityHandsBuiltInKindsToAReadingPlugin) {
  tapestrel::testing::FakeSpiHost host;
  tapestrel::testing::FakePlugin plugin =
      tapestrel::testing::ImportPlugin("bmp", {"*.bmp;*.jpg", "pictures"});
  tapestrel::testing::FakePicture picture;
  picture.info = tapestrel::testing::MakeInfoBlock(2, 1, 24);
  picture.pixels = {0, 0, 255, 0, 0, 255, 0, 0};
  plugin.picture = [picture](const std::string&, int32_t, bool) { return picture; };
  host.AddPlugin("C:\\App\\bmp.spi", plugin);
  const std::string bmp = folder / "a.bmp";
  tapestrel::testing::WriteSolidBmp(bmp, 10, 10, 0x00FF00);
  host.AddFile(bmp, "TSPX");
  imaging::TSPlugin splugin(host);
  splugin.AddPlugin("C:\\App\\bmp.spi");
  util.SPlugin = &splugin;

  ASSERT_EQ(0, util.MakeThumbnail(bmp, 120, 0, 90));
  EXPECT_EQ(10, util.SourceWidth());  // the built-in reader
  util.SusiePriority = true;
  ASSERT_EQ(0, util.MakeThumbnail(bmp, 120, 0, 90));
  EXPECT_EQ(2, util.SourceWidth());  // the plug-in's picture
  EXPECT_EQ(0x0000FFu, imaging::PixelColor(util.WorkBitmap(), 0, 0));
  const std::string jpg = folder / "b.jpg";
  using namespace tapestrel::testing;
  imaging::WriteFileBytes(jpg, WithExifBlock(imaging::EncodeJpeg(Gradient(4, 4)), OrientationTiff(6)));
  host.AddFile(jpg, "TSPX");
  ASSERT_EQ(0, util.MakeThumbnail(jpg, 120, 0, 90));
  EXPECT_EQ(1, util.SourceWidth());  // turned as the photo's orientation says
}

// A stop request ends every decoder and the fitting with kStopped, and never
// with the icon a failure would show.
TEST_F(ImgUtilTest, AStopRequestEndsEveryDecoderWithoutAnIcon) {
  app::PngCustomImageTest png;
  util.SetCustomTest(&png);
  tapestrel::testing::FakeSpiHost host;
  tapestrel::testing::FakePlugin plugin = tapestrel::testing::ImportPlugin("pic", {"*.pic", "PIC"});
  host.AddPlugin("C:\\App\\pic.spi", plugin);
  imaging::TSPlugin splugin(host);
  splugin.AddPlugin("C:\\App\\pic.spi");
  util.SPlugin = &splugin;
  const imaging::Bitmap picture = Gradient(300, 200);
  imaging::WriteBmpFile(folder / "a.bmp", picture);
  imaging::WriteFileBytes(folder / "a.jpg", imaging::EncodeJpeg(picture));
  imaging::SavePngFile(folder / "a.png", picture);
  host.AddFile(folder.Write("a.pic", "TSPX"), "TSPX");
  std::atomic<bool> stopped{true};
  const imaging::StopRequest stop(stopped);
  for (const char* name : {"a.bmp", "a.jpg", "a.png", "a.pic"}) {
    platform.calls.clear();
    EXPECT_EQ(TImgUtil::kStopped, util.MakeThumbnail(folder / name, 120, 0, 90, stop)) << name;
    EXPECT_TRUE(platform.calls.empty()) << name;
    EXPECT_TRUE(util.WorkBitmap().Empty()) << name;
  }
  imaging::Bitmap large = picture;
  EXPECT_THROW(imaging::ResampleTo(large, 30, 20, stop), imaging::PictureStopped);
}
