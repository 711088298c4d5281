// What a window at some scale must keep: every control inside its window,
// no two controls on top of each other, and every text within its control,
// measured with the control's own font.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32/dpi.h"
#include "win_support/window_search.h"

namespace tapestrel::testing {

inline std::vector<HWND> VisibleChildren(HWND parent) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsWindowVisible(c)) children.push_back(c);
  }
  return children;
}

inline RECT PlaceIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The size `text` takes in `control`'s font: on one line, or broken into
// lines `wrapWidth` wide.
inline SIZE TextSize(HWND control, const std::wstring& text, int wrapWidth = 0) {
  const HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, wrapWidth, 0};
  DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {r.right, r.bottom};
}

// Problems found, one line each, named after `where`.
class FitReport {
 public:
  void Fail(const std::wstring& where, HWND control, const std::wstring& what) {
    problems_.push_back(where + L" #" + std::to_wstring(GetDlgCtrlID(control)) + L" " + ClassName(control) +
                        L" \"" + WindowText(control) + L"\": " + what);
  }
  const std::vector<std::wstring>& Problems() const { return problems_; }

  // Checks the visible controls of `parent` at `dpi`.
  void CheckControls(const std::wstring& where, HWND parent, int dpi) {
    RECT area;
    GetClientRect(parent, &area);
    const std::vector<HWND> children = VisibleChildren(parent);
    for (HWND c : children) {
      const RECT r = PlaceIn(parent, c);
      if (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom)
        Fail(where, c, L"outside its window");
      CheckText(where, c, dpi);
    }
    for (size_t i = 0; i < children.size(); ++i) {
      for (size_t j = i + 1; j < children.size(); ++j) {
        if (IsGroupBox(children[i]) || IsGroupBox(children[j])) continue;  // they hold others
        RECT a = PlaceIn(parent, children[i]), b = PlaceIn(parent, children[j]), both;
        if (IntersectRect(&both, &a, &b)) Fail(where, children[i], L"overlaps #" + std::to_wstring(GetDlgCtrlID(children[j])));
      }
    }
  }

 private:
  static bool IsGroupBox(HWND c) {
    return ClassName(c) == L"Button" && (GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
  }

  void Needs(const std::wstring& where, HWND c, int width, int height) {
    RECT client;
    GetClientRect(c, &client);
    if (width > client.right || height > client.bottom) {
      Fail(where, c, L"needs " + std::to_wstring(width) + L"x" + std::to_wstring(height) + L", has " +
                         std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom));
    }
  }

  void CheckText(const std::wstring& where, HWND c, int dpi) {
    const std::wstring cls = ClassName(c), text = WindowText(c);
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    const platform::DpiScale px(dpi);
    RECT client;
    GetClientRect(c, &client);
    if (cls == L"Button" && !text.empty()) {
      const SIZE t = TextSize(c, text);
      switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
          return Needs(where, c, t.cx + px(16), t.cy);
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
          return Needs(where, c, platform::SystemMetricForDpi(SM_CXMENUCHECK, dpi) + px(4) + t.cx, t.cy);
        default:
          return Needs(where, c, t.cx + px(6), t.cy + px(4));
      }
    }
    if (cls == L"Static" && !text.empty()) {
      const LONG_PTR type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_RIGHT && type != SS_CENTER && type != SS_LEFTNOWORDWRAP) return;
      if (style & SS_ELLIPSISMASK) return;  // cut with "..." by design
      const bool oneLine = type == SS_LEFTNOWORDWRAP || (style & SS_CENTERIMAGE);
      const SIZE t = oneLine ? TextSize(c, text) : TextSize(c, text, client.right);
      return Needs(where, c, oneLine ? t.cx : std::min<int>(t.cx, client.right), t.cy);
    }
    if (cls == L"SysLink") {
      std::wstring plain;
      for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'<') i = text.find(L'>', i);
        else plain += text[i];
      }
      const SIZE t = TextSize(c, plain);
      return Needs(where, c, t.cx, t.cy);
    }
    if (cls == L"ComboBox") {
      const int count = static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        wchar_t item[128] = {};
        SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        const SIZE t = TextSize(c, item);
        Needs(where, c, t.cx + platform::SystemMetricForDpi(SM_CXVSCROLL, dpi) + px(6), 0);
      }
      return;
    }
    if (cls == WC_TREEVIEWW) {
      for (HTREEITEM item = TreeView_GetRoot(c); item; item = TreeView_GetNextSibling(c, item)) {
        RECT r{};
        TreeView_GetItemRect(c, item, &r, TRUE);
        if (r.right > client.right) Fail(where, c, L"a node's text is cut");
      }
    }
  }

  std::vector<std::wstring> problems_;
};

}  // namespace tapestrel::testing
