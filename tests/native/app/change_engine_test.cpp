#include "app/change_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <vector>

#include "fakes/fake_core.h"

namespace tapestrel::app {
namespace {

std::optional<int> Choose(SelectionMethod method, int last, int count) {
  SeededRandom random(1);
  return ChooseNextIndex(method, last, count, random);
}

TEST(ChooseNextIndex, NextAndPreviousWrapAround) {
  EXPECT_EQ(Choose(SelectionMethod::Next, 3, 5), 4);
  EXPECT_EQ(Choose(SelectionMethod::Next, 4, 5), 0);
  EXPECT_EQ(Choose(SelectionMethod::Next, 0, 5), 1);
  EXPECT_EQ(Choose(SelectionMethod::Previous, 0, 5), 4);
  EXPECT_EQ(Choose(SelectionMethod::Previous, 3, 5), 2);
}

TEST(ChooseNextIndex, LastIndexOutsideTheListRestartsAtTheEnds) {
  EXPECT_EQ(Choose(SelectionMethod::Next, 5, 5), 0);  // a picture from elsewhere was applied
  EXPECT_EQ(Choose(SelectionMethod::Next, 40, 5), 0);
  EXPECT_EQ(Choose(SelectionMethod::Next, -3, 5), 0);
  EXPECT_EQ(Choose(SelectionMethod::Previous, 5, 5), 4);
  EXPECT_EQ(Choose(SelectionMethod::Previous, -1, 5), 4);
}

TEST(ChooseNextIndex, EmptyListAndUnknownMethodsChooseNothing) {
  for (SelectionMethod method : {SelectionMethod::Next, SelectionMethod::Previous, SelectionMethod::Random})
    EXPECT_FALSE(Choose(method, 0, 0));
  EXPECT_FALSE(Choose(static_cast<SelectionMethod>(7), 0, 5));
  EXPECT_FALSE(Choose(static_cast<SelectionMethod>(-1), 0, 5));
}

TEST(ChangeCandidates, OnceThroughTheListInTheDirectionOfTheChoice) {
  struct Case {
    SelectionMethod method;
    int last, count;
    std::vector<int> expected;
  } cases[] = {
      {SelectionMethod::Next, 1, 4, {2, 3, 0, 1}},
      {SelectionMethod::Next, 9, 3, {0, 1, 2}},  // outside the list: from the start
      {SelectionMethod::Previous, 1, 4, {0, 3, 2, 1}},
      {SelectionMethod::Previous, -1, 2, {1, 0}},
      {SelectionMethod::Random, 0, 1, {0}},
      {SelectionMethod::Next, 0, 0, {}},
      {static_cast<SelectionMethod>(7), 0, 5, {}},
  };
  for (const Case& c : cases) {
    SeededRandom random(5);
    ChangeCandidates candidates(c.method, c.last, c.count, random);
    std::vector<int> seen;
    while (const auto index = candidates.Next()) seen.push_back(*index);
    EXPECT_EQ(seen, c.expected) << static_cast<int>(c.method) << " " << c.last << " " << c.count;
  }
}

TEST(ChangeCandidates, RandomTriesEveryOtherEntryOnceAndNeverTheLast) {
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    SeededRandom random(seed), same(seed);
    ChangeCandidates candidates(SelectionMethod::Random, 3, 7, random);
    std::vector<int> seen;
    while (const auto index = candidates.Next()) seen.push_back(*index);
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen.front(), ChooseNextIndex(SelectionMethod::Random, 3, 7, same));  // the usual choice first
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 4, 5, 6}));
  }
}

TEST(ChooseNextIndex, RandomNeverRepeatsAndCoversTheRest) {
  SeededRandom random(12345);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(ChooseNextIndex(SelectionMethod::Random, 1, 2, random), 0);
  std::map<int, int> seen;
  for (int i = 0; i < 6000; ++i) {
    const auto index = ChooseNextIndex(SelectionMethod::Random, 2, 4, random);
    ASSERT_TRUE(index);
    ASSERT_NE(*index, 2);
    ++seen[*index];
  }
  ASSERT_EQ(seen.size(), 3u);
  for (auto [index, n] : seen) EXPECT_NEAR(n, 2000, 200) << index;
  EXPECT_EQ(ChooseNextIndex(SelectionMethod::Random, 0, 1, random), 0);  // one picture: that picture
  const auto outside = ChooseNextIndex(SelectionMethod::Random, 9, 3, random);
  ASSERT_TRUE(outside);
  EXPECT_LT(*outside, 3);
}

