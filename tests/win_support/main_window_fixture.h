// The main window inside the test process, on the real Windows adapters and
// an INI file of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/clock_and_locale.h"
#include "platform/win32/desktop.h"
#include "platform/win32/file_system.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/registry.h"
#include "platform/win32/text.h"
#include "program/win32/main_window.h"
#include "win_support/files.h"

namespace tapestrel::testing {

class MainWindowFixture {
 public:
  explicit MainWindowFixture(const std::string& iniContent = "", const std::vector<std::string>& args = {})
      : profile_(folder_ / "Tapestrel.ini") {
    if (!iniContent.empty()) WriteFile(profile_.Path(), iniContent);
    form_ = std::make_unique<app::MainWindow>(app::AppPorts{profile_, locale_, clock_, files_, registry_,
                                                            desktop_, plugins_, folder_.Path() + "\\"},
                                              args);
  }

  app::MainWindow& Form() { return *form_; }
  const TempFolder& Folder() const { return folder_; }
  std::string Ini() const { return profile_.Path(); }

  // The captions of a menu's items ("-" for separators).
  static std::vector<std::wstring> MenuCaptions(HMENU menu) {
    std::vector<std::wstring> captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[256] = {};
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = 255;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      captions.push_back((info.fType & MFT_SEPARATOR) ? L"-" : std::wstring(text));
    }
    return captions;
  }

 private:
  TempFolder folder_;
  platform::ProfileFile profile_;
  platform::UserLocale locale_;
  platform::LocalClock clock_;
  platform::WindowsFileSystem files_;
  platform::CurrentUserRegistry registry_;
  platform::WindowsDesktop desktop_;
  app::NoPluginPictures plugins_;
  std::unique_ptr<app::MainWindow> form_;
};

}  // namespace tapestrel::testing
