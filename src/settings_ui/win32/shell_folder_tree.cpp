#include "settings_ui/win32/shell_folder_tree.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <stdexcept>
#include <vector>

#include "platform/win32/text.h"

namespace tapestrel::settings_ui {
namespace {

using platform::ComPtr;

// Attributes asked of each child when it is listed.
constexpr SFGAOF kChildAttributes = SFGAO_HASSUBFOLDER;

// The children of a folder that are folders themselves, relative to it.
std::vector<UniqueIdList> FolderChildren(IShellFolder* folder) {
  std::vector<UniqueIdList> children;
  ComPtr<IEnumIDList> items;
  // No owner window: a drive without a medium must not bring up a question.
  if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.Put()) != S_OK || !items) return children;
  LPITEMIDLIST child = nullptr;
  while (items->Next(1, &child, nullptr) == S_OK) children.emplace_back(child);
  return children;
}

bool SameItem(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT result = folder->CompareIDs(0, a, b);
  return SUCCEEDED(result) && static_cast<short>(HRESULT_CODE(result)) == 0;
}

int CALLBACK CompareChildren(LPARAM a, LPARAM b, LPARAM folder) {
  const auto* first = reinterpret_cast<const ITEMIDLIST*>(a);
  const auto* second = reinterpret_cast<const ITEMIDLIST*>(b);
  const HRESULT result =
      reinterpret_cast<IShellFolder*>(folder)->CompareIDs(0, ILFindLastID(first), ILFindLastID(second));
  return SUCCEEDED(result) ? static_cast<short>(HRESULT_CODE(result)) : 0;
}

}  // namespace

ShellFolderTree::ShellFolderTree(HWND tree) : tree_(tree) {
  if (FAILED(SHGetDesktopFolder(desktop_.Put()))) throw std::runtime_error("no shell desktop folder");
  LPITEMIDLIST desktop = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop))) {
    throw std::runtime_error("no shell desktop item");
  }
  UniqueIdList root(desktop);
  SHFILEINFOW info{};
  // The system's own small image list: shared by every program, never freed.
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(reinterpret_cast<LPCWSTR>(root.Get()), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  TreeView_SetImageList(tree_, images, TVSIL_NORMAL);

  root_ = Insert(TVI_ROOT, std::move(root), true);
  // Read here: the owner cannot forward the expansion before it holds us.
  Populate(root_);
  TreeView_Expand(tree_, root_, TVE_EXPAND);
}

ShellFolderTree::~ShellFolderTree() = default;

ComPtr<IShellFolder> ShellFolderTree::FolderOf(const Node& node) const {
  if (ILIsEmpty(node.absolute.Get())) return desktop_;
  ComPtr<IShellFolder> folder;
  if (FAILED(desktop_->BindToObject(node.absolute.Get(), nullptr, IID_IShellFolder, folder.PutVoid())))
    return {};
  return folder;
}