class WallpaperChangerTest : public ::testing::Test, protected testing::FakeCore {
 protected:
  void SetUp() override {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) FakeCore::Picture(name, 0x102030);
  }
  const std::string& Picture(int i) { return pictures.paths[static_cast<size_t>(i)]; }
};

TEST_F(WallpaperChangerTest, ChangeRecordsTheAppliedPositionAndState) {
  clock.now = platform::EncodeDateTime({2026, 1, 2, 3, 4, 5, 0});
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 1);
  EXPECT_EQ(profile.Get("System", "LastWallIndex"), "1");
  EXPECT_EQ(profile.Get("System", "LastWallPas"), Picture(1));
  EXPECT_EQ(profile.Get("System", "LastChangTime"), "2026/01/02 3:04:05");
  EXPECT_EQ(registry.values.at({kDesktopKey, "ConvertedWallpaper"}), Picture(1));
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 0);
}

TEST_F(WallpaperChangerTest, QuietChangeMovesOnlyTheTime) {
  clock.now = 100.5;
  changer.ApplyWallpaper(Picture(2), ChangeMode::Quiet);
  EXPECT_EQ(settings.LastWallIndex, 0);
  EXPECT_EQ(settings.LastChangeTime, 100.5);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_EQ(registry.values.at({kDesktopKey, "ConvertedWallpaper"}), Picture(2));
}

TEST_F(WallpaperChangerTest, UnusablePicturesGiveWayToTheNextInTheSameDirection) {
  files.files.erase(Picture(1));  // b is gone
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 2);
  EXPECT_EQ(profile.Get("System", "LastWallPas"), Picture(2));

  settings.WallSelect = SelectionMethod::Previous;
  { std::ofstream(Picture(0), std::ios::binary) << "BM but not a bitmap"; }  // a is corrupt
  changer.ChangeWallpaper(ChangeMode::Ordinary);                             // b gone, a corrupt: c
  EXPECT_EQ(settings.LastWallIndex, 2);
  EXPECT_EQ(desktop.wallpapers.size(), 2u);

  // Nothing usable at all: once through the list, nothing recorded.
  files.files.erase(Picture(2));
  profile.values.clear();
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_EQ(desktop.wallpapers.size(), 2u);

  // Random never repeats the current picture, even to get round a bad one.
  files.files.insert(Picture(2));
  settings.WallSelect = SelectionMethod::Random;
  for (int i = 0; i < 20; ++i) {
    changer.ChangeWallpaper(ChangeMode::Ordinary);
    EXPECT_EQ(settings.LastWallIndex, 2) << i;  // c alone is usable, and it is the current one
  }
  EXPECT_EQ(desktop.wallpapers.size(), 2u);
}

TEST_F(WallpaperChangerTest, EvasionBlocksEveryCallerAndTriesNothing) {
  settings.UrgentEvasionMode = true;
  EXPECT_EQ(changer.ApplyWallpaper(Picture(0), ChangeMode::Ordinary), ApplyResult::Blocked);
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_TRUE(registry.values.empty());
}

TEST_F(WallpaperChangerTest, PicturesFromElsewhereRecordCountAndTheNextChangeRestarts) {
  changer.ApplyWallpaper(FakeCore::Picture("x.bmp", 0, false), ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 3);
  changer.ApplyWallpaper(FakeCore::Picture("A.BMP", 0, false),
                         ChangeMode::Ordinary);  // exact comparison only
  EXPECT_EQ(settings.LastWallIndex, 3);
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 0);
}

TEST_F(WallpaperChangerTest, EmptyFolderAndUnknownMethodChangeNothing) {
  settings.WallSelect = static_cast<SelectionMethod>(7);
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_TRUE(registry.values.empty());
  settings.WallSelect = SelectionMethod::Random;
  pictures.paths.clear();
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_TRUE(registry.values.empty());
}

}  // namespace
}  // namespace tapestrel::app
