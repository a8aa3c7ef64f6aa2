// The launch view run in a child process of its own (POSIX), so that the dialog's toolkit never enters the show's.
#pragma once

#include <sys/types.h>

#include "platform/launch_view.h"

namespace platform {

// Runs inner in a forked child that answers through a pipe and leaves without exit handlers. What the dialog
// loads and allocates (its libraries' state, fonts, themes, its display connection) goes with the child. The child
// touches nothing this process owns.
class ForkedLaunchView : public LaunchView {
 public:
  // trace, when given, hears the moment the answer has arrived ("launch-answered").
  explicit ForkedLaunchView(LaunchView& inner, void (*trace)(const char* event) = nullptr)
      : inner_(inner), trace_(trace) {}
  ~ForkedLaunchView() override;
  // Starts the child now, while this process is still small and has one thread: it waits for the offer that the
  // first Run sends. After a fork, every page the two share costs a fault when this process next writes it;
  // forked before the show's start-up, they are few. A child started early and never sent an offer is told to
  // go when this object goes.
  void StartEarly();
  ForkedLaunchView(const ForkedLaunchView&) = delete;
  ForkedLaunchView& operator=(const ForkedLaunchView&) = delete;

  // Anything but a whole answer (the child crashed, was killed, wrote nothing) means "Exit", and so does an
  // interrupt request (platform/interrupt.h) while the dialog is up: the child is killed and reaped. A child that
  // answered may still be tearing itself down: it is reaped then, or later by the destructor, so that its
  // teardown overlaps the show's start-up. When no child can be started, inner runs here.
  LaunchChoice Run(const LaunchOffer& offer) override;

 private:
  // The answer read from answerFd as child gives it, as Run describes; closes answerFd.
  LaunchChoice Await(pid_t child, int answerFd);

  LaunchView& inner_;
  void (*trace_)(const char*);
  pid_t leaving_ = -1;  // the child that answered and is not reaped yet
  pid_t waiting_ = -1;  // the child started early, waiting for its offer on offerFd_ to answer on answerFd_
  int offerFd_ = -1;
  int answerFd_ = -1;
};

}  // namespace platform
