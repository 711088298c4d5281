#include "imaging/builtin_pictures.h"

#include <gtest/gtest.h>

#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "imaging/picture_formats.h"
#include "imaging/png/png_file.h"
#include "test_images.h"

using namespace tapestrel::imaging;
using imaging_test::SmoothPicture;
using imaging_test::TempPath;

TEST(BuiltInPictures, ExtensionsFindTheirDecodersInAnyCase) {
  const Bitmap picture = SmoothPicture(24, 16);
  const std::vector<uint8_t> bmp = WriteBmp(picture), jpeg = EncodeJpeg(picture), png = SavePng(picture);
  struct Case {
    const char* name;
    const std::vector<uint8_t>* bytes;  // null: no decoder of ours
  };
  for (const Case c :
       {Case{"a.bmp", &bmp}, Case{"b.BMP", &bmp}, Case{"c.jpg", &jpeg}, Case{"d.JPEG", &jpeg},
        Case{"e.png", &png}, Case{"f.Png", &png}, Case{"g.ico", nullptr}, Case{"h.emf", nullptr},
        Case{"i.wmf", nullptr}, Case{"j.mag", nullptr}, Case{"k.", nullptr}, Case{"l.png.txt", nullptr}}) {
    SCOPED_TRACE(c.name);
    const std::string path = TempPath(c.name);
    WriteFileBytes(path, c.bytes ? *c.bytes : bmp);
    EXPECT_EQ(HasBuiltInDecoder(path), c.bytes != nullptr);
    if (!c.bytes) {
      EXPECT_THROW(LoadPictureFile(path), ImageError);
      EXPECT_THROW(LoadThumbnailPicture(path, 12, 8, TGetType::igtPreview), ImageError);
      continue;
    }
    const Bitmap wallpaper = LoadPictureFile(path);
    EXPECT_EQ(wallpaper.Width(), 24);
    const ThumbnailPicture thumb = LoadThumbnailPicture(path, 12, 8, TGetType::igtPreview);
    EXPECT_EQ(thumb.sourceWidth, 24);
    EXPECT_EQ(thumb.bitmap.Width(), 12);
  }
}

TEST(BuiltInPictures, TheRegistryStartsWithTheTableInItsOrder) {
  const PictureFormatRegistry registry;
  ASSERT_EQ(registry.Formats().size(), BuiltInPictures().size());
  std::string listed;
  for (const PictureFormat& f : registry.Formats()) listed += f.extension + "=" + f.description + ";";
  EXPECT_EQ(listed,
            "bmp=ビットマップ;ico=アイコン;emf=エンハンス メタファイル;wmf=メタファイル;"
            "jpeg=JPEG イメージ ファイル;jpg=JPEG イメージ ファイル;PNG=PNG Format;");
}
