// The main window's help commands: the help page beside the executable and
// the about box.
#include "program/win32/main_window.h"

#include <shellapi.h>

#include "app/help_url.h"
#include "program/win32/about_box.h"

namespace tapestrel::app {

void MainWindow::TapestrelHelpExecute() {
  const std::string url = HelpFileUrl(ports_.executableFolder);
  // The shell chooses the browser; a failure is not reported.
  ShellExecuteA(Handle(), "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::AboutDialogExecute() {
  AboutBox box([this] { TapestrelHelpExecute(); });
  box.ShowModal(Handle());
}

}  // namespace tapestrel::app
