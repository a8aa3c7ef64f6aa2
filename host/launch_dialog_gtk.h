// The launch dialog and About box as GTK 3 windows over the launch dialog's model.
#pragma once

#include "host/launch_dialog.h"

class GtkLaunchDialog : public LaunchDialog {
 public:
  // argc and argv go to GTK when the dialog first runs, so that its own options (--display) work.
  GtkLaunchDialog(int* argc, char*** argv) : argc_(argc), argv_(argv) {}
  // Lists modeTable[1 .. modeCount - 1], runs modally, and on "Run Demo" writes the choices; kLaunchExit when the
  // user leaves or no display can be opened.
  int32_t RunModal() override;

 private:
  int* argc_;
  char*** argv_;
};
