// The entries of a scripted folder: enumeration and filter, fetching once,
// sorting by the shell's order and by the fallback, and ID ownership.
#include <gtest/gtest.h>

#include <random>

#include "scripted_folder.h"

namespace tapestrel::browser {
namespace {

using testing::ScriptedFolder;

constexpr uint32_t kFile = 0;
constexpr uint32_t kDir = kAttrFolder | kAttrFileSystemAncestor;

ScriptedFolder PictureFolder() {
  ScriptedFolder f;
  f.children = {
      {L"b.JPG", kFile, 300, 20, L"JPEG"},           {L"a.bmp", kFile, 100, 30, L"Bitmap"},
      {L"sub.txt", kDir, 0, 10, L"Folder"},          {L"notes.txt", kFile, 50, 40, L"Text"},
      {L"C.jpeg", kFile, 200, 50, L"JPEG"},          {L"hidden.bmp", kFile, 400, 60, L"Bitmap", true},
      {L"link.bmp", kAttrLink | kAttrShared, 5, 70}, {L"share.jpg", kAttrShared, 6, 80, L"JPEG"},
  };
  return f;
}

std::vector<std::wstring> Names(TImgItems& items) {
  std::vector<std::wstring> names;
  for (int i = 0; i < items.Count(); ++i) names.emplace_back(items[i].DisplayName());
  return names;
}

TEST(ShellItems, EnumerationFiltersFilesButNeverFolders) {
  ScriptedFolder folder = PictureFolder();
  TImgItems items;
  items.SetFolder(&folder);
  std::vector<std::wstring> offered;
  ASSERT_TRUE(items.Enumerate({{true, true, false}, L"*.bmp;*.JPG"},
                              [&](TImgListItem& item) { offered.emplace_back(item.DisplayName()); }));
  EXPECT_EQ(Names(items),
            (std::vector<std::wstring>{L"b.JPG", L"a.bmp", L"sub.txt", L"link.bmp", L"share.jpg"}));
  EXPECT_EQ(offered,
            (std::vector<std::wstring>{L"b.JPG", L"a.bmp", L"link.bmp", L"share.jpg"}));  // no folders
  EXPECT_TRUE(items[2].IsFolder());
  EXPECT_EQ(items[0].OverlayIndex(), -1);
  EXPECT_EQ(items[3].OverlayIndex(), 1);  // link wins over shared
  EXPECT_EQ(items[4].OverlayIndex(), 0);
  EXPECT_EQ(folder.liveIds, 5);  // the filtered ones were freed at once
}

TEST(ShellItems, DisplayTypesChooseFoldersFilesAndHidden) {
  const struct {
    ShellFolderPort::EnumFlags flags;
    const wchar_t* ext;
    int count;
  } cases[] = {
      {{true, true, true}, L"*.*", 8},
      {{true, true, false}, L"", 7},
      {{false, true, true}, L"*.*", 7},
      {{true, false, true}, L"*.*", 1},
      {{false, true, false}, L"*.bmp;*.jpg;*.jpeg", 5},
  };
  for (const auto& c : cases) {
    ScriptedFolder folder = PictureFolder();
    TImgItems items;
    items.SetFolder(&folder);
    items.Enumerate({c.flags, c.ext});
    EXPECT_EQ(items.Count(), c.count) << c.ext;
  }
}

TEST(ShellItems, FailedEnumerationLeavesNoEntries) {
  ScriptedFolder folder = PictureFolder();
  TImgItems items;
  items.SetFolder(&folder);
  items.Enumerate({});
  ASSERT_EQ(items.Count(), 8);
  folder.enumerable = false;
  EXPECT_FALSE(items.Enumerate({}));
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(folder.liveIds, 0);
}

TEST(ShellItems, SerialsKeepCountingAcrossEnumerations) {
  ScriptedFolder folder = PictureFolder();
  TImgItems items;
  items.SetFolder(&folder);
  items.Enumerate({});
  EXPECT_EQ(items[0].Serial(), 1);
  EXPECT_EQ(items[7].Serial(), 8);
  items.Enumerate({});
  EXPECT_EQ(items[0].Serial(), 9);
  EXPECT_EQ(items.FindBySerial(12), &items[3]);
  EXPECT_EQ(items.FindBySerial(3), nullptr);
  EXPECT_EQ(items.IndexOf(items[5]), 5);
}

TEST(ShellItems, DetailsAreFetchedOnceAndPathsRebuiltFromThePrefix) {
  ScriptedFolder folder = PictureFolder();
  TImgItems items({L".", L"h"});
  items.SetFolder(&folder);
  items.Enumerate({{true, true, true}, L"*.*"});
  TImgListItem& c = items[4];
  const int before = folder.fetches;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(c.DisplayName(), L"C.jpeg");
    EXPECT_EQ(c.ParsingPath(), L"C:\\pics\\C.jpeg");
    EXPECT_EQ(c.FileSize(), 200u);
    EXPECT_EQ(c.SizeText(), L"1KB");
    EXPECT_EQ(c.DateText(), L"2024.05.06 07h12");
    EXPECT_EQ(c.TypeName(), L"JPEG");
    EXPECT_EQ(c.IconIndex(), 104);
  }
  EXPECT_EQ(folder.fetches - before, 5);    // name, path, data, type, icon
  EXPECT_EQ(items[0].TypeName(), L"JPEG");  // shared type names

