// The real-time backend over SDL2: the video device with the show window's events, the ticker and the audio output.
#pragma once

#include <SDL.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio_output.h"
#include "platform/events.h"
#include "platform/sdl/frame_pacer.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_renderer.h"
#include "platform/ticker.h"
#include "platform/video.h"

namespace platform {

// Under VESK_TRACE: one timestamped line on standard error, for measuring the program from outside.
void TraceEvent(const char* event);

// Full screen is a borderless window of the mode's size; windowed, a framed one; either may switch to the desktop's
// full screen and back. Either way the work surface is a streaming texture the host packs into, stretched by the
// renderer when presented: by nearest pixel, or sharp, where each output pixel is the source pixels it covers
// weighted by how much of it each covers (columns here into a texture of the picture's width, then rows by the
// renderer onto the output; on the software renderer, rows here too, into a texture of the output's size). Where
// presents are paced here, a present of the picture last drawn, unchanged and in the same place, draws nothing.
class SdlVideo : public VideoDevice, public EventSource {
 public:
  ~SdlVideo() override;

  // VideoDevice (sdl_video.cpp).
  VideoStatus Create() override;
  VideoStatus CurrentMode(VideoMode& desktop) override;
  void ForEachMode(const std::function<void(const VideoMode&)>& each) override;
  void ShowCursor(bool shown) override;
  VideoStatus OpenFullScreen(const ShowWindowSpec& window, int32_t depth) override;
  VideoStatus OpenWindowed(const ShowWindowSpec& window) override;
  void ShowWindow() override;
  void DestroyWindow() override;
  void Release() override;
  void MessageBox(const char* text, const char* caption, bool ownedByShowWindow) override;
  // The presenting side (sdl_present.cpp).
  Access Lock(WorkTarget& target) override;
  void Unlock() override;
  Access Present(const Rect& source, const Rect& picture) override;
  void Restore() override;
  bool ToggleFullScreen() override;
  bool OutputSize(int32_t& width, int32_t& height) override;
  void SetPictureFilter(PictureFilter filter) override {
    filter_ = filter;
    redraw_ = true;
  }

  // EventSource (sdl_events.cpp). A frame that presented nothing (the program is not active) is held here to the
  // display's rate instead of spinning.
  void SetSink(EventSink* sink) override { sink_ = sink; }
  void DispatchPending() override;

 protected:
  // Between drawing a present and showing it (the tests read the picture back here).
  virtual void OnDrawn(SDL_Renderer* renderer) { (void)renderer; }
  // Gives the window a black background and fills it with it (sdlbackend::ClearToBlack); false where the window
  // system cannot.
  virtual bool ClearWindowToBlack();

 private:
  SDL_Window* NewWindow(const ShowWindowSpec& shown, Uint32 flags);
  bool SwitchDisplayMode(int32_t width, int32_t height, int32_t depth);
  // The renderer and the work texture; false (the device lost) when either cannot be made.
  bool MakeRenderer();
  bool MakeWorkTexture();
  void ForgetRenderer();
  // Copies the locked picture into picture_, widening the band of rows changed since the last drawing.
  void KeepPicture();
  // Sharp: brings the sharp texture up to date with the changed rows of the picture; false when there is no copy
  // of the picture, the renderer cannot make the texture, or the picture is narrower or lower than its source.
  // Then draws it onto the output at to, or on the software renderer only the rows the last Sharpen changed.
  // onBlank: the window shows only its black background, and only the rows that are not black need showing.
  bool Sharpen(const SDL_Rect& from, const SDL_Rect& to, bool onBlank);
  bool SharpRows(const SDL_Rect& to, bool changedRowsOnly);
  // Source rows top to bottom of from stretched to the sharp texture's width: into memory, pitch bytes a row, or
  // when that is null into the sharp texture.
  bool ExpandRows(const SDL_Rect& from, int32_t top, int32_t bottom, uint32_t* memory, int pitch);
  // Straight into the window's surface: output rows first to first + count of the picture, mixed from the
  // stretched source rows, into pixels, rows pitch bytes apart.
  void ComposeRows(int32_t first, int32_t count, uint8_t* pixels, int pitch);
  void Deliver(ShowEvent event);
  void Translate(const SDL_Event& event);

