// Thumbnail loading through the real worker thread, queue and message, into
// the entries of a folder.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "browser/cell_geometry.h"
#include "common/solid_picture.h"
#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/png/png_file.h"
#include "imaging/thumbnail_scaling.h"
#include "imaging/win32/plugin_host.h"
#include "thumbnail_fixture.h"
#include "win_support/files.h"
#include "win_support/names_outside_code_page.h"
#include "win_support/screenshots.h"
#include "win_support/test_plugins.h"

using namespace tapestrel;
using namespace tapestrel::browser;
using tapestrel::testing::PumpUntil;
using tapestrel::testing::SaveScreenshot;
using tapestrel::testing::TempFolder;
using tapestrel::testing::ThumbnailHost;

namespace {

imaging::Bitmap Gradient(int w, int h) {
  imaging::Bitmap b(w, h, imaging::PixelFormat::Bits24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = b.Row(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 255 / w);
      p[1] = static_cast<uint8_t>(y * 255 / h);
      p[2] = static_cast<uint8_t>((x * 7 + y * 3) & 0xFF);
    }
  return b;
}

// What a cell must show for a decoded picture: FitSize, ResampleTo, centred
// in 120 x 90 on the view color.
imaging::Bitmap ExpectedCell(imaging::Bitmap picture) {
  const imaging::Size s = imaging::FitSize(picture.Width(), picture.Height(), 120, 90);
  imaging::ResampleTo(picture, s.width, s.height);
  imaging::Bitmap cell(120, 90, imaging::PixelFormat::Bits24);
  std::memset(cell.Pixels(), 0xFF, cell.PixelBytes());
  const int x0 = (120 - s.width) / 2, y0 = (90 - s.height) / 2;
  for (int y = 0; y < s.height; ++y)
    std::memcpy(cell.Row(y0 + y) + 3 * x0, picture.Row(y), 3 * size_t(s.width));
  return cell;
}

// A plain folder of pictures, and the test plug-ins where the thumbnail
// maker's plug-in list finds them.
struct PictureFolder {
  TempFolder folder;
  tapestrel::testing::PluginStage stage;
  imaging::PictureFormatRegistry registry;
  std::unique_ptr<imaging::PluginHost> plugins;

  void LoadPlugins(ThumbnailHost& host, const std::vector<std::string>& names) {
    for (const std::string& n : names) stage.Put(n);
    plugins = std::make_unique<imaging::PluginHost>(stage.AppFolder(), registry);
    plugins->LoadAtStartup();
    host.Util().SPlugin = &plugins->SPlugin();
  }
};

tapestrel::testing::OleSession g_ole;

}  // namespace

