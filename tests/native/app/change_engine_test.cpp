#include "app/change_engine.h"

#include <gtest/gtest.h>

#include <map>

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

class AppCoreTest : public ::testing::Test, protected testing::FakeCore {
 protected:
  void SetUp() override {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) FakeCore::Picture(name, 0x102030);
  }
  const std::string& Picture(int i) { return pictures.paths[static_cast<size_t>(i)]; }
};

TEST_F(AppCoreTest, ChangeRecordsTheAppliedPositionAndState) {
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

TEST_F(AppCoreTest, QuietChangeMovesOnlyTheTime) {
  clock.now = 100.5;
  changer.ApplyWallpaper(Picture(2), ChangeMode::Quiet);
  EXPECT_EQ(settings.LastWallIndex, 0);
  EXPECT_EQ(settings.LastChangeTime, 100.5);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_EQ(registry.values.at({kDesktopKey, "ConvertedWallpaper"}), Picture(2));
}

TEST_F(AppCoreTest, NothingHappensForMissingFilesOrDuringEvasion) {
  files.files.erase(Picture(1));
  changer.ChangeWallpaper(ChangeMode::Ordinary);  // chooses b, which is gone
  EXPECT_EQ(settings.LastWallIndex, 0);
  EXPECT_TRUE(registry.values.empty());
  changer.ChangeWallpaper(ChangeMode::Ordinary);  // the same index again
  EXPECT_TRUE(profile.values.empty());

  settings.UrgentEvasionMode = true;
  changer.ApplyWallpaper(Picture(0), ChangeMode::Ordinary);
  EXPECT_TRUE(profile.values.empty());
  EXPECT_TRUE(registry.values.empty());
}

TEST_F(AppCoreTest, PicturesFromElsewhereRecordCountAndTheNextChangeRestarts) {
  changer.ApplyWallpaper(FakeCore::Picture("x.bmp", 0, false), ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 3);
  changer.ApplyWallpaper(FakeCore::Picture("A.BMP", 0, false),
                         ChangeMode::Ordinary);  // exact comparison only
  EXPECT_EQ(settings.LastWallIndex, 3);
  changer.ChangeWallpaper(ChangeMode::Ordinary);
  EXPECT_EQ(settings.LastWallIndex, 0);
}

TEST_F(AppCoreTest, EmptyFolderAndUnknownMethodChangeNothing) {
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