  // A path outside the prefix is kept whole; a rename reads everything again.
  c.SetParsingPath(L"D:\\elsewhere\\x.jpg");
  EXPECT_EQ(c.ParsingPath(), L"D:\\elsewhere\\x.jpg");
  EXPECT_EQ(c.DisplayName(), L"C.jpeg");
  c.ReplaceId(new ShellItemId{0});
  ++folder.liveIds;
  EXPECT_EQ(c.DisplayName(), L"b.JPG");
  EXPECT_EQ(c.ParsingPath(), L"C:\\pics\\b.JPG");
  EXPECT_EQ(c.FileSize(), 300u);
  items.Clear();
  EXPECT_EQ(folder.liveIds, 0);
}

TEST(ShellItems, SortsEachColumnBothWaysWithTheShellOrTheFallback) {
  // The fallback must give what a shell honouring the column gives.
  const struct {
    TSortTypeEx type;
    std::vector<std::wstring> ascending;
  } cases[] = {
      {TSortTypeEx::istName,
       {L"sub.txt", L"a.bmp", L"b.JPG", L"C.jpeg", L"link.bmp", L"notes.txt", L"share.jpg"}},
      {TSortTypeEx::istSize,
       {L"sub.txt", L"link.bmp", L"share.jpg", L"notes.txt", L"a.bmp", L"C.jpeg", L"b.JPG"}},
      {TSortTypeEx::istType,
       {L"sub.txt", L"a.bmp", L"link.bmp", L"b.JPG", L"C.jpeg", L"share.jpg", L"notes.txt"}},
      {TSortTypeEx::istDate,
       {L"sub.txt", L"b.JPG", L"a.bmp", L"notes.txt", L"C.jpeg", L"link.bmp", L"share.jpg"}},
  };
  for (bool shellOrders : {true, false}) {
    for (const auto& c : cases) {
      ScriptedFolder folder = PictureFolder();
      folder.children[6].type = L"bitmap";  // equal types ignoring case fall back on the name
      if (!shellOrders) folder.orderedColumns = {0};
      TImgItems items;
      items.SetFolder(&folder);
      items.Enumerate({{true, true, false}, L"*.*"});
      items.Sort(c.type, false);
      EXPECT_EQ(Names(items), c.ascending) << static_cast<int>(c.type) << " shell " << shellOrders;
      items.Sort(c.type, true);
      EXPECT_EQ(Names(items), std::vector<std::wstring>(c.ascending.rbegin(), c.ascending.rend()))
          << static_cast<int>(c.type) << " shell " << shellOrders;
    }
  }
}

TEST(ShellItems, NameKeysSpareTheShellAndNeverOverruleIt) {
  // Names differing in case make case-sensitive keys disagree with the shell.
  const struct {
    ScriptedFolder::Keys keys;
    const wchar_t* ext;  // "*.*" reads no names at enumeration: no keys
    int maxCompares;
  } cases[] = {{ScriptedFolder::Keys::Agreeing, L"*.jpg", 1000},
               {ScriptedFolder::Keys::CaseSensitive, L"*.jpg", 9000},
               {ScriptedFolder::Keys::None, L"*.jpg", 9000},
               {ScriptedFolder::Keys::Agreeing, L"*.*", 9000}};
  for (const auto& c : cases) {
    ScriptedFolder folder;
    folder.keys = c.keys;
    for (int i = 0; i < 1000; ++i) {
      const std::wstring n = std::to_wstring((i * 7919) % 1000);
      folder.children.push_back({(i % 2 ? L"F" : L"f") + n + L".jpg"});
    }
    TImgItems items;
    items.SetFolder(&folder);
    items.Enumerate({{}, c.ext});
    for (bool descend : {false, true}) {
      folder.compareCalls = 0;
      items.Sort(TSortTypeEx::istName, descend);
      EXPECT_LE(folder.compareCalls, c.maxCompares) << c.ext;  // 1000 x log2(1000) = 9966
      for (int i = 1; i < items.Count(); ++i) {
        const int order = folder.CompareTexts(items[i - 1].DisplayName(), items[i].DisplayName());
        EXPECT_EQ(order, descend ? 1 : -1) << i;
      }
    }
  }
}

TEST(ShellItems, TypeNamesAndMostIconsAreAskedOncePerExtension) {
  ScriptedFolder folder;
  folder.children = {{L"a.jpg"}, {L"b.JPG"}, {L"c.jpg"}, {L"d.png"},
                     {L"e.exe"}, {L"f.exe"}, {L"noext"}, {L"g", kDir}};
  TImgItems items;
  items.SetFolder(&folder);
  items.Enumerate({});
  for (int i = 0; i < items.Count(); ++i) items[i].IconIndex();
  // Icons: .jpg once, .png once, each .exe, the name without extension, the folder.
  EXPECT_EQ(folder.typeAndIconFetches, 2 + 2 + 1 + 1);
  EXPECT_EQ(items[1].IconIndex(), items[0].IconIndex());
  EXPECT_NE(items[5].IconIndex(), items[4].IconIndex());
  folder.typeAndIconFetches = 0;
  for (int i = 0; i < items.Count(); ++i) items[i].TypeName();
  EXPECT_EQ(folder.typeAndIconFetches, 5);  // .jpg, .png, .exe, none, the folder
}

// A shell whose comparison answers at random.
class ErraticFolder : public ScriptedFolder {
 public:
  std::mt19937 random{5};
  int Compare(int, const ShellItemId*, const ShellItemId*) override {
    return static_cast<int>(random() % 3) - 1;
  }
};

TEST(ShellItems, AnInconsistentShellOrderNeitherLosesNorDuplicatesEntries) {
  ErraticFolder folder;
  for (int i = 0; i < 300; ++i) folder.children.push_back({std::to_wstring(i)});
  TImgItems items;
  items.SetFolder(&folder);
  items.Enumerate({});
  for (TSortTypeEx type : {TSortTypeEx::istName, TSortTypeEx::istAttr}) items.Sort(type, true);
  std::vector<int> serials;
  for (int i = 0; i < items.Count(); ++i) serials.push_back(items[i].Serial());
  std::sort(serials.begin(), serials.end());
  for (int i = 0; i < 300; ++i) ASSERT_EQ(serials[i], i + 1);
}

}  // namespace
}  // namespace tapestrel::browser
