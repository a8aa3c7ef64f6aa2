// The progress line of a capture on a terminal: show time done, share, and the time still to wait.
#pragma once

#include <chrono>
#include <string>

class CaptureProgress {
 public:
  // Shows nothing unless enabled (a person watches standard error). totalSeconds is the show time to capture.
  CaptureProgress(bool enabled, double totalSeconds);
  // showSeconds of the show are done; redrawn at most a few times a second.
  void Update(double showSeconds);
  // A last step after the show (finishing the video): named on the line until Done.
  void Step(const std::string& what);
  // Ends the line.
  void Done();

 private:
  using Clock = std::chrono::steady_clock;

  bool enabled_;
  double totalSeconds_;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
  bool drawn_ = false;
};
