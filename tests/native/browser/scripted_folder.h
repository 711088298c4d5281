// A shell folder played from a script: children with names, attributes,
// sizes and dates, counting the item IDs it hands out and gets back.
#pragma once

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "browser/shell_items.h"

// The port's item IDs are indices into the script.
struct tapestrel::browser::ShellItemId {
  int index;
};

namespace tapestrel::testing {

struct ScriptedChild {
  std::wstring name;
  uint32_t attributes = 0;  // browser::ItemAttribute bits
  uint64_t size = 0;
  uint64_t lastWrite = 0;
  std::wstring type = L"file";
  bool hidden = false;
};

class ScriptedFolder : public browser::ShellFolderPort {
 public:
  std::wstring path = L"C:\\pics";
  std::vector<ScriptedChild> children;
  bool enumerable = true;
  // Columns the folder's Compare honours; the others it orders by name.
  std::vector<int> orderedColumns = {0, 1, 2, 3, 4};
  // Name keys: none, the shell's own order, or one that is wrong about
  // names that differ only in case.
  enum class Keys { None, Agreeing, CaseSensitive } keys = Keys::Agreeing;
  std::vector<std::wstring> ownIconExtensions = {L".exe"};
  int liveIds = 0;
  int compareCalls = 0;
  int fetches = 0;  // names, data, types and icons read
  int typeAndIconFetches = 0;

  bool Enumerate(EnumFlags flags, const std::function<void(browser::ShellItemId*)>& take) override {
    if (!enumerable) return false;
    for (size_t i = 0; i < children.size(); ++i) {
      const ScriptedChild& c = children[i];
      const bool folder = (c.attributes & browser::kAttrFolder) != 0;
      if ((folder && !flags.folders) || (!folder && !flags.nonFolders) || (c.hidden && !flags.hidden))
        continue;
      ++liveIds;
      take(new browser::ShellItemId{static_cast<int>(i)});
    }
    return true;
  }
  void Free(browser::ShellItemId* id) override {
    --liveIds;
    delete id;
  }
  uint32_t Attributes(const browser::ShellItemId* id) override { return Child(id).attributes; }
  std::wstring ParsingName(const browser::ShellItemId* id) override {
    ++fetches;
    return path + L"\\" + Child(id).name;
  }
  std::wstring DisplayName(const browser::ShellItemId* id) override {
    ++fetches;
    return Child(id).name;
  }
  std::optional<browser::ItemFileData> FileData(const browser::ShellItemId* id) override {
    ++fetches;
    const ScriptedChild& c = Child(id);
    // DOS form of 2024-05-06 07:08 plus the child's index in minutes.
    const uint16_t minutes = static_cast<uint16_t>(8 + id->index);
    return browser::ItemFileData{c.size, 0x20, c.lastWrite, static_cast<uint16_t>((44 << 9) | (5 << 5) | 6),
                                 static_cast<uint16_t>((7 << 11) | (minutes << 5))};
  }
  std::wstring TypeName(const browser::ShellItemId* id) override {
    ++fetches, ++typeAndIconFetches;
    return Child(id).type;
  }
  int IconIndex(const browser::ShellItemId* id) override {
    ++fetches, ++typeAndIconFetches;
    return 100 + id->index;
  }
  int Compare(int column, const browser::ShellItemId* a, const browser::ShellItemId* b) override {
    ++compareCalls;
    const ScriptedChild &x = Child(a), &y = Child(b);
    const bool fx = x.attributes & browser::kAttrFolder, fy = y.attributes & browser::kAttrFolder;
    if (fx != fy) return fx ? -1 : 1;
    int result = 0;
    if (OrdersByColumn(column)) {
      if (column == 1) result = x.size < y.size ? -1 : x.size > y.size ? 1 : 0;
      if (column == 2) result = CompareTexts(x.type, y.type);
      if (column == 3) result = x.lastWrite < y.lastWrite ? -1 : x.lastWrite > y.lastWrite ? 1 : 0;
    }
    return result != 0 ? result : CompareTexts(x.name, y.name);
  }
  bool OrdersByColumn(int column) override {
    return std::find(orderedColumns.begin(), orderedColumns.end(), column) != orderedColumns.end();
  }
  int CompareTexts(std::wstring_view a, std::wstring_view b) override {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      const wint_t x = std::towlower(a[i]), y = std::towlower(b[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
  }
  std::string NameOrderKey(std::wstring_view name) override {
    std::string key;
    for (wchar_t c : name) {
      const wint_t k = keys == Keys::CaseSensitive ? c : std::towlower(c);
      key += static_cast<char>(k >> 8);
      key += static_cast<char>(k & 0xFF);
    }
    return keys == Keys::None ? std::string() : key;
  }
  browser::ShellItemId* ParseChild(std::wstring_view name) override {
    for (size_t i = 0; i < children.size(); ++i) {
      if (children[i].name != name) continue;
      ++liveIds;
      return new browser::ShellItemId{static_cast<int>(i)};
    }
    return nullptr;
  }
  bool IconFollowsExtension(std::wstring_view ext) override {
    return std::find(ownIconExtensions.begin(), ownIconExtensions.end(), ext) == ownIconExtensions.end();
  }
  std::wstring ChildPathPrefix() override { return path + L"\\"; }

 private:
  const ScriptedChild& Child(const browser::ShellItemId* id) const {
    return children.at(static_cast<size_t>(id->index));
  }
};

}  // namespace tapestrel::testing
