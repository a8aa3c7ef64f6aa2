// Display set-up for the full-screen and the windowed way: the steps' order is the device's, the texts are ours.
#include "display/display_setup.h"

const char* SetupErrorText(platform::VideoStep step) {
  switch (step) {
    case platform::VideoStep::kCreate: return "DirectDrawCreate error";
    case platform::VideoStep::kCurrentMode: return "GetDisplayMode error";
    case platform::VideoStep::kCooperativeLevel: return "SetCooperativeLevel error";
    case platform::VideoStep::kDisplayMode: return "SetDisplayMode error";
    case platform::VideoStep::kPrimarySurface: return "CreateSurface error";
    case platform::VideoStep::kBackBuffer: return "GetAttachedSurface error";
    case platform::VideoStep::kClipper: return "CreateClipper error";
    case platform::VideoStep::kWorkSurface: return "CreateSurface error";
  }
  return "CreateSurface error";
}

bool SetupDisplay(platform::VideoDevice& video, const DisplayMode& mode, bool windowed) {
  platform::VideoStatus status;
  if (windowed) {
    status = video.OpenWindowed({kWindowedTitle, mode.width, mode.height});
  } else {
    video.ShowCursor(false);
    status = video.OpenFullScreen({kFullScreenTitle, mode.width, mode.height}, mode.depth);
  }
  if (status.ok()) return true;
  video.MessageBox(SetupErrorText(status.step), kDisplayErrorCaption, false);
  if (!windowed) video.DestroyWindow();
  return false;
}
