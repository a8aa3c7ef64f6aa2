// The command line's launch choices: reading a mode, finding it in the table, starting without the dialog.
#include "host/launch_options.h"

#include <gtest/gtest.h>

#include "core/interface_block.h"

namespace {

DisplayMode Mode(int32_t w, int32_t h, int32_t d) { return {w, h, d, 0, 0, 0, 1}; }

TEST(LaunchOptions, AModeIsWidthByHeightWithAnOptionalDepth) {
  std::string error;
  const auto mode = ParseModeRequest("1024x768", &error);
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->width, 1024);
  EXPECT_EQ(mode->height, 768);
  EXPECT_EQ(mode->depth, 0);
  EXPECT_EQ(ParseModeRequest("640x480x16", &error)->depth, 16);
  for (const char* bad : {"12x", "x768", "1024", "1024x768x", "1024x768x8", "0x480", "1024x768x32x1", "-640x480",
                          "123456x480", "1024 x768", ""}) {
    error.clear();
    EXPECT_FALSE(ParseModeRequest(bad, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(LaunchOptions, TheRequestIsFoundAmongTheOfferedModesTheDesktopsByDefault) {
  // Record 0 is the desktop (1024x768x24); the offered modes follow, deepest first.
  const DisplayMode table[] = {Mode(1024, 768, 24), Mode(640, 480, 32), Mode(1024, 768, 32), Mode(640, 480, 24),
                               Mode(1024, 768, 24), Mode(640, 480, 16)};
  EXPECT_EQ(FindRequestedMode(table, 6, std::nullopt), 4);
  EXPECT_EQ(FindRequestedMode(table, 6, ModeRequest{640, 480, 0}), 3);   // the desktop's depth
  EXPECT_EQ(FindRequestedMode(table, 6, ModeRequest{640, 480, 16}), 5);
  EXPECT_EQ(FindRequestedMode(table, 6, ModeRequest{800, 600, 0}), -1);
  EXPECT_EQ(FindRequestedMode(table, 6, ModeRequest{1024, 768, 16}), -1);
  // A size offered only at other depths: the deepest of them.
  const DisplayMode other[] = {Mode(800, 600, 16), Mode(640, 480, 32), Mode(640, 480, 24)};
  EXPECT_EQ(FindRequestedMode(other, 3, ModeRequest{640, 480, 0}), 1);
  // A desktop mode that is not among the offered ones is record 0 itself.
  EXPECT_EQ(FindRequestedMode(other, 3, std::nullopt), 0);
  EXPECT_EQ(OfferedModes(other, 3), "640x480x32, 640x480x24");
}

TEST(LaunchOffer, EveryRecordButTheFirstInTableOrderWithThePresetsLineAndBoxes) {
  const DisplayMode table[] = {Mode(1024, 768, 32), Mode(320, 200, 32), Mode(640, 480, 24), Mode(640, 480, 16)};
  const platform::LaunchOffer plain = BuildLaunchOffer(table, 4, {}, 0);
  EXPECT_EQ(plain.modes, (std::vector<std::string>{"320x200x32", "640x480x24", "640x480x16"}));
  EXPECT_EQ(plain.selection, 0);
  EXPECT_FALSE(plain.windowed || plain.nosound);
  LaunchPreset preset;
  preset.windowed = true;
  preset.nosound = true;
  const platform::LaunchOffer preselected = BuildLaunchOffer(table, 4, preset, 3);
  EXPECT_EQ(preselected.selection, 2);
  EXPECT_TRUE(preselected.windowed && preselected.nosound);
  // Only the desktop's record: nothing offered, nothing selected.
  EXPECT_TRUE(BuildLaunchOffer(table, 1, {}, 0).modes.empty());
  EXPECT_EQ(BuildLaunchOffer(table, 1, {}, 0).selection, -1);
  EXPECT_EQ(ModeLabel({640, 480, 16, 0, 0, 0, 1}), "640x480x16");
}

}  // namespace
