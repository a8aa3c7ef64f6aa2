// The launch dialog and About box as GTK 3 windows over the launch dialog's model.
#pragma once

#include "host/launch_dialog.h"
#include "host/launch_options.h"

class GtkLaunchDialog : public LaunchDialog {
 public:
  // argc and argv go to GTK when the dialog first runs, so that its own options (--display) work. preset: the
  // choices the dialog opens with (the mode and boxes given on the command line).
  GtkLaunchDialog(int* argc, char*** argv, const LaunchChoices& preset = {})
      : argc_(argc), argv_(argv), preset_(preset) {}
  // Lists modeTable[1 .. modeCount - 1], runs modally, and on "Run Demo" writes the choices; kLaunchExit when the
  // user leaves or no display can be opened; kLaunchBadChoice when the preset mode is not offered.
  int32_t RunModal() override;

 private:
  int* argc_;
  char*** argv_;
  LaunchChoices preset_;
};
