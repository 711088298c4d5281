// The parts of the main window that add pictures: the file clipboard, the
// progress window, the overwrite question and the registration engine over
// the real files.
#pragma once

#include "app/picture_registration.h"
#include "app/win32/registration_files.h"
#include "platform/win32/clipboard_files.h"
#include "program/win32/main_window.h"
#include "program/win32/registration_progress_window.h"

namespace tapestrel::app {

struct MainWindow::Registration {
  explicit Registration(HWND owner)
      : clipboard(owner), progress(owner), question([this] { return progress.Handle(); }) {}

  platform::FileClipboard clipboard;
  RegistrationProgressWindow progress;
  OverwriteQuestionDialog question;
  WindowsRegistrationFiles files;
  PictureRegistration engine{{files, progress, question}};
};

}  // namespace tapestrel::app
