// The launch dialog and the About box of the Windows program: the dialog resources run with DialogBoxParam.
#pragma once

#include "host/launch_dialog.h"

class Win32LaunchDialog : public LaunchDialog {
 public:
  // Runs dialog resource 100 modally with no owner; "About" runs resource 101 over it.
  int32_t RunModal() override;
};
