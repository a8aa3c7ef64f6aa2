// The session's start-up in its order, and every way out: normal end, Exit, a preset mode not offered, quit at the
// first present, Escape, closing the window, each display set-up failure, and the music release failures.
#include <gtest/gtest.h>

#include <vector>

#include "core/scenes.h"
#include "core/show_state.h"
#include "core/timeline.h"
#include "display/display_setup.h"
#include "session_fixture.h"

namespace {

using namespace host_test;
using platform::ShowEvent;
using platform::VideoFault;
using platform::VideoStep;

using StartUp = SessionTest;

TEST_F(StartUp, RunsEveryStepInOrderThenEndsNormally) {
  script.presents = 2;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.calls, Concat({kBeforeDialog, kOpenSoundAndFullScreen, kShowWindowAndTicker, kFullPresent,
                                kStartMusic, kFullPresent, kFullPresent, kNormalEnd}));
  EXPECT_TRUE(script.hooksFilled);
  EXPECT_EQ(session->SelectedMode(), 1);
  EXPECT_EQ(view.offered.modes, (Strings{"800x600x32", "640x480x16", "800x600x16"}));
  EXPECT_EQ(view.offered.selection, 0);
}

TEST_F(StartUp, ExitInTheDialogEndsAtOnceWithNothingOpened) {
  view.runDemo = false;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.calls, kBeforeDialog);
  EXPECT_FALSE(script.ran);
}

TEST_F(StartUp, APresetModeSkipsOrPresetsTheDialogAndOneNotOfferedEndsWithStatusTwo) {
  preset.mode = ModeRequest{640, 480, 0};
  preset.skipDialog = true;
  preset.windowed = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.Count("LaunchView"), 0);
  EXPECT_EQ(session->SelectedMode(), 2);
  EXPECT_EQ(fake.Count("OpenWindowed " + std::string(kWindowedTitle) + " 640x480"), 1);

  SetUp();
  fake.calls.clear();
  preset = {};
  preset.mode = ModeRequest{800, 600, 16};
  preset.nosound = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(view.offered.selection, 2);
  EXPECT_TRUE(view.offered.nosound);

  SetUp();
  fake.calls.clear();
  preset = {};
  preset.mode = ModeRequest{12, 34, 0};
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(), kStatusBadPreset);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("does not offer 12x34"), std::string::npos);
  EXPECT_EQ(fake.Count("LaunchView"), 0);
  EXPECT_EQ(fake.Count("OpenDevice"), 0);
}

TEST_F(StartUp, AWindowTakesAnySizeThatFitsTheDesktopAndOneTooLargeEndsWithStatusTwo) {
  // A display that offers only its own mode.
  const auto onlyItsOwn = [this] { fake.SetModes({Mode(1024, 768, 32), {Mode(1024, 768, 32)}}); };
  const std::string window = "OpenWindowed " + std::string(kWindowedTitle) + " ";
  onlyItsOwn();
  preset.mode = ModeRequest{640, 480, 0};
  preset.windowed = preset.skipDialog = true;
  script.presents = 1;
  scale = PictureScale::kInteger;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.Count(window + "640x480"), 1);
  // Twice the picture fits in 640 x 480: 640 x 400, 40 rows of black above and below.
  EXPECT_EQ(fake.Count("Present 0,40,640,440"), 2);

  // The dialog keeps the size while its window box stays ticked on the line it preset.
  for (const bool windowed : {true, false}) {
    SetUp();
    fake.calls.clear();
    onlyItsOwn();
    preset = {};
    preset.mode = ModeRequest{640, 480, 0};
    preset.windowed = true;
    view.windowed = windowed;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fake.Count(window + "640x480"), windowed ? 1 : 0);
    EXPECT_EQ(fake.Count("OpenFullScreen Test 1024x768x32"), windowed ? 0 : 1);
  }

  SetUp();
  fake.calls.clear();
  onlyItsOwn();
  preset = {};
  preset.mode = ModeRequest{1280, 1024, 0};
  preset.windowed = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(), kStatusBadPreset);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("a 1280x1024 window does not fit on the 1024x768 desktop"),
            std::string::npos);
  EXPECT_EQ(fake.Count("OpenDevice"), 0);

  // Full screen still takes only what the display offers.
  SetUp();
  onlyItsOwn();
  preset = {};
  preset.mode = ModeRequest{640, 480, 0};
  preset.skipDialog = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(), kStatusBadPreset);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("does not offer 640x480"), std::string::npos);
}