TEST(ThumbnailLoading, EachKindGetsItsThumbnailOrItsIcon) {
  PictureFolder f;
  imaging::WriteBmpFile(f.folder / "a.bmp", Gradient(200, 150));
  imaging::EncodeJpegFile(f.folder / "b.jpg", Gradient(640, 480));
  imaging::SavePngFile(f.folder / "c.png", Gradient(300, 100));
  tapestrel::testing::Tspx tspx;
  tspx.width = 40;
  tspx.height = 30;
  tapestrel::testing::WriteFile(f.folder / "d.tsp", tspx.Bytes());
  HDC dc = CreateEnhMetaFileA(nullptr, (f.folder / "e.emf").c_str(), nullptr, nullptr);
  Rectangle(dc, 0, 0, 300, 200);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
  tapestrel::testing::WriteFile(f.folder / "f.txt", "Tapestrel\r\n\tthumbnails\r\n");
  tapestrel::testing::WriteFile(f.folder / "g.xyz", "no decoder knows this");
  std::string corrupt = tapestrel::testing::ReadFile(f.folder / "b.jpg");
  corrupt.resize(300);
  tapestrel::testing::WriteFile(f.folder / "h.jpg", corrupt);

  ThumbnailHost host;
  f.LoadPlugins(host, {"tsp_in"});
  host.View().ViewImage.LookAhead = false;
  host.Open(f.folder.Path());
  ASSERT_EQ(8, host.Items().Count());
  // The unknown file shows its icon at once, without a worker.
  EXPECT_TRUE(host.View().CellImage(*host.Entry(L"g.xyz")));
  EXPECT_TRUE(host.Entry(L"g.xyz")->ImageShared);
  EXPECT_FALSE(host.cells->Loader().Busy());
  EXPECT_TRUE(host.loadOrder.empty());

  host.DrawAll();
  ASSERT_TRUE(host.Pump());
  EXPECT_EQ(7, host.loaded);  // every entry but the icon kind, the corrupt JPEG included

  imaging::JpegDecodeOptions fast;
  fast.mode = imaging::JpegMode::BestSpeed;
  fast.scaleDenominator = 4;  // 640 / 4 = 160 still covers 120
  imaging::Bitmap plugin(40, 30, imaging::PixelFormat::Bits24);
  ASSERT_EQ(plugin.PixelBytes(), tspx.Rows().size());
  std::memcpy(plugin.Pixels(), tspx.Rows().data(), plugin.PixelBytes());
  const struct {
    const wchar_t* name;
    imaging::Bitmap picture;
  } pictures[] = {
      {L"a.bmp", Gradient(200, 150)},
      {L"b.jpg", imaging::DecodeJpegFile(f.folder / "b.jpg", fast)},
      {L"c.png", Gradient(300, 100)},
      {L"d.tsp", plugin},
  };
  for (const auto& p : pictures) {
    TImgListItem& e = *host.Entry(p.name);
    ASSERT_TRUE(e.Image);
    EXPECT_TRUE(e.Loaded);
    EXPECT_FALSE(e.ImageShared);
    EXPECT_TRUE(ExpectedCell(p.picture) == *e.Image) << platform::WideToAnsi(p.name);
    EXPECT_EQ(p.picture.Width() * (p.name == std::wstring(L"b.jpg") ? 4 : 1), e.ImageWidth);
  }
  for (const wchar_t* drawn : {L"e.emf", L"f.txt"}) {
    TImgListItem& e = *host.Entry(drawn);
    ASSERT_TRUE(e.Image && !e.ImageShared) << platform::WideToAnsi(drawn);
    bool inked = false;
    for (int y = 0; y < 90 && !inked; ++y)
      for (int x = 0; x < 120 && !inked; ++x) inked = imaging::PixelColor(*e.Image, x, y) != 0xFFFFFFu;
    EXPECT_TRUE(inked) << platform::WideToAnsi(drawn);
  }
  // The corrupt JPEG and the unknown file share one icon image.
  EXPECT_TRUE(host.Entry(L"h.jpg")->ImageShared);
  EXPECT_EQ(host.Entry(L"h.jpg")->Image, host.Entry(L"g.xyz")->Image);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), host.Entry(L"h.jpg")->ImageWidth);
}

TEST(ThumbnailLoading, NamesOutsideTheCodePageShowTheirOwnPictureByTheShortPathOrTheirIcon) {
  for (bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "short names" : "no short names");
    std::optional<tapestrel::testing::NoShortNames> none;
    if (!shortNames) none.emplace();
    PictureFolder f;
    // What a best fit makes of "Café.bmp": its picture must never stand in.
    std::vector<std::pair<std::wstring, imaging::Bitmap>> pictures{{L"Cafe.bmp", Gradient(200, 150)}};
    imaging::WriteBmpFile(f.folder / "Cafe.bmp", pictures[0].second);
    for (const std::wstring& name : tapestrel::testing::NamesOutsideTheCodePage()) {
      pictures.push_back({name + L".bmp", Gradient(100 + 40 * static_cast<int>(pictures.size()), 90)});
      imaging::WriteBmpFile(f.folder / "x.bmp", pictures.back().second);
      tapestrel::testing::RenameWide(f.folder / "x.bmp", pictures.back().first);
    }
    ThumbnailHost host;
    host.View().ViewImage.LookAhead = false;
    host.Open(f.folder.Path());
    ASSERT_EQ(4, host.Items().Count());
    host.DrawAll();
    ASSERT_TRUE(host.Pump());
    for (const auto& [name, picture] : pictures) {
      const TImgListItem& e = *host.Entry(name);
      const bool own = shortNames || name == L"Cafe.bmp";
      ASSERT_TRUE(e.Image) << platform::WideToUtf8(name);
      EXPECT_NE(own, e.ImageShared) << platform::WideToUtf8(name);  // shared: the icon
      if (own) EXPECT_TRUE(ExpectedCell(picture) == *e.Image) << platform::WideToUtf8(name);
    }
  }
}

