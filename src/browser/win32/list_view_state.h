// What a list view control holds for the thumbnail view: the selection, the
// focus, and whether captions can be edited. Shared by the view window and
// its shell verbs.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

namespace tapestrel::browser {

// The selected items below `count`, in item order.
inline std::vector<int> SelectedIndices(HWND list, int count) {
  std::vector<int> indices;
  for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0 && i < count;
       i = ListView_GetNextItem(list, i, LVNI_SELECTED))
    indices.push_back(i);
  return indices;
}

inline int FocusedIndex(HWND list) { return ListView_GetNextItem(list, -1, LVNI_FOCUSED); }

// Captions cannot be edited.
inline bool IsReadOnly(HWND list) { return !(GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS); }

}  // namespace tapestrel::browser
