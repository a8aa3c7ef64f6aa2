// The launch dialog as a view: it shows what the host offers and returns what the user chose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What the dialog offers: the resolution lines in order, and the settings it opens with. Its texts and geometry
// come from platform/launch_layout.h.
struct LaunchOffer {
  std::vector<std::string> modes;
  int32_t selection = 0;  // the line selected at the start; -1 when the list is empty
  bool windowed = false;
  bool nosound = false;
};

struct LaunchChoice {
  bool runDemo = false;  // false: "Exit", Escape, or the dialog could not open
  int32_t item = -1;     // the chosen line, counted from 0; -1 when none is selected
  bool windowed = false;
  bool loop = false;
  bool nosound = false;
};

class LaunchView {
 public:
  virtual ~LaunchView() = default;
  // Runs the dialog modally until "Run Demo" or "Exit". "About" opens the About box as often as asked.
  virtual LaunchChoice Run(const LaunchOffer& offer) = 0;
};

}  // namespace platform
