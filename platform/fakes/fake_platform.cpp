// The fakes of every platform service: record the call, answer as scripted.
#include "platform/fakes/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "platform/process.h"
#include "platform/resources.h"
#include "platform/sound.h"
#include "platform/timer.h"

namespace platform {

struct DisplayObject {
  SurfaceDescription mode;
};
struct Surface {
  std::string name;
  int32_t width = 0, height = 0, pitch = 0;
  PixelFormat format = {};
  std::vector<uint8_t> memory;
};
struct Clipper {};
struct Window {
  WindowProcedure procedure;
};
struct Song {};

}  // namespace platform

namespace fake {

namespace {

struct Internals {
  std::vector<std::unique_ptr<platform::Surface>> surfaces;
  std::unique_ptr<platform::DisplayObject> object;
  platform::Clipper clipper;
  std::map<std::string, platform::WindowProcedure> classes;
  std::vector<std::unique_ptr<platform::Window>> windows;
  platform::Window* lastWindow = nullptr;
  std::deque<platform::Message> queue;
  platform::TimerCallback timer = nullptr;
  platform::Song song;
  bool songLoaded = false;
};

Internals& In() {
  static Internals internals;
  return internals;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string Size(int32_t w, int32_t h) { return std::to_string(w) + "x" + std::to_string(h); }

void Record(const std::string& call) {
  FakeState& s = State();
  s.calls.push_back(call);
  if (s.onCall) s.onCall(call);
}

platform::DisplayResult Next(std::deque<platform::DisplayResult>& results) {
  if (results.empty()) return platform::kDisplayOk;
  const platform::DisplayResult r = results.front();
  results.pop_front();
  return r;
}

platform::Surface* NewSurface(const std::string& name, int32_t width, int32_t height,
                              const platform::PixelFormat& format) {
  auto surface = std::make_unique<platform::Surface>();
  surface->name = name;
  surface->width = width;
  surface->height = height;
  surface->format = format;
  surface->pitch = width * ((format.bitCount + 7) / 8) + State().pitchPadding;
  surface->memory.assign(static_cast<size_t>(surface->pitch) * height, 0xEE);
  In().surfaces.push_back(std::move(surface));
  return In().surfaces.back().get();
}

const char* KindName(platform::MessageKind kind) {
  switch (kind) {
    case platform::MessageKind::kActivateApp: return "activate";
    case platform::MessageKind::kKeyDown: return "keydown";
    case platform::MessageKind::kClose: return "close";
    case platform::MessageKind::kDestroy: return "destroy";
    case platform::MessageKind::kQuit: return "quit";
    default: return "other";
  }
}

std::string Upper(const char* text) {
  std::string s(text != nullptr ? text : "");
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

platform::SurfaceDescription FakeState::Mode(int32_t width, int32_t height, int32_t bits, uint32_t red,
                                             uint32_t green, uint32_t blue) {
  platform::SurfaceDescription d;
  d.flags = platform::kDescWidth | platform::kDescHeight | platform::kDescPixelFormat;
  d.width = width;
  d.height = height;
  d.format = {bits, red, green, blue};
  return d;
}

FakeState& State() {
  static FakeState state;
  return state;
}

void Reset() {
  State() = FakeState{};
  In().surfaces.clear();
  In().object.reset();
  In().classes.clear();
  In().windows.clear();
  In().lastWindow = nullptr;
  In().queue.clear();
  In().timer = nullptr;
  In().songLoaded = false;
}

namespace {

// Delivers timer periods to the running timer, if any: each present moves the fake clock on.
void FireTimer(uint32_t periods) {
  for (uint32_t i = 0; i < periods && In().timer != nullptr; ++i) In().timer(1, 0, 0, 0, 0);
}

}  // namespace

void Post(platform::MessageKind kind, uint32_t wParam) { In().queue.push_back({In().lastWindow, kind, wParam}); }


bool TimerRunning() { return In().timer != nullptr; }

int Count(const std::string& prefix) {
  return static_cast<int>(std::count_if(State().calls.begin(), State().calls.end(),
                                        [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}


}  // namespace fake

namespace platform {

using fake::In;
using fake::Record;
using fake::State;

// ---- Display ------------------------------------------------------------------------------------

DisplayResult DirectDrawCreate(DisplayObject** object) {
  Record("DirectDrawCreate");
  if (DisplayFailed(State().createResult)) return State().createResult;
  In().object = std::make_unique<DisplayObject>();
  In().object->mode = State().desktop;
  *object = In().object.get();
  return kDisplayOk;
}

DisplayResult GetDisplayMode(DisplayObject*, SurfaceDescription* description) {
  Record("GetDisplayMode");
  if (DisplayFailed(State().getModeResult)) return State().getModeResult;
  const uint32_t size = description->size;
  *description = State().desktop;
  description->size = size;
  return kDisplayOk;
}

DisplayResult EnumDisplayModes(DisplayObject*, ModeCallback callback, void* context) {
  Record("EnumDisplayModes");
  for (const SurfaceDescription& mode : State().modes) {
    if (callback(mode, context) != kEnumContinue) break;
  }
  return kDisplayOk;
}

DisplayResult SetCooperativeLevel(DisplayObject*, Window* window, uint32_t level) {
  Record("SetCooperativeLevel " + fake::Hex(level) + (window != nullptr ? "" : " nowindow"));
  return State().cooperativeResult;
}

DisplayResult SetDisplayMode(DisplayObject* object, int32_t width, int32_t height, int32_t bitCount) {
  Record("SetDisplayMode " + fake::Size(width, height) + "x" + std::to_string(bitCount));
  if (DisplayFailed(State().displayModeResult)) return State().displayModeResult;
  for (const SurfaceDescription& mode : State().modes) {
    if (mode.width == width && mode.height == height && mode.format.bitCount == bitCount) object->mode = mode;
  }
  return kDisplayOk;
}

DisplayResult CreateSurface(DisplayObject* object, SurfaceDescription* d, Surface** surface) {
  std::string call = "CreateSurface flags=" + fake::Hex(d->flags) + " caps=" + fake::Hex(d->caps);
  if ((d->flags & kDescBackBufferCount) != 0) call += " back=" + std::to_string(d->backBufferCount);
  if ((d->flags & kDescWidth) != 0) call += " " + fake::Size(d->width, d->height);
  Record(call);
  const DisplayResult result = fake::Next(State().createSurfaceResults);
  if (DisplayFailed(result)) return result;
  const bool primary = (d->caps & kCapsPrimarySurface) != 0;
  const int32_t width = primary ? object->mode.width : d->width;
  const int32_t height = primary ? object->mode.height : d->height;
  *surface = fake::NewSurface(primary ? "primary" : "offscreen", width, height, object->mode.format);
  d->width = width;
  d->height = height;
  d->pitch = (*surface)->pitch;
  d->format = object->mode.format;
  return kDisplayOk;
}

DisplayResult GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached) {
  Record("GetAttachedSurface " + fake::Hex(caps));
  if (DisplayFailed(State().attachedResult)) return State().attachedResult;
  *attached = fake::NewSurface("back", primary->width, primary->height, primary->format);
  return kDisplayOk;
}

DisplayResult CreateClipper(DisplayObject*, Clipper** clipper) {
  Record("CreateClipper");
  if (DisplayFailed(State().clipperResult)) return State().clipperResult;
  *clipper = &In().clipper;
  return kDisplayOk;
}

DisplayResult ClipperSetWindow(Clipper*, Window* window) {
  Record(std::string("ClipperSetWindow") + (window != nullptr ? "" : " nowindow"));
  return kDisplayOk;
}

DisplayResult SetClipper(Surface* surface, Clipper*) {
  Record("SetClipper " + surface->name);
  return kDisplayOk;
}

DisplayResult Lock(Surface* surface, SurfaceDescription* description) {
  Record("Lock " + (surface != nullptr ? surface->name : std::string("null")));
  if (surface == nullptr) return kDisplayInvalidObject;
  if (DisplayFailed(State().lockResult)) return State().lockResult;
  description->memory = surface->memory.data();
  description->pitch = surface->pitch;
  return kDisplayOk;
}

DisplayResult Unlock(Surface* surface) {
  Record("Unlock " + surface->name);
  State().lastLocked = surface->memory;
  State().lastLockedPitch = surface->pitch;
  return kDisplayOk;
}

DisplayResult WaitForVerticalBlank(DisplayObject*) {
  Record("WaitForVerticalBlank");
  return kDisplayOk;
}

DisplayResult Blt(Surface* destination, const Rect& r, Surface* source, const Rect& s) {
  Record("Blt " + destination->name + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + " from " + source->name + " " +
         std::to_string(s.left) + "," + std::to_string(s.top) + "," + std::to_string(s.right) + "," +
         std::to_string(s.bottom));
  State().bltRects.push_back(r);
  return fake::Next(State().bltResults);
}

DisplayResult Restore(Surface* surface) {
  Record("Restore " + surface->name);
  return kDisplayOk;
}

void Release(Clipper*) { Record("Release clipper"); }
void Release(Surface* surface) { Record("Release " + surface->name); }
void Release(DisplayObject*) { Record("Release display"); }

// ---- Windows and messages --------------------------------------------------------------------------

bool RegisterWindowClass(const char* className, WindowProcedure procedure) {
  Record(std::string("RegisterWindowClass ") + className);
  In().classes[className] = procedure;
  return true;
}

Window* CreateShowWindow(const WindowDescription& d) {
  Record(std::string("CreateShowWindow ") + d.className + " \"" + d.title + "\" " +
         (d.style == WindowStyle::kPopup ? "popup " : "framed ") + fake::Size(d.width, d.height));
  const auto found = In().classes.find(d.className);
  if (found == In().classes.end() || State().createWindowFails) return nullptr;
  In().windows.push_back(std::make_unique<Window>(Window{found->second}));
  In().lastWindow = In().windows.back().get();
  return In().lastWindow;
}

void FitClientArea(Window*, int32_t width, int32_t height) { Record("FitClientArea " + fake::Size(width, height)); }
void SetWindowNotTopmost(Window*) { Record("SetWindowNotTopmost"); }

void ShowWindow(Window* window, int32_t command) {
  Record("ShowWindow " + std::to_string(command) + (window != nullptr ? "" : " nowindow"));
  if (window != nullptr && window->procedure != nullptr && State().activateOnShow) {
    window->procedure({window, MessageKind::kActivateApp, 1});
  }
}

void UpdateWindow(Window* window) { Record(std::string("UpdateWindow") + (window != nullptr ? "" : " nowindow")); }

void DestroyWindow(Window* window) {
  Record(std::string("DestroyWindow") + (window != nullptr ? "" : " nowindow"));
  if (window == nullptr || window->procedure == nullptr) return;
  const WindowProcedure procedure = window->procedure;
  procedure({window, MessageKind::kDestroy, 0});
  window->procedure = nullptr;
}

Point ClientToScreen(Window*, Point p) {
  Record("ClientToScreen");
  return {p.x + State().windowOrigin.x, p.y + State().windowOrigin.y};
}

int32_t ShowCursor(bool show) {
  Record(std::string("ShowCursor ") + (show ? "1" : "0"));
  State().cursorCount += show ? 1 : -1;
  return State().cursorCount;
}

void MessageBox(Window* owner, const char* text, const char* caption) {
  Record(std::string("MessageBox ") + (caption != nullptr ? caption : "(default)") + ": " + text +
         (owner != nullptr ? " owned" : ""));
}

bool PeekMessage(Message* message) {
  ++State().peekCalls;
  if (In().queue.empty()) {
    fake::FireTimer(State().periodsPerPresent);
    return false;
  }
  *message = In().queue.front();
  In().queue.pop_front();
  Record(std::string("PeekMessage ") + fake::KindName(message->kind));
  return true;
}

void TranslateMessage(const Message&) { Record("TranslateMessage"); }

intptr_t DispatchMessage(const Message& message) {
  Record("DispatchMessage");
  if (message.window == nullptr || message.window->procedure == nullptr) return 0;
  return message.window->procedure(message);
}

intptr_t DefWindowProc(const Message& message) {
  if (message.kind == MessageKind::kClose) DestroyWindow(message.window);
  return 0;
}

void PostQuitMessage(int32_t code) {
  Record("PostQuitMessage " + std::to_string(code));
  In().queue.push_back({nullptr, MessageKind::kQuit, static_cast<uint32_t>(code)});
}

// ---- Timer -------------------------------------------------------------------------------------------

uint32_t TimeBeginPeriod(uint32_t ms) {
  Record("TimeBeginPeriod " + std::to_string(ms));
  return 0;
}

uint32_t TimeEndPeriod(uint32_t ms) {
  Record("TimeEndPeriod " + std::to_string(ms));
  return 0;
}

uint32_t TimeSetEvent(uint32_t delayMs, uint32_t resolutionMs, TimerCallback callback, uintptr_t user,
                      uint32_t flags) {
  Record("TimeSetEvent " + std::to_string(delayMs) + " " + std::to_string(resolutionMs) + " user=" +
         std::to_string(user) + (flags == kTimePeriodic ? " periodic" : " once"));
  In().timer = callback;
  return 7;
}

uint32_t TimeKillEvent(uint32_t id) {
  Record("TimeKillEvent " + std::to_string(id));
  In().timer = nullptr;
  return 0;
}

// ---- Sound ---------------------------------------------------------------------------------------------

bool SoundInit(int32_t rate, int32_t channels, uint32_t flags) {
  Record("SoundInit " + std::to_string(rate) + " " + std::to_string(channels) + " " + std::to_string(flags));
  return true;
}

void SoundClose() { Record("SoundClose"); }

Song* LoadSongMemory(const void* data, uint32_t length) {
  Record("LoadSongMemory " + std::to_string(length) + (data != nullptr ? "" : " nodata"));
  In().songLoaded = State().songLoads && data != nullptr;
  return In().songLoaded ? &In().song : nullptr;
}

namespace {
std::string SongName(Song* song) { return song != nullptr ? "song" : "null"; }
}  // namespace

bool SetPanSeparation(Song* song, float separation) {
  Record("SetPanSeparation " + SongName(song) + " " + std::to_string(static_cast<int>(separation * 100)));
  return song != nullptr;
}

bool PlaySong(Song* song) {
  Record("PlaySong " + SongName(song));
  return song != nullptr;
}

bool SetMasterVolume(Song* song, int32_t volume) {
  Record("SetMasterVolume " + SongName(song) + " " + std::to_string(volume));
  return song != nullptr;
}

int32_t GetOrder(Song* song) {
  ++State().getOrderCalls;
  if (song == nullptr) return -1;
  return State().order ? State().order() : 0;
}

bool StopSong(Song* song) {
  Record("StopSong " + SongName(song));
  return song != nullptr && State().stopSongResult;
}

bool FreeSong(Song* song) {
  Record("FreeSong " + SongName(song));
  return song != nullptr && State().freeSongResult;
}

// ---- Resources and the process --------------------------------------------------------------------------

Resource FindResource(const char* name) {
  Record(std::string("FindResource ") + name);
  const auto found = State().resources.find(fake::Upper(name));
  if (found == State().resources.end()) return {nullptr, 0};
  return {found->second.data(), static_cast<uint32_t>(found->second.size())};
}

Resource FindBitmapResource(int32_t id) {
  const auto found = State().bitmaps.find(id);
  if (found == State().bitmaps.end()) return {nullptr, 0};
  return {found->second.data(), static_cast<uint32_t>(found->second.size())};
}

void ExitProcess(int status) {
  Record("ExitProcess " + std::to_string(status));
  throw ProcessExit{status};
}

}  // namespace platform
