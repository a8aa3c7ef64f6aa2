// The launch dialog and the About box as GTK 3 windows.
#pragma once

#include "platform/launch_view.h"

namespace platform {

class GtkLaunchView : public LaunchView {
 public:
  // argc and argv go to GTK when the dialog first runs, so that its own options (--display) work. trace, when
  // given, hears the moment "Run Demo" is chosen ("run-demo").
  GtkLaunchView(int* argc, char*** argv, void (*trace)(const char* event) = nullptr)
      : argc_(argc), argv_(argv), trace_(trace) {}
  // Without a display: one line on standard error and no show. An interrupt or terminate signal while the dialog
  // is up means "Exit".
  LaunchChoice Run(const LaunchOffer& offer) override;

 private:
  int* argc_;
  char*** argv_;
  void (*trace_)(const char*);
};

}  // namespace platform
