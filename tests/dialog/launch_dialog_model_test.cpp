// The launch dialog's model: which modes it offers, what the selection picks, what "Run Demo" writes.
#include "host/launch_dialog_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using ::testing::ElementsAre;

DisplayMode Mode(int32_t width, int32_t height, int32_t depth) {
  return {width, height, depth, 0, 0, 0, 1};
}

// Record 0 is the desktop's mode; the rest are the offered ones, already sorted by the mode list.
const std::vector<DisplayMode> kFourModes = {Mode(1024, 768, 32), Mode(320, 200, 32), Mode(640, 480, 24),
                                            Mode(640, 480, 16)};

// Settings left from an earlier run, so that every field "Run Demo" writes is seen to change.
void MakeStale(InterfaceBlock& block) {
  block.windowed = 1;
  block.soundOn = 0;
  block.loopRequested = 1;
}

TEST(LaunchDialogModelList, OffersEveryRecordButTheFirstInTableOrderAndSelectsTheFirst) {
  LaunchDialogModel model(kFourModes.data(), 4);
  EXPECT_THAT(model.Items(), ElementsAre("320x200x32", "640x480x24", "640x480x16"));
  EXPECT_EQ(model.Selection(), 0);
}

TEST(LaunchDialogModelList, AnEmptyTableOffersNothingAndSelectsNothing) {
  for (int32_t count : {0, 1}) {
    LaunchDialogModel model(kFourModes.data(), count);
    EXPECT_TRUE(model.Items().empty());
    EXPECT_EQ(model.Selection(), -1);
  }
}

TEST(LaunchDialogModelList, NeverReadsPastTheTable) {
  std::vector<DisplayMode> full(kModeTableSize, Mode(640, 480, 16));
  LaunchDialogModel model(full.data(), kModeTableSize + 40);
  EXPECT_EQ(model.Items().size(), static_cast<size_t>(kModeTableSize - 1));
}

TEST(LaunchDialogModelRunDemo, UntouchedDialogPicksTheFirstLineFullScreenWithSound) {
  LaunchDialogModel model(kFourModes.data(), 4);
  InterfaceBlock block;
  MakeStale(block);
  int32_t chosen = -7;
  model.RunDemo(block, chosen);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(block.windowed, 0);
  EXPECT_EQ(block.loopRequested, 0);
  EXPECT_EQ(block.soundOn, 1);
}

TEST(LaunchDialogModelRunDemo, ChosenLineNPicksRecordNPlusOne) {
  LaunchDialogModel model(kFourModes.data(), 4);
  InterfaceBlock block;
  int32_t chosen = 0;
  model.Select(2);
  model.RunDemo(block, chosen);
  EXPECT_EQ(chosen, 3);
  // A line outside the list keeps the last real choice.
  model.Select(3);
  model.Select(-1);
  model.RunDemo(block, chosen);
  EXPECT_EQ(chosen, 3);
}

TEST(LaunchDialogModelRunDemo, AnEmptyListPicksTheDesktopRecord) {
  LaunchDialogModel model(kFourModes.data(), 1);
  InterfaceBlock block;
  int32_t chosen = 5;
  model.RunDemo(block, chosen);
  EXPECT_EQ(chosen, 0);
}

TEST(LaunchDialogModelRunDemo, BoxesBecomeSettingsAndLoopStaysOff) {
  LaunchDialogModel model(kFourModes.data(), 4);
  model.SetWindowed(true);
  model.SetNosound(true);
  InterfaceBlock block;
  int32_t chosen = 0;
  model.RunDemo(block, chosen);
  EXPECT_EQ(block.windowed, 1);
  EXPECT_EQ(block.soundOn, 0);
  EXPECT_EQ(block.loopRequested, 0);
  EXPECT_FALSE(LaunchDialogModel::kLoopEnabled);

  // The boxes' states when "Run Demo" is pressed are what counts.
  model.SetWindowed(false);
  model.SetNosound(false);
  model.RunDemo(block, chosen);
  EXPECT_EQ(block.windowed, 0);
  EXPECT_EQ(block.soundOn, 1);
}

TEST(ModeLabel, WidthHeightAndBitsPerPixel) {
  EXPECT_EQ(ModeLabel(Mode(640, 480, 16)), "640x480x16");
  EXPECT_EQ(ModeLabel(Mode(1920, 1080, 32)), "1920x1080x32");
}

}  // namespace