TEST_F(StartUp, NosoundSilencesTheMusicAfterStartingIt) {
  view.nosound = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(CallsFrom("Play"), Concat({kStartMusic, {"SetVolume 0"}, kNormalEnd}));
}

TEST_F(StartUp, AQuitAlreadyWaitingEndsTheProgramAtTheFirstPresent) {
  fake.onCall = [this](const std::string& call) {
    if (call.rfind("TickerStart", 0) == 0) fake.Device().Post(ShowEvent::kEscape);
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(CallsFrom("Lock"), Concat({kFullPresent, kQuitTeardown}));
}

TEST_F(StartUp, TheShowsTablesAreBuiltMeanwhileAndAQuitWaitingStillEndsAtTheFirstPresent) {
  fake.onCall = [this](const std::string& call) {
    if (call.rfind("TickerStart", 0) == 0) fake.Device().Post(ShowEvent::kEscape);
  };
  ResetShowState();
  EXPECT_EQ(Run(RunShow), 0);
  EXPECT_EQ(CallsFrom("Lock"), Concat({kFullPresent, kQuitTeardown}));
  // The tables were finished, not abandoned, by the time the session returned.
  const std::vector<uint8_t> built(DisplacementMap, DisplacementMap + kPlaneBytes);
  PrepareShowTables();
  EXPECT_EQ(built, std::vector<uint8_t>(DisplacementMap, DisplacementMap + kPlaneBytes));
}

TEST_F(StartUp, EscapeDuringTheShowEndsItAtTheEndOfThatPresentWithNoMoreOfTheShow) {
  script.beforePresent = [this](int present) {
    if (present == 2) fake.Device().Post(ShowEvent::kEscape);
  };
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(script.presentsMade, 2);  // the third present never returned
  EXPECT_EQ(fake.Count("Present"), 4);
  const Strings tail(fake.calls.end() - 8, fake.calls.end());
  EXPECT_EQ(tail, Concat({{"Present 0,0,800,600", "DispatchPending"}, kQuitTeardown}));
  EXPECT_FALSE(fake.Device().Surfaces());
}

TEST_F(StartUp, OtherKeysDoNothing) {
  script.presents = 3;
  script.beforePresent = [this](int) { fake.Device().Post(ShowEvent::kOtherKey); };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(script.presentsMade, 3);
  EXPECT_EQ(fake.Count("Stop"), 0);
}

TEST_F(StartUp, ClosingTheWindowDestroysItAndQuitsLikeEscape) {
  script.beforePresent = [this](int present) {
    if (present == 1) fake.Device().Post(ShowEvent::kCloseRequested);
  };
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(script.presentsMade, 1);
  EXPECT_EQ(CallsFrom("DestroyWindow"), Concat({{"DestroyWindow"}, kQuitTeardown}));
}

TEST_F(StartUp, AllWaitingEventsAreHandledBeforeTheShowGoesOn) {
  script.presents = 2;
  script.beforePresent = [this](int present) {
    if (present == 0) {
      fake.Device().Post(ShowEvent::kDeactivated);
      fake.Device().Post(ShowEvent::kOtherKey);
      fake.Device().Post(ShowEvent::kActivated);
    }
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(session->AppActive());
  EXPECT_EQ(fake.Count("Present"), 3);
}

TEST_F(StartUp, AQuitInAWindowLeavesTheCursorAlone) {
  view.windowed = true;
  script.beforePresent = [this](int) { fake.Device().Post(ShowEvent::kEscape); };
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(fake.Count("ShowCursor"), 0);
  EXPECT_EQ(CallsFrom("Stop"), (Strings{"Stop", "Free", "CloseDevice", "Release", "TickerStop"}));
}

TEST_F(StartUp, WhileInactiveNothingIsDrawnButThePumpRunsAndTheShowGoesOn) {
  script.presents = 8;
  script.beforePresent = [this](int present) {
    if (present == 1) fake.Device().Post(ShowEvent::kDeactivated);
    if (present == 6) fake.Device().Post(ShowEvent::kActivated);
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(script.presentsMade, 8);
  // Drawn: start-up's frame, presents 0 and 1 (the event is handled at its end) and 7 (present 6 handles the
  // reactivation at its end).
  EXPECT_EQ(fake.Count("Present"), 4);
  EXPECT_EQ(Presents(), 9);
}

TEST_F(StartUp, AFailingStopSongIsReportedAndTheQuitGoesOn) {
  fake.stopResult = false;
  script.beforePresent = [this](int) { fake.Device().Post(ShowEvent::kEscape); };
  EXPECT_EQ(Run(EndlessShow), 0);
  Strings expected = kQuitTeardown;
  expected.insert(expected.begin() + 1, "MessageBox StopSong|(none)|1");
  EXPECT_EQ(CallsFrom("Stop"), expected);
}

TEST_F(StartUp, AFailingFreeSongIsReportedOnEitherWayOut) {
  fake.freeResult = false;
  EXPECT_EQ(Run(), 0);
  Strings expected = kNormalEnd;
  expected.insert(expected.begin() + 1, "MessageBox FreeSong|(none)|1");
  EXPECT_EQ(CallsFrom("Free"), expected);

  fake.calls.clear();
  script = ShowScript{};
  script.beforePresent = [this](int) { fake.Device().Post(ShowEvent::kEscape); };
  EXPECT_EQ(Run(EndlessShow), 0);
  expected = kQuitTeardown;
  expected.insert(expected.begin() + 2, "MessageBox FreeSong|(none)|1");
  EXPECT_EQ(CallsFrom("Stop"), expected);
}

TEST_F(StartUp, TheLoaderAsksForTheFixedLengthButNeverPastTheResource) {
  fake.resources["XMFILE"].resize(100000);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.Count("Load 79327"), 1);
  fake.calls.clear();
  fake.resources["XMFILE"].resize(1000);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.Count("Load 1000"), 1);
}

TEST_F(StartUp, AModuleThatDoesNotLoadLeavesEveryMusicCallHarmless) {
  fake.resources.erase("XMFILE");
  fake.musicLoads = false;
  script.presents = 1;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(CallsFrom("Load"), Concat({{"Load 0", "ShowCursor 0", "OpenFullScreen Test 800x600x32"}, kShowWindowAndTicker, kFullPresent, kStartMusic, kFullPresent,
                                       {"Free", "MessageBox FreeSong|(none)|1", "CloseDevice", "Release"}}));
}

TEST_F(StartUp, NoDisplayEndsTheProgramAfterItsMessage) {
  fake.Device().FailStep(VideoStep::kCreate);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.calls, (Strings{"Create", "MessageBox DirectDrawCreate error|DDRAW ERROR|0", "Release"}));
}

