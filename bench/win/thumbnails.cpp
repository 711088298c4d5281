// Thumbnail loading as users feel it, in the shipped code (the x86 or the x64
// build) under Wine,
// through the real thumbnail view, queue, worker thread and message:
//   - 100 JPEGs of 4000 x 3000 into their entries, against bare libjpeg 1/8
//     decodes of the same files in the same repetition (goal: ratio <= 1.05);
//   - the first screen of a 1024 x 768 window of that folder, against bare
//     decodes of as many files (goal: ratio <= 1.2);
//   - each entry's bitmap, in bytes live on the heap, against its
//     120 x 90 x 24-bit pixels (goal: <= 1.1);
//   - the longest time the UI thread spends in one message-loop iteration
//     while the worker runs (goal: <= 20 ms);
//   - robustness: 2,000 mixed and hostile files loaded, rebuilt and loaded
//     again 10 times: GDI and USER objects and handles back where they
//     started, live heap back within 5% of its level after the first load.
// Each ratio is the median of the per-repetition ratios.
// Usage: bench_win_thumbnails.exe [--repetitions=N] [--soak-files=N]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "common/solid_picture.h"
#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/png/png_file.h"
#include "imaging/win32/plugin_host.h"
#include "platform/win32/handles.h"
#include "timing.h"
#include "../photo_like.h"
#include "win/thumbnails/thumbnail_fixture.h"
#include "win_support/files.h"

// Live heap bytes of the whole program, counted at every allocation.
namespace {
std::atomic<long long> g_liveBytes{0};
}
void* operator new(size_t n) {
  void* p = std::malloc(n + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<size_t*>(p) = n;
  g_liveBytes += static_cast<long long>(n);
  return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  char* base = static_cast<char*>(p) - 16;
  g_liveBytes -= static_cast<long long>(*reinterpret_cast<size_t*>(base));
  std::free(base);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

using namespace tapestrel;
using bench::Median;
using bench::PhotoLike;

namespace {

constexpr int kPhotoWidth = 4000, kPhotoHeight = 3000;
int kPhotos = 100;


double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticksPerMs;
}

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

// libjpeg alone: the file read whole, decoded at 1/8 with the fast DCT into
// one BGR buffer, as the thumbnail path's speed mode does.
void BareDecode(const std::string& path, std::vector<uint8_t>& out) {
  const std::vector<uint8_t> data = ReadWholeFile(path);
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&c, TRUE);
  c.scale_num = 1;
  c.scale_denom = 8;
  c.dct_method = JDCT_IFAST;
  c.do_fancy_upsampling = FALSE;
  c.do_block_smoothing = FALSE;
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

// The message loop while the worker runs, until `done`; the longest time one
// iteration kept the thread from its messages.
struct LoopResult {
  bool done = false;
  double longestIterationMs = 0;
  UINT slowestMessage = 0;  // the message that took longest
  double slowestMessageMs = 0;
  double slowestMessageCpuMs = 0;  // the UI thread's own processor time in it
  double longestIterationCpuMs = 0;
  int iterationsOver20 = 0;
};
// The processor time this thread has used, in milliseconds.
double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](FILETIME f) {
    return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

LoopResult RunLoop(const std::function<bool()>& done, int timeoutMs = 600000) {
  LoopResult r;
  const double end = Now() + timeoutMs;
  while (!(r.done = done())) {
    if (Now() > end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    const double start = Now(), startCpu = ThreadCpuMs();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      const double t = Now(), c = ThreadCpuMs();
      TranslateMessage(&m);
      DispatchMessageW(&m);
      if (Now() - t > r.slowestMessageMs)
        r.slowestMessageMs = Now() - t, r.slowestMessage = m.message,
        r.slowestMessageCpuMs = ThreadCpuMs() - c;
    }
    const double took = Now() - start;
    if (took > r.longestIterationMs)
      r.longestIterationMs = took, r.longestIterationCpuMs = ThreadCpuMs() - startCpu;
    if (took > 20) ++r.iterationsOver20;
  }
  return r;
}

// Object counts. Wine answers GetGuiResources and GetProcessHandleCount with
// 0, so they are counted where Wine keeps them: kernel handles by probing
// every handle value, GDI objects in the GDI handle table the PEB points to,
// USER objects as the process's windows. Each count checks itself first and
// reports -1 where it cannot count.
long CountKernelHandles() {
  long n = 0;
  for (uintptr_t v = 4; v < 0x20000; v += 4) {
    DWORD flags;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++n;
  }
  return n;
}

struct WineGdiEntry {  // Wine's GDI_HANDLE_ENTRY
  uint64_t object;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;
  uint8_t flags;
  uint64_t userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24);

long CountGdiTableEntries() {
  // The process block's GdiSharedHandleTable (Windows and Wine).
  uint8_t* peb = nullptr;
#if defined(__x86_64__)
  asm("movq %%gs:0x60, %0" : "=r"(peb));  // 64-bit: PEB at gs:[0x60], the table at +0xF8
  constexpr size_t kGdiTableAt = 0xF8;
#else
  asm("movl %%fs:0x30, %0" : "=r"(peb));  // 32-bit: PEB at fs:[0x30], the table at +0x94
  constexpr size_t kGdiTableAt = 0x94;
#endif
  const auto* table = *reinterpret_cast<WineGdiEntry* const*>(peb + kGdiTableAt);
  if (!table) return -1;
  long n = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i].type != 0) ++n;
  return n;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId()) {
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(hwnd, &CountWindow, count);
  }
  return TRUE;
}
long CountWindows() {
  long n = 0;
  EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&n));
  return n;
}

