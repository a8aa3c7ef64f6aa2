// The launch choices made on the command line: the mode asked for, and the launch that skips the dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "display/display_mode.h"
#include "platform/launch_view.h"

// A mode as the command line names it: WxH, or WxHxD. depth 0: any depth.
struct ModeRequest {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
};

// Reads "WxH" or "WxHxD": each side 1 to 5 digits and not 0, the depth 16, 24 or 32. Empty on anything else, with
// what is wrong in *error.
std::optional<ModeRequest> ParseModeRequest(const std::string& text, std::string* error);

// The record of table[1 .. modeCount - 1] the request names: with no depth given, the desktop's depth (record 0)
// when offered, else the deepest. With no request, the desktop's own mode, found among the offered ones (record 0
// itself when it is not). -1 when the request is not offered.
int32_t FindRequestedMode(const DisplayMode* table, int32_t modeCount, const std::optional<ModeRequest>& request);

// The offered modes as the dialog labels them, comma-separated, for an error message.
std::string OfferedModes(const DisplayMode* table, int32_t modeCount);

// The launch settings given in advance (on the command line): they preset the dialog, or, with skipDialog
// (--run), take its place.
struct LaunchPreset {
  std::optional<ModeRequest> mode;
  bool windowed = false;
  bool nosound = false;
  bool skipDialog = false;
};
// The label of one mode in the resolution list: width, height and bits per pixel, as in 640x480x16.
std::string ModeLabel(const DisplayMode& mode);

// What the launch dialog offers: records 1 .. modeCount - 1 in table order (record 0, the desktop, is never
// offered), the line of presetMode selected (the first when presetMode is 0), the preset's boxes.
platform::LaunchOffer BuildLaunchOffer(const DisplayMode* table, int32_t modeCount, const LaunchPreset& preset,
                                       int32_t presetMode);

// The line on standard error when the preset's mode is not offered.
std::string PresetNotOffered(const DisplayMode* table, int32_t modeCount, const ModeRequest& mode);
