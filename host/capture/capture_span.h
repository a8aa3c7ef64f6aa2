// The --from/--to span on the headless clock: which presents, video slots and sound frames it holds.
#pragma once

#include <cstdint>
#include <optional>

#include "host/capture/capture_options.h"

class CaptureSpan {
 public:
  explicit CaptureSpan(const CaptureOptions& options);

  double Seconds(uint64_t units) const;
  // Whether a present at units, or a video slot starting there, is written.
  bool Contains(uint64_t units) const { return units >= fromUnits_ && (!toUnits_ || units < *toUnits_); }
  // Whether nothing at or after units is written.
  bool EndedAt(uint64_t units) const { return toUnits_ && units >= *toUnits_; }
  // The capture's end: the show's end, or the span's when that comes first.
  uint64_t EndOfWriting(uint64_t showEnd) const;
  uint64_t fromUnits() const { return fromUnits_; }
  // The span's length in seconds, when it has an end.
  std::optional<double> LengthSeconds() const;

  // Video slot n is the frame of the video that shows n / fps; the number of slots that start before units.
  static uint64_t SlotsBefore(uint64_t units);
  static uint64_t SlotStart(uint64_t slot);

  // Of the sound frames [first, first + count) of the show, the part inside the span, as an offset into them
  // and a count (0 when none).
  struct SoundPart {
    uint64_t offset;
    uint64_t count;
  };
  SoundPart SoundInside(uint64_t first, uint64_t count) const;

 private:
  uint64_t ToUnits(double seconds) const;

  uint64_t unitsPerSecond_;
  uint64_t fromUnits_ = 0;
  std::optional<uint64_t> toUnits_;
  uint64_t fromSample_ = 0;
  std::optional<uint64_t> toSample_;
};
