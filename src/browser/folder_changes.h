// What changed in the shown folder since its entries were read: the folder's
// present listing compared with the entries, by file name. A name that went
// and one that came with the same size and time are one file renamed; a file
// whose size or time differs was rewritten. Only the listing's files the view
// would show count (its folders, hidden files and extension filter).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// What a comparison needs of the entries, copied from them: taken on the
// window's thread, it can be compared with a listing on another thread while
// the entries stay the window's. Its item pointers are only handed back, so
// they must still be the entries' when the changes are applied.
class EntryNames {
 public:
  explicit EntryNames(TImgItems& items);
  struct Entry {
    TImgListItem* item;
    uint32_t nameAt, nameLength;
    uint32_t size, dosDateTime;  // the size's low 32 bits: what an item ID list may carry
    bool folder;
  };
  const std::vector<Entry>& Entries() const { return entries_; }
  std::wstring_view NameOf(const Entry& entry) const { return {names_.data() + entry.nameAt, entry.nameLength}; }

 private:
  std::vector<Entry> entries_;
  std::wstring names_;
};

// The changes that turn the entries into the listing. The results point into
// the entries and the listing; `listing` must outlive them.
FolderChanges FindChanges(const EntryNames& entries, const std::vector<ListedFile>& listing,
                          const TImgItems::EnumOptions& options);
FolderChanges FindChanges(TImgItems& items, const std::vector<ListedFile>& listing,
                          const TImgItems::EnumOptions& options);

}  // namespace tapestrel::browser
