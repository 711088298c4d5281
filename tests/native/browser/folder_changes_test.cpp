// The entries following a folder's changes: what the listing says changed,
// and the entries after the changes are applied in place (order, serials,
// look-ups by key, ID ownership).
#include <gtest/gtest.h>

#include "browser/folder_changes.h"
#include "scripted_folder.h"

namespace tapestrel::browser {
namespace {

using testing::ScriptedChild;
using testing::ScriptedFolder;

// The listing of the script, as a file-system folder would give it (the
// scripted IDs carry the same size and time).
std::vector<ListedFile> Listing(const ScriptedFolder& folder) {
  std::vector<ListedFile> files;
  for (size_t i = 0; i < folder.children.size(); ++i) {
    const ScriptedChild& c = folder.children[i];
    const uint32_t date = (44 << 9) | (5 << 5) | 6, time = (7 << 11) | ((8 + static_cast<uint32_t>(i)) << 5);
    files.push_back({c.name, c.size, (c.hidden ? kFileHidden : 0u) | (c.attributes & kAttrFolder ? kFileDirectory : 0u),
                     (date << 16) | time});
  }
  return files;
}

std::wstring Names(TImgItems& items) {
  std::wstring names;
  for (int i = 0; i < items.Count(); ++i) names += std::wstring(items[i].DisplayName()) + L" ";
  return names;
}

TEST(FolderChanges, OnlyTheChangedEntriesAreMadeMovedOrDropped) {
  const struct {
    const char* what;
    std::function<void(ScriptedFolder&)> change;
    const wchar_t* ext;
    size_t removed, rewritten, renamed, added;
    const wchar_t* names;
  } cases[] = {
      {"nothing", [](ScriptedFolder&) {}, L"*.*", 0, 0, 0, 0, L"sub a.jpg b.jpg c.jpg "},
      {"added", [](ScriptedFolder& f) { f.children.push_back({L"ab.jpg", 0, 7}); }, L"*.*", 0, 0, 0, 1,
       L"sub a.jpg ab.jpg b.jpg c.jpg "},
      {"added, filtered out", [](ScriptedFolder& f) { f.children.push_back({L"x.txt", 0, 7}); }, L"*.jpg", 0, 0,
       0, 0, L"sub a.jpg b.jpg c.jpg "},
      {"added hidden", [](ScriptedFolder& f) { f.children.push_back({L"h.jpg", 0, 7, 0, L"", true}); }, L"*.*", 0,
       0, 0, 0, L"sub a.jpg b.jpg c.jpg "},
      {"removed", [](ScriptedFolder& f) { f.children[1].hidden = true; }, L"*.*", 1, 0, 0, 0,
       L"sub a.jpg c.jpg "},
      {"rewritten", [](ScriptedFolder& f) { f.children[1].size = 250; }, L"*.*", 0, 1, 0, 0,
       L"sub a.jpg b.jpg c.jpg "},
      {"renamed", [](ScriptedFolder& f) { f.children[0].name = L"d.jpg"; }, L"*.*", 0, 0, 1, 0,
       L"sub b.jpg c.jpg d.jpg "},
      {"renamed by case", [](ScriptedFolder& f) { f.children[2].name = L"C.jpg"; }, L"*.*", 0, 0, 1, 0,
       L"sub a.jpg b.jpg C.jpg "},
      {"folder renamed: gone and new", [](ScriptedFolder& f) { f.children[3].name = L"dir"; }, L"*.*", 1, 0, 0, 1,
       L"dir a.jpg b.jpg c.jpg "},
      {"all at once",
       [](ScriptedFolder& f) {
         f.children[0].name = L"z.jpg", f.children[1].hidden = true, f.children[2].size = 1;
         f.children.push_back({L"0.jpg", 0, 9});
       },
       L"*.*", 1, 1, 1, 1, L"sub 0.jpg c.jpg z.jpg "},
  };
  for (const auto& c : cases) {
    ScriptedFolder folder;
    folder.children = {{L"a.jpg", 0, 100}, {L"b.jpg", 0, 200}, {L"c.jpg", 0, 300}, {L"sub", kAttrFolder | kAttrFileSystemAncestor, 0}};
    TImgItems items;
    items.SetFolder(&folder);
    const TImgItems::EnumOptions options{{true, true, false}, c.ext};
    items.Enumerate(options);
    items.Sort(TSortTypeEx::istName, false);
    items[2].Image = std::make_shared<imaging::Bitmap>(1, 1, imaging::PixelFormat::Bits24);  // b.jpg's
    const int serialOfB = items[2].Serial();
    for (int i = 0; i < items.Count(); ++i) items[i].ParsingPath(), items[i].FileSize();  // as ID lists carry them
    c.change(folder);
    const std::vector<ListedFile> listing = Listing(folder);
    const FolderChanges changes = FindChanges(items, listing, options);
    EXPECT_EQ(changes.removed.size(), c.removed) << c.what;
    EXPECT_EQ(changes.rewritten.size(), c.rewritten) << c.what;
    EXPECT_EQ(changes.renamed.size(), c.renamed) << c.what;
    EXPECT_EQ(changes.added.size(), c.added) << c.what;

    // Applied as the view does.
    const TImgItems::SortOrder order;
    items.Remove(changes.removed);
    for (const auto& [item, file] : changes.rewritten) items.Renew(*item, folder.ParseChild(file->name));
    for (const auto& [item, file] : changes.renamed) items.Rename(*item, folder.ParseChild(file->name), order);
    for (const ListedFile* file : changes.added) items.Insert(folder.ParseChild(file->name), order);
    EXPECT_EQ(Names(items), c.names) << c.what;
    EXPECT_TRUE(FindChanges(items, listing, options).Empty()) << c.what;
    EXPECT_EQ(folder.liveIds, items.Count()) << c.what;
    for (int i = 0; i < items.Count(); ++i) {
      EXPECT_EQ(items.IndexOf(items[i]), i) << c.what;
      EXPECT_EQ(items.FindBySerial(items[i].Serial()), &items[i]) << c.what;
      // b.jpg keeps its image and serial unless its content changed.
      if (items[i].DisplayName() != L"b.jpg") continue;
      EXPECT_EQ(items[i].Image != nullptr, c.rewritten == 0) << c.what;
      EXPECT_EQ(items[i].Serial() == serialOfB, c.rewritten == 0) << c.what;
      EXPECT_EQ(items.FindBySerial(serialOfB) != nullptr, c.rewritten == 0) << c.what;
    }
  }
}

}  // namespace
}  // namespace tapestrel::browser