TEST(ThumbnailLoading, AnEntryScrolledIntoViewIsServedBeforeEarlierRequests) {
  PictureFolder f;
  for (int i = 0; i < 60; ++i) {
    char name[16];
    snprintf(name, sizeof name, "p%02d.jpg", i);
    imaging::EncodeJpegFile(f.folder / name, Gradient(1600, 1200));
  }
  ThumbnailHost host;
  host.View().ViewImage.LookAhead = false;
  host.Open(f.folder.Path());
  ASSERT_EQ(60, host.Items().Count());
  // The first screen is painted and the worker starts on it.
  UpdateWindow(host.Window().List());
  ASSERT_TRUE(host.cells->Loader().Busy());
  // The entries of the first screen: the one being made and those queued.
  const std::vector<int> queued = host.cells->Loader().Queue();
  std::set<int> firstScreen(queued.begin(), queued.end());
  firstScreen.insert(host.loadOrder.at(0));
  ASSERT_LT(firstScreen.size(), 40u);
  // The last entry is scrolled into view while the worker is busy.
  ListView_EnsureVisible(host.Window().List(), 59, FALSE);
  UpdateWindow(host.Window().List());
  ASSERT_TRUE(host.Pump());
  ASSERT_GT(host.loadOrder.size(), firstScreen.size());
  // After the entry being made when the view scrolled, the newly visible
  // entries come first; the rest of the first screen waits for them.
  EXPECT_FALSE(firstScreen.count(host.loadOrder[1]));
  bool earlierServed = false;
  for (size_t i = 1; i < host.loadOrder.size(); ++i) {
    const bool earlier = firstScreen.count(host.loadOrder[i]) != 0;
    EXPECT_FALSE(earlierServed && !earlier) << "entry " << host.IndexOfSerial(host.loadOrder[i]);
    earlierServed = earlierServed || earlier;
  }
  EXPECT_TRUE(earlierServed);
  EXPECT_EQ(static_cast<int>(host.loadOrder.size()), host.loaded);
}

TEST(ThumbnailLoading, ChangesOfTheFolderOrOfAViewOptionRemakeTheThumbnails) {
  PictureFolder f;
  for (int i = 0; i < 4; ++i)
    imaging::EncodeJpegFile(f.folder / ("p" + std::to_string(i) + ".jpg"), Gradient(800, 600));
  ThumbnailHost host;
  host.View().ViewImage.LookAhead = true;  // as the main window has it
  // Hidden, the view makes nothing ahead; shown, it makes everything.
  ShowWindow(host.Window().Frame(), SW_HIDE);
  host.Open(f.folder.Path());
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(0, host.loaded);
  ShowWindow(host.Window().Frame(), SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 4; }, 60000));
  ASSERT_TRUE(host.Pump());
  EXPECT_EQ(4, host.loaded);
  const auto first = host.Entry(L"p0.jpg")->Image;

  // A new file: the watcher brings its entry, and only its thumbnail is made.
  host.loaded = 0;
  tapestrel::testing::WriteSolidBmp(f.folder / "q.bmp", 30, 20, 0x0000FF);
  ASSERT_TRUE(PumpUntil([&] { return host.Items().Count() == 5; }, 20000));
  ASSERT_TRUE(host.Pump());
  EXPECT_EQ(1, host.loaded);
  for (int i = 0; i < host.Items().Count(); ++i) EXPECT_TRUE(host.Items()[i].Loaded);
  EXPECT_EQ(first, host.Entry(L"p0.jpg")->Image);
  EXPECT_EQ(0x0000FFu, imaging::PixelColor(*host.Entry(L"q.bmp")->Image, 60, 45));

  // A view option changes while the worker is busy: the running worker's
  // result is dropped and everything is made on the new background.
  host.loaded = 0;
  host.View().ViewImage.Frame.Color = browser::kClBlack;
  ASSERT_TRUE(host.cells->Loader().Busy());
  host.View().SetColor(0x00FFFF);
  ASSERT_TRUE(host.Pump());
  EXPECT_EQ(5, host.loaded);
  EXPECT_EQ(0x00FFFFu, imaging::PixelColor(*host.Entry(L"q.bmp")->Image, 0, 0));
}

