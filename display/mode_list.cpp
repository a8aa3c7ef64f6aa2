// Building the display-mode table from the display's own list of modes.
#include "display/mode_list.h"

#include <algorithm>

#include "display/display_setup.h"

namespace {

// The green mask of the 5-5-5 layout, shifted down to bit 0.
constexpr uint32_t kFiveBitGreen = 31;

const char* ModeQueryErrorText(platform::VideoFault fault) {
  switch (fault) {
    case platform::VideoFault::kInvalidObject: return "invalidobject";
    case platform::VideoFault::kInvalidParams: return "invalidparams";
    case platform::VideoFault::kUnsupportedMode: return "unsupportedmode";
    default: return "GetDisplayMode error";
  }
}

}  // namespace

bool BuildModeList(platform::VideoDevice& video, DisplayMode* table, int32_t& count) {
  if (!video.Create().ok()) {
    video.MessageBox("DirectDrawCreate error", kDisplayErrorCaption, false);
    return false;
  }
  platform::VideoMode current;
  const platform::VideoStatus query = video.CurrentMode(current);
  // A failed query leaves the mode empty, of depth 0, so nothing is added.
  if (!query.ok()) current = {};
  AddDisplayMode(current, table, count);
  if (!query.ok()) video.MessageBox(ModeQueryErrorText(query.fault), nullptr, false);
  video.ForEachMode([&](const platform::VideoMode& mode) { AddDisplayMode(mode, table, count); });
  if (count > 2) {
    std::sort(table + 1, table + count,
              [](const DisplayMode& a, const DisplayMode& b) { return CompareModes(a, b) < 0; });
  }
  return true;
}

void AddDisplayMode(const platform::VideoMode& mode, DisplayMode* table, int32_t& count) {
  const int32_t depth = mode.layout.bitsPerPixel;
  if (depth != 16 && depth != 24 && depth != 32) return;
  if (count >= kModeTableSize) return;
  DisplayMode& record = table[count];
  record.width = mode.width;
  record.height = mode.height;
  record.depth = depth;
  record.redMask = mode.layout.redMask;
  record.greenMask = mode.layout.greenMask;
  record.blueMask = mode.layout.blueMask;
  record.greenWidth = (mode.layout.greenMask >> 5) == kFiveBitGreen ? 0 : 1;
  ++count;
}

int32_t CompareModes(const DisplayMode& a, const DisplayMode& b) {
  if (a.depth != b.depth) return a.depth > b.depth ? -1 : 1;
  if (a.width != b.width) return a.width < b.width ? -1 : 1;
  if (a.height != b.height) return a.height < b.height ? -1 : 1;
  return 0;
}
