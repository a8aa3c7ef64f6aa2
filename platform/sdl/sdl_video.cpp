// The SDL video device's set-up: starting the video, the display's modes, the show window full screen or windowed,
// the cursor, message boxes, and giving it all up.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/screen.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace platform {

namespace {

constexpr int kDisplayIndex = 0;

bool IsVirtualDriver(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// The host's message box names only the failing step; the cause goes to standard error beside it. Unless named,
// the display is the one the variables point at, X's first.
void SayDisplayFails(const std::string& reason, std::string name = "") {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = SDL_getenv(variable);
    if (!name.empty() || value == nullptr || value[0] == '\0') continue;
    name = std::string("\"") + value + "\" (" + variable + ")";
  }
  if (name.empty()) name = "none named (DISPLAY and WAYLAND_DISPLAY are not set)";
  std::fprintf(stderr, "vesk: the display %s cannot be opened: %s\n", name.c_str(), reason.c_str());
}

std::vector<sdlbackend::ModeEntry> DisplayModes() {
  std::vector<SDL_DisplayMode> modes;
  const int count = SDL_GetNumDisplayModes(kDisplayIndex);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(kDisplayIndex, i, &mode) == 0) modes.push_back(mode);
  }
  return sdlbackend::DistinctModes(modes);
}

}  // namespace

SdlVideo::~SdlVideo() {
  sink_ = nullptr;
  Release();
  DestroyWindow();
  // SDL would tidy up a window another program destroyed, and the window system's errors for it would end the
  // program at its last step; the window system frees what is left of it when the program disconnects.
  if (videoStarted_ && orphan_ == nullptr) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

VideoStatus SdlVideo::Create() {
  if (!videoStarted_) {
    // Decided before the renderer probe forks, so that its child starts the same driver and is spared the crash.
    const sdlbackend::WaylandPlan plan = sdlbackend::PlanForWaylandSeat();
    seatless_ = plan != sdlbackend::WaylandPlan::kLeaveToSdl;
    switch (plan) {
      case sdlbackend::WaylandPlan::kLeaveToSdl: break;
      case sdlbackend::WaylandPlan::kOnlyX11:
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        sdlbackend::Trace("wayland-without-seat x11");
        break;
      case sdlbackend::WaylandPlan::kRefuse:
        SayDisplayFails("the Wayland compositor offers no seat (no keyboard or pointer), and SDL's Wayland driver "
                        "cannot run without one",
                        sdlbackend::WaylandDisplayName());
        return VideoStatus::Failed(VideoStep::kCreate);
    }
    if (!IsVirtualDriver(SDL_getenv("SDL_VIDEODRIVER"))) probe_.Start();
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      const std::string reason = SDL_GetError();
      const std::string x = sdlbackend::WhyDisplayFails();
      SayDisplayFails(x.empty() ? reason : x);
      return VideoStatus::Failed(VideoStep::kCreate);
    }
    // Without an X or Wayland session SDL falls back to drawing off screen; that is no display for a show, unless
    // asked for by name.
    if (IsVirtualDriver(SDL_GetCurrentVideoDriver()) && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      // SDL keeps no reason for the real drivers it passed over; asking the X one again gives it.
      const std::string reason = sdlbackend::WhyDisplayFails();
      SayDisplayFails(reason.empty() ? "no X or Wayland session" : reason);
      return VideoStatus::Failed(VideoStep::kCreate);
    }
    // The system's own window events, for the one that SDL does not pass on: a window destroyed by another program.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    // The show hides the pointer as it starts. The first hiding builds SDL's blank pointer, which under X passes
    // through the cursor theme's look-up (index files read and parsed) between Run Demo and the first frame.
    // Built here instead, while the launch dialog is open, and kept by SDL; the pointer stays shown.
    SDL_ShowCursor(SDL_DISABLE);
    SDL_ShowCursor(SDL_ENABLE);
    videoStarted_ = true;
    sdlbackend::Trace("video-started");
  }
  created_ = true;
  sdlbackend::Trace("display-created");
  return VideoStatus::Ok();
}

VideoStatus SdlVideo::CurrentMode(VideoMode& desktop) {
  SDL_DisplayMode mode;
  if (!created_) return VideoStatus::Failed(VideoStep::kCurrentMode, VideoFault::kInvalidObject);
  if (SDL_GetDesktopDisplayMode(kDisplayIndex, &mode) != 0) return VideoStatus::Failed(VideoStep::kCurrentMode);
  desktop = {mode.w, mode.h, sdlbackend::DescribeFormat(mode.format)};
  return VideoStatus::Ok();
}

void SdlVideo::ForEachMode(const std::function<void(const VideoMode&)>& each) {
  if (!created_) return;
  for (const sdlbackend::ModeEntry& entry : DisplayModes()) each({entry.mode.w, entry.mode.h, entry.layout});
}