HTREEITEM ShellFolderTree::Insert(HTREEITEM parent, UniqueIdList absolute, bool hasChildren) {
  if (!absolute) return nullptr;
  const auto* list = reinterpret_cast<LPCWSTR>(absolute.Get());
  SHFILEINFOW info{};
  SHGetFileInfoW(list, 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  SHFILEINFOW open{};
  SHGetFileInfoW(list, 0, &open, sizeof open,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);

  auto node = std::make_unique<Node>();
  node->absolute = std::move(absolute);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = info.szDisplayName;
  insert.item.iImage = info.iIcon;
  insert.item.iSelectedImage = open.iIcon;
  insert.item.cChildren = hasChildren ? 1 : 0;
  // The absolute list, for sorting by the shell's order.
  insert.item.lParam = reinterpret_cast<LPARAM>(node->absolute.Get());
  const HTREEITEM item = TreeView_InsertItem(tree_, &insert);
  if (item) nodes_[item] = std::move(node);
  return item;
}

void ShellFolderTree::Populate(HTREEITEM item) {
  Node* node = NodeOf(item);
  if (!node || node->populated) return;
  node->populated = true;
  const ComPtr<IShellFolder> folder = FolderOf(*node);
  if (!folder) {
    SetHasChildren(item, false);
    return;
  }
  const std::vector<UniqueIdList> children = FolderChildren(folder.Get());
  for (const UniqueIdList& child : children) {
    LPCITEMIDLIST relative = child.Get();
    SFGAOF attributes = kChildAttributes;
    if (FAILED(folder->GetAttributesOf(1, &relative, &attributes))) attributes = 0;
    Insert(item, UniqueIdList(ILCombine(node->absolute.Get(), child.Get())), attributes & SFGAO_HASSUBFOLDER);
  }
  SortChildren(item, folder.Get());
  SetHasChildren(item, !children.empty());
}

HTREEITEM ShellFolderTree::Reveal(const std::string& path) {
  LPITEMIDLIST parsed = nullptr;
  if (path.empty() ||
      FAILED(SHParseDisplayName(platform::AnsiToWide(path).c_str(), nullptr, &parsed, 0, nullptr))) {
    return nullptr;
  }
  const UniqueIdList target(parsed);
  HTREEITEM item = root_;
  for (LPCITEMIDLIST id = target.Get(); !ILIsEmpty(id); id = ILNext(id)) {
    Populate(item);
    const ComPtr<IShellFolder> folder = FolderOf(*NodeOf(item));
    const UniqueIdList step(ILCloneFirst(id));
    HTREEITEM match = nullptr;
    for (HTREEITEM child = TreeView_GetChild(tree_, item); child && folder && step;
         child = TreeView_GetNextSibling(tree_, child)) {
      if (SameItem(folder.Get(), ILFindLastID(NodeOf(child)->absolute.Get()), step.Get())) match = child;
    }
    if (!match) return nullptr;
    TreeView_Expand(tree_, item, TVE_EXPAND);
    item = match;
  }
  TreeView_SelectItem(tree_, item);
  return item;
}

void ShellFolderTree::Refresh(HTREEITEM item) {
  Node* node = NodeOf(item);
  if (!node) return;
  const ComPtr<IShellFolder> folder = FolderOf(*node);
  std::vector<UniqueIdList> fresh = folder ? FolderChildren(folder.Get()) : std::vector<UniqueIdList>{};
  if (!node->populated) {
    // Unread children stay unread; the button follows what is there now.
    SetHasChildren(item, !fresh.empty());
    return;
  }
  HTREEITEM child = TreeView_GetChild(tree_, item);
  while (child) {
    const HTREEITEM next = TreeView_GetNextSibling(tree_, child);
    bool present = false;
    if (const Node* known = NodeOf(child)) {
      for (auto it = fresh.begin(); it != fresh.end(); ++it) {
        if (SameItem(folder.Get(), ILFindLastID(known->absolute.Get()), it->Get())) {
          fresh.erase(it);
          present = true;
          break;
        }
      }
    }
    if (present) {
      Refresh(child);
    } else {
      Remove(child);
    }
    child = next;
  }
  for (const UniqueIdList& added : fresh) {
    LPCITEMIDLIST relative = added.Get();
    SFGAOF attributes = kChildAttributes;
    if (FAILED(folder->GetAttributesOf(1, &relative, &attributes))) attributes = 0;
    Insert(item, UniqueIdList(ILCombine(node->absolute.Get(), added.Get())), attributes & SFGAO_HASSUBFOLDER);
  }
  if (folder) SortChildren(item, folder.Get());
  SetHasChildren(item, TreeView_GetChild(tree_, item) != nullptr);
}

void ShellFolderTree::SetHasChildren(HTREEITEM item, bool hasChildren) {
  TVITEMW data{};
  data.mask = TVIF_CHILDREN;
  data.hItem = item;
  data.cChildren = hasChildren ? 1 : 0;
  TreeView_SetItem(tree_, &data);
}

void ShellFolderTree::SortChildren(HTREEITEM item, IShellFolder* folder) {
  TVSORTCB sort{};
  sort.hParent = item;
  sort.lpfnCompare = &CompareChildren;
  sort.lParam = reinterpret_cast<LPARAM>(folder);
  TreeView_SortChildrenCB(tree_, &sort, FALSE);
}

ShellFolderTree::Node* ShellFolderTree::NodeOf(HTREEITEM item) const {
  const auto it = nodes_.find(item);
  return it == nodes_.end() ? nullptr : it->second.get();
}

void ShellFolderTree::Remove(HTREEITEM item) {
  for (HTREEITEM child = TreeView_GetChild(tree_, item); child;) {
    const HTREEITEM next = TreeView_GetNextSibling(tree_, child);
    Remove(child);
    child = next;
  }
  TreeView_DeleteItem(tree_, item);
  nodes_.erase(item);
}

int ShellFolderTree::SelectedCount() const { return Selected() ? 1 : 0; }

HTREEITEM ShellFolderTree::Selected() const { return TreeView_GetSelection(tree_); }

std::wstring ShellFolderTree::PathOf(HTREEITEM item) const {
  const Node* node = NodeOf(item);
  wchar_t path[MAX_PATH] = {};
  if (!node || !SHGetPathFromIDListW(node->absolute.Get(), path)) return {};
  return path;
}

bool ShellFolderTree::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != tree_) return false;
  if (header.code == TVN_ITEMEXPANDINGW) {
    const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
    if (change.action & TVE_EXPAND) Populate(change.itemNew.hItem);
    result = FALSE;  // let it expand
    return true;
  }
  return false;
}

}  // namespace tapestrel::settings_ui
