// The launch view run in a child process of its own (POSIX), so that the dialog's toolkit never enters the show's.
#pragma once

#include "platform/launch_view.h"

namespace platform {

// Runs inner in a forked child that answers through a pipe and leaves without exit handlers. What the dialog
// loads and allocates (its libraries' state, fonts, themes, its display connection) goes with the child, and the
// child's teardown overlaps the show's start-up. The child touches nothing this process owns.
class ForkedLaunchView : public LaunchView {
 public:
  explicit ForkedLaunchView(LaunchView& inner) : inner_(inner) {}
  // Anything but a whole answer (the child crashed, was killed, wrote nothing) means "Exit", and so does an
  // interrupt request (platform/interrupt.h) while the dialog is up: the child is killed. The child is always
  // reaped before this returns. When no child can be started, inner runs here.
  LaunchChoice Run(const LaunchOffer& offer) override;

 private:
  LaunchView& inner_;
};

}  // namespace platform
