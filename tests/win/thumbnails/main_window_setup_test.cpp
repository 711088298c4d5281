// The main window's set-up of thumbnail loading on a real view.
#include <gtest/gtest.h>

#include "common/solid_picture.h"
#include "imaging/png/png_file.h"
#include "program/win32/main_window_thumbnails.h"
#include "thumbnail_fixture.h"
#include "win_support/files.h"

using namespace tapestrel;
using tapestrel::testing::PumpUntil;

TEST(MainWindowThumbnails, StatusTextWhileLoadingStoreNamedAfterTheFolderPngThroughTheCodec) {
  tapestrel::testing::TempFolder root;
  const std::string folder = root / "holiday";
  CreateDirectoryA(folder.c_str(), nullptr);
  tapestrel::testing::WriteSolidBmp(folder + "\\a.bmp", 40, 30, 0x0000FF);
  imaging::SavePngFile(folder + "\\b.png", tapestrel::testing::SolidPicture(60, 20, 0xFF0000));

  tapestrel::testing::ViewWindow window(640, 480);
  browser::TImgListView& view = window.View();
  std::vector<std::wstring> status;
  int folderChanges = 0;
  view.OnChangeFolder = [&] { ++folderChanges; };  // the window's own handler stays
  app::MainWindowThumbnails thumbnails(view, nullptr, [&](const std::wstring& t) { status.push_back(t); });
  const browser::TImgUtil& util = view.ViewImage.ImgUtil;
  EXPECT_FALSE(util.AutoThumb);
  EXPECT_TRUE(util.SusiePriority);
  EXPECT_TRUE(view.ViewImage.LookAhead);
  EXPECT_EQ(L"MS UI Gothic", util.Font.Name);

  folderChanges = 0;
  status.clear();
  view.OpenFolder(folder);
  EXPECT_EQ("holiday", util.Thumbnail.FileName);
  EXPECT_EQ(1, folderChanges);
  ASSERT_TRUE(PumpUntil(
      [&] {
        return !thumbnails.Cells().Loader().Busy() && view.ImgItems().Count() == 2 &&
               view.ImgItems()[0].Loaded && view.ImgItems()[1].Loaded;
      },
      20000));
  // Cleared at the folder change, named while each loads, cleared after.
  ASSERT_EQ(5u, status.size());
  EXPECT_EQ(L"", status[0]);
  EXPECT_EQ(L" を開いています", status[1].substr(status[1].size() - 8));
  EXPECT_EQ(L"", status[2]);
  EXPECT_EQ(L"", status[4]);
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(view.ImgItems()[i].ImageShared);

  EXPECT_EQ("pics", app::MainWindowThumbnails::StoreNameOf("C:\\data\\pics\\"));
  EXPECT_EQ("pics", app::MainWindowThumbnails::StoreNameOf("C:\\data\\pics"));
}
