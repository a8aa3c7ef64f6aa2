// vesk-capture: the whole show rendered headless on a simulated clock, written as pictures, video, sound or trace.
#include "host/capture/capture_options.h"
#include "host/capture/capture_session.h"
#include "trace/trace_verify.h"

int main(int argc, char** argv) {
  CaptureOptions options;
  const int status = ParseCaptureOptions(argc, argv, options);
  if (status >= 0) return status;
  if (!options.verifyFile.empty()) return VerifyTrace(options.verifyFile, stdout, stderr);
  return RunCapture(options);
}
