// Refresh-rate pacing: detects a renderer that does not wait for the vertical blank and spaces its presents.
#include "platform/sdl/frame_pacer.h"

namespace sdlbackend {

namespace {

constexpr int32_t kAssumedRefreshRate = 60;
// Presents this many times in a row well under a period apart mean the renderer does not wait for the display;
// a renderer that does may still return early now and then while its queue fills.
constexpr int32_t kFastPresentsBeforePacing = 8;
// Over this many presents, a mean interval under 97% of the period is a renderer running ahead of the display; one
// that waits keeps to the period, or falls behind it when drawing takes longer.
constexpr int32_t kMeanWindow = 30;
constexpr int32_t kMeanPercent = 97;

}  // namespace

void FramePacer::SetRefreshRate(int32_t hertz, int32_t blanks) {
  if (hertz <= 0) hertz = kAssumedRefreshRate;
  refresh_ = std::chrono::duration_cast<Duration>(std::chrono::nanoseconds(1'000'000'000LL / hertz));
  period_ = refresh_ * (blanks > 1 ? blanks : 1);
}

FramePacer::Duration FramePacer::NextSlot(TimePoint now) {
  TimePoint next = slot_ + period_;
  if (next + period_ < now) next = now;
  slot_ = next;
  return next > now ? next - now : Duration::zero();
}

FramePacer::Duration FramePacer::WaitBeforePresent(TimePoint now) {
  if (pacing_) return NextSlot(now);
  if (period_ == refresh_ || !presentedBefore_) return Duration::zero();
  const TimePoint lastBlankAhead = lastPresent_ + period_ - refresh_ / 2;
  return lastBlankAhead > now ? lastBlankAhead - now : Duration::zero();
}

void FramePacer::Presented(TimePoint now) {
  if (presentedBefore_ && !pacing_) {
    const bool fast = (now - lastPresent_) * 4 < period_ * 3;
    fastPresents_ = fast ? fastPresents_ + 1 : 0;
    if (++windowPresents_ == kMeanWindow) {
      const bool ahead = (now - windowStart_) * 100 < period_ * (kMeanPercent * kMeanWindow);
      fastPresents_ = ahead ? kFastPresentsBeforePacing : fastPresents_;
      windowPresents_ = 0;
      windowStart_ = now;
    }
    if (fastPresents_ >= kFastPresentsBeforePacing) {
      pacing_ = true;
      slot_ = now;
    }
  }
  if (!presentedBefore_) windowStart_ = now;
  presentedBefore_ = true;
  lastPresent_ = now;
}

FramePacer::Duration FramePacer::WaitWithoutPresent(TimePoint now) { return NextSlot(now); }

}  // namespace sdlbackend
