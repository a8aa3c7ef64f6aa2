// Display set-up on both paths, each of its failures, and the release of what it created.
#include <gtest/gtest.h>

#include "display_fixture.h"

namespace {

using display_test::DisplayTest;
using Strings = std::vector<std::string>;

const std::string kWindowedCreate =
    "CreateShowWindow MyClass \"Vesk by Orrent - First place in PC introcompo at Tarnfest'96\" framed 800x600";

class DisplaySetup : public DisplayTest {
 protected:
  int32_t Setup(bool windowed) {
    BuildAndSelect(800, 600, 32);
    interfaceBlock.windowed = windowed ? 1 : 0;
    fake::State().calls.clear();
    return SetupDisplay();
  }
  static bool HooksFilled() {
    return interfaceBlock.hooks[kHookPresentFrame] == PresentFrame &&
           interfaceBlock.hooks[kHookRefreshPalette] == RefreshPalette;
  }
  static bool HooksEmpty() {
    return interfaceBlock.hooks[kHookPresentFrame] == nullptr && interfaceBlock.hooks[kHookRefreshPalette] == nullptr;
  }
};

TEST_F(DisplaySetup, FullScreenInItsOrder) {
  EXPECT_EQ(Setup(false), 1);
  EXPECT_EQ(Calls(), (Strings{"ShowCursor 0", "CreateShowWindow MyClass \"Test\" popup 800x600",
                              "SetCooperativeLevel 0x13", "SetDisplayMode 800x600x32",
                              "CreateSurface flags=0x21 caps=0x218 back=1", "GetAttachedSurface 0x4"}));
  EXPECT_TRUE(HooksFilled());
  EXPECT_NE(workSurface, nullptr);
  EXPECT_EQ(lockDescription.caps, 0x218u);
}

TEST_F(DisplaySetup, WindowedInItsOrderWithTheClientAreaOfTheMode) {
  EXPECT_EQ(Setup(true), 1);
  EXPECT_EQ(Calls(), (Strings{kWindowedCreate, "FitClientArea 800x600", "SetWindowNotTopmost", "ShowWindow 5",
                              "UpdateWindow", "SetCooperativeLevel 0x8", "CreateSurface flags=0x1 caps=0x200",
                              "CreateClipper", "ClipperSetWindow", "SetClipper primary", "Release clipper",
                              "CreateSurface flags=0x7 caps=0x40 800x600"}));
  EXPECT_TRUE(HooksFilled());
  EXPECT_EQ(clipper, nullptr);
  // The off-screen surface takes the desktop's format, whatever the depth of the chosen record.
  EXPECT_EQ(lockDescription.format.bitCount, 32);
  EXPECT_EQ(lockDescription.width, 800);
}

struct FailureCase {
  const char* name;
  bool windowed;
  void (*inject)();
  const char* text;
  const char* lastCall;
};

class SetupFailure : public DisplaySetup, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SetupFailure, ReportsAndLeavesTheHooksEmpty) {
  const FailureCase& c = GetParam();
  c.inject();
  EXPECT_EQ(Setup(c.windowed), 0);
  EXPECT_TRUE(HooksEmpty());
  Strings calls = Calls();
  const std::string box = std::string("MessageBox DDRAW ERROR: ") + c.text;
  if (c.windowed) {
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], c.lastCall);
    EXPECT_EQ(calls.back(), box);
    EXPECT_EQ(fake::Count("DestroyWindow"), 0);
  } else {
    // The show window goes, and with it (through its procedure) the program's activation.
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3], c.lastCall);
    EXPECT_EQ(calls[calls.size() - 2], box);
    EXPECT_EQ(calls.back(), "DestroyWindow");
    EXPECT_EQ(showWindow, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SetupFailure,
    ::testing::Values(
        FailureCase{"FullLevel", false, [] { fake::State().cooperativeResult = platform::kDisplayGenericError; },
                    "SetCooperativeLevel error", "SetCooperativeLevel 0x13"},
        FailureCase{"FullMode", false, [] { fake::State().displayModeResult = platform::kDisplayUnsupportedMode; },
                    "SetDisplayMode error", "SetDisplayMode 800x600x32"},
        FailureCase{"FullPrimary", false,
                    [] { fake::State().createSurfaceResults = {platform::kDisplayGenericError}; },
                    "CreateSurface error", "CreateSurface flags=0x21 caps=0x218 back=1"},
        FailureCase{"FullBackBuffer", false, [] { fake::State().attachedResult = platform::kDisplayGenericError; },
                    "GetAttachedSurface error", "GetAttachedSurface 0x4"},
        FailureCase{"WindowLevel", true, [] { fake::State().cooperativeResult = platform::kDisplayGenericError; },
                    "SetCooperativeLevel error", "SetCooperativeLevel 0x8"},
        FailureCase{"WindowPrimary", true,
                    [] { fake::State().createSurfaceResults = {platform::kDisplayGenericError}; },
                    "CreateSurface error", "CreateSurface flags=0x1 caps=0x200"},
        FailureCase{"WindowClipper", true, [] { fake::State().clipperResult = platform::kDisplayGenericError; },
                    "CreateClipper error", "CreateClipper"},
        FailureCase{"WindowOffscreen", true,
                    [] { fake::State().createSurfaceResults = {platform::kDisplayOk, platform::kDisplayGenericError}; },
                    "CreateSurface error", "CreateSurface flags=0x7 caps=0x40 800x600"}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });

TEST_F(DisplaySetup, ReleaseGoesNewestFirstAndOnlyOnce) {
  Setup(false);
  fake::State().calls.clear();
  ReleaseDisplay();
  EXPECT_EQ(Calls(), (Strings{"Release back", "Release primary", "Release display"}));
  ReleaseDisplay();
  EXPECT_EQ(Calls().size(), 3u);
  EXPECT_EQ(displayObject, nullptr);
  EXPECT_EQ(workSurface, nullptr);
  EXPECT_EQ(primarySurface, nullptr);
}

TEST_F(DisplaySetup, ReleaseAfterAFailedSetUpReleasesWhatWasCreated) {
  fake::State().attachedResult = platform::kDisplayGenericError;
  Setup(false);
  fake::State().calls.clear();
  ReleaseDisplay();
  EXPECT_EQ(Calls(), (Strings{"Release primary", "Release display"}));
}

TEST_F(DisplaySetup, ReleaseWithoutADisplayObjectDoesNothing) {
  ReleaseDisplay();
  EXPECT_EQ(Calls(), (Strings{"RegisterWindowClass MyClass"}));
}

}  // namespace
