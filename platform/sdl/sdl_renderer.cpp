// The renderer choice: SDL_RENDER_DRIVER when given, else a GL probe in a child process decides between the
// accelerated renderer with the vertical blank and the software renderer with the pacer.
#include "platform/sdl/sdl_renderer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/sdl/sdl_internal.h"

namespace sdlbackend {

namespace {

constexpr int kProbeTimeoutMs = 3000;
constexpr size_t kMaxRendererName = 256;

const char* RequestedDriver() {
  const char* driver = SDL_getenv("SDL_RENDER_DRIVER");
  return driver != nullptr && driver[0] != '\0' ? driver : nullptr;
}

bool IsGlDriver(const char* driver) { return driver != nullptr && std::strncmp(driver, "opengl", 6) == 0; }

// In the child: a hidden GL window, its context's GL_RENDERER written to fd, and out without any exit handler.
[[noreturn]] void RunProbe(int fd) {
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDERR_FILENO);
  std::string name;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(context != nullptr ? SDL_GL_GetProcAddress("glGetString") : nullptr);
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* text = getString != nullptr ? getString(kGlRenderer) : nullptr;
    if (text != nullptr) name.assign(reinterpret_cast<const char*>(text));
  }
  name = name.substr(0, kMaxRendererName);
  if (!name.empty() && write(fd, name.data(), name.size()) < 0) _exit(1);
  _exit(0);
}

RendererPtr NewRenderer(SDL_Window* window, const char* driver, Uint32 flags) {
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, driver);
  return RendererPtr(SDL_CreateRenderer(window, -1, flags));
}

void TraceChoice(SDL_Renderer* renderer, const std::string& why) {
  SDL_RendererInfo info;
  if (!TraceEnabled() || renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) return;
  // The software renderer never waits for the display, whatever it reports.
  const bool vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0 && std::strcmp(info.name, "software") != 0;
  Trace((std::string("renderer ") + info.name + (vsync ? " vsync" : " paced") + ": " + why).c_str());
}

}  // namespace

bool IsSoftwareRasteriser(const std::string& glRenderer) {
  std::string lower = glRenderer;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe", "swiftshader"}) {
    if (lower.find(name) != std::string::npos) return true;
  }
  return false;
}

RendererProbe::~RendererProbe() {
  if (!started_ || answered_) return;
  kill(child_, SIGKILL);
  close(pipe_);
  waitpid(child_, nullptr, 0);
}

void RendererProbe::Start() {
  if (started_ || RequestedDriver() != nullptr) return;
  int fds[2];
  if (pipe(fds) != 0) return;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    RunProbe(fds[1]);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    return;
  }
  started_ = true;
  child_ = child;
  pipe_ = fds[0];
}

void RendererProbe::Await() {
  if (!started_ || answered_) return;
  answered_ = true;
  char buffer[kMaxRendererName];
  size_t length = 0;
  pollfd readable{pipe_, POLLIN, 0};
  const Uint64 deadline = SDL_GetTicks64() + kProbeTimeoutMs;
  for (;;) {
    const int left = static_cast<int>(std::max<Sint64>(0, static_cast<Sint64>(deadline - SDL_GetTicks64())));
    if (poll(&readable, 1, left) <= 0) {
      kill(child_, SIGKILL);
      Trace("gl-probe timed-out");
      break;
    }
    const ssize_t got = read(pipe_, buffer + length, sizeof buffer - length);
    if (got <= 0) break;
    length += static_cast<size_t>(got);
    if (length == sizeof buffer) break;
  }
  close(pipe_);
  waitpid(child_, nullptr, 0);
  glRenderer_.assign(buffer, length);
}

bool RendererProbe::WantsGlWindow() {
  if (const char* driver = RequestedDriver()) return IsGlDriver(driver);
  Await();
  return !glRenderer_.empty() && !IsSoftwareRasteriser(glRenderer_);
}

RendererPtr RendererProbe::CreateRenderer(SDL_Window* window) {
  if (const char* driver = RequestedDriver()) {
    RendererPtr renderer = NewRenderer(window, driver, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) renderer = NewRenderer(window, driver, 0);
    TraceChoice(renderer.get(), std::string("SDL_RENDER_DRIVER=") + driver);
    return renderer;
  }
  Await();
  const std::string& gl = glRenderer_;
  if (!gl.empty() && !IsSoftwareRasteriser(gl)) {
    RendererPtr renderer = NewRenderer(window, "opengl", SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (renderer != nullptr) {
      TraceChoice(renderer.get(), "GL_RENDERER " + gl + " is hardware; presents wait for the vertical blank");
      return renderer;
    }
  }
  // A 320 x 200 picture stretched once per frame is light work for the software renderer, which draws straight
  // into the window through shared memory; GL on a CPU rasteriser would cost more than the show itself.
  RendererPtr renderer = NewRenderer(window, "software", 0);
  TraceChoice(renderer.get(),
              gl.empty() ? "no GL context could be made" : "GL_RENDERER " + gl + " rasterises on the CPU");
  return renderer;
}

ReadBack ReadOutput(SDL_Renderer* renderer) {
  ReadBack readBack;
  if (SDL_GetRendererOutputSize(renderer, &readBack.width, &readBack.height) != 0) return readBack;
  readBack.pixels.assign(static_cast<size_t>(readBack.width) * readBack.height * 4, 0);
  uint8_t* pixels = readBack.pixels.data();
  if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, pixels, readBack.width * 4) != 0) {
    readBack.pixels.clear();
  }
  return readBack;
}

}  // namespace sdlbackend