TEST(ThumbnailLoading, FilesCopiedInOrRenamedKeepTheUsersPlaceAndEveryOtherThumbnail) {
  PictureFolder f;
  for (int i = 0; i < 2000; ++i) {
    char name[16];
    snprintf(name, sizeof name, "p%04d.bmp", i);
    tapestrel::testing::WriteSolidBmp(f.folder / name, 4, 3, 0x00FF00);
  }
  ThumbnailHost host;
  host.View().ViewImage.LookAhead = false;  // only what is in sight is made
  host.Open(f.folder.Path());
  ASSERT_EQ(2000, host.Items().Count());
  const HWND list = host.Window().List();
  host.View().Select(500, true);
  ListView_SetItemState(list, 500, LVIS_FOCUSED, LVIS_FOCUSED);
  ListView_EnsureVisible(list, 500, FALSE);
  UpdateWindow(list);
  ASSERT_TRUE(host.Pump());
  const auto rowOf = [&](TImgListItem* entry) {
    RECT r{};
    ListView_GetItemRect(list, host.Items().IndexOf(*entry), &r, LVIR_BOUNDS);
    return r.top;
  };
  // The first entry wholly in sight: it stays in its row.
  int topIndex = 0;
  while (topIndex < 2000 && rowOf(&host.Items()[topIndex]) < 0) ++topIndex;
  ASSERT_LT(topIndex, 500);
  TImgListItem* const top = &host.Items()[topIndex];
  TImgListItem* const selected = &host.Items()[500];
  const std::wstring topName(top->DisplayName());
  const LONG topRow = rowOf(top);
  std::map<TImgListItem*, std::shared_ptr<const imaging::Bitmap>> made;
  for (int i = 0; i < host.Items().Count(); ++i)
    if (host.Items()[i].Image) made[&host.Items()[i]] = host.Items()[i].Image;
  ASSERT_GT(made.size(), 10u);
  size_t decodes = host.loadOrder.size();

  // Two files copied in: one sorts before everything, one right after the
  // top entry, in sight, which gets its thumbnail.
  const std::string copy = f.folder / "p0000.bmp";
  const std::wstring inSight = topName.substr(0, 5) + L"x.bmp";
  CopyFileA(copy.c_str(), (f.folder / "a.bmp").c_str(), FALSE);
  CopyFileA(copy.c_str(), (f.folder / platform::WideToAnsi(inSight)).c_str(), FALSE);
  ASSERT_TRUE(PumpUntil([&] { return host.Items().Count() == 2002; }, 10000));
  UpdateWindow(list);
  ASSERT_TRUE(host.Pump());
  EXPECT_EQ(L"a.bmp", host.Items()[0].DisplayName());
  EXPECT_EQ(502, host.Items().IndexOf(*selected));
  ASSERT_EQ(1, host.View().SelCount());
  EXPECT_EQ(selected, host.View().Selected());
  EXPECT_EQ(selected, &host.Items()[host.View().FocusedIndex()]);
  EXPECT_EQ(topRow, rowOf(top));
  for (const auto& [entry, image] : made) EXPECT_EQ(image, entry->Image);
  for (size_t i = decodes; i < host.loadOrder.size(); ++i)  // only entries that had none
    EXPECT_FALSE(made.count(host.Items().FindBySerial(host.loadOrder[i])));
  ASSERT_NE(nullptr, host.Entry(inSight));
  EXPECT_TRUE(host.Entry(inSight)->Image);
  decodes = host.loadOrder.size();

  // A rename moves its one entry, which keeps its thumbnail.
  std::vector<std::wstring> expected;
  for (int i = 0; i < host.Items().Count(); ++i)
    if (&host.Items()[i] != top) expected.emplace_back(host.Items()[i].DisplayName());
  expected.push_back(L"zz.bmp");
  MoveFileA((f.folder / platform::WideToAnsi(topName)).c_str(), (f.folder / "zz.bmp").c_str());
  ASSERT_TRUE(PumpUntil([&] { return host.Items()[host.Items().Count() - 1].DisplayName() == L"zz.bmp"; }, 10000));
  UpdateWindow(list);
  ASSERT_TRUE(host.Pump());
  EXPECT_EQ(top, &host.Items()[2001]);
  EXPECT_EQ(made[top], top->Image);
  for (int i = 0; i < 2002; ++i) ASSERT_EQ(expected[static_cast<size_t>(i)], host.Items()[i].DisplayName()) << i;
  ASSERT_EQ(1, host.View().SelCount());
  EXPECT_EQ(selected, host.View().Selected());
  for (size_t i = decodes; i < host.loadOrder.size(); ++i)
    EXPECT_FALSE(made.count(host.Items().FindBySerial(host.loadOrder[i])));
}