TEST_F(StartUp, NoUsableModeEndsTheProgramAfterAMessage) {
  fake.SetModes({Mode(640, 480, 8), {Mode(640, 480, 8), Mode(800, 600, 15)}});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.calls, (Strings{"Create", "CurrentMode", "ForEachMode",
                                 "MessageBox EnumDisplayModes error|DDRAW ERROR|0", "Release"}));
}

// A failed full-screen set-up destroys its window, which asks to quit; start-up goes on to the first present,
// which draws nothing, and its pump ends the program.
struct SetupFailure {
  const char* name;
  VideoStep step;
  const char* text;
};

class FullScreenSetupFailure : public SessionTest, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(FullScreenSetupFailure, EndsThroughTheQuitPathAtTheFirstPresent) {
  fake.Device().FailStep(GetParam().step);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(fake.Count("Lock"), 0);
  EXPECT_EQ(CallsFrom("MessageBox"),
            Concat({{std::string("MessageBox ") + GetParam().text + "|DDRAW ERROR|0", "DestroyWindow", "ShowWindow",
                     "TickerStart 20", "DispatchPending"},
                    kQuitTeardown}));
}

INSTANTIATE_TEST_SUITE_P(
    EachError, FullScreenSetupFailure,
    ::testing::Values(SetupFailure{"Level", VideoStep::kCooperativeLevel, "SetCooperativeLevel error"},
                      SetupFailure{"Mode", VideoStep::kDisplayMode, "SetDisplayMode error"},
                      SetupFailure{"Surface", VideoStep::kPrimarySurface, "CreateSurface error"},
                      SetupFailure{"BackBuffer", VideoStep::kBackBuffer, "GetAttachedSurface error"}),
    [](const ::testing::TestParamInfo<SetupFailure>& p) { return std::string(p.param.name); });

