// The JPEG paths users feel, timed in the shipped code (the x86 or the x64
// build) under Wine:
//   - ApplyWallpaper in ratio mode, a 4000 x 3000 JPEG onto a 1920 x 1080
//     screen, against a bare full decode of the file plus a bare write of a
//     1920 x 1080 32-bit BMP (goal: ratio <= 1.3);
//   - the thumbnail of the same file in a 120 x 90 box in speed mode, against
//     a bare 1/8 decode of the file (goal: ratio <= 1.15).
// "Bare" is libjpeg (the same static library Tapestrel.exe links) and
// WriteFile called directly. Every repetition runs the five timed steps in
// turn and each ratio is the median of the per-repetition ratios, so that load
// from other processes falls on both sides of a ratio alike.
// Usage: bench_win_jpeg_paths.exe [--repetitions=N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/ini_file.h"
#include "app/plugin_pictures.h"
#include "app/random_source.h"
#include "app/settings_record.h"
#include "app/wallpaper_changer.h"
#include "app/wallpaper_renderer.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/thumbnail_decode.h"
#include "platform/win32/clock_and_locale.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/registry.h"
#include "win_support/files.h"
#include "timing.h"
#include "../photo_like.h"

using namespace tapestrel;

namespace {

constexpr int kPhotoWidth = 4000, kPhotoHeight = 3000;
constexpr int kScreenWidth = 1920, kScreenHeight = 1080;
constexpr int kBoxWidth = 120, kBoxHeight = 90;


using bench::Median;
using bench::PhotoLike;
using bench::Milliseconds;

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  platform::UniqueFileHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) throw std::runtime_error("cannot open " + path);
  std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) ||
      got != data.size())
    throw std::runtime_error("cannot read " + path);
  return data;
}

// libjpeg alone: the file read whole, decoded at 1/denominator into one BGR
// buffer; accurate or fast DCT as the two modes of the program use. The
// input is our own picture, so libjpeg's default error exit may stay.
void BareDecode(const std::string& path, unsigned denominator, bool fast, std::vector<uint8_t>& out) {
  const std::vector<uint8_t> data = ReadWholeFile(path);
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&c, TRUE);
  c.scale_num = 1;
  c.scale_denom = denominator;
  c.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
  c.do_fancy_upsampling = fast ? FALSE : TRUE;
  c.do_block_smoothing = fast ? FALSE : TRUE;
  c.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&c);
  const size_t stride = (c.output_width * 3 + 3) & ~size_t{3};
  out.resize(stride * c.output_height);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = out.data() + stride * c.output_scanline;
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
}

// A 32-bit BMP of the screen's size, header and pixels written directly: the least that writing
// the ratio-mode wallpaper file costs.
void BareBmpWrite(const std::string& path, const std::vector<uint8_t>& pixels) {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  info.biSize = sizeof info;
  info.biWidth = kScreenWidth;
  info.biHeight = kScreenHeight;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(pixels.size());
  std::vector<uint8_t> header(file.bfOffBits);
  std::memcpy(header.data(), &file, sizeof file);
  std::memcpy(header.data() + sizeof file, &info, sizeof info);
  platform::UniqueFileHandle out(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (!out || !WriteFile(out.Get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr) ||
      !WriteFile(out.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr))
    throw std::runtime_error("cannot write " + path);
}

// The real registry, below a scratch key of its own: the change is timed with
// the real registry calls but leaves the prefix's desktop settings alone. The
// key has no "Local AppData", so the wallpaper file goes beside the "program".
class ScratchRegistry : public platform::RegistryPort {
 public:
  ~ScratchRegistry() override { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) const override {
    return real_.ReadString(std::string(kRoot) + "\\" + key, name);
  }
  bool WriteString(const std::string& key, const std::string& name, const std::string& value) override {
    return real_.WriteString(std::string(kRoot) + "\\" + key, name, value);
  }

 private:
  static constexpr const char* kRoot = "Software\\Tapestrel benchmark";
  platform::CurrentUserRegistry real_;
};

// A 1920 x 1080 screen whose wallpaper and sound calls do nothing: Windows'
// own work on the file is not the program's.
class ScreenOfBenchmark : public platform::DesktopPort {
 public:
  void ScreenSize(int& width, int& height) const override { width = kScreenWidth, height = kScreenHeight; }
  std::vector<platform::ScreenRect> Monitors() const override { return {{0, 0, kScreenWidth, kScreenHeight}}; }
  bool SetWallpaper(const std::string&) override { return true; }
  void SetBackgroundColor(uint32_t) override {}
  uint32_t SystemColor(int) const override { return 0; }
  bool PlaySoundFile(const std::string&) override { return true; }
  void DefaultBeep() override {}
};

class OnePicture : public browser::PictureList {
 public:
  explicit OnePicture(std::string path) : path_(std::move(path)) {}
  int Count() const override { return 1; }
  std::string Path(int) const override { return path_; }

 private:
  std::string path_;
};

struct ApplyPorts {
  explicit ApplyPorts(const testing::TempFolder& folder, const std::string& photo)
      : profile(folder / "Tapestrel.ini"), folder(folder.Path() + "\\"), pictures(photo) {}
  platform::ProfileFile profile;
  platform::UserLocale locale;
  platform::LocalClock clock;
  platform::WindowsFileSystem files;
  ScratchRegistry registry;
  ScreenOfBenchmark desktop;
  app::NoPluginPictures plugins;
  std::string folder;
  OnePicture pictures;
  app::SeededRandom random{1};
};

// An ordinary change of the photo in ratio mode (centred, black blank
// color), through the program's own change classes.
struct RatioModeChange {
  RatioModeChange(ApplyPorts& p, std::string photo)
      : photo(std::move(photo)),
        ini(p.profile, p.locale),
        renderer(settings, {p.registry, p.desktop, p.files, p.plugins, p.folder}),
        changer(settings, ini, p.pictures, p.random, renderer, {p.clock, p.files, p.registry}) {
    settings.WallPosition = app::PositionMode::RatioExpansion;
  }
  void operator()() { changer.ApplyWallpaper(photo, app::ChangeMode::Ordinary); }

  std::string photo;
  app::SettingsRecord settings;
  app::IniFile ini;
  app::WallpaperRenderer renderer;
  app::WallpaperChanger changer;
};

int Repetitions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--repetitions=", 14) == 0) return std::max(1, std::atoi(argv[i] + 14));
  }
  return 15;
}

