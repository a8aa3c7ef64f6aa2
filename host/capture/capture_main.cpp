// vesk-capture: the whole show rendered headless on a simulated clock, written as pictures, video, sound or trace.
#include "host/capture/capture_options.h"
#include "host/capture/capture_session.h"

int main(int argc, char** argv) {
  CaptureOptions options;
  const int status = ParseCaptureOptions(argc, argv, options);
  if (status >= 0) return status;
  if (!options.verifyFile.empty()) return RunVerify(options);
  return RunCapture(options);
}
