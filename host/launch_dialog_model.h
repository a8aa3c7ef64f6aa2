// What the launch dialog shows and decides, apart from any toolkit: the mode list, the boxes and "Run Demo".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "display/display_mode.h"

inline constexpr const char* kLaunchTitle = "Orrent - Vesk, Windows version (preview)";
inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kAboutLines[] = {
    "Orrent - Vesk",
    "by Tallow, Brackmoor, Quib",
    "First place at Tarnfest'98 PC introcompo",
    "Windows version by Olk/Fennec",
};

// The label of one mode in the resolution list: width, height and bits per pixel, as in 640x480x16.
std::string ModeLabel(const DisplayMode& mode);

class LaunchDialogModel {
 public:
  // Offers records 1 .. modeCount - 1 of table in table order (record 0, the desktop, is never offered) and
  // selects the first of them.
  LaunchDialogModel(const DisplayMode* table, int32_t modeCount);

  const std::vector<std::string>& Items() const { return items_; }
  // The chosen line, counted from 0; -1 while the list is empty.
  int32_t Selection() const { return selection_; }
  // A line outside the list leaves the selection as it is.
  void Select(int32_t item);

  bool Windowed() const { return windowed_; }
  void SetWindowed(bool checked) { windowed_ = checked; }
  bool Nosound() const { return nosound_; }
  void SetNosound(bool checked) { nosound_ = checked; }
  // "Loop" is offered but disabled: it can never be ticked.
  static constexpr bool kLoopEnabled = false;
  bool Loop() const { return false; }

  // "Run Demo": writes the choices in the order start-up relies on. "Exit" has no counterpart: it writes nothing.
  void RunDemo(InterfaceBlock& block, int32_t& chosenMode) const;

 private:
  std::vector<std::string> items_;
  int32_t selection_ = -1;
  bool windowed_ = false;
  bool nosound_ = false;
};
