// A host for driving RunShow in tests: recording hooks and the clock of a display of a given rate.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "core/timeline.h"

namespace vesk_test {

struct PresentedFrame {
  uint32_t counter;  // timeCounter when the frame was handed over
  int32_t tick;      // the same as show ticks
  std::array<uint8_t, kPaletteBytes> palette;
  int source;        // 0 the core's own presents, 1..4 a still picture
};

// The clock advances only at presents: after present k it reads 17920 * floor(rate_ms * k / 1000 / 20)
// plus whatever start-up delay was given. Each picture hook presents framesPerPicture frames.
class ShowTestHost {
 public:
  explicit ShowTestHost(int fps = 60) : fps_(fps) { Install(); }
  ~ShowTestHost() { instance_ = nullptr; }

  std::vector<std::string> calls;      // every hook call, by name
  std::vector<PresentedFrame> frames;  // every present, with its palette
  bool keepFrames = false;             // also copy the frame bytes
  std::vector<std::vector<uint8_t>> frameBytes;
  int framesPerPicture = 60;
  uint32_t startupDelayMs = 0;         // added to the clock when StartMusic is called
  std::function<void(const PresentedFrame&)> onPresent;

  void Run();  // runs the whole show

  int32_t Tick() const { return CounterToShowTicks(Counter()); }
  uint32_t Counter() const {
    const uint64_t ms = presents_ * 1000ull / static_cast<uint64_t>(fps_) + delayMs_;
    return static_cast<uint32_t>(ms / kTimerPeriodMs * kCounterPerPeriod);
  }

 private:
  void Install();
  void Present(int source);
  static void HookPresent() { instance_->Present(instance_->pictureSource_); }
  static void HookRefresh() { instance_->calls.push_back("RefreshPalette"); }
  static void HookStartMusic() {
    instance_->calls.push_back("StartMusic");
    instance_->delayMs_ += instance_->startupDelayMs;
    instance_->interfaceBlockSync();
  }
  static void HookSpare() { instance_->calls.push_back("Spare"); }
  template <int N>
  static void HookPicture() {
    ShowTestHost& h = *instance_;
    h.calls.push_back("ShowPicture" + std::to_string(N));
    for (int i = 0; i < kPaletteEntries; ++i) std::memset(palette + 3 * i, i / 4, 3);
    std::memset(frameBuffer, 128, kFrameBytes);
    h.pictureSource_ = N;
    for (int k = 0; k < h.framesPerPicture; ++k) h.Present(N);
    h.pictureSource_ = 0;
  }
  static void HookGrey() {
    instance_->calls.push_back("SetGreyPalette");
    for (int i = 0; i < kPaletteEntries; ++i) std::memset(palette + 3 * i, i / 4, 3);
  }
  void interfaceBlockSync() { interfaceBlock.timeCounter.store(Counter()); }

  static inline ShowTestHost* instance_ = nullptr;
  int fps_;
  uint64_t presents_ = 0;
  uint64_t delayMs_ = 0;
  int pictureSource_ = 0;
  std::vector<uint8_t> frame_ = std::vector<uint8_t>(kFrameBytes);
};

inline void ShowTestHost::Install() {
  instance_ = this;
  ResetInterfaceBlock();
  ResetShowState();
  frameBuffer = frame_.data();
  interfaceBlock.hooks[kHookPresentFrame] = HookPresent;
  interfaceBlock.hooks[kHookRefreshPalette] = HookRefresh;
  interfaceBlock.hooks[kHookStartMusic] = HookStartMusic;
  interfaceBlock.hooks[kHookSpare] = HookSpare;
  interfaceBlock.hooks[kHookShowPicture1] = HookPicture<1>;
  interfaceBlock.hooks[kHookShowPicture2] = HookPicture<2>;
  interfaceBlock.hooks[kHookShowPicture3] = HookPicture<3>;
  interfaceBlock.hooks[kHookShowPicture4] = HookPicture<4>;
  interfaceBlock.hooks[kHookSetGreyPalette] = HookGrey;
}

inline void ShowTestHost::Present(int source) {
  if (source == 0) calls.push_back("PresentFrame");
  PresentedFrame f;
  f.counter = ReadTimeCounter();
  f.tick = CounterToShowTicks(f.counter);
  std::memcpy(f.palette.data(), palette, kPaletteBytes);
  f.source = source;
  frames.push_back(f);
  if (keepFrames) frameBytes.emplace_back(frameBuffer, frameBuffer + kFrameBytes);
  if (onPresent) onPresent(f);
  ++presents_;
  interfaceBlockSync();
}

inline void ShowTestHost::Run() {
  interfaceBlockSync();
  RunShow();
}

}  // namespace vesk_test
