// Progress on standard error, rewritten in place with a carriage return.
#include "host/capture/capture_progress.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(250);

}  // namespace

CaptureProgress::CaptureProgress(bool enabled, double totalSeconds)
    : enabled_(enabled), totalSeconds_(totalSeconds), start_(Clock::now()), lastDrawn_(start_) {}

void CaptureProgress::Update(double showSeconds) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (drawn_ && now - lastDrawn_ < kRedrawEvery) return;
  lastDrawn_ = now;
  drawn_ = true;
  const double share = totalSeconds_ > 0 ? std::clamp(showSeconds / totalSeconds_, 0.0, 1.0) : 1.0;
  const int filled = static_cast<int>(share * kBarWidth);
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  std::fprintf(stderr, "\r[%.*s%*s] %6.1f s %3d%%", filled, "##############################", kBarWidth - filled,
               "", showSeconds, static_cast<int>(share * 100));
  // The rest is expected to go at the pace so far.
  if (share > 0.01 && share < 1.0) {
    const int left = static_cast<int>(elapsed * (1.0 - share) / share + 0.5);
    std::fprintf(stderr, "  %d:%02d left   ", left / 60, left % 60);
  } else {
    std::fputs("              ", stderr);
  }
  std::fflush(stderr);
}

void CaptureProgress::Step(const std::string& what) {
  if (!enabled_) return;
  std::fprintf(stderr, "\r%-*s", kBarWidth + 30, what.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void CaptureProgress::Done() {
  if (enabled_ && drawn_) std::fputc('\n', stderr);
  drawn_ = false;
}