TEST(ThumbnailLoading, HostileFilesShowTheirIconAndTheWorkerGoesOn) {
  PictureFolder f;
  // Every misbehaviour of the hostile plug-in, by the picture's mode byte.
  for (int mode = 1; mode <= 19; ++mode) {
    tapestrel::testing::Tspx t;
    t.mode = static_cast<uint8_t>(mode);
    tapestrel::testing::WriteFile(f.folder / ("h" + std::to_string(mode) + ".bad"), t.Bytes());
  }
  const std::string jpeg = [] {
    const auto b = imaging::EncodeJpeg(Gradient(64, 64));
    return std::string(b.begin(), b.end());
  }();
  tapestrel::testing::WriteFile(f.folder / "cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  tapestrel::testing::WriteFile(f.folder / "zero.jpg", "");
  tapestrel::testing::WriteFile(f.folder / "cut.bmp",
                                "BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\xff\x7f\0\0");
  tapestrel::testing::WriteFile(f.folder / "cut.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x10\0");
  tapestrel::testing::WriteFile(f.folder / "cut.emf", std::string(100, '\x01'));
  tapestrel::testing::WriteFile(f.folder / "cut.wmf",
                                std::string("\xD7\xCD\xC6\x9A") + std::string(40, '\0'));
  tapestrel::testing::WriteFile(f.folder / "cut.avi", "RIFF\x04\0\0\0AVI ");
  tapestrel::testing::WriteFile(f.folder / "zeros.txt", std::string(3000, '\0'));
  tapestrel::testing::WriteSolidBmp(f.folder / "one.bmp", 1, 1, 0x0000FF);
  tapestrel::testing::WriteSolidBmp(f.folder / "wide.bmp", 30000, 1, 0x0000FF);
  tapestrel::testing::WriteFile(f.folder / "vanishes.jpg", jpeg);

  ThumbnailHost host;
  f.LoadPlugins(host, {"tsp_hostile"});
  host.View().ShellChangeNotification.Enabled = false;
  host.View().ViewImage.LookAhead = false;
  host.Open(f.folder.Path());
  DeleteFileA((f.folder / "vanishes.jpg").c_str());  // between listing and loading
  host.DrawAll();
  ASSERT_TRUE(host.Pump(120000));
  EXPECT_EQ(host.Items().Count(), host.loaded);
  // Every entry shows something; the plug-in's pictures that the host
  // could still make sense of may show as pictures.
  for (int i = 0; i < host.Items().Count(); ++i)
    EXPECT_TRUE(host.Items()[i].Image) << platform::WideToAnsi(host.Items()[i].DisplayName());
  for (const wchar_t* icon : {L"cut.jpg", L"zero.jpg", L"cut.bmp", L"cut.png", L"cut.emf", L"cut.wmf",
                              L"cut.avi", L"wide.bmp", L"vanishes.jpg"}) {
    ASSERT_TRUE(host.Entry(icon)) << platform::WideToAnsi(icon);
    EXPECT_TRUE(host.Entry(icon)->ImageShared) << platform::WideToAnsi(icon);
  }
  ASSERT_TRUE(host.Entry(L"zeros.txt"));
  EXPECT_FALSE(host.Entry(L"zeros.txt")->ImageShared);  // no text: an empty page
  EXPECT_EQ(0x0000FFu, imaging::PixelColor(*host.Entry(L"one.bmp")->Image, 59, 44));  // 1 x 1, centred
  // Failed files are watched for another try only while their entries are shown.
  for (int reload = 0; reload < 2; ++reload) {
    host.View().ReloadFolder();
    host.DrawAll();
    ASSERT_TRUE(host.Pump(120000));
  }
  EXPECT_LE(host.cells->Loader().RetriesWatched(), static_cast<size_t>(host.Items().Count()));
}

TEST(ThumbnailLoading, TheViewShowsEachThumbnailCentredOnTheViewColor) {
  PictureFolder f;
  const struct {
    const char* name;
    int w, h;
  } jpegs[] = {{"a-wide.jpg", 1600, 600}, {"b-tall.jpg", 500, 1500},  {"c-photo.jpg", 4000, 3000},
               {"d-small.jpg", 60, 40},   {"e-square.jpg", 800, 800}, {"f-photo.jpg", 1024, 768}};
  for (const auto& j : jpegs) imaging::EncodeJpegFile(f.folder / j.name, Gradient(j.w, j.h));
  imaging::SavePngFile(f.folder / "g.png", Gradient(300, 100));
  imaging::WriteBmpFile(f.folder / "h.bmp", Gradient(100, 300));
  HDC dc = CreateEnhMetaFileA(nullptr, (f.folder / "i.emf").c_str(), nullptr, nullptr);
  Ellipse(dc, 0, 0, 400, 200);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
  tapestrel::testing::WriteFile(f.folder / "j.txt", "\x95\xc7\x8e\x86\r\n\tTapestrel\r\n");
  tapestrel::testing::WriteFile(f.folder / "k.xyz", "unknown");

  ThumbnailHost host(1024, 768);
  host.Open(f.folder.Path());
  ASSERT_TRUE(host.Pump());
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 10; }, 20000));
  InvalidateRect(host.Window().List(), nullptr, TRUE);
  UpdateWindow(host.Window().List());

  // What the screen shows.
  HWND list = host.Window().List();
  RECT client;
  GetClientRect(list, &client);
  const int cw = client.right, ch = client.bottom;
  browser::DibCanvas screen(cw, ch);
  HDC listDc = GetDC(list);
  BitBlt(screen.Dc(), 0, 0, cw, ch, listDc, 0, 0, SRCCOPY);
  ReleaseDC(list, listDc);
  const imaging::Bitmap shot = screen.Pixels();
  SaveScreenshot(shot, "thumbnail-view");

  imaging::JpegDecodeOptions fast;
  fast.mode = imaging::JpegMode::BestSpeed;
  for (int i = 0; i < host.Items().Count(); ++i) {
    browser::TImgListItem& e = host.Items()[i];
    const std::string name = platform::WideToAnsi(e.DisplayName());
    RECT icon{};
    icon.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&icon)));
    const browser::CellSize size = browser::CellSizeOf(host.View().ViewImage);
    browser::CellRect cell;
    cell.left = icon.left + (icon.right - icon.left - size.width) / 2;
    cell.top = icon.top + std::max(0L, (icon.bottom - icon.top - size.height) / 2);
    cell.right = cell.left + size.width;
    cell.bottom = cell.top + size.height;
    const browser::ImagePlacement place = browser::PlaceImage(host.View().ViewImage, cell, 120, 90);
    if (place.target.left < 0 || place.target.top < 0 || place.target.left + 120 > cw ||
        place.target.top + 90 > ch)
      continue;  // not wholly on the screen
    imaging::Bitmap seen(120, 90, imaging::PixelFormat::Bits24);
    for (int y = 0; y < 90; ++y)
      std::memcpy(seen.Row(y), shot.Row(place.target.top + y) + 3 * place.target.left, 360);
    imaging::Bitmap expected;
    const std::string ext = imaging::LowerCaseExtension(name);
    if (ext == ".jpg") {
      const imaging::JpegHeader header = imaging::ReadJpegHeader(imaging::ReadFileBytes(f.folder / name));
      fast.scaleDenominator = imaging::ChooseJpegScale(header.width, header.height, 120, 90);
      expected = ExpectedCell(imaging::DecodeJpegFile(f.folder / name, fast));
    } else if (ext == ".png") {
      expected = ExpectedCell(Gradient(300, 100));
    } else if (ext == ".bmp") {
      expected = ExpectedCell(Gradient(100, 300));
    } else {
      EXPECT_TRUE(*e.Image == seen || e.ImageShared) << name;  // drawn kinds and icons: what the entry holds
      continue;
    }
    EXPECT_TRUE(expected == seen) << name;
  }
}