void SdlVideo::ShowCursor(bool shown) {
  cursorCount_ += shown ? 1 : -1;
  if (videoStarted_) SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

SDL_Window* SdlVideo::NewWindow(const ShowWindowSpec& shown, Uint32 flags) {
  if (!created_) return nullptr;
  ForgetRenderer();
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  // A window made for GL from the start, so that the accelerated renderer does not make SDL build it again. On a
  // high-density display the renderer draws in real pixels; the host sizes the picture from OutputSize.
  if (probe_.WantsGlWindow()) flags |= SDL_WINDOW_OPENGL;
  flags |= SDL_WINDOW_ALLOW_HIGHDPI;
  windowWidth_ = shown.width;
  windowHeight_ = shown.height;
  desktopFullScreen_ = false;
  window_ = SDL_CreateWindow(shown.title != nullptr ? shown.title : "", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             shown.width, shown.height, flags | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) {
    std::fprintf(stderr, "vesk: the show window cannot be created: %s\n", SDL_GetError());
    return nullptr;
  }
  systemId_ = sdlbackend::SystemWindowId(window_);
  sdlbackend::Trace("window-created");
  return window_;
}

bool SdlVideo::SwitchDisplayMode(int32_t width, int32_t height, int32_t depth) {
  for (const sdlbackend::ModeEntry& entry : DisplayModes()) {
    if (entry.mode.w != width || entry.mode.h != height || entry.layout.bitsPerPixel != depth) continue;
    if (SDL_SetWindowDisplayMode(window_, &entry.mode) != 0) return false;
    SDL_SetWindowSize(window_, width, height);
    // The desktop's own mode needs no switch: the pop-up covers the display and the window manager is asked to
    // keep it full screen as it maps it. SDL's full screen would wait a tenth of a second for a window manager
    // to answer when the window is shown, which without one (a virtual display) never comes.
    SDL_DisplayMode desktop;
    SDL_Rect bounds;
    const bool desktopMode = SDL_GetDesktopDisplayMode(kDisplayIndex, &desktop) == 0 && desktop.w == width &&
                             desktop.h == height && sdlbackend::DescribeFormat(desktop.format).bitsPerPixel == depth &&
                             SDL_GetDisplayBounds(kDisplayIndex, &bounds) == 0;
    if (desktopMode) SDL_SetWindowPosition(window_, bounds.x, bounds.y);
    if (!(desktopMode && sdlbackend::RequestFullScreenBeforeMapping(window_)) &&
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0) {
      return false;
    }
    fullScreen_ = true;
    fullScreenMode_ = entry.mode;
    sdlbackend::Trace("full-screen-set");
    return true;
  }
  return false;
}

bool SdlVideo::MakeRenderer() {
  if (window_ == nullptr || (renderer_ = probe_.CreateRenderer(window_)) == nullptr) return false;
  SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
  SDL_RendererInfo info;
  const bool software = SDL_GetRendererInfo(renderer_.get(), &info) == 0 && std::strcmp(info.name, "software") == 0;
  // The software renderer draws into the window's surface, megabytes nothing has written yet.
  SDL_Surface* surface = software ? SDL_GetWindowSurface(window_) : nullptr;
  directSurface_ = surface != nullptr && surface->format->format == SDL_PIXELFORMAT_RGB888;
  blankWindow_ = directSurface_ && ClearWindowToBlack();
  if (surface != nullptr) sdlbackend::ReadyForWriting(surface->pixels, static_cast<size_t>(surface->pitch) * surface->h);
  redraw_ = true;
  sdlbackend::TraceOutputSize(window_, renderer_.get());
  SDL_DisplayMode desktop;
  const bool known = fullScreen_ || SDL_GetDesktopDisplayMode(kDisplayIndex, &desktop) == 0;
  const int32_t rate = fullScreen_ ? fullScreenMode_.refresh_rate : known ? desktop.refresh_rate : 0;
  const int32_t blanks = BlanksPerPresentAt(rate);
  pacer_.SetRefreshRate(rate, blanks);
  if (sdlbackend::TraceEnabled()) {
    char line[64];
    std::snprintf(line, sizeof line, "present-interval %d blanks at %d Hz", blanks, rate);
    sdlbackend::Trace(line);
  }
  return true;
}

bool SdlVideo::ClearWindowToBlack() { return sdlbackend::ClearToBlack(window_); }

// Only the corner the host packs its picture into is ever locked or presented, so the texture is no bigger: a
// texture of the whole screen would be cleared at creation, megabytes of fresh memory at the start of the show.
bool SdlVideo::MakeWorkTexture() {
  work_.reset(SDL_CreateTexture(renderer_.get(), sdlbackend::PackingTextureFormat(workLayout_),
                                SDL_TEXTUREACCESS_STREAMING, std::min(workWidth_, kScreenWidth),
                                std::min(workHeight_, kScreenHeight)));
  if (work_ == nullptr) return false;
  SDL_SetTextureScaleMode(work_.get(), SDL_ScaleModeNearest);
  return true;
}

// The textures go before the renderer that made them.
void SdlVideo::ForgetRenderer() {
  work_.reset();
  sharp_.reset();
  sharpReady_ = false;
  sharpWidth_ = sharpRowsFor_ = 0;
  renderer_.reset();
  redraw_ = true;
  locked_ = nullptr;
  lost_ = true;
}

VideoStatus SdlVideo::OpenFullScreen(const ShowWindowSpec& window, int32_t depth) {
  if (NewWindow(window, SDL_WINDOW_BORDERLESS) == nullptr) {
    return VideoStatus::Failed(VideoStep::kCooperativeLevel, VideoFault::kInvalidParams);
  }
  if (!SwitchDisplayMode(window.width, window.height, depth)) {
    return VideoStatus::Failed(VideoStep::kDisplayMode, VideoFault::kUnsupportedMode);
  }
  workWidth_ = fullScreenMode_.w;
  workHeight_ = fullScreenMode_.h;
  workLayout_ = sdlbackend::DescribeFormat(fullScreenMode_.format);
  // The back buffer is made with the primary surface: either failing is the primary's step.
  if (!MakeRenderer() || !MakeWorkTexture()) return VideoStatus::Failed(VideoStep::kPrimarySurface);
  lost_ = false;
  return VideoStatus::Ok();
}

VideoStatus SdlVideo::OpenWindowed(const ShowWindowSpec& window) {
  if (NewWindow(window, 0) == nullptr) {
    return VideoStatus::Failed(VideoStep::kCooperativeLevel, VideoFault::kInvalidParams);
  }
  ShowWindow();
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(kDisplayIndex, &desktop) != 0 || !MakeRenderer()) {
    return VideoStatus::Failed(VideoStep::kPrimarySurface);
  }
  // A renderer draws only inside its own window, which is all a clipper bound to the show window asks. A window
  // smaller than the picture still gets a work surface the picture fits in.
  workWidth_ = std::max<int32_t>(window.width, kScreenWidth);
  workHeight_ = std::max<int32_t>(window.height, kScreenHeight);
  workLayout_ = sdlbackend::DescribeFormat(desktop.format);
  if (!MakeWorkTexture()) return VideoStatus::Failed(VideoStep::kWorkSurface);
  lost_ = false;
  return VideoStatus::Ok();
}

