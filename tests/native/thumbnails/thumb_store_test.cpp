#include "browser/thumb_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "imaging/pixel_convert.h"
#include "native_files.h"

using namespace tapestrel;
using namespace tapestrel::browser;
using tapestrel::testing::FakeThumbnailPlatform;
using tapestrel::testing::FileBytes;
using tapestrel::testing::NativeFolder;
using tapestrel::testing::SolidPicture;

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
double F64(const std::vector<uint8_t>& b, size_t at) {
  double v;
  std::memcpy(&v, &b[at], 8);
  return v;
}

class ThumbStoreTest : public ::testing::Test {
 protected:
  ThumbStoreTest() {
    store.SetPort(&platform);
    store.PathType = TPathType::iptFree;
    store.Path = folder.Path();  // a trailing separator is added
    store.FileName = "pics";
    store.AppName = "Tapestrel";
  }
  // The temporary copy removal goes through.
  std::string TempCopy() { return store.StorePath("x").substr(0, store.StorePath("x").size() - 4) + ".~tmp"; }
  std::string Picture(const std::string& name, int w, int h) {
    const std::string path = folder / name;
    tapestrel::testing::WriteSolidBmp(path, w, h, 0x0000FF);
    return path;
  }
  NativeFolder folder;
  FakeThumbnailPlatform platform;
  TThumb store;
};

}  // namespace

TEST_F(ThumbStoreTest, StorePathByPathTypeAndFileName) {
  const std::string picture = "C:\\pics\\a.jpg";
  const struct {
    TPathType type;
    std::string fileName, expected;
  } cases[] = {
      {TPathType::iptApp, "", "/app/Tapestrel.dat"},    {TPathType::iptApp, "pics", "/app/pics.dat"},
      {TPathType::iptApp, "pics.thm", "/app/pics.thm"}, {TPathType::iptFolder, "x", "C:\\pics\\x.dat"},
      {TPathType::iptWin, "x", "/windows/x.dat"},       {TPathType::iptTemp, "x", "/temp/x.dat"},
  };
  for (const auto& c : cases) {
    store.PathType = c.type;
    store.FileName = c.fileName;
    EXPECT_EQ(c.expected, store.StorePath(picture));
  }
  store.PathType = TPathType::iptFree;
  store.Path = "D:\\thumbs";
  EXPECT_EQ("D:\\thumbs\\x.dat", store.StorePath(picture));
}

TEST_F(ThumbStoreTest, AWrittenRecordHasTheLayoutAndReadsBack) {
  const std::string picture = Picture("a.bmp", 300, 200);
  store.Write(picture, SolidPicture(120, 80, 0x0000FF), 300, 200);

  const std::vector<uint8_t> b = FileBytes(store.StorePath(picture));
  ASSERT_GT(b.size(), 24u + 56u + picture.size());
  EXPECT_EQ(127u, U32(b, 0));
  EXPECT_EQ(103u, U32(b, 4));
  EXPECT_EQ(0, std::memcmp(&b[8], "Tapestrel\0\0\0", 12));
  EXPECT_EQ(1u, U32(b, 20));
  const size_t r = 24;
  EXPECT_EQ(picture.size(), U32(b, r));
  EXPECT_EQ(0u, U32(b, r + 4));
  const uint32_t dataLength = U32(b, r + 8);
  EXPECT_EQ(b.size(), r + 56 + picture.size() + dataLength);
  EXPECT_EQ(120u, U32(b, r + 12));
  EXPECT_EQ(80u, U32(b, r + 16));
  EXPECT_EQ(platform.now, F64(b, r + 24));
  EXPECT_EQ(platform.FileStamp(picture)->modified, F64(b, r + 32));
  EXPECT_EQ(platform.FileStamp(picture)->size, U32(b, r + 40));
  EXPECT_EQ(300u, U32(b, r + 44));
  EXPECT_EQ(200u, U32(b, r + 48));
  EXPECT_EQ(0u, U32(b, r + 52));
  EXPECT_EQ(picture, std::string(b.begin() + r + 56, b.begin() + r + 56 + picture.size()));
  EXPECT_EQ(0xFF, b[r + 56 + picture.size()]);  // a JPEG stream
  EXPECT_EQ(0xD8, b[r + 57 + picture.size()]);

  // Found again, fitted into the box, with the stored source size.
  auto found = store.Lookup(picture, 60, 90, imaging::TGetType::igtPreview);
  ASSERT_TRUE(found);
  EXPECT_EQ(60, found->bitmap.Width());
  EXPECT_EQ(40, found->bitmap.Height());
  EXPECT_EQ(300, found->sourceWidth);
  EXPECT_EQ(200, found->sourceHeight);
  const imaging::ColorValue c = imaging::PixelColor(found->bitmap, 30, 20);
  EXPECT_GT(imaging::RedOf(c), 240);
  EXPECT_LT(imaging::BlueOf(c), 16);

  // Application names keep at most 10 bytes, and no half character.
  EXPECT_EQ(0, std::memcmp(&ThumbHeaderBytes("0123456789AB", 0)[8], "0123456789\0\0", 12));
  EXPECT_EQ(0, std::memcmp(&ThumbHeaderBytes("012345678\x82\xA0", 0)[8], "012345678\0\0\0", 12));
}

