// Span arithmetic in the headless clock's whole units, so presents, video slots and sound frames agree exactly.
#include "host/capture/capture_span.h"

#include <algorithm>
#include <cmath>

#include "platform/headless/headless.h"
#include "platform/music.h"

namespace {

uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

}  // namespace

CaptureSpan::CaptureSpan(const CaptureOptions& options)
    : unitsPerSecond_(headless::kUnitsPerFrameTime * options.fps) {
  if (options.fromSeconds) fromUnits_ = ToUnits(*options.fromSeconds);
  if (options.toSeconds) toUnits_ = ToUnits(*options.toSeconds);
  // The first and last sound frames at or after the span's ends.
  fromSample_ = CeilDiv(fromUnits_ * platform::kMixRate, unitsPerSecond_);
  if (toUnits_) toSample_ = CeilDiv(*toUnits_ * platform::kMixRate, unitsPerSecond_);
}

uint64_t CaptureSpan::ToUnits(double seconds) const {
  return static_cast<uint64_t>(std::llround(seconds * static_cast<double>(unitsPerSecond_)));
}

double CaptureSpan::Seconds(uint64_t units) const {
  return static_cast<double>(units) / static_cast<double>(unitsPerSecond_);
}

uint64_t CaptureSpan::EndOfWriting(uint64_t showEnd) const { return toUnits_ ? std::min(showEnd, *toUnits_) : showEnd; }

std::optional<double> CaptureSpan::LengthSeconds() const {
  if (!toUnits_) return std::nullopt;
  return Seconds(*toUnits_ - fromUnits_);
}

uint64_t CaptureSpan::SlotsBefore(uint64_t units) { return CeilDiv(units, headless::kUnitsPerFrameTime); }

uint64_t CaptureSpan::SlotStart(uint64_t slot) { return slot * headless::kUnitsPerFrameTime; }

CaptureSpan::SoundPart CaptureSpan::SoundInside(uint64_t first, uint64_t count) const {
  const uint64_t begin = std::max(first, fromSample_);
  const uint64_t end = toSample_ ? std::min(first + count, *toSample_) : first + count;
  if (begin >= end) return {0, 0};
  return {begin - first, end - begin};
}
