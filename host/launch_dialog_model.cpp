// The launch dialog's decisions: which modes it lists, what the selection means, what "Run Demo" writes.
#include "host/launch_dialog_model.h"

#include <algorithm>
#include <cstdio>

std::string ModeLabel(const DisplayMode& mode) {
  char label[48];
  std::snprintf(label, sizeof label, "%dx%dx%d", mode.width, mode.height, mode.depth);
  return label;
}

LaunchDialogModel::LaunchDialogModel(const DisplayMode* table, int32_t modeCount) {
  const int32_t count = std::min(modeCount, static_cast<int32_t>(kModeTableSize));
  for (int32_t i = 1; i < count; ++i) items_.push_back(ModeLabel(table[i]));
  if (!items_.empty()) selection_ = 0;
}

void LaunchDialogModel::Select(int32_t item) {
  if (item >= 0 && item < static_cast<int32_t>(items_.size())) selection_ = item;
}

void LaunchDialogModel::RunDemo(InterfaceBlock& block, int32_t& chosenMode) const {
  // An empty list has no selection (-1), which picks record 0, the desktop's own mode.
  chosenMode = selection_ + 1;
  block.windowed = windowed_ ? 1 : 0;
  block.loopRequested = Loop() ? 1 : 0;
  block.soundOn = nosound_ ? 0 : 1;
}
