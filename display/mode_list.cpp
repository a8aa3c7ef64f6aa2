// Building the display-mode table from the display's own list of modes.
#include "display/mode_list.h"

#include <algorithm>

#include "core/interface_block.h"
#include "display/display_setup.h"

DisplayMode modeTable[kModeTableSize];
int32_t selectedMode = 0;
platform::DisplayObject* displayObject = nullptr;

namespace {

// The green mask of the 5-5-5 layout, shifted down to bit 0.
constexpr uint32_t kFiveBitGreen = 31;

const char* ModeQueryErrorText(platform::DisplayResult result) {
  switch (result) {
    case platform::kDisplayInvalidObject: return "invalidobject";
    case platform::kDisplayInvalidParams: return "invalidparams";
    case platform::kDisplayUnsupportedMode: return "unsupportedmode";
    default: return "GetDisplayMode error";
  }
}

}  // namespace

int32_t BuildModeList(platform::Window* owner) {
  if (platform::DisplayFailed(platform::DirectDrawCreate(&displayObject)) || displayObject == nullptr) {
    displayObject = nullptr;
    platform::MessageBox(nullptr, "DirectDrawCreate error", kDisplayErrorCaption);
    platform::DestroyWindow(owner);
    return 0;
  }
  platform::SurfaceDescription current;
  const platform::DisplayResult query = platform::GetDisplayMode(displayObject, &current);
  // A failed query leaves the description empty, of depth 0, so nothing is added.
  AddDisplayMode(current, nullptr);
  if (platform::DisplayFailed(query)) platform::MessageBox(owner, ModeQueryErrorText(query), nullptr);
  platform::EnumDisplayModes(displayObject, AddDisplayMode, nullptr);
  if (interfaceBlock.modeCount > 2) {
    std::sort(modeTable + 1, modeTable + interfaceBlock.modeCount,
              [](const DisplayMode& a, const DisplayMode& b) { return CompareModes(a, b) < 0; });
  }
  return 1;
}

int32_t AddDisplayMode(const platform::SurfaceDescription& mode, void* /*context*/) {
  const int32_t depth = mode.format.bitCount;
  if (depth != 16 && depth != 24 && depth != 32) return platform::kEnumContinue;
  // The table is full: further modes are left out rather than written past its end.
  if (interfaceBlock.modeCount >= kModeTableSize) return platform::kEnumContinue;
  DisplayMode& record = modeTable[interfaceBlock.modeCount];
  record.width = mode.width;
  record.height = mode.height;
  record.depth = depth;
  record.redMask = mode.format.redMask;
  record.greenMask = mode.format.greenMask;
  record.blueMask = mode.format.blueMask;
  record.greenWidth = (mode.format.greenMask >> 5) == kFiveBitGreen ? 0 : 1;
  ++interfaceBlock.modeCount;
  return platform::kEnumContinue;
}

int32_t CompareModes(const DisplayMode& a, const DisplayMode& b) {
  if (a.depth != b.depth) return a.depth > b.depth ? -1 : 1;
  if (a.width != b.width) return a.width < b.width ? -1 : 1;
  if (a.height != b.height) return a.height < b.height ? -1 : 1;
  return 0;
}
