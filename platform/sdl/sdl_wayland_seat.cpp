// Keeps SDL's Wayland driver away from a compositor that offers no seat, which SDL 2.26 does not survive.
#include <SDL.h>

#include <cstring>
#include <string>

#include "platform/sdl/sdl_internal.h"

#ifndef VESK_WITHOUT_WAYLAND
#include <wayland-client.h>
#endif

namespace sdlbackend {

namespace {

// Whether a comma-separated driver list names driver, as SDL matches them: whole names, any case.
bool ListNames(const char* list, const char* driver) {
  const size_t length = std::strlen(driver);
  for (const char* entry = list; entry != nullptr; entry = std::strchr(entry, ',')) {
    if (*entry == ',') ++entry;
    const char* end = std::strchr(entry, ',');
    const size_t entryLength = end != nullptr ? static_cast<size_t>(end - entry) : std::strlen(entry);
    if (entryLength == length && SDL_strncasecmp(entry, driver, length) == 0) return true;
  }
  return false;
}

#ifndef VESK_WITHOUT_WAYLAND

enum class Seat { kUnknown, kOffered, kMissing };

void NoteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<Seat*>(data) = Seat::kOffered;
}
void ForgetGlobal(void*, wl_registry*, uint32_t) {}

// The compositor SDL would connect to, asked once for its globals. Unknown when there is none to ask: SDL then
// fails to connect too, and says so without harm.
Seat AskCompositor() {
  // A socket handed down by the parent can be taken only once, and it is SDL's.
  if (SDL_getenv("WAYLAND_SOCKET") != nullptr) return Seat::kUnknown;
  // Without a runtime folder the library complains on standard error before failing; SDL would fail just the same.
  const char* name = SDL_getenv("WAYLAND_DISPLAY");
  if (SDL_getenv("XDG_RUNTIME_DIR") == nullptr && (name == nullptr || name[0] != '/')) return Seat::kUnknown;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return Seat::kUnknown;
  Seat seat = Seat::kMissing;
  static const wl_registry_listener listener = {NoteGlobal, ForgetGlobal};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &seat);
  if (wl_display_roundtrip(display) < 0) seat = Seat::kUnknown;
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return seat;
}

#endif

}  // namespace

WaylandPlan PlanForWaylandSeat() {
#ifdef VESK_WITHOUT_WAYLAND
  return WaylandPlan::kLeaveToSdl;
#else
  const char* named = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  const bool anyDriver = named == nullptr || named[0] == '\0';
  // Drivers named without Wayland never reach it; with it named, no other choice is ours to make.
  if (!anyDriver && !ListNames(named, "wayland")) return WaylandPlan::kLeaveToSdl;
  if (AskCompositor() != Seat::kMissing) return WaylandPlan::kLeaveToSdl;
  // SDL tries X first, but goes on to Wayland when X does not open; then X's own failure should be the answer.
  const char* x = SDL_getenv("DISPLAY");
  return anyDriver && x != nullptr && x[0] != '\0' ? WaylandPlan::kOnlyX11 : WaylandPlan::kRefuse;
#endif
}

std::string WaylandDisplayName() {
  const char* name = SDL_getenv("WAYLAND_DISPLAY");
  return name != nullptr && name[0] != '\0' ? std::string("\"") + name + "\" (WAYLAND_DISPLAY)"
                                            : "\"wayland-0\" (the default Wayland display)";
}

}  // namespace sdlbackend
