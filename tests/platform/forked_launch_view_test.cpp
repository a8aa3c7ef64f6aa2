// The launch view in a forked child: the choice comes back whole, anything else is "Exit", and no child is left.
#include "platform/posix/forked_launch_view.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/interrupt.h"

namespace {

using platform::LaunchChoice;
using platform::LaunchOffer;

const LaunchOffer kOffer = {{"320x200x32", "640x480x16"}, 1, true, false};

// A view that runs act in the child.
class ScriptedView : public platform::LaunchView {
 public:
  explicit ScriptedView(std::function<LaunchChoice(const LaunchOffer&)> act) : act_(std::move(act)) {}
  LaunchChoice Run(const LaunchOffer& offer) override { return act_(offer); }

 private:
  std::function<LaunchChoice(const LaunchOffer&)> act_;
};

LaunchChoice RunForked(std::function<LaunchChoice(const LaunchOffer&)> act) {
  ScriptedView inner(std::move(act));
  return platform::ForkedLaunchView(inner).Run(kOffer);
}

// No child of this process is left, not even a zombie.
void ExpectNoChildLeft() {
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(ForkedLaunchView, TheChoiceCrossesWhole) {
  const LaunchChoice first = RunForked([](const LaunchOffer& offer) {
    return LaunchChoice{true, offer.selection + 257, false, true, false};
  });
  EXPECT_TRUE(first.runDemo);
  EXPECT_EQ(first.item, 258);
  EXPECT_FALSE(first.windowed);
  EXPECT_TRUE(first.loop);
  EXPECT_FALSE(first.nosound);
  const LaunchChoice second = RunForked([](const LaunchOffer&) { return LaunchChoice{true, -1, true, false, true}; });
  EXPECT_TRUE(second.runDemo);
  EXPECT_EQ(second.item, -1);
  EXPECT_TRUE(second.windowed);
  EXPECT_FALSE(second.loop);
  EXPECT_TRUE(second.nosound);
  ExpectNoChildLeft();
}

TEST(ForkedLaunchView, AChildStartedEarlyGetsTheWholeOfferAndGoesWhenNoneComes) {
  const LaunchOffer offer = {{"", "1024x768x32", std::string(5000, 'm')}, 2, false, true};
  {
    ScriptedView inner([&offer](const LaunchOffer& got) {
      const bool same = got.modes == offer.modes && got.selection == offer.selection &&
                        got.windowed == offer.windowed && got.nosound == offer.nosound;
      return LaunchChoice{same, 7, true, false, false};
    });
    platform::ForkedLaunchView view(inner);
    view.StartEarly();
    const LaunchChoice choice = view.Run(offer);
    EXPECT_TRUE(choice.runDemo);
    EXPECT_EQ(choice.item, 7);
    // The next dialog is a child of its own, forked when it runs.
    EXPECT_EQ(view.Run(offer).item, 7);
  }
  {
    ScriptedView inner([](const LaunchOffer&) -> LaunchChoice { abort(); });
    platform::ForkedLaunchView view(inner);
    view.StartEarly();
  }
  ExpectNoChildLeft();
}

TEST(ForkedLaunchView, AChildThatGoesWithoutAnsweringMeansExit) {
  EXPECT_FALSE(RunForked([](const LaunchOffer&) -> LaunchChoice { abort(); }).runDemo);
  EXPECT_FALSE(RunForked([](const LaunchOffer&) -> LaunchChoice { _exit(0); }).runDemo);
  EXPECT_FALSE(RunForked([](const LaunchOffer&) -> LaunchChoice { throw 1; }).runDemo);
  // Its end of the pipe held open by a process of its own: the child's end is seen all the same, and soon.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunForked([](const LaunchOffer&) -> LaunchChoice {
                 if (fork() == 0) {
                   close(STDOUT_FILENO);  // nor does it keep the test runner waiting for the output's end
                   close(STDERR_FILENO);
                   sleep(3);
                   _exit(0);
                 }
                 _exit(0);
               }).runDemo);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ExpectNoChildLeft();
}

TEST(ForkedLaunchView, AnInterruptWhileWaitingKillsTheChildAndMeansExit) {
  platform::WatchInterrupts();
  std::thread interrupter([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(getpid(), SIGTERM);
  });
  const auto start = std::chrono::steady_clock::now();
  const LaunchChoice choice = RunForked([](const LaunchOffer&) {
    sleep(30);
    return LaunchChoice{true, 0, false, false, false};
  });
  const auto waited = std::chrono::steady_clock::now() - start;
  interrupter.join();
  EXPECT_FALSE(choice.runDemo);
  EXPECT_LT(waited, std::chrono::seconds(2));
  EXPECT_EQ(platform::InterruptStatus(), platform::kTerminatedStatus);
  platform::StopWatchingInterrupts();
  ExpectNoChildLeft();
}

}  // namespace