TEST(ThumbnailLoading, TheSmallTypeIconIsStampedWhereIconPosSays) {
  PictureFolder f;
  tapestrel::testing::WriteSolidBmp(f.folder / "a.bmp", 120, 90, 0x00FF00);
  tapestrel::testing::WriteSolidBmp(f.folder / "b.bmp", 120, 90, 0x00FF00);
  ThumbnailHost host;
  host.View().ViewImage.SmallIcon.IconPos = browser::TIconPos::iipRightBottom;
  host.View().ViewImage.DispImage =
      browser::kAllImageTypes & ~browser::ImageTypeBit(browser::TImageType::iitBmp);
  host.Open(f.folder.Path());
  ASSERT_TRUE(host.Pump());
  // BMP is not among DispImage: no stamp.
  auto changed = [](const imaging::Bitmap& b, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += imaging::PixelColor(b, x, y) != 0x00FF00u;
    return n;
  };
  EXPECT_EQ(0, changed(*host.Entry(L"a.bmp")->Image, 0, 0, 120, 90));

  host.View().ViewImage.DispImage = browser::kAllImageTypes;  // rebuilds: made again, stamped
  ASSERT_TRUE(host.Pump());
  ASSERT_TRUE(PumpUntil([&] { return host.Entry(L"a.bmp") && host.Entry(L"a.bmp")->Loaded; }, 20000));
  const imaging::Bitmap& stamped = *host.Entry(L"a.bmp")->Image;
  EXPECT_GT(changed(stamped, 102, 72, 118, 88), 20);  // 120 - 2 - 16, 90 - 2 - 16, 16 x 16
  EXPECT_EQ(0, changed(stamped, 0, 0, 120, 72));
  EXPECT_EQ(0, changed(stamped, 0, 0, 102, 90));
}

