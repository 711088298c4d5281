// A tree view over the shell namespace, rooted at the Desktop and showing
// folders only, with the shell's small icons. A folder's children are read
// when it is first expanded. The owner forwards the tree's notifications.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <string>

#include "platform/win32/com_ptr.h"

namespace tapestrel::settings_ui {

using platform::UniqueIdList;

class ShellFolderTree {
 public:
  // Takes over `tree`, an empty tree-view control, and shows the Desktop
  // expanded. Needs COM on the calling thread.
  explicit ShellFolderTree(HWND tree);
  ShellFolderTree(const ShellFolderTree&) = delete;
  ShellFolderTree& operator=(const ShellFolderTree&) = delete;
  ~ShellFolderTree();

  HWND Handle() const { return tree_; }
  HTREEITEM Root() const { return root_; }
  // A tree without multiple selection: 0 or 1.
  int SelectedCount() const;
  HTREEITEM Selected() const;
  // The folder's file-system path; empty for a shell folder without one (My
  // Computer, the network).
  std::wstring PathOf(HTREEITEM item) const;

  // Opens the way to a file-system folder and selects it, as the program's
  // own selection (not a click). Null when the tree cannot reach it (a
  // missing or hidden folder).
  HTREEITEM Reveal(const std::string& path);

  // Reads the children of `item` again: gone folders leave, new ones come,
  // the others stay as they are (expanded or not, with their subtrees, which
  // are read again in turn).
  void Refresh(HTREEITEM item);

  // The tree's WM_NOTIFY: answers true when it handled it, with the result.
  bool HandleNotify(const NMHDR& header, LRESULT& result);

 private:
  struct Node {
    UniqueIdList absolute;  // from the Desktop
    bool populated = false;
  };

  platform::ComPtr<IShellFolder> FolderOf(const Node& node) const;
  HTREEITEM Insert(HTREEITEM parent, UniqueIdList absolute, bool hasChildren);
  void Populate(HTREEITEM item);
  void SetHasChildren(HTREEITEM item, bool hasChildren);
  void SortChildren(HTREEITEM item, IShellFolder* folder);
  Node* NodeOf(HTREEITEM item) const;
  // Deletes an item with its subtree and their nodes.
  void Remove(HTREEITEM item);

  HWND tree_;
  HTREEITEM root_ = nullptr;
  platform::ComPtr<IShellFolder> desktop_;
  std::map<HTREEITEM, std::unique_ptr<Node>> nodes_;
};

}  // namespace tapestrel::settings_ui
