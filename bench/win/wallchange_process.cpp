// "/wallchange" as a user's hot key or Startup shortcut runs it: the real
// Tapestrel.exe started as a new process, changing the wallpaper to a
// 4000 x 3000 JPEG in the aspect-ratio mode and ending. What the picture
// costs is that run minus the same run with an 8 x 6 JPEG (start-up, windows,
// INI and exit are in both); it is set against a bare full decode of the big
// file by the libjpeg the program links (goal: ratio <= 1.1).
// The in-process bench_win_jpeg_paths times ApplyWallpaper alone, in a
// process that has run it before; this one also counts what a fresh process
// pays for the picture: memory first touched, the change sound, Windows
// taking the wallpaper, and anything else the process does until it ends.
// Every repetition runs the three in turn; the ratio is the median of the
// per-repetition ratios, so that load from other processes falls on both
// sides alike. Beside it, what the big run cannot do without, each step
// alone: writing its wallpaper file (flushed, as the program does) and
// Windows taking that file.
// Usage: bench_win_wallchange_process.exe [--repetitions=N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/bitmap.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "timing.h"
#include "../photo_like.h"
#include "win_support/files.h"
#include "win_support/tapestrel_process.h"

using namespace tapestrel;

namespace {

using bench::Median;
using bench::PhotoLike;
using bench::Milliseconds;


// libjpeg alone, the file read whole and decoded to BGR rows of one buffer.
void BareDecode(const std::string& path, std::vector<uint8_t>& out) {
  const std::vector<uint8_t> data = imaging::ReadFileBytes(path);
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&c, TRUE);
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

// The bytes of the wallpaper file written anew and flushed, as the program
// replaces it.
void BareWrite(const std::string& path, const std::vector<uint8_t>& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  const bool ok = file != INVALID_HANDLE_VALUE &&
                  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  FlushFileBuffers(file);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

// Windows taking the wallpaper file, as the program hands it over.
void TakeWallpaper(std::string path) {
  if (!SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE))
    throw std::runtime_error("Windows did not take " + path);
}

std::string CurrentWallpaper() {
  char path[MAX_PATH] = {};
  SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0);
  return path;
}

// A copy of the program in a folder of its own, whose wallpaper folder holds
// one JPEG of the given size, set to the aspect-ratio mode.
struct Installation {
  Installation(int width, int height) : program(folder), photo(folder / "pictures\\photo.jpg") {
    CreateDirectoryA((folder / "pictures").c_str(), nullptr);
    imaging::EncodeJpegFile(photo, PhotoLike(width, height));
    testing::WriteFile(program.Ini(),
                       "[Whole]\r\nWallPaperFolder=" + folder / "pictures" + "\r\nWallPosition=3\r\n");
  }
  // The whole run, from the start of the process to its end.
  double Change() {
    return Milliseconds([&] {
      if (!program.Start("/wallchange") || !program.WaitExit(60000) || program.ExitCode() != 0)
        throw std::runtime_error("/wallchange did not end by itself");
    });
  }
  testing::TempFolder folder;
  testing::TapestrelProcess program;
  std::string photo;
};

int Repetitions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--repetitions=", 14) == 0) return std::max(1, std::atoi(argv[i] + 14));
  }
  return 9;
}

std::string Spread(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  char text[64];
  std::snprintf(text, sizeof text, "(%.2f-%.2f)", v.front(), v.back());
  return text;
}

int Run(int argc, char** argv) {
  const int repetitions = Repetitions(argc, argv);
  Installation big(4000, 3000), small(8, 6);
  std::vector<uint8_t> decoded;
  std::vector<double> bigRuns, smallRuns, decodes, ratios;
  for (int i = 0; i <= repetitions; ++i) {  // the first round warms up and is not counted
    const double s = small.Change();
    const double b = big.Change();
    const double d = Milliseconds([&] { BareDecode(big.photo, decoded); });
    if (i == 0) continue;
    smallRuns.push_back(s), bigRuns.push_back(b), decodes.push_back(d);
    ratios.push_back((b - s) / d);
  }
  // The steps alone after the runs, so that Windows taking the file again
  // does not weigh on the runs that follow it.
  const std::string wallpaper = CurrentWallpaper(), scratch = big.folder / "written.bmp";
  const std::vector<uint8_t> wallpaperBytes = imaging::ReadFileBytes(wallpaper);
  std::vector<double> writes, takes;
  for (int i = 0; i < repetitions; ++i) {
    writes.push_back(Milliseconds([&] { BareWrite(scratch, wallpaperBytes); }));
    takes.push_back(Milliseconds([&] { TakeWallpaper(wallpaper); }));
  }
  const double goal = 1.1, ratio = Median(ratios);
  // On a 4:3 screen the 4:3 picture is not redrawn: the wallpaper file is the whole picture.
  std::printf("/wallchange, whole process, of the %s on a %dx%d screen: median of %d repetitions (min-max)\n",
              bench::BuildName(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), repetitions);
  auto line = [](const char* what, const std::vector<double>& v) {
    std::printf("  %-44s %8.1f ms %s\n", what, Median(v), Spread(v).c_str());
  };
  line("4000x3000 JPEG, aspect-ratio mode", bigRuns);
  line("8x6 JPEG, aspect-ratio mode", smallRuns);
  line("bare full decode of the 4000x3000 JPEG", decodes);
  std::printf("  %-44s %8.2f    %s to the bare decode (goal <= %.2f): %s\n", "picture's share (big - small)", ratio,
              Spread(ratios).c_str(), goal, ratio <= goal ? "met" : "MISSED");
  char what[64];
  std::snprintf(what, sizeof what, "bare write of its %u MB file, flushed",
                static_cast<unsigned>(wallpaperBytes.size() >> 20));
  line(what, writes);
  line("Windows taking it (SystemParametersInfo)", takes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return tapestrel::bench::RunReportingFailure(Run, argc, argv); }