// A count that moves by one when one object is made and freed.
bool CountsOneByOne(const std::function<long()>& count, const std::function<void*()>& make,
                    const std::function<void(void*)>& free) {
  const long before = count();
  void* object = make();
  const long during = count();
  free(object);
  return before >= 0 && during == before + 1 && count() == before;
}

struct Counts {
  long gdi = -1, user = -1, handles = -1;
  long long heap = 0;
};
bool g_gdiCountable = false, g_handlesCountable = false;
Counts Take() {
  Counts c;
  if (g_gdiCountable) c.gdi = CountGdiTableEntries();
  c.user = CountWindows();
  if (g_handlesCountable) c.handles = CountKernelHandles();
  c.heap = g_liveBytes.load();
  return c;
}

bool AllLoaded(browser::TImgItems& items) {
  for (int i = 0; i < items.Count(); ++i)
    if (!items[i].Loaded) return false;
  return true;
}

// The entries whose cells show in the view's window.
std::vector<int> VisibleEntries(testing::ThumbnailHost& host) {
  std::vector<int> visible;
  RECT client;
  GetClientRect(host.Window().List(), &client);
  for (int i = 0; i < host.Items().Count(); ++i) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!SendMessageW(host.Window().List(), LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) continue;
    RECT both;
    if (IntersectRect(&both, &r, &client)) visible.push_back(i);
  }
  return visible;
}

// A folder of 2,000 mixed and hostile files.
void MakeSoakFolder(const std::string& folder, int files) {
  using tapestrel::testing::WriteFile;
  const auto jpeg = imaging::EncodeJpeg(PhotoLike(400, 300));
  const std::string jpegBytes(jpeg.begin(), jpeg.end());
  const auto png = imaging::SavePng(PhotoLike(200, 120));
  const std::string pngBytes(png.begin(), png.end());
  const auto bmp = imaging::WriteBmp(PhotoLike(160, 200));
  const std::string bmpBytes(bmp.begin(), bmp.end());
  HDC dc = CreateEnhMetaFileA(nullptr, (folder + "\\m.emf").c_str(), nullptr, nullptr);
  Ellipse(dc, 0, 0, 200, 100);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
  const std::string emfBytes = tapestrel::testing::ReadFile(folder + "\\m.emf");
  DeleteFileA((folder + "\\m.emf").c_str());
  const std::vector<std::pair<std::string, std::string>> kinds = {
      {".jpg", jpegBytes},
      {".png", pngBytes},
      {".bmp", bmpBytes},
      {".emf", emfBytes},
      {".txt", "Tapestrel\r\n\tthumbnail text\r\n"},
      {".xyz", "unknown"},
      {".jpg", jpegBytes.substr(0, jpegBytes.size() / 3)},  // truncated
      {".png", pngBytes.substr(0, 60)},
      {".bmp", bmpBytes.substr(0, 70)},
      {".emf", std::string(64, '\x01')},
      {".avi", "RIFF\x04\0\0\0AVI "},
      {".bad", "TSPX\x04\0\x03\0\x18\0\x0b\0\0\0\0\0"},  // the hostile plug-in faults
      {".bad", std::string("TSPX\x04\0\x03\0\x18\0\x04\0\0\0\0\0", 16) + std::string(48, 'p')},
      {".jpg", ""},
  };
  for (int i = 0; i < files; ++i) {
    const auto& [ext, bytes] = kinds[static_cast<size_t>(i) % kinds.size()];
    char name[32];
    std::snprintf(name, sizeof name, "\\f%04d", i);
    WriteFile(folder + name + ext, bytes);
  }
}

