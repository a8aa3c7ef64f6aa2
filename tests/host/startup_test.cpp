// Start-up in its order, and every way out: normal end, Exit, quit at the first present, Escape, closing the
// window, each display set-up failure, and the music release failures.
#include <gtest/gtest.h>

#include "host/music.h"
#include "host_fixture.h"

namespace {

using namespace host_test;

Strings Concat(std::initializer_list<Strings> parts) {
  Strings all;
  for (const Strings& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Strings kBeforeDialog = {"DirectDrawCreate", "GetDisplayMode", "EnumDisplayModes",
                               "RegisterWindowClass MyClass", "LaunchDialog"};
const Strings kOpenSoundAndFullScreen = {"SoundInit 44100 32 2",
                                         "FindResource xmfile",
                                         "LoadSongMemory 79327",
                                         "ShowCursor 0",
                                         "CreateShowWindow MyClass \"Test\" popup 800x600",
                                         "SetCooperativeLevel 0x13",
                                         "SetDisplayMode 800x600x32",
                                         "CreateSurface flags=0x21 caps=0x218 back=1",
                                         "GetAttachedSurface 0x4"};
const Strings kShowWindowAndTimer = {"ShowWindow 10", "UpdateWindow", "TimeBeginPeriod 1",
                                     "TimeSetEvent 20 1 user=0 periodic"};
const Strings kStartMusic = {"SetPanSeparation song 0", "PlaySong song"};
const Strings kNormalEnd = {"FreeSong song", "SoundClose", "Release back", "Release primary", "Release display",
                            "ExitProcess 0"};

using StartUp = HostTest;

TEST_F(StartUp, RunsEveryStepInOrderThenEndsNormally) {
  script.presents = 2;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::State().calls, Concat({kBeforeDialog, kOpenSoundAndFullScreen, kShowWindowAndTimer, kFullPresent,
                                         kStartMusic, kFullPresent, kFullPresent, kNormalEnd}));
  EXPECT_TRUE(script.hooksFilled);
  EXPECT_TRUE(fake::TimerRunning());  // the normal end leaves the timer to the end of the process
}

TEST_F(StartUp, ExitInTheDialogEndsAtOnceWithNothingOpened) {
  dialog.result = kLaunchExit;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::State().calls, kBeforeDialog);
  EXPECT_FALSE(script.ran);
}

TEST_F(StartUp, NosoundSilencesTheMusicAfterStartingIt) {
  dialog.soundOn = 0;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(CallsFrom("SetPanSeparation"),
            Concat({kStartMusic, {"SetMasterVolume song 0"}, kNormalEnd}));
}

TEST_F(StartUp, AQuitAlreadyWaitingEndsTheProgramAtTheFirstPresent) {
  fake::State().onCall = [](const std::string& call) {
    if (call.rfind("TimeSetEvent", 0) == 0) fake::Post(platform::MessageKind::kKeyDown, platform::kVirtualKeyEscape);
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(CallsFrom("Lock"), Concat({kFullPresent,
                                       {"PeekMessage keydown", "TranslateMessage", "DispatchMessage",
                                        "PostQuitMessage 0"},
                                       kQuitTeardown}));
}

TEST_F(StartUp, EscapeDuringTheShowEndsItAtTheEndOfThatPresent) {
  script.beforePresent = [](int present) {
    if (present == 2) fake::Post(platform::MessageKind::kKeyDown, platform::kVirtualKeyEscape);
  };
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(script.presentsMade, 2);  // the third present never returned
  EXPECT_EQ(fake::Count("Blt"), 4);
  EXPECT_EQ(CallsFrom("PeekMessage"), Concat({{"PeekMessage keydown", "TranslateMessage", "DispatchMessage",
                                               "PostQuitMessage 0"},
                                              kQuitTeardown}));
}

TEST_F(StartUp, OtherKeysDoNothing) {
  script.presents = 3;
  script.beforePresent = [](int) { fake::Post(platform::MessageKind::kKeyDown, 'A'); };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(script.presentsMade, 3);
  EXPECT_EQ(fake::Count("PostQuitMessage"), 0);
}

TEST_F(StartUp, ClosingTheWindowQuitsLikeEscape) {
  script.beforePresent = [](int present) {
    if (present == 1) fake::Post(platform::MessageKind::kClose);
  };
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(script.presentsMade, 1);
  EXPECT_EQ(CallsFrom("PeekMessage"), Concat({{"PeekMessage close", "TranslateMessage", "DispatchMessage",
                                               "DestroyWindow", "PostQuitMessage 0"},
                                              kQuitTeardown}));
}

TEST_F(StartUp, AllWaitingMessagesAreHandledBeforeTheShowGoesOn) {
  script.presents = 2;
  script.beforePresent = [](int present) {
    if (present == 0) {
      for (int i = 0; i < 3; ++i) fake::Post(platform::MessageKind::kOther);
    }
  };
  EXPECT_EQ(Run(), 0);
  const Strings one = {"PeekMessage other", "TranslateMessage", "DispatchMessage"};
  EXPECT_EQ(CallsFrom("PeekMessage"), Concat({one, one, one, kFullPresent, kNormalEnd}));
}

TEST_F(StartUp, AQuitInAWindowLeavesTheCursorAlone) {
  dialog.windowed = 1;
  script.beforePresent = [](int) { fake::Post(platform::MessageKind::kKeyDown, platform::kVirtualKeyEscape); };
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(fake::Count("ShowCursor"), 0);
  EXPECT_EQ(CallsFrom("StopSong"), (Strings{"StopSong song", "FreeSong song", "SoundClose", "Release offscreen",
                                            "Release primary", "Release display", "TimeKillEvent 7",
                                            "TimeEndPeriod 1", "ExitProcess 0"}));
}

TEST_F(StartUp, WhileInactiveNothingIsDrawnButThePumpRunsAndTheShowGoesOn) {
  script.presents = 8;
  int peeksWhenInactive = 0;
  script.beforePresent = [&peeksWhenInactive](int present) {
    if (present == 1) fake::Post(platform::MessageKind::kActivateApp, 0);
    if (present == 2) peeksWhenInactive = fake::State().peekCalls;
    if (present == 6) fake::Post(platform::MessageKind::kActivateApp, 1);
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(script.presentsMade, 8);
  // Drawn: start-up's frame, presents 0 and 1 (the message is handled at its end) and 7 (present 6 handles
  // the reactivation at its end).
  EXPECT_EQ(fake::Count("Blt"), 4);
  EXPECT_GE(fake::State().peekCalls - peeksWhenInactive, 4);
}

TEST_F(StartUp, AFailingStopSongIsReportedAndTheQuitGoesOn) {
  fake::State().stopSongResult = false;
  script.beforePresent = [](int) { fake::Post(platform::MessageKind::kKeyDown, platform::kVirtualKeyEscape); };
  EXPECT_EQ(Run(EndlessShow), 0);
  Strings expected = kQuitTeardown;
  expected.insert(expected.begin() + 2, "MessageBox (default): StopSong owned");
  EXPECT_EQ(CallsFrom("PeekMessage quit"), expected);
}

TEST_F(StartUp, AFailingFreeSongIsReportedOnEitherWayOut) {
  fake::State().freeSongResult = false;
  EXPECT_EQ(Run(), 0);
  Strings expected = kNormalEnd;
  expected.insert(expected.begin() + 1, "MessageBox (default): FreeSong owned");
  EXPECT_EQ(CallsFrom("FreeSong"), expected);

  SetUp();
  fake::State().freeSongResult = false;
  script.beforePresent = [](int) { fake::Post(platform::MessageKind::kKeyDown, platform::kVirtualKeyEscape); };
  EXPECT_EQ(Run(EndlessShow), 0);
  expected = kQuitTeardown;
  expected.insert(expected.begin() + 3, "MessageBox (default): FreeSong owned");
  EXPECT_EQ(CallsFrom("PeekMessage quit"), expected);
}

TEST_F(StartUp, AModuleThatDoesNotLoadLeavesANullSongThatEveryCallTakes) {
  fake::State().songLoads = false;
  script.presents = 1;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(songHandle, nullptr);
  EXPECT_EQ(interfaceBlock.hooks[kHookStartMusic], StartMusic);
  EXPECT_EQ(CallsFrom("SetPanSeparation"),
            Concat({{"SetPanSeparation null 0", "PlaySong null"}, kFullPresent,
                    {"FreeSong null", "MessageBox (default): FreeSong owned", "SoundClose", "Release back",
                     "Release primary", "Release display", "ExitProcess 0"}}));
}

TEST_F(StartUp, NoDisplayObjectEndsTheProgramAfterItsMessage) {
  fake::State().createResult = platform::kDisplayGenericError;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::State().calls, (Strings{"DirectDrawCreate", "MessageBox DDRAW ERROR: DirectDrawCreate error",
                                          "DestroyWindow nowindow", "ExitProcess 0"}));
}

TEST_F(StartUp, NoUsableModeEndsTheProgramAfterAMessage) {
  fake::State().desktop = Mode(640, 480, 8);
  fake::State().modes = {Mode(640, 480, 8)};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::State().calls,
            (Strings{"DirectDrawCreate", "GetDisplayMode", "EnumDisplayModes",
                     "MessageBox DDRAW ERROR: EnumDisplayModes error", "Release display", "ExitProcess 0"}));
}

// A failed full-screen set-up destroys its window, which posts the quit request; start-up goes on to the first
// present, which draws nothing, and its pump ends the program.
struct FullScreenFailure {
  const char* name;
  void (*inject)();
  const char* text;
  Strings releases;
};

class FullScreenSetupFailure : public HostTest, public ::testing::WithParamInterface<FullScreenFailure> {};

TEST_P(FullScreenSetupFailure, EndsThroughTheQuitPathAtTheFirstPresent) {
  GetParam().inject();
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(fake::Count("Lock"), 0);
  EXPECT_EQ(CallsFrom("MessageBox"),
            Concat({{std::string("MessageBox DDRAW ERROR: ") + GetParam().text, "DestroyWindow", "PostQuitMessage 0",
                     "ShowWindow 10 nowindow", "UpdateWindow nowindow", "TimeBeginPeriod 1",
                     "TimeSetEvent 20 1 user=0 periodic", "PeekMessage quit", "StopSong song", "FreeSong song",
                     "SoundClose"},
                    GetParam().releases,
                    {"ShowCursor 1", "TimeKillEvent 7", "TimeEndPeriod 1", "ExitProcess 0"}}));
}

INSTANTIATE_TEST_SUITE_P(
    EachError, FullScreenSetupFailure,
    ::testing::Values(
        FullScreenFailure{"Level", [] { fake::State().cooperativeResult = platform::kDisplayGenericError; },
                          "SetCooperativeLevel error", {"Release display"}},
        FullScreenFailure{"Mode", [] { fake::State().displayModeResult = platform::kDisplayUnsupportedMode; },
                          "SetDisplayMode error", {"Release display"}},
        FullScreenFailure{"Surface", [] { fake::State().createSurfaceResults = {platform::kDisplayGenericError}; },
                          "CreateSurface error", {"Release display"}},
        FullScreenFailure{"BackBuffer", [] { fake::State().attachedResult = platform::kDisplayGenericError; },
                          "GetAttachedSurface error", {"Release primary", "Release display"}}),
    [](const ::testing::TestParamInfo<FullScreenFailure>& p) { return std::string(p.param.name); });

TEST_F(StartUp, AFullScreenSetUpWithoutAWindowNeverStartsTheShow) {
  fake::State().createWindowFails = true;
  fake::State().cooperativeResult = platform::kDisplayGenericError;
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(fake::Count("MessageBox DDRAW ERROR: SetCooperativeLevel error"), 1);
  EXPECT_EQ(fake::State().calls.back(), "ExitProcess 0");
  EXPECT_EQ(fake::Count("TimeKillEvent"), 1);
}

TEST_F(StartUp, AFailedWindowedSetUpEndsThroughTheQuitPathAfterItsMessage) {
  dialog.windowed = 1;
  fake::State().clipperResult = platform::kDisplayGenericError;
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(script.ran);
  EXPECT_EQ(CallsFrom("MessageBox"),
            (Strings{"MessageBox DDRAW ERROR: CreateClipper error", "StopSong song", "FreeSong song", "SoundClose",
                     "Release primary", "Release display", "ExitProcess 0"}));
  EXPECT_EQ(fake::Count("TimeSetEvent"), 0);
}

}  // namespace
