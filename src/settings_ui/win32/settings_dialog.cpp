#include "settings_ui/win32/settings_dialog.h"

#include <commctrl.h>

#include "platform/error_guard.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/text.h"
#include "settings_dialog_ids.h"

namespace tapestrel::settings_ui {
namespace {

// The frame's geometry in pixels at 96 dpi: the client area, then each
// control's left, top, width and height.
constexpr SIZE kClientSize{637, 351};
constexpr RECT kTreePlace{8, 8, 177, 297};
constexpr RECT kPanelPlace{200, 8, 425, 297};
constexpr RECT kOkPlace{440, 312, 89, 25};
constexpr RECT kCancelPlace{536, 312, 89, 25};
// The pages' size in their templates' dialog units.
constexpr SIZE kPageUnits{283, 182};

void Place(HWND control, const RECT& p) {
  SetWindowPos(control, nullptr, p.left, p.top, p.right, p.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}



template <typename Page, typename... Args>
Page* AddPage(std::vector<std::unique_ptr<SettingsPage>>& pages, HWND owner, int templateId, Args&&... args) {
  auto page = std::make_unique<Page>(std::forward<Args>(args)...);
  Page* raw = page.get();
  pages.push_back(std::move(page));
  raw->Create(templateId, owner);
  return raw;
}

}  // namespace

SettingsDialog::SettingsDialog(CustomColorsWriter keepCustomColors, HWND owner) : owner_(owner) {
  const INITCOMMONCONTROLSEX controls{
      sizeof(INITCOMMONCONTROLSEX),
      ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  general_ = AddPage<GeneralPage>(pages_, owner, IDD_PAGE_GENERAL, std::move(keepCustomColors));
  interval_ =
      AddPage<IntervalPage>(pages_, owner, IDD_PAGE_INTERVAL, "壁紙インターバル変更",
                            IntervalPage::Fields{&app::SettingsRecord::IntervalEnabled, &app::SettingsRecord::IntervalValue,
                                                 &app::SettingsRecord::IntervalUnit, IDC_INTERVAL_ENABLED,
                                                 IDC_INTERVAL_VALUE, IDC_INTERVAL_UNIT});
  AddPage<IntervalPage>(
      pages_, owner, IDD_PAGE_RANDOM, "壁紙ランダム時間変更",
      IntervalPage::Fields{&app::SettingsRecord::RandomIntervalEnabled,
                           &app::SettingsRecord::RandomIntervalValue, &app::SettingsRecord::RandomIntervalUnit,
                           IDC_RANDOM_INTERVAL_ENABLED,
                           IDC_RANDOM_INTERVAL_VALUE, IDC_RANDOM_INTERVAL_UNIT});
  AddPage<HotKeyPage>(pages_, owner, IDD_PAGE_HOT_KEY, "壁紙ショートカット変更");
  AddPage<ConditionPage>(pages_, owner, IDD_PAGE_CONDITION, "壁紙条件変更");
  AddPage<CapturePage>(pages_, owner, IDD_PAGE_CAPTURE, "壁紙キャプチャ変更");
  AddPage<EvasionPage>(pages_, owner, IDD_PAGE_EVASION, "緊急回避");
  invalidCondition_ =
      AddPage<InvalidConditionPage>(pages_, owner, IDD_PAGE_INVALID_CONDITION, "壁紙変更の無効条件");
  AddPage<FormatsPage>(pages_, owner, IDD_PAGE_FORMATS, "対応ピクチャファイル形式");
  AddPage<SoundPage>(pages_, owner, IDD_PAGE_SOUND, "サウンド");
}

SettingsDialog::~SettingsDialog() = default;

HWND SettingsDialog::Tree() const { return frame_ ? GetDlgItem(frame_, IDC_SETTINGS_TREE) : nullptr; }

bool SettingsDialog::ShowModal(SettingsDraft& draft) {
  // Asked again while open (the tray menu stays usable): the open dialog
  // comes to the front with what the user has put in it so far.
  if (frame_) {
    SetForegroundWindow(frame_);
    return false;
  }
  for (const auto& page : pages_) page->Fill(draft);
  draft_ = &draft;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS_FRAME),
                                         owner_, &SettingsDialog::Procedure, reinterpret_cast<LPARAM>(this));
  draft_ = nullptr;
  return result == IDOK;
}

INT_PTR CALLBACK SettingsDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<SettingsDialog*>(lParam)->frame_ = dialog;
  }
  auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    self->frame_ = nullptr;
    return FALSE;
  }
  return platform::Guarded<INT_PTR>(FALSE, [&] { return self->HandleMessage(message, wParam, lParam); });
}

