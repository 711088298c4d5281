// The entries of the view's folder (`ImgItems`) and how they are read from
// the shell: each entry keeps its child item ID and fetches its name, path,
// file data, type name and icon index once, when first asked. Enumeration,
// the extension filter and sorting live here; the shell itself is reached
// through ShellFolderPort.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/extension_filter.h"
#include "browser/view_options.h"
#include "imaging/bitmap.h"

namespace tapestrel::browser {

// A child item ID list of the open folder; only the port knows its layout.
struct ShellItemId;

// The shell attributes an entry is told apart by.
enum ItemAttribute : uint32_t {
  kAttrFolder = 1,
  kAttrFileSystemAncestor = 2,
  kAttrShared = 4,
  kAttrLink = 8,
};

// The find data of an item.
struct ItemFileData {
  uint64_t size = 0;
  uint32_t attributes = 0;
  uint64_t lastWrite = 0;  // UTC, 100 ns since 1601
  uint16_t dosDate = 0;    // the last write in local time, DOS form
  uint16_t dosTime = 0;
};

// One open shell folder.
class ShellFolderPort {
 public:
  virtual ~ShellFolderPort() = default;

  struct EnumFlags {
    bool folders = true, nonFolders = true, hidden = true;
  };
  // Hands every child to `take`, which owns it from then on. False when the
  // folder cannot be enumerated.
  virtual bool Enumerate(EnumFlags flags, const std::function<void(ShellItemId*)>& take) = 0;
  virtual void Free(ShellItemId* id) = 0;
  // ItemAttribute bits.
  virtual uint32_t Attributes(const ShellItemId* id) = 0;
  virtual std::wstring ParsingName(const ShellItemId* id) = 0;  // the full parsing name
  virtual std::wstring DisplayName(const ShellItemId* id) = 0;  // the name inside the folder
  virtual std::optional<ItemFileData> FileData(const ShellItemId* id) = 0;
  virtual std::wstring TypeName(const ShellItemId* id) = 0;
  virtual int IconIndex(const ShellItemId* id) = 0;
  // The shell's own order of two children by a column: below, at or above 0.
  virtual int Compare(int column, const ShellItemId* a, const ShellItemId* b) = 0;
  // Whether Compare really orders by that column (a shell may order by name
  // whatever the column).
  virtual bool OrdersByColumn(int column) = 0;
  // Texts in the user's collation, ignoring case: below, at or above 0.
  virtual int CompareTexts(std::wstring_view a, std::wstring_view b) = 0;
  // A key per file name whose byte order is the order the shell's names
  // usually follow, or empty when there is none. Sorting arranges entries by
  // these keys first, so that the shell, which has the last word, needs to
  // be asked only about neighbours.
  virtual std::string NameOrderKey(std::wstring_view fileName) = 0;
  // The child of this name (no folder part) as the folder lists it now, owned
  // by the caller; null when there is none.
  virtual ShellItemId* ParseChild(std::wstring_view fileName) = 0;
  // Whether every file with this extension (with its dot, lower-case) shows
  // the same icon: most do; programs, icons and links carry their own.
  virtual bool IconFollowsExtension(std::wstring_view extension) = 0;
  // What the children's parsing names start with ("C:\pictures\"), empty
  // when they share nothing; entries keep only the rest.
  virtual std::wstring ChildPathPrefix() = 0;
};

// A text in one allocation: most entries keep two of them, so the 24 bytes
// of a std::wstring each would count.
class CompactText {
 public:
  void Assign(std::wstring_view text);
  std::wstring_view View() const { return text_ ? std::wstring_view(text_.get()) : std::wstring_view(); }

 private:
  std::unique_ptr<wchar_t[]> text_;
};

class TImgItems;

// One entry. Everything but its kind and overlay is fetched on first use.
class TShellItem {
 public:
  TShellItem(TImgItems& owner, ShellItemId* id, int serial, bool isFolder, int overlayIndex);
  ~TShellItem();
  TShellItem(const TShellItem&) = delete;
  TShellItem& operator=(const TShellItem&) = delete;