  sdlbackend::RendererProbe probe_;
  EventSink* sink_ = nullptr;
  bool videoStarted_ = false;
  bool created_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Window* orphan_ = nullptr;  // a window another program destroyed: kept only to give the display mode back
  uint64_t systemId_ = 0;         // the window system's own id of the window (X11), 0 when unknown
  bool fullScreen_ = false;        // in the display mode full screen started with
  bool desktopFullScreen_ = false;  // switched to the desktop's full screen
  SDL_DisplayMode fullScreenMode_ = {};
  int32_t windowWidth_ = 0;  // the size the window takes when switched out of full screen
  int32_t windowHeight_ = 0;
  int32_t cursorCount_ = 0;
  // The Wayland compositor offers no seat: until SDL's video starts elsewhere, SDL would put a message box there
  // (through zenity), where nobody can see or answer it.
  bool seatless_ = false;

  sdlbackend::RendererPtr renderer_;
  // SDL's software renderer drawing into a window surface of 32-bit pixels, which the sharp picture is then
  // composed into directly; it would copy unscaled rows cheaply but blend them dearly.
  bool directSurface_ = false;
  // The window shows nothing but the black the window system fills it with (it was given a black background and
  // nothing has been drawn since); then what the surface holds does not matter.
  bool blankWindow_ = false;
  sdlbackend::TexturePtr work_;
  PictureFilter filter_ = PictureFilter::kNearest;
  std::vector<uint32_t> picture_;  // the picture as last unlocked, 32-bit, for kSharp and while paced
  int32_t changedTop_ = 0;         // the rows of picture_ changed since the last drawing, top to bottom
  int32_t changedBottom_ = 0;
  bool redraw_ = true;  // what the window shows is gone or out of date, whatever the picture
  SDL_Rect drawnFrom_ = {};  // where the last drawing was taken from, put, and on what output size
  SDL_Rect drawnTo_ = {};
  SDL_Rect drawnOutput_ = {};
  int32_t presentsHeld_ = 0;      // presents that left the last drawing on show
  sdlbackend::TexturePtr sharp_;  // the picture stretched to its width, but for directSurface_
  bool sharpReady_ = false;       // sharp_ (where used) and the tables below are made for sharpFrom_ and sharpWidth_
  int32_t sharpWidth_ = 0;
  SDL_Rect sharpFrom_ = {};
  SDL_Rect sharpChanged_ = {};  // directSurface_: the output rows the last Sharpen changed
  // A source column's output: copies of it, then where the next starts within an output column, the two mixed,
  // the next taking weight / 256.
  struct ColumnRun {
    int32_t copies;
    uint16_t weight;
  };
  std::vector<ColumnRun> sharpColumns_;
  std::vector<sdlbackend::Straddle> sharpRows_;  // every row: its first source row, and alpha to the next
  int32_t sharpRowsFor_ = 0;                     // the picture height sharpRows_ was worked out for
  std::unique_ptr<uint32_t[]> sharpExpanded_;    // directSurface_: the source rows stretched to its width
  size_t sharpExpandedSize_ = 0;                 // pixels in sharpExpanded_
  int32_t workWidth_ = 0;
  int32_t workHeight_ = 0;
  PixelLayout workLayout_;
  bool lost_ = false;
  uint8_t* locked_ = nullptr;
  int lockedPitch_ = 0;
  sdlbackend::FramePacer pacer_;
  bool presentedSincePump_ = false;
  int32_t presents_ = 0;
  bool pictureSeen_ = false;
};

// The tick on a thread of its own, on a fixed grid of deadlines; a period missed while late is not made up.
class ThreadTicker : public Ticker {
 public:
  ~ThreadTicker() override { Stop(); }
  bool Start(int32_t periodMs, std::function<void()> tick) override;
  void Stop() override;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

// SDL's audio device, fed from its own thread.
class SdlAudioOutput : public AudioOutput {
 public:
  SdlAudioOutput();
  ~SdlAudioOutput() override { Close(); }
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;
  bool Open(int32_t rate, Render render, const char** why) override;
  void Close() override;

 private:
  Render render_;
  SDL_AudioDeviceID device_ = 0;
  std::string why_;
  std::thread::id owner_;  // the thread that made the output, which SDL may know
};

}  // namespace platform
