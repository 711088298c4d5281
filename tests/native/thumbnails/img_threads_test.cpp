#include "browser/img_threads.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "browser/cell_images.h"
#include "browser/thumbnail_retry.h"
#include "imaging/pixel_convert.h"

using namespace tapestrel::browser;

namespace {

// A scheduler whose "worker" only records what it was asked; the test plays
// the worker's results.
class ScriptedThreads : public TImgThreads {
 public:
  explicit ScriptedThreads(int count) {
    for (int serial = 1; serial <= count; ++serial)
      entries[serial] = std::make_unique<TImgListItem>(items, nullptr, serial, false, -1);
  }
  TImgItems items;
  std::map<int, std::unique_ptr<TImgListItem>> entries;
  std::vector<std::string> log;
  int running = 0;

  TImgListItem* FindEntry(int serial) override {
    auto it = entries.find(serial);
    return it == entries.end() ? nullptr : it->second.get();
  }
  void StartWorker(TImgListItem& e) override {
    running = e.Serial();
    log.push_back("start " + std::to_string(e.Serial()));
  }
  bool StopWorker() override {
    if (running) log.push_back("stop " + std::to_string(running));
    running = 0;
    return true;
  }
  void Install(TImgListItem& e, int code) override {
    e.Loaded = true;
    log.push_back("install " + std::to_string(e.Serial()) + " " + std::to_string(code));
  }
  void Repaint(TImgListItem& e) override { log.push_back("repaint " + std::to_string(e.Serial())); }

  // The running worker finishes with code 0.
  void Finish() { WorkerDone(running, 0, false); }
};

using Log = std::vector<std::string>;

}  // namespace

TEST(ThumbnailQueue, BackServedFirstRequeueMovesToTheBackLookAheadAtTheFront) {
  ScriptedThreads t(9);
  for (int s : {1, 2, 3}) t.Enqueue(s, true);
  t.Enqueue(7, false);  // look-ahead
  t.Enqueue(8, false);
  t.Enqueue(1, true);   // drawn again: to the back
  t.Enqueue(7, false);  // queued already: to the back as well
  EXPECT_EQ((std::vector<int>{8, 2, 3, 1, 7}), t.Queue());

  std::vector<std::string> loads;
  t.OnImageLoad = [&](TImgListItem& e) { loads.push_back("load " + std::to_string(e.Serial())); };
  t.Kick();
  EXPECT_EQ(7, t.running);
  EXPECT_TRUE(t.Busy());
  t.Kick();            // busy: nothing
  t.Enqueue(9, true);  // scrolled into view while the worker is busy
  t.Finish();
  EXPECT_EQ(9, t.running);  // served before everything requested earlier
  for (int i = 0; i < 5; ++i) t.Finish();
  EXPECT_FALSE(t.Busy());
  EXPECT_EQ((std::vector<std::string>{"load 7", "load 9", "load 1", "load 3", "load 2", "load 8"}), loads);
}

TEST(ThumbnailQueue, ResultsInstallRaiseLoadedKickAndRepaint) {
  ScriptedThreads t(3);
  std::vector<int> loaded;
  t.OnImageLoaded = [&](TImgListItem& e) { loaded.push_back(e.Serial()); };
  t.Enqueue(1, true);
  t.Enqueue(2, true);
  t.Kick();
  t.log.clear();
  t.WorkerDone(2, -1, false);  // a failure still raises OnImageLoaded
  EXPECT_EQ((Log{"install 2 -1", "stop 2", "start 1", "repaint 2"}), t.log);
  EXPECT_EQ((std::vector<int>{2}), loaded);

  // An entry gone meanwhile only restarts the work.
  t.entries.erase(1);
  t.Enqueue(3, true);
  t.log.clear();
  t.WorkerDone(1, 0, false);
  EXPECT_EQ((Log{"stop 1", "start 3"}), t.log);

  // Loaded entries are skipped when they leave the queue.
  t.entries[2]->Loaded = true;
  t.Enqueue(2, true);
  t.Finish();
  EXPECT_FALSE(t.Busy());
}

