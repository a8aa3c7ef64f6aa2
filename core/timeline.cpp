// The show's timeline: start-up, the four stages, their clocks, thresholds, palettes and fades.
#include "core/timeline.h"

#include <cstring>

#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_records.h"

namespace {

constexpr int32_t kOpeningClockOffset = 345;
constexpr int32_t kOpeningFadeStart = 2405;
constexpr int32_t kOpeningEnd = 2848;
constexpr int32_t kFlashStart = 3575;
constexpr int32_t kFlashEnd = 3600;
constexpr int32_t kOrbitFadeStart = 1990;
constexpr int32_t kOrbitEnd = 2090;
constexpr int32_t kFinalEnd = 3000;

void RunOpeningStage() {
  SetUpOpeningScene();
  std::memset(GlowScratch, 0, kPlaneBytes);
  int32_t t;
  do {
    t = ShowTick() + kOpeningClockOffset;
    DrawOpeningFrame(t);
    PresentPlane(GlowScratch);
    std::memset(GlowScratch, 0, kPlaneBytes);
    if (t >= kOpeningFadeStart) {
      // The remainder below four ticks is carried, so short frames still add up to the fade.
      const int32_t elapsed = ((t - PrevStageClock) & 255) + FadeCarry;
      BrightenAmount = static_cast<uint8_t>(elapsed >> 2);
      FadeCarry = elapsed & 3;
      BrightenPalette();
    }
    PrevStageClock = t;
  } while (t <= kOpeningEnd);
}

void RunOrbitStage() {
  SetUpOrbitScene();
  std::memset(GlowScratch, 0, kPlaneBytes);
  std::memset(GlowBuffer, 0, kPlaneBytes);
  PresentBlackFrame();
  const int32_t start = ShowTick();
  PaletteFlashDone = 0;
  SetPalette(BluePalette, kPaletteEntries);
  int32_t t;
  do {
    const int32_t a = ShowTick();
    t = a - start;
    if (a >= kFlashStart && a <= kFlashEnd) {
      std::memset(BluePalette, 255, kPaletteBytes);
      SetPalette(BluePalette, kPaletteEntries);
    }
    if (a >= kFlashEnd && PaletteFlashDone == 0) {
      SetPalette(RedPalette, kPaletteEntries);
      PaletteFlashDone = 1;
    }
    DrawOrbitFrame(t);
    PresentPlane(CompositePlane);
    SmearOrbitTrails();
    if (t >= kOrbitFadeStart) {
      BrightenAmount = static_cast<uint8_t>(t - OrbitFadeClock);
      BrightenPalette();
    }
    OrbitFadeClock = t;
    PrevStageClock = t;
  } while (t <= kOrbitEnd);
}

void RunInterlude() {
  CallHook(kHookSetGreyPalette);
  RunCaptionScene(NameImage1, CaptionRecord1, 1000, 1000, 230, 30);
  CallHook(kHookShowPicture1);
  CallHook(kHookSetGreyPalette);
  RunCaptionScene(NameImage2, CaptionRecord2, 1500, 1010, 120, 190);
  CallHook(kHookShowPicture2);
  CallHook(kHookSetGreyPalette);
  RunCaptionScene(NameImage3, CaptionRecord3, 1500, 800, 60, 30);
  CallHook(kHookShowPicture3);
  CallHook(kHookShowPicture4);
  PresentBlackFrame();
}

void RunFinalStage() {
  SetUpFinalScene();
  const int32_t start = ShowTick();
  int32_t t;
  do {
    t = ShowTick() - start;
    DrawFinalFrame(t);
    PresentPlane(FinalPlane);
    PrevStageClock = t;
  } while (t <= kFinalEnd);
}

}  // namespace

int32_t ShowTick() { return CounterToShowTicks(ReadTimeCounter()); }

void PresentPlane(const uint8_t* plane) {
  std::memcpy(frameBuffer, plane, kPlaneBytes);
  CallHook(kHookPresentFrame);
}

void PresentBlackFrame() {
  std::memset(frameBuffer, 0, kPlaneBytes);
  CallHook(kHookPresentFrame);
}

void ClearEdgeColumns(uint8_t* plane, int shift) {
  for (int row = 0; row < kScreenHeight; ++row) {
    const int start = row * kScreenWidth + 318 + shift;
    const int end = start + 4 < kPlaneBytes ? start + 4 : kPlaneBytes;
    for (int i = start; i < end; ++i) plane[i] = 0;
  }
}

void RunCaptionScene(const uint8_t* nameImage, int captionRecord, uint16_t particleCount,
                     int32_t duration, int16_t centreX, int16_t centreY) {
  SetUpCaptionScene(nameImage, captionRecord, particleCount, centreX, centreY);
  PresentBlackFrame();
  const int32_t start = ShowTick();
  int32_t t;
  do {
    t = ShowTick() - start;
    DrawCaptionFrame(t);
    PresentPlane(GlowScratch);
    if (t >= duration - 25) {
      BrightenAmount = static_cast<uint8_t>((t - PrevStageClock) * 4);
      BrightenPalette();
    }
    PrevStageClock = t;
  } while (t <= duration);
  FinishCaptionScene();
}

void RunShow() {
  PrepareShowTables();
  RunPreparedShow();
}

void RunPreparedShow() {
  CallHook(kHookStartMusic);
  RunOpeningStage();
  RunOrbitStage();
  RunInterlude();
  RunFinalStage();
}