  TImgItems& Owner() const { return owner_; }
  // The collection's creation counter when this entry was made.
  int Serial() const { return serial_; }
  const ShellItemId* ItemId() const { return id_; }
  bool IsFolder() const { return isFolder_; }
  // -1 none, 0 shared, 1 link.
  int OverlayIndex() const { return overlayIndex_; }

  std::wstring_view DisplayName();
  std::wstring ParsingPath();
  uint64_t FileSize();
  uint32_t FileAttributes();
  uint64_t LastWriteTime();
  // The last write in local time, DOS form: (date << 16) | time.
  uint32_t DosDateTime();
  std::wstring SizeText();
  std::wstring DateText();
  std::wstring_view TypeName();
  int IconIndex();

  // Set at enumeration when the name was read for the filter anyway.
  void SetParsingPath(std::wstring_view path);
  // The file name part of the parsing path when it has been read, else empty.
  std::wstring_view KnownFileName() const { return haveParsingPath_ ? FileNameOf(parsingPath_.View()) : L""; }
  // After a rename: the new ID (owned from now on); names are read again.
  void ReplaceId(ShellItemId* id);

 private:
  friend class TImgItems;
  void FetchFileData();

  TImgItems& owner_;
  ShellItemId* id_;
  int serial_;
  int position_ = -1;  // the index in display order, kept by the owner
  int iconIndex_ = -1;
  uint32_t typeIndex_ = 0;
  int8_t overlayIndex_;
  bool isFolder_;
  bool haveDisplayName_ = false;
  bool haveParsingPath_ = false;
  bool pathIsRelative_ = false;  // the path is ChildPathPrefix() + parsingPath_
  bool haveFileData_ = false;
  bool haveTypeName_ = false;
  bool haveIconIndex_ = false;
  CompactText displayName_;
  CompactText parsingPath_;
  uint64_t fileSize_ = 0;
  uint64_t lastWrite_ = 0;
  uint32_t fileAttributes_ = 0;
  uint16_t dosDate_ = 0, dosTime_ = 0;
};

// An entry with its cell image, which thumbnail loading fills.
class TImgListItem : public TShellItem {
 public:
  using TShellItem::TShellItem;

  // The cell's image: the entry's own thumbnail or a shared icon image.
  std::shared_ptr<const imaging::Bitmap> Image;
  int ImageWidth = 0, ImageHeight = 0;  // the source picture's size
  std::optional<TImageType> ImageType;  // decided once, by thumbnail loading
  bool Loaded = false;
  bool ImageShared = false;

  // Back to no image, for a file whose content changed.
  void ForgetImage();
};

// Locale texts the detail columns need.
struct DetailFormat {
  std::wstring dateSeparator = L"/";
  std::wstring timeSeparator = L":";
};

// The view's entries, in display order.
class TImgItems {
 public:
  explicit TImgItems(DetailFormat format = {}) : format_(std::move(format)) {}
  ~TImgItems() { Clear(); }
  TImgItems(const TImgItems&) = delete;
  TImgItems& operator=(const TImgItems&) = delete;

  // The folder the entries come from; clear the entries before changing it.
  void SetFolder(ShellFolderPort* folder);
  ShellFolderPort* Folder() const { return folder_; }
  const DetailFormat& Format() const { return format_; }

  int Count() const { return static_cast<int>(items_.size()); }
  TImgListItem& operator[](int index) { return *items_.at(static_cast<size_t>(index)); }
  // The entry made with this serial, or null. By key, as is IndexOf: a
  // folder of 50,000 pictures asks them for every thumbnail.
  TImgListItem* FindBySerial(int serial);
  int IndexOf(const TShellItem& item) const;
  void Clear();

