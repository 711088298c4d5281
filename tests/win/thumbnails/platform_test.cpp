// The Windows services thumbnails are made with, against the real API.
#include "browser/win32/thumbnail_platform.h"

#include <gtest/gtest.h>
#include <vfw.h>

#include "browser/view_options.h"
#include "imaging/pixel_convert.h"
#include "win_support/files.h"

using namespace tapestrel;
using namespace tapestrel::browser;
using tapestrel::testing::TempFolder;

namespace {

// An uncompressed AVI of `frames` 32 x 24 frames, frame i all of color
// i x 20 in red; or, with `audioOnly`, one audio stream and no video.
void WriteAvi(const std::string& path, int frames, bool audioOnly = false) {
  AVIFileInit();
  PAVIFILE file = nullptr;
  ASSERT_EQ(0, AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr));
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOA info{};
  info.dwScale = 1;
  info.dwRate = 10;
  if (audioOnly) {
    info.fccType = streamtypeAUDIO;
    info.dwSampleSize = 2;
    WAVEFORMATEX wave{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    info.dwRate = 8000;
    ASSERT_EQ(0, AVIFileCreateStreamA(file, &stream, &info));
    AVIStreamSetFormat(stream, 0, &wave, sizeof wave);
    std::vector<uint8_t> samples(1600);
    AVIStreamWrite(stream, 0, 800, samples.data(), 1600, AVIIF_KEYFRAME, nullptr, nullptr);
  } else {
    info.fccType = streamtypeVIDEO;
    info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    SetRect(&info.rcFrame, 0, 0, 32, 24);
    ASSERT_EQ(0, AVIFileCreateStreamA(file, &stream, &info));
    BITMAPINFOHEADER bih{sizeof bih, 32, 24, 1, 24, BI_RGB, 32 * 24 * 3, 0, 0, 0, 0};
    AVIStreamSetFormat(stream, 0, &bih, sizeof bih);
    for (int i = 0; i < frames; ++i) {
      std::vector<uint8_t> pixels(32 * 24 * 3);
      for (size_t p = 2; p < pixels.size(); p += 3) pixels[p] = static_cast<uint8_t>(i * 20);
      AVIStreamWrite(stream, i, 1, pixels.data(), static_cast<LONG>(pixels.size()), AVIIF_KEYFRAME, nullptr,
                     nullptr);
    }
  }
  AVIStreamRelease(stream);
  AVIFileRelease(file);
  AVIFileExit();
}

bool HasColorOtherThan(const imaging::Bitmap& b, imaging::ColorValue c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (imaging::PixelColor(b, x, y) != c) return true;
  return false;
}

}  // namespace

TEST(ThumbnailPlatform, MetafilesAreDrawnAtTheirSizeOnTheBackground) {
  TempFolder folder;
  WindowsThumbnailPlatform platform;
  // 100 x 50 pixels of the reference screen, a red box inside.
  HDC screen = GetDC(nullptr);
  const int mmX = GetDeviceCaps(screen, HORZSIZE) * 100, mmY = GetDeviceCaps(screen, VERTSIZE) * 100;
  const int px = GetDeviceCaps(screen, HORZRES), py = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  const RECT frame{0, 0, MulDiv(100, mmX, px), MulDiv(50, mmY, py)};
  const std::string emf = folder / "a.emf";
  HDC dc = CreateEnhMetaFileA(nullptr, emf.c_str(), &frame, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const RECT box{20, 10, 80, 40};
  FillRect(dc, &box, red);
  DeleteObject(red);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));

  const imaging::Bitmap b = platform.DrawMetafile(emf, 0x00FF00);
  EXPECT_NEAR(100, b.Width(), 1);
  EXPECT_NEAR(50, b.Height(), 1);
  EXPECT_EQ(0x00FF00u, imaging::PixelColor(b, 2, 2));
  EXPECT_EQ(0x0000FFu, imaging::PixelColor(b, 50, 25));

  // A placeable Windows metafile: 2 x 1 inches at 96 per inch.
  HDC wdc = CreateMetaFileA(nullptr);
  SetMapMode(wdc, MM_ANISOTROPIC);
  SetWindowExtEx(wdc, 192, 96, nullptr);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT all{0, 0, 192, 96};
  FillRect(wdc, &all, blue);
  DeleteObject(blue);
  HMETAFILE wmf = CloseMetaFile(wdc);
  std::string bytes(GetMetaFileBitsEx(wmf, 0, nullptr), '\0');
  GetMetaFileBitsEx(wmf, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteMetaFile(wmf);
  std::string head(22, '\0');
  const uint32_t key = 0x9AC6CDD7;
  const int16_t bbox[4] = {0, 0, 192, 96};
  const uint16_t inch = 96;
  memcpy(&head[0], &key, 4);
  memcpy(&head[6], bbox, 8);
  memcpy(&head[14], &inch, 2);
  tapestrel::testing::WriteFile(folder / "b.wmf", head + bytes);
  const imaging::Bitmap w = platform.DrawMetafile(folder / "b.wmf", 0xFFFFFF);
  EXPECT_GT(w.Width(), w.Height());
  EXPECT_EQ(0xFF0000u, imaging::PixelColor(w, w.Width() / 2, w.Height() / 2));

  // Not a metafile at all.
  tapestrel::testing::WriteFile(folder / "c.emf", "garbage, but long enough to be looked at");
  EXPECT_THROW(platform.DrawMetafile(folder / "c.emf", 0), imaging::ImageError);
}