void SdlVideo::ShowWindow() {
  if (window_ == nullptr) return;
  const bool wasShown = (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  if (!wasShown) Deliver(ShowEvent::kActivated);
  sdlbackend::Trace("window-shown");
}

void SdlVideo::DestroyWindow() {
  if (window_ == nullptr) return;
  Deliver(ShowEvent::kDestroyed);
  ForgetRenderer();
  SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void SdlVideo::Release() {
  ForgetRenderer();
  // Leaving full screen gives the display its own mode back; the pop-up served only the exclusive mode.
  if (fullScreen_ && window_ != nullptr) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_HideWindow(window_);
  } else if (desktopFullScreen_ && window_ != nullptr) {
    SDL_SetWindowFullscreen(window_, 0);
  } else if (fullScreen_ && orphan_ != nullptr) {
    SDL_SetWindowFullscreen(orphan_, 0);
  }
  fullScreen_ = desktopFullScreen_ = false;
  created_ = false;
  workWidth_ = workHeight_ = 0;
}

bool SdlVideo::ToggleFullScreen() {
  if (window_ == nullptr || !created_) return false;
  redraw_ = true;
  if (!fullScreen_ && !desktopFullScreen_) {
    if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    desktopFullScreen_ = true;
    // The pointer would sit over the picture; a window shows it again.
    SDL_ShowCursor(SDL_DISABLE);
    sdlbackend::Trace("full-screen-desktop");
    return true;
  }
  // A start in the desktop's own mode asked the window manager for full screen behind SDL's back; passing through
  // SDL's full screen makes SDL take that state away again as it leaves.
  if (fullScreen_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) == 0) {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
  // Out of the mode full screen started in, the window is framed and of the mode's size.
  SDL_SetWindowBordered(window_, SDL_TRUE);
  SDL_SetWindowSize(window_, windowWidth_, windowHeight_);
  SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  fullScreen_ = desktopFullScreen_ = false;
  SDL_ShowCursor(SDL_ENABLE);
  sdlbackend::Trace("windowed");
  return true;
}

void SdlVideo::MessageBox(const char* text, const char* caption, bool ownedByShowWindow) {
  const char* title = caption != nullptr ? caption : "Error";
  const char* body = text != nullptr ? text : "";
  // Standard error too, so that a machine without a display still says why the program stopped.
  std::fprintf(stderr, "%s: %s\n", title, body);
  std::fflush(stderr);
  if (!seatless_ || videoStarted_) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, body, ownedByShowWindow ? window_ : nullptr);
  }
}

}  // namespace platform