INT_PTR SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      FormShow();
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_SETTINGS_TREE && header->code == TVN_SELCHANGEDW) ShowSelectedPage();
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOkClick();
          return TRUE;
        case IDCANCEL:
          EndDialog(frame_, IDCANCEL);
          return TRUE;
      }
      return FALSE;
    case WM_DPICHANGED:
      platform::TakeSuggestedPlace(frame_, wParam, lParam);
      LayOut(HIWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      // The panel gives its page back as it goes.
      panel_.reset();
      return FALSE;
    default:
      return FALSE;
  }
}

void SettingsDialog::FormCreate() {
  // The client area and the controls at their pixel places (at the scale of
  // the frame's monitor), whatever the dialog font makes of the template's
  // units; centred on the screen.
  dpi_.Attach(frame_);
  panel_ = std::make_unique<TFormPanel>(frame_, RECT{});
  PlaceControls();
  RECT frame;
  GetWindowRect(frame_, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(frame_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const HWND tree = Tree();
  // Right after the tree in the tab order.
  SetWindowPos(panel_->Handle(), tree, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  for (const auto& page : pages_) {
    const std::wstring text = platform::Utf8ToWide(page->NodeName());
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    TreeView_InsertItem(tree, &insert);
  }
}

void SettingsDialog::PlaceControls() {
  // The pages were made at start-up, perhaps on another monitor.
  for (const auto& page : pages_) page->FollowDpi(dpi_.Dpi());
  const FrameScale px = MeasureFrameScale();
  RECT frame{0, 0, px.X(kClientSize.cx), px.Y(kClientSize.cy)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(frame_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(frame_, GWL_EXSTYLE)));
  SetWindowPos(frame_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Place(Tree(), px.Of(kTreePlace));
  Place(GetDlgItem(frame_, IDOK), px.Of(kOkPlace));
  Place(GetDlgItem(frame_, IDCANCEL), px.Of(kCancelPlace));
  Place(panel_->Handle(), px.Of(kPanelPlace));
}

SettingsDialog::FrameScale SettingsDialog::MeasureFrameScale() const {
  // The frame's scale, unless a page's template (whose units grow with the
  // dialog font, not always in step with the scale) needs more room: then
  // the frame grows to hold it.
  FrameScale scale{dpi_.Dpi(), platform::kDefaultDpi, dpi_.Dpi(), platform::kDefaultDpi};
  RECT page{0, 0, kPageUnits.cx, kPageUnits.cy};
  MapDialogRect(pages_.front()->Handle(), &page);
  if (page.right * scale.xDivisor > kPanelPlace.right * scale.x) scale.x = page.right, scale.xDivisor = kPanelPlace.right;
  if (page.bottom * scale.yDivisor > kPanelPlace.bottom * scale.y) scale.y = page.bottom, scale.yDivisor = kPanelPlace.bottom;
  return scale;
}

void SettingsDialog::LayOut(int dpi) {
  // The frame's font and its controls at the new scale, then their places
  // from the geometry above (no rounding adds up over several moves).
  if (dpi_.Follow(dpi)) PlaceControls();
}

void SettingsDialog::FormShow() {
  const HWND tree = Tree();
  TreeView_SelectItem(tree, TreeView_GetRoot(tree));
}

void SettingsDialog::ShowSelectedPage() {
  const HWND tree = Tree();
  wchar_t text[64] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetSelection(tree);
  item.pszText = text;
  item.cchTextMax = 64;
  if (!item.hItem || !TreeView_GetItem(tree, &item)) return;
  const std::string name = platform::WideToUtf8(text);
  for (const auto& page : pages_) {
    if (page->NodeName() == name) {
      panel_->SetHostedForm(page->Handle());
      return;
    }
  }
}

void SettingsDialog::OnOkClick() {
  // A text the settings could not keep is shown on its page, the user is
  // told, and the dialog stays open with nothing taken.
  const HWND tree = Tree();
  HTREEITEM node = TreeView_GetRoot(tree);
  for (const auto& page : pages_) {
    if (const std::optional<std::wstring> name = page->UnusableName()) {
      TreeView_SelectItem(tree, node);
      platform::TellNameUnusable(frame_, *name);
      return;
    }
    node = TreeView_GetNextSibling(tree, node);
  }
  for (const auto& page : pages_) page->Read(*draft_);
  EndDialog(frame_, IDOK);
}

}  // namespace tapestrel::settings_ui