  // Changes in place, for a folder that changed while shown; the other
  // entries, their order and their images stay. Each costs a search by the
  // comparison in use and a move of pointers, not a pass over the entries.
  //   Insert: a new child's entry, at its sorted place.
  //   Remove: the entries go (ID lists freed).
  //   Renew: a rewritten file's entry takes the new ID list and a new serial
  //     (work on its old content is then not taken for it) and forgets its image.
  //   Rename: the entry takes the new ID list and moves to its sorted place,
  //     keeping its serial and its image.
  struct SortOrder {
    TSortTypeEx type = TSortTypeEx::istName;
    bool descend = false;
    TViewMode mode = TViewMode::ivmFolder;
  };
  TImgListItem& Insert(ShellItemId* id, const SortOrder& order);
  void Remove(const std::vector<TImgListItem*>& gone);
  void Renew(TImgListItem& item, ShellItemId* id);
  void Rename(TImgListItem& item, ShellItemId* id, const SortOrder& order);

  struct EnumOptions {
    ShellFolderPort::EnumFlags flags;
    std::wstring ext = L"*.*";
  };
  // Replaces the entries by the folder's children that pass the filter
  // (folders always pass); `added` sees each new entry that is not a folder.
  // False when the folder could not be enumerated: the list is then empty.
  bool Enumerate(const EnumOptions& options, const std::function<void(TImgListItem&)>& added = {});

  // Sorts by the shell's own order of the column (in ivmFile by name, by
  // ordinal comparison); descending negates the comparison. A merge sort: it
  // stays inside the list whatever the comparison answers, and entries the
  // order cannot tell apart keep their relative order. The shell is slow to
  // ask, so entries are first arranged by name keys and the shell's order
  // then merges what the keys got wrong: for a name order the keys follow,
  // the shell is asked once per entry.
  void Sort(TSortTypeEx sortType, bool descend, TViewMode mode = TViewMode::ivmFolder);
  // The comparison Sort uses.
  int Compare(TShellItem& a, TShellItem& b, TSortTypeEx sortType, bool descend, TViewMode mode);

  // Type names are few; entries share them by index. A file's type name and
  // (mostly) its icon follow its extension, so each is asked of the shell
  // once per extension; asking costs about a millisecond under Wine.
  uint32_t InternTypeName(std::wstring name);
  std::wstring_view TypeNameAt(uint32_t index) const { return typeNames_.at(index); }
  uint32_t TypeIndexOf(TShellItem& item);
  int IconIndexOf(TShellItem& item);
  const std::wstring& ChildPathPrefix() const { return prefix_; }

 private:
  int Compare(TShellItem& a, TShellItem& b, TSortTypeEx sortType, bool descend, TViewMode mode,
              bool shellOrders);
  // Folders first, then the column's value, then `names()`.
  template <typename Names>
  int CompareByValue(TShellItem& a, TShellItem& b, TSortTypeEx sortType, Names names);
  // Arranges the entries by name keys; false (and nothing done) without them.
  bool Presort(TSortTypeEx sortType, bool descend);
  std::unique_ptr<TImgListItem> MakeEntry(ShellItemId* id, uint32_t attributes);
  // Puts the entry at `from` where the order wants it.
  void MoveToSortedPlace(int from, const SortOrder& order);
  void Reindex(size_t from = 0);

  DetailFormat format_;
  ShellFolderPort* folder_ = nullptr;
  std::wstring prefix_;
  std::vector<std::unique_ptr<TImgListItem>> items_;
  std::vector<TImgListItem*> bySerial_;  // by ascending serial
  int serialCounter_ = 0;
  std::vector<std::wstring> typeNames_{std::wstring()};
  std::map<std::wstring, uint32_t, std::less<>> typeIndex_;
  std::map<std::wstring, uint32_t, std::less<>> typeOfExtension_;  // lower-case extension
  std::map<std::wstring, int, std::less<>> iconOfExtension_;
};

}  // namespace tapestrel::browser