int Run(int argc, char** argv) {
  const int repetitions = Repetitions(argc, argv);
  testing::TempFolder folder;
  const std::string photo = folder / "photo.jpg";
  imaging::EncodeJpegFile(photo, PhotoLike(kPhotoWidth, kPhotoHeight));
  const std::string referenceBmp = folder / "reference.bmp";
  const std::string wallpaper = folder / "Wallpaper1.bmp";

  ApplyPorts ports(folder, photo);
  RatioModeChange apply(ports, photo);
  std::vector<uint8_t> decoded;
  const std::vector<uint8_t> canvas(size_t{kScreenWidth} * kScreenHeight * 4, 0x40);
  imaging::ThumbnailPicture thumbnail;

  std::vector<double> full, eighth, bmp, own, thumb, applyRatio, thumbRatio;
  for (int i = 0; i <= repetitions; ++i) {  // the first round warms up and is not counted
    // Any step run right after a change measures 10 to 20 ms slower here,
    // whatever it is; an untimed decode takes that place.
    BareDecode(photo, 8, true, decoded);
    const double e = Milliseconds([&] { BareDecode(photo, 8, true, decoded); });
    const double t = Milliseconds([&] {
      thumbnail = imaging::LoadThumbnailPicture(photo, kBoxWidth, kBoxHeight, imaging::TGetType::igtPreview,
                                                imaging::JpegMode::BestSpeed);
    });
    const double f = Milliseconds([&] { BareDecode(photo, 1, false, decoded); });
    const double b = Milliseconds([&] { BareBmpWrite(referenceBmp, canvas); });
    const double a = Milliseconds([&] { apply(); });
    if (i == 0) continue;
    full.push_back(f), eighth.push_back(e), bmp.push_back(b), own.push_back(a), thumb.push_back(t);
    applyRatio.push_back(a / (f + b));
    thumbRatio.push_back(t / e);
  }

  // The figures only count if the work was done.
  const imaging::Bitmap written = imaging::ReadBmpFile(wallpaper);
  if (written.Width() != kScreenWidth || written.Height() != kScreenHeight ||
      thumbnail.bitmap.Width() != kBoxWidth || thumbnail.bitmap.Height() != kBoxHeight ||
      thumbnail.sourceWidth != kPhotoWidth) {
    std::printf("FAILED: wallpaper %dx%d, thumbnail %dx%d\n", written.Width(), written.Height(),
                thumbnail.bitmap.Width(), thumbnail.bitmap.Height());
    return 1;
  }

  const double applyGoal = 1.3, thumbGoal = 1.15;
  const double a = Median(applyRatio), t = Median(thumbRatio);
  std::printf("JPEG paths of the %s: a %dx%d JPEG of %u KB, median of %d repetitions\n", bench::BuildName(),
              kPhotoWidth, kPhotoHeight, static_cast<unsigned>(ReadWholeFile(photo).size() / 1024),
              repetitions);
  std::printf("  %-44s %8.1f ms\n", "bare full decode (accurate DCT)", Median(full));
  std::printf("  %-44s %8.1f ms\n", "bare 1/8 decode (fast DCT)", Median(eighth));
  std::printf("  %-44s %8.1f ms\n", "bare BMP write, 1920x1080x32", Median(bmp));
  std::printf("  %-44s %8.1f ms   ratio %.2f to full decode + BMP write (goal <= %.2f): %s\n",
              "ApplyWallpaper, ratio mode, 1920x1080 screen", Median(own), a, applyGoal,
              a <= applyGoal ? "met" : "MISSED");
  std::printf("  %-44s %8.1f ms   ratio %.2f to the 1/8 decode (goal <= %.2f): %s\n",
              "thumbnail 120x90, speed mode", Median(thumb), t, thumbGoal, t <= thumbGoal ? "met" : "MISSED");
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return tapestrel::bench::RunReportingFailure(Run, argc, argv); }