TEST(ThumbnailQueue, CancelAndRebuildDropResults) {
  ScriptedThreads t(5);
  for (int s : {1, 2, 3}) t.Enqueue(s, true);
  t.Kick();
  t.log.clear();
  t.CancelAll();
  EXPECT_EQ((Log{"stop 3"}), t.log);
  EXPECT_TRUE(t.Queue().empty());
  EXPECT_FALSE(t.Busy());

  // The cancelled worker's result, posted before the cancel, counts for
  // nothing, even after new work started.
  t.Enqueue(4, true);
  t.Resume();
  t.log.clear();
  t.WorkerDone(3, 0, false);
  EXPECT_TRUE(t.log.empty());
  EXPECT_FALSE(t.entries[3]->Loaded);

  // While the view rebuilds, results are dropped and nothing restarts.
  t.Enqueue(5, true);
  t.WorkerDone(4, 0, true);
  EXPECT_TRUE(t.log.empty());
  EXPECT_TRUE(t.Busy());
  t.CancelAll();
  t.Resume();  // the enumeration's end
  EXPECT_FALSE(t.Busy());
  t.CancelAll();  // idle: nothing to stop
  EXPECT_EQ((Log{"stop 4"}), t.log);
}

// A failed file is tried again once its stamp moved on and then held for the
// settling time; gone files and files that keep their failed stamp drop out.
TEST(ThumbnailRetry, TriesAgainOnceTheFileHasSettled) {
  ThumbnailRetry retry;
  std::map<std::string, FileStamp> disk = {{"grows", {10, 1}}, {"broken", {5, 1}}, {"gone", {5, 1}}};
  int serial = 0;
  for (const auto& [name, stamp] : disk) retry.Watch(++serial, name, stamp, 0);  // broken 1, gone 2, grows 3
  const auto due = [&](int64_t now) {
    return retry.Due(now, [&](const std::string& path) -> std::optional<FileStamp> {
      return disk.count(path) ? std::optional<FileStamp>(disk[path]) : std::nullopt;
    });
  };
  disk.erase("gone");
  disk["grows"] = {20, 2};  // written on
  EXPECT_TRUE(due(500).empty());
  EXPECT_TRUE(due(1499).empty());  // not settled yet
  EXPECT_EQ(std::vector<int>{3}, due(1500));
  EXPECT_TRUE(due(ThumbnailRetry::kGiveUpMs).empty());
  EXPECT_TRUE(retry.Empty());  // "broken" given up
}

TEST(ThumbnailQueue, AFailingHandlerInstallOrWorkerStartStopsNothing) {
  ScriptedThreads t(3);
  for (int s : {1, 2, 3}) t.Enqueue(s, true);
  t.OnImageLoaded = [](TImgListItem& e) {
    if (e.Serial() == 3) throw std::runtime_error("handler");
  };
  t.Kick();
  EXPECT_THROW(t.Finish(), std::runtime_error);
  EXPECT_EQ(2, t.running);  // went on all the same
  EXPECT_TRUE(t.Busy());
  t.OnImageLoad = [](TImgListItem&) { throw std::runtime_error("status bar"); };
  EXPECT_THROW(t.Finish(), std::runtime_error);
  EXPECT_EQ(1, t.running);  // the entry is made all the same

  struct NoThreads : ScriptedThreads {
    using ScriptedThreads::ScriptedThreads;
    void StartWorker(TImgListItem&) override { throw std::runtime_error("no thread"); }
  } n(2);
  n.Enqueue(1, true);
  n.Enqueue(2, true);
  EXPECT_THROW(n.Kick(), std::runtime_error);
  EXPECT_FALSE(n.Busy());  // the next request starts over
  EXPECT_EQ((std::vector<int>{1}), n.Queue());
}

TEST(CellImages, ClippedWhenLargerIconsShared) {
  TImgItems items;
  TImgListItem e(items, nullptr, 1, false, -1);
  // Work bitmaps larger than the box are clipped at the cell's edges around
  // their fitted centre (igtNormal leaves them unscaled).
  tapestrel::imaging::Bitmap big(200, 100, tapestrel::imaging::PixelFormat::Bits24);
  big.Row(0)[3 * 40] = 0xFF;  // blue at 40, 0: FitSize 120 x 60 lies at 0, 15
  InstallThumbnail(e, big, 200, 100, 120, 90, 0xFFFFFF);
  EXPECT_EQ(0xFF0000u, tapestrel::imaging::PixelColor(*e.Image, 40, 15));
  EXPECT_EQ(0xFFFFFFu, tapestrel::imaging::PixelColor(*e.Image, 40, 14));
  EXPECT_EQ(0u, tapestrel::imaging::PixelColor(*e.Image, 119, 89));
  EXPECT_FALSE(e.ImageShared);

  auto a =
      std::make_shared<const tapestrel::imaging::Bitmap>(32, 32, tapestrel::imaging::PixelFormat::Bits24);
  InstallIcon(e, a);
  EXPECT_TRUE(e.ImageShared);
  EXPECT_EQ(32, e.ImageWidth);
}
