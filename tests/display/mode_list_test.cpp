// The display-mode list: what enters the table, its order, its bound, and the failures of its queries.
#include <gtest/gtest.h>

#include "display_fixture.h"

namespace {

using display_test::DisplayTest;
using display_test::Mode;

std::string Label(const DisplayMode& m) {
  return std::to_string(m.width) + "x" + std::to_string(m.height) + "x" + std::to_string(m.depth);
}

std::vector<std::string> Labels() {
  std::vector<std::string> labels;
  for (int32_t i = 0; i < interfaceBlock.modeCount; ++i) labels.push_back(Label(modeTable[i]));
  return labels;
}

using ModeList = DisplayTest;

TEST_F(ModeList, DesktopFirstThenDeepestNarrowestLowest) {
  fake::State().modes = {Mode(640, 480, 16, 0x7E0), Mode(320, 200, 32), Mode(800, 600, 32), Mode(640, 400, 32),
                         Mode(320, 240, 24)};
  EXPECT_EQ(BuildModeList(nullptr), 1);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"1024x768x32", "320x200x32", "640x400x32", "800x600x32",
                                                "320x240x24", "640x480x16"}));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"RegisterWindowClass MyClass", "DirectDrawCreate", "GetDisplayMode",
                                               "EnumDisplayModes"}));
}

TEST_F(ModeList, EqualWidthsGoByHeight) {
  fake::State().modes = {Mode(640, 480, 32), Mode(640, 400, 32), Mode(640, 350, 32)};
  BuildModeList(nullptr);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"1024x768x32", "640x350x32", "640x400x32", "640x480x32"}));
}

TEST_F(ModeList, EightAndFifteenBitModesAreDropped) {
  fake::State().modes = {Mode(640, 480, 8), fake::FakeState::Mode(640, 480, 15, 0x7C00, 0x3E0, 0x1F),
                         Mode(640, 480, 4), Mode(640, 480, 24)};
  BuildModeList(nullptr);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"1024x768x32", "640x480x24"}));
}

TEST_F(ModeList, GreenWidthTellsFiveFromSixBits) {
  fake::State().modes = {Mode(640, 480, 16, 0x3E0), Mode(800, 600, 16, 0x7E0), Mode(320, 200, 32, 0xFF00)};
  BuildModeList(nullptr);
  EXPECT_EQ(Label(modeTable[1]), "320x200x32");
  EXPECT_EQ(modeTable[1].greenWidth, 1);
  EXPECT_EQ(Label(modeTable[2]), "640x480x16");
  EXPECT_EQ(modeTable[2].greenWidth, 0);
  EXPECT_EQ(modeTable[2].greenMask, 0x3E0u);
  EXPECT_EQ(modeTable[2].redMask, 0x7C00u);
  EXPECT_EQ(modeTable[3].greenWidth, 1);
}

TEST_F(ModeList, ModesBeyondTheTableAreIgnored) {
  fake::State().modes.clear();
  for (int32_t i = 0; i < 400; ++i) fake::State().modes.push_back(Mode(320 + i, 200, 32));
  BuildModeList(nullptr);
  EXPECT_EQ(interfaceBlock.modeCount, kModeTableSize);
  EXPECT_EQ(Label(modeTable[1]), "320x200x32");
  EXPECT_EQ(Label(modeTable[kModeTableSize - 1]), "574x200x32");
}

TEST_F(ModeList, NoDisplayObjectMeansAMessageAndNoList) {
  fake::State().createResult = platform::kDisplayGenericError;
  EXPECT_EQ(BuildModeList(nullptr), 0);
  EXPECT_EQ(interfaceBlock.modeCount, 0);
  EXPECT_EQ(displayObject, nullptr);
  EXPECT_EQ(Calls().back(), "DestroyWindow nowindow");
  EXPECT_EQ(Calls()[Calls().size() - 2], "MessageBox DDRAW ERROR: DirectDrawCreate error");
}

TEST_F(ModeList, AFailedQueryIsReportedAndTheFirstEnumeratedModeBecomesRecordZero) {
  const std::pair<platform::DisplayResult, std::string> cases[] = {
      {platform::kDisplayInvalidObject, "invalidobject"},
      {platform::kDisplayInvalidParams, "invalidparams"},
      {platform::kDisplayUnsupportedMode, "unsupportedmode"},
      {platform::kDisplayGenericError, "GetDisplayMode error"}};
  for (const auto& [result, text] : cases) {
    SetUp();
    fake::State().getModeResult = result;
    fake::State().modes = {Mode(640, 480, 8), Mode(800, 600, 24), Mode(320, 200, 32)};
    EXPECT_EQ(BuildModeList(nullptr), 1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"800x600x24", "320x200x32"})) << text;
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RegisterWindowClass MyClass", "DirectDrawCreate",
                                                 "GetDisplayMode", "MessageBox (default): " + text,
                                                 "EnumDisplayModes"}));
  }
}

TEST_F(ModeList, CompareModesOrdersByDepthWidthHeight) {
  const DisplayMode a{640, 480, 32, 0, 0, 0, 1};
  DisplayMode b = a;
  EXPECT_EQ(CompareModes(a, b), 0);
  b.depth = 16;
  EXPECT_LT(CompareModes(a, b), 0);
  EXPECT_GT(CompareModes(b, a), 0);
  b = a;
  b.width = 800;
  EXPECT_LT(CompareModes(a, b), 0);
  b = a;
  b.height = 400;
  EXPECT_GT(CompareModes(a, b), 0);
}

}  // namespace