TEST(ThumbnailLoading, WithAutoThumbTheStoreKeepsEachThumbnailOnceAndAReloadMakesThemAnew) {
  PictureFolder f;
  for (int i = 0; i < 3; ++i)
    imaging::EncodeJpegFile(f.folder / ("p" + std::to_string(i) + ".jpg"), Gradient(800, 600));
  tapestrel::testing::TempFolder storeFolder;
  ThumbnailHost host;
  browser::TImgUtil& util = host.Util();
  util.AutoThumb = true;
  util.Thumbnail.PathType = browser::TPathType::iptFree;
  util.Thumbnail.Path = storeFolder.Path();
  util.Thumbnail.FileName = "pics";
  auto records = [&] {
    const std::string store = tapestrel::testing::ReadFile(storeFolder / "pics.dat");
    uint32_t n = 0;
    if (store.size() >= 24) std::memcpy(&n, store.data() + 20, 4);
    return n;
  };
  host.Open(f.folder.Path());
  ASSERT_TRUE(host.Pump());
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 3; }, 20000));
  EXPECT_EQ(3u, records());

  // A rebuild finds them in the store; a reload removes them first.
  host.View().ViewImage.Frame.Color = browser::kClBlack;
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 6; }, 20000));
  EXPECT_EQ(3u, records());
  EXPECT_EQ(800, host.Entry(L"p1.jpg")->ImageWidth);
  host.View().ReloadFolder();
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 9; }, 20000));
  EXPECT_EQ(3u, records());
}
