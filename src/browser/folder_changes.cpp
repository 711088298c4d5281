#include "browser/folder_changes.h"

#include <map>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "browser/extension_filter.h"

namespace tapestrel::browser {
namespace {

bool Listed(const ListedFile& file, const TImgItems::EnumOptions& options, const ExtensionFilter& filter) {
  if (file.name.empty() || file.name == L"." || file.name == L"..") return false;
  if ((file.attributes & kFileHidden) && !options.flags.hidden) return false;
  if (file.attributes & kFileDirectory) return options.flags.folders;
  return options.flags.nonFolders && filter.Passes(file.name);
}

using Identity = std::tuple<uint32_t, uint32_t>;
Identity IdentityOf(const ListedFile& file) {
  return {static_cast<uint32_t>(file.size), file.dosDateTime};
}
Identity IdentityOf(const EntryNames::Entry& entry) { return {entry.size, entry.dosDateTime}; }

}  // namespace

bool Listed(const ListedFile& file, const TImgItems::EnumOptions& options) {
  return Listed(file, options, ExtensionFilter(options.ext));
}

EntryNames::EntryNames(TImgItems& items) {
  entries_.reserve(static_cast<size_t>(items.Count()));
  names_.reserve(static_cast<size_t>(items.Count()) * 16);
  std::wstring path;
  for (int i = 0; i < items.Count(); ++i) {
    TImgListItem& item = items[i];
    std::wstring_view name = item.KnownFileName();
    if (name.empty()) {
      path = item.ParsingPath();
      name = FileNameOf(path);
    }
    entries_.push_back({&item, static_cast<uint32_t>(names_.size()), static_cast<uint32_t>(name.size()),
                        static_cast<uint32_t>(item.FileSize()), item.DosDateTime(), item.IsFolder()});
    names_ += name;
  }
}

FolderChanges FindChanges(TImgItems& items, const std::vector<ListedFile>& listing,
                          const TImgItems::EnumOptions& options) {
  return FindChanges(EntryNames(items), listing, options);
}

FolderChanges FindChanges(const EntryNames& entries, const std::vector<ListedFile>& listing,
                          const TImgItems::EnumOptions& options) {
  const ExtensionFilter filter(options.ext);
  std::unordered_map<std::wstring_view, const ListedFile*> byName;
  byName.reserve(listing.size());
  for (const ListedFile& file : listing) {
    if (Listed(file, options, filter)) byName.emplace(file.name, &file);
  }
  FolderChanges changes;
  std::vector<const EntryNames::Entry*> gone;
  for (const EntryNames::Entry& entry : entries.Entries()) {
    const auto found = byName.find(entries.NameOf(entry));
    if (found == byName.end()) {
      gone.push_back(&entry);
      continue;
    }
    const ListedFile& file = *found->second;
    byName.erase(found);
    if (!entry.folder && IdentityOf(entry) != IdentityOf(file)) changes.rewritten.emplace_back(entry.item, &file);
  }
  // What is left came new, unless it is an entry's new name.
  std::multimap<Identity, const ListedFile*> arrivals;
  for (const auto& [name, file] : byName) {
    if (!(file->attributes & kFileDirectory)) arrivals.emplace(IdentityOf(*file), file);
  }
  std::unordered_set<const ListedFile*> renamedTo;
  for (const EntryNames::Entry* entry : gone) {
    const auto same = entry->folder ? arrivals.end() : arrivals.find(IdentityOf(*entry));
    if (same == arrivals.end()) {
      changes.removed.push_back(entry->item);
    } else {
      changes.renamed.emplace_back(entry->item, same->second);
      renamedTo.insert(same->second);
      arrivals.erase(same);
    }
  }
  // In the listing's order, which is the folder's.
  for (const ListedFile& file : listing) {
    const auto left = byName.find(file.name);
    if (left != byName.end() && left->second == &file && !renamedTo.count(&file)) changes.added.push_back(&file);
  }
  return changes;
}

}  // namespace tapestrel::browser
