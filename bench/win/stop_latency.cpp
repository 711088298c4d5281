// Stopping the thumbnail worker in the middle of a large PNG, in the shipped
// code (the x86 or the x64 build) under Wine, through the real thumbnail
// view, queue and worker thread: the window thread's time in the cancel that
// every refresh, option change, folder open and exit makes (goal: <= 20 ms),
// beside the whole thumbnail it used to wait for. The worker is stopped at
// points spread over the decoding, fitting included.
// Usage: bench_win_stop_latency.exe [--size=8000] [--points=12]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/png/png_file.h"
#include "timing.h"
#include "win/thumbnails/thumbnail_fixture.h"
#include "win_support/files.h"

using namespace tapestrel;

namespace {

// Gradients with grain: a photo's share of work for inflate and the filters.
imaging::Bitmap Picture(int size) {
  imaging::Bitmap b(size, size, imaging::PixelFormat::Bits24);
  uint32_t seed = 1;
  for (int y = 0; y < size; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < size; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int grain = static_cast<int>(seed >> 28);
      row[3 * x] = static_cast<uint8_t>(x * 255 / size + grain);
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / size + grain);
      row[3 * x + 2] = static_cast<uint8_t>((x + y) * 127 / size + grain);
    }
  }
  return b;
}

int Run(int argc, char** argv) {
  const int size = bench::CountArgument(argc, argv, "--size=", 8000);
  const int points = bench::CountArgument(argc, argv, "--points=", 12);
  tapestrel::testing::TempFolder folder;
  const std::string path = folder / "large.png";
  imaging::SavePngFile(path, Picture(size));

  tapestrel::testing::ThumbnailHost host;
  // The whole thumbnail on this thread: what every stop waited for before.
  const double whole =
      bench::Milliseconds([&] { host.Util().MakeThumbnail(path, 120, 0, 90); });
  host.Open(folder.Path());
  std::vector<double> waits;
  for (int i = 0; i < points; ++i) {
    const int after = static_cast<int>(whole * (i + 0.5) / points);
    browser::TImgListItem& entry = host.Items()[0];
    entry.Image.reset();  // made at a late point before: made again
    entry.Loaded = false;
    host.View().CellImage(entry);  // the worker starts on it
    Sleep(static_cast<DWORD>(after));
    waits.push_back(bench::Milliseconds([&] { host.cells->CancelAll(); }));
    // A worker that outlasted the wait says when it is free.
    tapestrel::testing::PumpUntil([] { return false; }, 50);
  }
  const double worst = *std::max_element(waits.begin(), waits.end());
  std::printf("stop latency, %s, %d x %d PNG thumbnail (%.0f ms whole), %d stops spread over it:\n",
              bench::BuildName(), size, size, whole, points);
  std::printf("  median %.2f ms, worst %.2f ms (goal <= 20 ms): %s\n", bench::Median(waits), worst,
              worst <= 20 ? "met" : "NOT met");
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return tapestrel::bench::RunReportingFailure(Run, argc, argv); }