int Run(int argc, char** argv) {
  const int repetitions = bench::CountArgument(argc, argv, "--repetitions=", 3);
  const int soakFiles = bench::CountArgument(argc, argv, "--soak-files=", 2000);
  kPhotos = bench::CountArgument(argc, argv, "--photos=", 100);
  tapestrel::testing::OleSession ole;
  tapestrel::testing::TempFolder photos;
  {
    const std::string first = photos / "p000.jpg";
    imaging::EncodeJpegFile(first, PhotoLike(kPhotoWidth, kPhotoHeight));
    for (int i = 1; i < kPhotos; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "p%03d.jpg", i);
      CopyFileA(first.c_str(), (photos / name).c_str(), FALSE);
    }
  }
  std::vector<std::string> paths;
  for (int i = 0; i < kPhotos; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d.jpg", i);
    paths.push_back(photos / name);
  }

  std::vector<double> makerRatios, allRatios, screenRatios, allMs, bareMs, screenMs, screenBareMs, longest,
      perEntry;
  size_t screenCount = 0;
  std::vector<uint8_t> decoded;
  for (int rep = 0; rep <= repetitions; ++rep) {  // the first round warms up
    // Bare decodes of every file.
    const double b0 = Now();
    for (const std::string& p : paths) BareDecode(p, decoded);
    const double bare = Now() - b0;

    // The thumbnail maker alone, on this thread: what the worker does.
    browser::WindowsThumbnailPlatform platform;
    browser::TImgUtil maker;
    maker.SetPlatform(&platform);
    const double m0 = Now();
    for (const std::string& p : paths)
      if (maker.MakeThumbnail(p, 120, 0, 90) != 0) throw std::runtime_error("no thumbnail of " + p);
    const double makerMs = Now() - m0;

    // The real view of a 1024 x 768 window: the first screen, then the rest
    // by look-ahead, as the main window has it.
    tapestrel::testing::ThumbnailHost host(1024, 768);
    browser::TImgListView& view = host.View();
    view.ViewImage.LookAhead = true;
    tapestrel::testing::Pump(50);
    std::vector<int> visible;
    double screenDone = 0;
    const long long heapBefore = g_liveBytes.load();
    const double start = Now();
    host.Open(photos.Path());
    UpdateWindow(host.Window().List());
    visible = VisibleEntries(host);
    const LoopResult loop = RunLoop([&] {
      if (screenDone == 0 &&
          std::all_of(visible.begin(), visible.end(), [&](int i) { return host.Items()[i].Loaded; }))
        screenDone = Now();
      return AllLoaded(host.Items()) && host.Items().Count() == kPhotos;
    });
    const double all = Now() - start;
    if (!loop.done) throw std::runtime_error("the folder did not load");
    // Reference for the loop's iterations: a full repaint of the window
    // with the worker idle.
    double idlePaint = 0;
    for (int k = 0; k < 5; ++k) {
      InvalidateRect(host.Window().List(), nullptr, TRUE);
      const double p0 = Now();
      UpdateWindow(host.Window().List());
      idlePaint = std::max(idlePaint, Now() - p0);
    }
    // Entries and their bitmaps: the live heap grown by the load, less the
    // entries themselves, per entry.
    const long long heapLoaded = g_liveBytes.load();
    long long imageBytes = 0;
    for (int i = 0; i < host.Items().Count(); ++i) {
      const auto& image = host.Items()[i].Image;
      if (!image || image->Width() != 120 || image->Height() != 90) throw std::runtime_error("no thumbnail");
      imageBytes += static_cast<long long>(image->PixelBytes());
    }
    // The thumbnails alone: the same entries without them.
    for (int i = 0; i < host.Items().Count(); ++i) host.Items()[i].Image.reset();
    const long long heapWithout = g_liveBytes.load();
    (void)heapBefore;

    // Bare decodes of as many files as the first screen showed.
    screenCount = visible.size();
    const double s0 = Now();
    for (size_t i = 0; i < visible.size(); ++i) BareDecode(paths[i], decoded);
    const double screenBare = Now() - s0;
    if (rep == 0) continue;
    allMs.push_back(all);
    bareMs.push_back(bare);
    allRatios.push_back(all / bare);
    makerRatios.push_back(makerMs / bare);
    screenMs.push_back(screenDone - start);
    screenBareMs.push_back(screenBare);
    screenRatios.push_back((screenDone - start) / screenBare);
    longest.push_back(loop.longestIterationMs);
    std::printf(
        "  repetition %d: longest iteration %.1f ms (UI thread's processor time in it %.1f ms; %d iterations "
        "over 20 ms), slowest message 0x%X %.1f ms (processor %.1f ms); a full repaint with the worker idle %.1f "
        "ms\n",
        rep, loop.longestIterationMs, loop.longestIterationCpuMs, loop.iterationsOver20, loop.slowestMessage,
        loop.slowestMessageMs, loop.slowestMessageCpuMs, idlePaint);
    perEntry.push_back(static_cast<double>(heapLoaded - heapWithout) / kPhotos / (120.0 * 90 * 3));
    (void)imageBytes;
  }

  std::printf("Thumbnail loading of the %s\n", bench::BuildName());
  std::printf(
      "%d JPEGs of %dx%d into their entries: %.0f ms, bare 1/8 decodes %.0f ms, ratio %.3f (goal <= 1.05)\n",
      kPhotos, kPhotoWidth, kPhotoHeight, Median(allMs), Median(bareMs), Median(allRatios));
  std::printf("  (the thumbnail maker alone, without queue and view: ratio %.3f)\n", Median(makerRatios));
  std::printf(
      "first screen of a 1024x768 window (%zu cells): %.0f ms, bare decodes %.0f ms, ratio %.3f (goal <= "
      "1.2)\n",
      screenCount, Median(screenMs), Median(screenBareMs), Median(screenRatios));
  std::printf("each entry's bitmap: %.4f x its 120x90x24-bit pixels on the heap (goal <= 1.1)\n",
              Median(perEntry));
  std::printf("longest message-loop iteration while the worker runs: %.1f ms (goal <= 20)\n",
              *std::max_element(longest.begin(), longest.end()));
  bool ok = Median(allRatios) <= 1.05 && Median(screenRatios) <= 1.2 && Median(perEntry) <= 1.1 &&
            *std::max_element(longest.begin(), longest.end()) <= 20;

  // Robustness.
  tapestrel::testing::TempFolder soak;
  MakeSoakFolder(soak.Path(), soakFiles);
  // The hostile test plug-in, built beside this program.
  tapestrel::testing::TempFolder stage;
  const std::string hostile = "tsp_hostile" + std::string(imaging::kPluginExtension);
  CopyFileA((tapestrel::testing::ThisProgramFolder() + "test-plugins\\" + hostile).c_str(),
            (stage / hostile).c_str(), FALSE);
  imaging::PictureFormatRegistry registry;
  imaging::PluginHost plugins(stage.Path() + "\\", registry);
  plugins.LoadAtStartup();
  g_gdiCountable = CountsOneByOne(
      CountGdiTableEntries, [] { return static_cast<void*>(CreateSolidBrush(0)); },
      [](void* o) { DeleteObject(static_cast<HGDIOBJ>(o)); });
  g_handlesCountable = CountsOneByOne(
      CountKernelHandles, [] { return static_cast<void*>(CreateEventW(nullptr, 0, 0, nullptr)); },
      [](void* o) { CloseHandle(static_cast<HANDLE>(o)); });
  Counts start, firstLoad, last;
  double soakMs = 0;
  {
    start = Take();
    tapestrel::testing::ThumbnailHost host(1024, 768);
    host.Util().SPlugin = &plugins.SPlugin();
    host.View().ViewImage.LookAhead = true;
    const double t0 = Now();
    for (int round = 0; round <= 10; ++round) {
      if (round == 0)
        host.Open(soak.Path());
      else
        host.View().ReloadFolder();
      host.loadOrder = {};  // the fixture's record of each load, not the view's
      const LoopResult loop =
          RunLoop([&] { return !host.cells->Loader().Busy() && AllLoaded(host.Items()); });
      if (!loop.done || host.Items().Count() != soakFiles)
        throw std::runtime_error("the soak folder did not load");
      if (round == 0) firstLoad = Take();
      std::fprintf(stderr, "  soak round %d loaded\n", round);
    }
    soakMs = Now() - t0;
    last = Take();
  }
  tapestrel::testing::Pump(100);
  const Counts after = Take();
  std::printf("%d mixed and hostile files, loaded 11 times in %.1f s\n", soakFiles, soakMs / 1000);
  std::printf(
      "  before / after the first load / after the last / with the view gone (-1: not countable here)\n"
      "  GDI objects %ld / %ld / %ld / %ld\n  windows %ld / %ld / %ld / %ld\n  kernel handles %ld / %ld / "
      "%ld / %ld\n",
      start.gdi, firstLoad.gdi, last.gdi, after.gdi, start.user, firstLoad.user, last.user, after.user,
      start.handles, firstLoad.handles, last.handles, after.handles);
  const double heapGrowth =
      static_cast<double>(last.heap - firstLoad.heap) / static_cast<double>(firstLoad.heap);
  std::printf(
      "  live heap after the first load %lld bytes, after the last %lld bytes: %+.2f%% (goal within 5%%)\n",
      firstLoad.heap, last.heap, heapGrowth * 100);
  // Nothing may grow from load to load, and the view's objects must go with
  // it; one-time set-up of the system's own libraries during the first load
  // (handles Wine keeps open once a service was used) is reported above.
  ok = ok && last.gdi == firstLoad.gdi && last.user == firstLoad.user && last.handles == firstLoad.handles &&
       after.gdi <= start.gdi && after.user <= start.user && heapGrowth <= 0.05;
  std::printf("%s\n", ok ? "all goals met" : "GOAL MISSED");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_win_thumbnails: %s\n", e.what());
    return 2;
  }
}
