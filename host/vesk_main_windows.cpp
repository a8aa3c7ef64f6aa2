// The Windows program: the launch dialog from the program's dialog resource, then the show.
#include "host/host_main.h"
#include "platform/win32/win32_launch_dialog.h"

int main() {
  Win32LaunchDialog dialog;
  return HostMain(dialog);
}
