// The Windows program: the shared command line, then the session over DirectDraw, USER32 and WINMM, with the
// launch dialog from the program's resources.
#include <string>

#include "core/interface_block.h"

#include "host/session.h"
#include "host/vesk_command_line.h"
#include "platform/mixer/mixer.h"
#include "platform/win32/ddraw_video.h"
#include "platform/win32/win32_services.h"
#include "trace/trace_recorder.h"

// Last: windows.h renames MessageBox, which the headers above declare as the platform's own.
#include <windows.h>

namespace {

// A program without a console has a standard error only when it was given one (a console, a pipe, a file);
// otherwise a box says it.
void Say(const std::string& text, bool error) {
  const HANDLE stream = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE && GetFileType(stream) != FILE_TYPE_UNKNOWN &&
      WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return;
  }
  MessageBoxA(nullptr, text.c_str(), "vesk", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace

int main(int argc, char** argv) {
  VeskCommandLine line;
  std::string text;
  const int parsed = ParseVeskCommandLine(argc, argv, {}, line, &text);
  if (parsed >= 0) {
    Say(text, parsed != 0);
    return parsed;
  }
  TraceRecorder recorder;
  const bool recording = !line.tracePath.empty();
  if (recording && !StartRealTimeTrace(recorder, line.tracePath, &text)) {
    Say(text, true);
    return kStatusBadPreset;
  }
  platform::win32::NativePort port;
  platform::win32::DirectDrawVideo video(port);
  platform::win32::MultimediaTicker ticker;
  platform::win32::WaveOutput output;
  platform::Mixer music(output);
  HostSession session({video, port, ticker, music});
  session.SetPictureShape(line.stretch ? PictureShape::kStretch : PictureShape::kFourThree);
  if (recording) session.SetObserver(&recorder);
  platform::win32::Win32LaunchView view;
  int status = session.Run(view, line.preset);
  if (recording) {
    text.clear();
    status = CompleteRealTimeTrace(recorder, status, &text);
    if (!text.empty()) Say(text, status != 0);
  }
  return status;
}
