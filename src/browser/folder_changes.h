// What changed in the shown folder since its entries were read: the folder's
// present listing compared with the entries, by file name. A name that went
// and one that came with the same size and time are one file renamed; a file
// whose size or time differs was rewritten. Only the listing's files the view
// would show count (its folders, hidden files and extension filter).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "browser/shell_items.h"

namespace tapestrel::browser {

// The file attribute bits a listing carries, as Windows numbers them.
enum : uint32_t { kFileHidden = 0x2, kFileDirectory = 0x10 };

// One file or folder as the folder lists it now.
struct ListedFile {
  std::wstring name;  // no folder part
  uint64_t size = 0;
  uint32_t attributes = 0;  // kFile* bits
  uint32_t dosDateTime = 0;  // the last write in local time, DOS form, date in the high half
};

struct FolderChanges {
  std::vector<TImgListItem*> removed;
  std::vector<std::pair<TImgListItem*, const ListedFile*>> rewritten;
  std::vector<std::pair<TImgListItem*, const ListedFile*>> renamed;
  std::vector<const ListedFile*> added;

  bool Empty() const { return removed.empty() && rewritten.empty() && renamed.empty() && added.empty(); }
};

// Whether the view lists this file with these options.
bool Listed(const ListedFile& file, const TImgItems::EnumOptions& options);

// The changes that turn the entries into the listing. The results point into
// both; `listing` must outlive them.
FolderChanges FindChanges(TImgItems& items, const std::vector<ListedFile>& listing,
                          const TImgItems::EnumOptions& options);

}  // namespace tapestrel::browser
