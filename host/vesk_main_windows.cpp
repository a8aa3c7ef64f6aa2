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

enum class Stream { kOutput, kError };

bool WriteAll(HANDLE stream, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    DWORD written = 0;
    if (!WriteFile(stream, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// A program without a console has standard streams only when it was given them (a console, a pipe, a file);
// otherwise a box says it. As on Linux, the help goes to standard output and the errors to standard error.
void Say(const std::string& text, Stream to) {
  const HANDLE stream = GetStdHandle(to == Stream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE && GetFileType(stream) != FILE_TYPE_UNKNOWN &&
      WriteAll(stream, text)) {
    return;
  }
  MessageBoxA(nullptr, text.c_str(), "vesk", MB_OK | (to == Stream::kError ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace

int main(int argc, char** argv) {
  VeskCommandLine line;
  std::string text;
  const int parsed = ParseVeskCommandLine(argc, argv, {}, line, &text);
  if (parsed >= 0) {
    Say(text, parsed == 0 ? Stream::kOutput : Stream::kError);
    return parsed;
  }
  TraceRecorder recorder;
  const bool recording = !line.tracePath.empty();
  if (recording && !StartRealTimeTrace(recorder, line.tracePath, &text)) {
    Say(text, Stream::kError);
    return kStatusBadPreset;
  }
  platform::win32::NativePort port;
  platform::win32::DirectDrawVideo video(port);
  platform::win32::MultimediaTicker ticker;
  platform::win32::WaveOutput output;
  platform::Mixer music(output);
  HostSession session({video, port, ticker, music});
  session.SetPictureShape(line.stretch ? PictureShape::kStretch : PictureShape::kFourThree);
  session.SetPictureScale(line.scale);
  video.SetMaxPresentRate(line.maxFps);
  if (recording) session.SetObserver(&recorder);
  platform::win32::Win32LaunchView view;
  int status = session.Run(view, line.preset);
  if (recording) {
    text.clear();
    status = CompleteRealTimeTrace(recorder, status, &text);
    if (!text.empty()) Say(text, Stream::kError);
  }
  return status;
}