TEST_F(ThumbStoreTest, KeysIgnoreCaseAndStaleRecordsAreRemoved) {
  store.SetActive(true);
  const std::string a = Picture("a.bmp", 10, 10), b = Picture("b.bmp", 20, 20);
  store.Write(a, SolidPicture(10, 10, 0), 10, 10);
  store.Write(b, SolidPicture(20, 20, 0), 20, 20);
  EXPECT_EQ(2u, U32(FileBytes(store.StorePath(a)), 20));

  // The same file under a name in other letter case finds b's record.
  std::string mixed = b;
  mixed.replace(mixed.size() - 5, 1, "B");  // ".../B.bmp"
  std::filesystem::create_hard_link(b, mixed);
  ASSERT_TRUE(store.Lookup(mixed, 120, 90, imaging::TGetType::igtPreview));

  // a changes: its record goes, b's stays.
  std::filesystem::last_write_time(a, std::filesystem::last_write_time(a) + std::chrono::hours(1));
  EXPECT_FALSE(store.Lookup(a, 120, 90, imaging::TGetType::igtPreview));
  const std::vector<uint8_t> after = FileBytes(store.StorePath(a));
  EXPECT_EQ(1u, U32(after, 20));
  EXPECT_EQ(b, std::string(after.begin() + 24 + 56, after.begin() + 24 + 56 + b.size()));
  EXPECT_TRUE(store.Lookup(b, 120, 90, imaging::TGetType::igtPreview));
  EXPECT_FALSE(std::filesystem::exists(TempCopy()));
}

TEST_F(ThumbStoreTest, RemovalCopiesThroughTheTemporaryFileAndDeletesAnEmptyStore) {
  const std::string a = Picture("a.bmp", 10, 10), b = Picture("b.bmp", 20, 20), c = Picture("c.bmp", 30, 30);
  for (const std::string& p : {a, b, c}) store.Write(p, SolidPicture(8, 8, 0), 8, 8);
  const std::vector<uint8_t> before = FileBytes(store.StorePath(a));

  store.Remove({b});
  const std::vector<uint8_t> after = FileBytes(store.StorePath(a));
  EXPECT_EQ(2u, U32(after, 20));
  const size_t recordB = U32(before, 24) + 56 + U32(before, 24 + 8);
  ASSERT_EQ(before.size() - (56 + b.size() + U32(before, 24 + recordB + 8)), after.size());
  EXPECT_TRUE(std::equal(after.begin() + 24, after.begin() + 24 + recordB, before.begin() + 24));
  EXPECT_FALSE(std::filesystem::exists(TempCopy()));
  EXPECT_TRUE(store.Lookup(c, 8, 8, imaging::TGetType::igtPreview));

  store.Remove({a, c});
  EXPECT_FALSE(std::filesystem::exists(store.StorePath(a)));
  EXPECT_FALSE(std::filesystem::exists(TempCopy()));
  store.Remove({a});  // no store: nothing to do
}

TEST_F(ThumbStoreTest, AFileWithoutTheMarkerIsNoStore) {
  const std::string picture = Picture("a.bmp", 10, 10);
  const std::string path = store.StorePath(picture);
  std::ofstream(path, std::ios::binary) << std::string("\x7E\0\0\0", 4) + std::string(40, 'x');
  try {
    store.Lookup(picture, 120, 90, imaging::TGetType::igtPreview);
    FAIL() << "no error";
  } catch (const EThumbError& e) {
    EXPECT_EQ(path + "\r\n  はサムネイルファイルではありません", e.what());
    EXPECT_EQ(path, e.StorePath());
  }
  EXPECT_THROW(store.Write(picture, SolidPicture(1, 1, 0), 1, 1), EThumbError);

  // Records that claim more than the file holds end the scan, not the program.
  std::vector<uint8_t> hostile = ThumbHeaderBytes("x", 1000);
  ThumbRecordHeader h;
  h.keyLength = 0xFFFFFFF0;
  const auto rh = ThumbRecordHeaderBytes(h);
  hostile.insert(hostile.end(), rh.begin(), rh.end());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(hostile.begin(), hostile.end());
  EXPECT_FALSE(store.Lookup(picture, 120, 90, imaging::TGetType::igtPreview));
}
