// Command-line launch choices: reading a mode, finding it in the mode table, starting without the dialog.
#include "host/launch_options.h"

#include <cstdio>

#include "core/interface_block.h"

namespace {

constexpr size_t kMaxDigits = 5;

bool ReadNumber(const std::string& text, int32_t* value) {
  if (text.empty() || text.size() > kMaxDigits || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *value = std::stoi(text);
  return true;
}

bool SameSize(const DisplayMode& mode, int32_t width, int32_t height) {
  return mode.width == width && mode.height == height;
}

}  // namespace

std::optional<ModeRequest> ParseModeRequest(const std::string& text, std::string* error) {
  ModeRequest request;
  const size_t first = text.find('x');
  const size_t second = first == std::string::npos ? std::string::npos : text.find('x', first + 1);
  const std::string widthText = text.substr(0, first);
  const std::string heightText =
      first == std::string::npos ? "" : text.substr(first + 1, second == std::string::npos ? second : second - first - 1);
  const std::string depthText = second == std::string::npos ? "" : text.substr(second + 1);
  if (first == std::string::npos || !ReadNumber(widthText, &request.width) ||
      !ReadNumber(heightText, &request.height) ||
      (second != std::string::npos && !ReadNumber(depthText, &request.depth))) {
    *error = "expected WxH or WxHxD, for example 1024x768 or 1024x768x32, not '" + text + "'";
    return std::nullopt;
  }
  if (request.width == 0 || request.height == 0) {
    *error = "a mode's width and height must not be 0 ('" + text + "')";
    return std::nullopt;
  }
  if (second != std::string::npos && request.depth != 16 && request.depth != 24 && request.depth != 32) {
    *error = "the depth must be 16, 24 or 32 bits per pixel, not " + depthText;
    return std::nullopt;
  }
  return request;
}

int32_t FindRequestedMode(const DisplayMode* table, int32_t modeCount, const std::optional<ModeRequest>& request) {
  const DisplayMode& desktop = table[0];
  const ModeRequest wanted = request.value_or(ModeRequest{desktop.width, desktop.height, desktop.depth});
  int32_t deepest = -1;
  for (int32_t i = 1; i < modeCount && i < kModeTableSize; ++i) {
    if (!SameSize(table[i], wanted.width, wanted.height)) continue;
    if (wanted.depth != 0 && table[i].depth != wanted.depth) continue;
    if (wanted.depth == 0 && table[i].depth == desktop.depth) return i;
    if (wanted.depth != 0) return i;
    // The table lists deeper modes first.
    if (deepest < 0) deepest = i;
  }
  if (deepest >= 0) return deepest;
  return request.has_value() ? -1 : 0;
}

std::string OfferedModes(const DisplayMode* table, int32_t modeCount) {
  std::string list;
  for (int32_t i = 1; i < modeCount && i < kModeTableSize; ++i) {
    if (!list.empty()) list += ", ";
    list += ModeLabel(table[i]);
  }
  return list.empty() ? "none" : list;
}

std::string ModeLabel(const DisplayMode& mode) {
  char label[48];
  std::snprintf(label, sizeof label, "%dx%dx%d", mode.width, mode.height, mode.depth);
  return label;
}

platform::LaunchOffer BuildLaunchOffer(const DisplayMode* table, int32_t modeCount, const LaunchPreset& preset,
                                       int32_t presetMode) {
  platform::LaunchOffer offer;
  for (int32_t i = 1; i < modeCount && i < kModeTableSize; ++i) offer.modes.push_back(ModeLabel(table[i]));
  offer.selection = offer.modes.empty() ? -1 : (presetMode > 0 ? presetMode - 1 : 0);
  offer.windowed = preset.windowed;
  offer.nosound = preset.nosound;
  return offer;
}

std::string PresetNotOffered(const DisplayMode* table, int32_t modeCount, const ModeRequest& mode) {
  char asked[40];
  if (mode.depth != 0) {
    std::snprintf(asked, sizeof asked, "%dx%dx%d", mode.width, mode.height, mode.depth);
  } else {
    std::snprintf(asked, sizeof asked, "%dx%d", mode.width, mode.height);
  }
  return std::string("vesk: --mode: this display does not offer ") + asked + "; it offers " +
         OfferedModes(table, modeCount) + "\n";
}
