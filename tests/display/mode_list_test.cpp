// The display-mode list: what enters the table, its order, its bound, and the failures of its queries.
#include "display/mode_list.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_device.h"

namespace {

platform::VideoMode Mode(int32_t w, int32_t h, int32_t bits, uint32_t green = 0) {
  if (bits == 16) return {w, h, {16, green == 0x3E0 ? 0x7C00u : 0xF800u, green != 0 ? green : 0x7E0u, 0x1F}};
  return {w, h, {bits, 0xFF0000, green != 0 ? green : 0xFF00u, 0xFF}};
}

class ModeList : public ::testing::Test {
 protected:
  // Builds the list from a display of a 1024x768x32 desktop offering modes.
  bool Build(std::vector<platform::VideoMode> modes) {
    device = std::make_unique<platform::MemoryDevice>(platform::MemoryDisplay{Mode(1024, 768, 32), std::move(modes)});
    for (const auto& [step, fault] : failures) device->FailStep(step, fault);
    count = 0;
    return BuildModeList(*device, table, count);
  }
  std::vector<std::string> Labels() const {
    std::vector<std::string> labels;
    for (int32_t i = 0; i < count; ++i) {
      labels.push_back(std::to_string(table[i].width) + "x" + std::to_string(table[i].height) + "x" +
                       std::to_string(table[i].depth));
    }
    return labels;
  }

  std::vector<std::pair<platform::VideoStep, platform::VideoFault>> failures;
  std::unique_ptr<platform::MemoryDevice> device;
  DisplayMode table[kModeTableSize] = {};
  int32_t count = 0;
};

TEST_F(ModeList, DesktopFirstThenDeepestNarrowestLowestAndEqualWidthsByHeight) {
  EXPECT_TRUE(Build({Mode(640, 480, 16), Mode(320, 200, 32), Mode(800, 600, 32), Mode(640, 400, 32),
                     Mode(320, 240, 24), Mode(640, 350, 32)}));
  EXPECT_EQ(Labels(), (std::vector<std::string>{"1024x768x32", "320x200x32", "640x350x32", "640x400x32",
                                                "800x600x32", "320x240x24", "640x480x16"}));
}

TEST_F(ModeList, EightAndFifteenBitModesAreDropped) {
  Build({Mode(640, 480, 8), {640, 480, {15, 0x7C00, 0x3E0, 0x1F}}, Mode(640, 480, 4), Mode(640, 480, 24)});
  EXPECT_EQ(Labels(), (std::vector<std::string>{"1024x768x32", "640x480x24"}));
}

TEST_F(ModeList, GreenWidthTellsFiveFromSixBits) {
  Build({Mode(640, 480, 16, 0x3E0), Mode(800, 600, 16, 0x7E0), Mode(320, 200, 32, 0xFF00)});
  EXPECT_EQ(table[1].greenWidth, 1);
  EXPECT_EQ(table[2].width, 640);
  EXPECT_EQ(table[2].greenWidth, 0);
  EXPECT_EQ(table[2].greenMask, 0x3E0u);
  EXPECT_EQ(table[2].redMask, 0x7C00u);
  EXPECT_EQ(table[3].greenWidth, 1);
}

TEST_F(ModeList, ModesBeyondTheTableAreIgnored) {
  std::vector<platform::VideoMode> many;
  for (int32_t i = 0; i < 400; ++i) many.push_back(Mode(320 + i, 200, 32));
  Build(many);
  EXPECT_EQ(count, kModeTableSize);
  EXPECT_EQ(table[1].width, 320);
  EXPECT_EQ(table[kModeTableSize - 1].width, 574);
}

TEST_F(ModeList, NoDeviceMeansNoList) {
  failures = {{platform::VideoStep::kCreate, platform::VideoFault::kOther}};
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Build({Mode(640, 480, 32)}));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("DirectDrawCreate error"), std::string::npos);
  EXPECT_EQ(count, 0);
}

TEST_F(ModeList, AFailedQueryIsNamedAndTheFirstEnumeratedModeBecomesRecordZero) {
  const std::pair<platform::VideoFault, std::string> cases[] = {
      {platform::VideoFault::kInvalidObject, "invalidobject"},
      {platform::VideoFault::kInvalidParams, "invalidparams"},
      {platform::VideoFault::kUnsupportedMode, "unsupportedmode"},
      {platform::VideoFault::kOther, "GetDisplayMode error"}};
  for (const auto& [fault, text] : cases) {
    failures = {{platform::VideoStep::kCurrentMode, fault}};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Build({Mode(640, 480, 8), Mode(800, 600, 24), Mode(320, 200, 32)}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(text), std::string::npos) << text;
    EXPECT_EQ(Labels(), (std::vector<std::string>{"800x600x24", "320x200x32"})) << text;
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