TEST(ThumbnailPlatform, TextIsDrawnInTheFontWithTabsExpanded) {
  WindowsThumbnailPlatform platform;
  const TImgFont font{L"MS UI Gothic", -16, 0, SHIFTJIS_CHARSET};
  const int h = platform.TextLineHeight(font);
  EXPECT_GE(h, 14);
  EXPECT_LE(h, 24);
  const imaging::Bitmap b = platform.DrawTextLines({"\tX", "\x93\xfa\x96\x7b"}, 240, 180, font, 0xFFFFFF);
  ASSERT_EQ(240, b.Width());
  // The tab pushes the X to the right: nothing drawn at the line's start.
  auto inked = [&](int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (imaging::PixelColor(b, x, y) != 0xFFFFFFu) return true;
    return false;
  };
  EXPECT_FALSE(inked(0, 20, 0, h));
  EXPECT_TRUE(inked(20, 120, 0, h));
  EXPECT_TRUE(inked(0, 40, h, 2 * h));  // the Japanese line
}

TEST(ThumbnailPlatform, VideoFramesAtAPercentageOfTheStream) {
  TempFolder folder;
  WindowsThumbnailPlatform platform;
  WriteAvi(folder / "v.avi", 10);
  for (auto [percent, frame] : {std::pair{0, 0}, {20, 2}, {50, 5}, {100, 9}}) {
    const auto b = platform.VideoFrame(folder / "v.avi", percent);
    ASSERT_TRUE(b) << percent;
    EXPECT_EQ(32, b->Width());
    EXPECT_EQ(imaging::MakeColor(static_cast<uint8_t>(frame * 20), 0, 0), imaging::PixelColor(*b, 5, 5))
        << percent;
  }
  WriteAvi(folder / "audio.avi", 0, true);
  EXPECT_FALSE(platform.VideoFrame(folder / "audio.avi", 20));
  tapestrel::testing::WriteFile(folder / "bad.avi", "RIFF\x10\0\0\0AVI LIST");
  EXPECT_FALSE(platform.VideoFrame(folder / "bad.avi", 20));
  EXPECT_FALSE(platform.VideoFrame(folder / "gone.avi", 20));
}

TEST(ThumbnailPlatform, IconsStoreStampsAndColors) {
  TempFolder folder;
  WindowsThumbnailPlatform platform;
  tapestrel::testing::WriteFile(folder / "a.xyz", "x");
  const imaging::Bitmap icon = platform.IconImage(folder / "a.xyz", 0, 0x00FF00);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), icon.Width());
  EXPECT_TRUE(HasColorOtherThan(icon, 0x00FF00));
  EXPECT_EQ(0x00FF00u, imaging::PixelColor(icon, 0, 0));  // icons leave their corners to the background

  EXPECT_TRUE(platform.FileExists(folder / "a.xyz"));
  EXPECT_FALSE(platform.FileExists(folder.Path()));
  EXPECT_TRUE(platform.DirectoryExists(folder.Path()));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), platform.ResolveColor(kClHighlight));
  const auto stamp = platform.FileStamp(folder / "a.xyz");
  ASSERT_TRUE(stamp);
  EXPECT_EQ(1u, stamp->size);
  EXPECT_NEAR(platform.Now(), stamp->modified, 5.0 / 86400);
  EXPECT_EQ("win_thumbnails.exe", platform.ProgramFileName());
  EXPECT_FALSE(platform.FileStamp(folder / "gone"));
  EXPECT_EQ('\\', platform.TempFolder().back());
  EXPECT_EQ('\\', platform.WindowsFolder().back());
}

TEST(ThumbnailPlatform, HtmlFallsBackToTheIconWhereNoExtractorWorks) {
  TempFolder folder;
  tapestrel::testing::WriteFile(folder / "a.htm", "<html><body>x</body></html>");
  WindowsThumbnailPlatform platform;
  TImgUtil util;
  util.SetPlatform(&platform);
  const int code = util.MakeThumbnail(folder / "a.htm", 120, 0, 90);
  // A thumbnail where the shell makes one, else the icon with a failure.
  if (code == 0) {
    EXPECT_EQ(120, util.WorkBitmap().Width());
    EXPECT_EQ(90, util.WorkBitmap().Height());
  } else {
    EXPECT_EQ(-1, code);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), util.WorkBitmap().Width());
  }
}
