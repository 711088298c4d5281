#include "app/change_engine.h"

#include <gtest/gtest.h>

#include <map>

#include "app/app_core.h"
#include "fakes/fake_core.h"

namespace tapestrel::app {
namespace {

std::optional<int> Choose(int method, int last, int count) {
  SeededRandom random(1);
  return ChooseNextIndex(method, last, count, random);
}

TEST(ChooseNextIndex, NextAndPreviousWrapAround) {
  EXPECT_EQ(Choose(kSelectNext, 3, 5), 4);
  EXPECT_EQ(Choose(kSelectNext, 4, 5), 0);
  EXPECT_EQ(Choose(kSelectNext, 0, 5), 1);
  EXPECT_EQ(Choose(kSelectPrevious, 0, 5), 4);
  EXPECT_EQ(Choose(kSelectPrevious, 3, 5), 2);
}

TEST(ChooseNextIndex, LastIndexOutsideTheListRestartsAtTheEnds) {
  EXPECT_EQ(Choose(kSelectNext, 5, 5), 0);  // a picture from elsewhere was applied
  EXPECT_EQ(Choose(kSelectNext, 40, 5), 0);
  EXPECT_EQ(Choose(kSelectNext, -3, 5), 0);
  EXPECT_EQ(Choose(kSelectPrevious, 5, 5), 4);
  EXPECT_EQ(Choose(kSelectPrevious, -1, 5), 4);
}

TEST(ChooseNextIndex, EmptyListAndUnknownMethodsChooseNothing) {
  for (int method : {kSelectNext, kSelectPrevious, kSelectRandom}) EXPECT_FALSE(Choose(method, 0, 0));
  EXPECT_FALSE(Choose(7, 0, 5));
  EXPECT_FALSE(Choose(-1, 0, 5));
}

TEST(ChooseNextIndex, RandomNeverRepeatsAndCoversTheRest) {
  SeededRandom random(12345);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(ChooseNextIndex(kSelectRandom, 1, 2, random), 0);
  std::map<int, int> seen;
  for (int i = 0; i < 6000; ++i) {
    const auto index = ChooseNextIndex(kSelectRandom, 2, 4, random);
    ASSERT_TRUE(index);
    ASSERT_NE(*index, 2);
    ++seen[*index];
  }
  ASSERT_EQ(seen.size(), 3u);
  for (auto [index, n] : seen) EXPECT_NEAR(n, 2000, 200) << index;
  EXPECT_EQ(ChooseNextIndex(kSelectRandom, 0, 1, random), 0);  // one picture: that picture
  const auto outside = ChooseNextIndex(kSelectRandom, 9, 3, random);
  ASSERT_TRUE(outside);
  EXPECT_LT(*outside, 3);
}

class AppCoreTest : public ::testing::Test, protected fakes::FakeCore {
 protected:
  void SetUp() override {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) FakeCore::Picture(name, 0x102030);
  }
  const std::string& Picture(int i) { return pictures.paths[static_cast<size_t>(i)]; }
};

TEST_F(AppCoreTest, ChangeRecordsTheAppliedPositionAndState) {
  clock.now = platform::EncodeDateTime({2026, 1, 2, 3, 4, 5, 0});
  core.ChangeWallpaper(kChangeOrdinary);
  EXPECT_EQ(core.Settings().LastWallIndex, 1);
  EXPECT_EQ(profile.Get("System", "LastWallIndex"), "1");
  EXPECT_EQ(profile.Get("System", "LastWallPas"), Picture(1));
  EXPECT_EQ(profile.Get("System", "LastChangTime"), "2026/01/02 3:04:05");
  EXPECT_EQ(registry.values.at({kDesktopKey, "ConvertedWallpaper"}), Picture(1));
  core.ChangeWallpaper(kChangeOrdinary);
  core.ChangeWallpaper(kChangeOrdinary);
  EXPECT_EQ(core.Settings().LastWallIndex, 0);
}

TEST_F(AppCoreTest, QuietChangeMovesOnlyTheTime) {
  clock.now = 100.5;
  core.ApplyWallpaper(Picture(2), kChangeQuiet);
  EXPECT_EQ(core.Settings().LastWallIndex, 0);
  EXPECT_EQ(core.Settings().LastChangTime, 100.5);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_EQ(registry.values.at({kDesktopKey, "ConvertedWallpaper"}), Picture(2));
}

TEST_F(AppCoreTest, NothingHappensForMissingFilesOrDuringEvasion) {
  files.files.erase(Picture(1));
  core.ChangeWallpaper(kChangeOrdinary);  // chooses b, which is gone
  EXPECT_EQ(core.Settings().LastWallIndex, 0);
  EXPECT_TRUE(registry.values.empty());
  core.ChangeWallpaper(kChangeOrdinary);  // the same index again
  EXPECT_TRUE(profile.values.empty());

  core.Settings().UrgentEvasionMode = true;
  core.ApplyWallpaper(Picture(0), kChangeOrdinary);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_TRUE(registry.values.empty());
}

TEST_F(AppCoreTest, PicturesFromElsewhereRecordCountAndTheNextChangeRestarts) {
  core.ApplyWallpaper(FakeCore::Picture("x.bmp", 0, false), kChangeOrdinary);
  EXPECT_EQ(core.Settings().LastWallIndex, 3);
  core.ApplyWallpaper(FakeCore::Picture("A.BMP", 0, false), kChangeOrdinary);  // exact comparison only
  EXPECT_EQ(core.Settings().LastWallIndex, 3);
  core.ChangeWallpaper(kChangeOrdinary);
  EXPECT_EQ(core.Settings().LastWallIndex, 0);
}

TEST_F(AppCoreTest, EmptyFolderAndUnknownMethodChangeNothing) {
  core.Settings().WallSlelct = 7;
  core.ChangeWallpaper(kChangeOrdinary);
  EXPECT_TRUE(registry.values.empty());
  core.Settings().WallSlelct = kSelectRandom;
  pictures.paths.clear();
  core.ChangeWallpaper(kChangeOrdinary);
  EXPECT_TRUE(registry.values.empty());
}

}  // namespace
}  // namespace tapestrel::app
