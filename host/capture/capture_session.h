// One headless capture: the show run on the simulated clock, each present and the sound sent to the outputs.
#pragma once

#include <cstdint>

#include "host/capture/capture_options.h"
#include "host/frame_observer.h"

// Sees every presented frame inside the --from/--to span, as the trace records it.
class FrameListener {
 public:
  virtual ~FrameListener() = default;
  virtual void OnFrame(const FrameHandOver& frame, uint64_t timeUnits) = 0;
};

struct CaptureSummary {
  uint64_t presents = 0;      // frames presented, in the span or not
  uint64_t endUnits = 0;      // simulated time when the capture ended
  uint64_t unitsPerSecond = 1;
};

// Runs the capture and writes its outputs. Returns the exit status: 0 on success, 1 after an error (reported on
// standard error). A listener, when given, is called for every frame written to the trace.
int RunCapture(const CaptureOptions& options, FrameListener* listener = nullptr, CaptureSummary* summary = nullptr);
// Replays options.verifyFile (VerifyTrace), listing options.maxReport differing frames and writing their pictures
// into options.dumpDir when given. Returns the verifier's status.
int RunVerify(const CaptureOptions& options);