class WindowedSetupFailure : public SessionTest, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(WindowedSetupFailure, EndsThroughTheQuitPathAfterItsMessageWithoutStartingTheTicker) {
  view.windowed = true;
  fake.Device().FailStep(GetParam().step);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(CallsFrom("MessageBox"), (Strings{std::string("MessageBox ") + GetParam().text + "|DDRAW ERROR|0",
                                              "Stop", "Free", "CloseDevice", "Release"}));
}

INSTANTIATE_TEST_SUITE_P(
    EachError, WindowedSetupFailure,
    ::testing::Values(SetupFailure{"Level", VideoStep::kCooperativeLevel, "SetCooperativeLevel error"},
                      SetupFailure{"Surface", VideoStep::kPrimarySurface, "CreateSurface error"},
                      SetupFailure{"Clipper", VideoStep::kClipper, "CreateClipper error"},
                      SetupFailure{"Work", VideoStep::kWorkSurface, "CreateSurface error"}),
    [](const ::testing::TestParamInfo<SetupFailure>& p) { return std::string(p.param.name); });

TEST_F(StartUp, AFailedQueryOfTheDesktopsModeIsNamedAndTheListStillBuilt) {
  fake.Device().FailStep(VideoStep::kCurrentMode, VideoFault::kInvalidParams);
  view.runDemo = false;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.calls, (Strings{"Create", "CurrentMode", "MessageBox invalidparams|(none)|0", "ForEachMode",
                                 "LaunchView"}));
  // Record 0 is then the first mode enumerated, and is not offered.
  EXPECT_EQ(session->ModeTable()[0].width, 640);
  EXPECT_EQ(view.offered.modes, (Strings{"800x600x32", "800x600x16"}));
}

}  // namespace

namespace {

using namespace host_test;

using Launch = SessionTest;

TEST_F(Launch, TheChosenLineAndBoxesBecomeTheSettingsAndLoopStaysOff) {
  interfaceBlock.loopRequested = 1;
  view.wanted = "800x600x16";
  view.windowed = true;
  view.nosound = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(session->SelectedMode(), 3);
  EXPECT_EQ(interfaceBlock.windowed, 1);
  EXPECT_EQ(interfaceBlock.soundOn, 0);
  EXPECT_EQ(interfaceBlock.loopRequested, 0);
}

// Notes the show's start among the platform's calls.
class StartWatcher : public FrameObserver {
 public:
  explicit StartWatcher(Strings& calls) : calls_(calls) {}
  void OnShowStart(const ShowChoices& choices) override {
    calls_.push_back(std::string("ShowStart") + (choices.windowed ? " windowed" : "") +
                     (choices.nosound ? " nosound" : ""));
  }
  void OnFrame(const FrameHandOver&) override {}

 private:
  Strings& calls_;
};

TEST_F(Launch, ObserversHearTheChoicesOnceBeforeSoundAndDisplayOpenAndNothingWhenTheUserLeaves) {
  StartWatcher watcher(fake.calls);
  observer = &watcher;
  view.windowed = true;
  view.nosound = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.Count("ShowStart windowed nosound"), 1);
  EXPECT_EQ(CallsFrom("LaunchView").at(1), "ShowStart windowed nosound");

  SetUp();
  fake.calls.clear();
  view.runDemo = false;
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(CallsFrom("ShowStart").empty());
}

TEST_F(Launch, AnEmptyListPicksTheDesktopsOwnRecord) {
  fake.SetModes({Mode(800, 600, 32), {Mode(640, 480, 8)}});
  view.windowed = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(view.offered.modes.empty());
  EXPECT_EQ(session->SelectedMode(), 0);
  EXPECT_EQ(fake.Count(std::string("OpenWindowed ") + kWindowedTitle + " 800x600"), 1);
}

}  // namespace
