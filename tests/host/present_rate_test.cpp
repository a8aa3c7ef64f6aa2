// The present-rate cap on a simulated 144 Hz display: the show's first seconds presented through the session, at
// most 75 presents a second by default and one at every blank without a cap, with the recorded trace verifying.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "host/session.h"
#include "platform/memory/memory_device.h"
#include "trace/trace_recorder.h"
#include "trace/trace_verify.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kRefreshRate = 144;

// Delivers the ticker's periods as the display's simulated time passes them, on the presenting thread.
class BlankTicker : public platform::Ticker {
 public:
  bool Start(int32_t periodMs, std::function<void()> tick) override {
    periodMs_ = periodMs;
    tick_ = std::move(tick);
    return true;
  }
  void Stop() override { tick_ = nullptr; }
  // Time has reached ms since the display started.
  void Reach(int64_t ms) {
    while (tick_ && delivered_ + periodMs_ <= ms) {
      delivered_ += periodMs_;
      tick_();
    }
  }

 private:
  int32_t periodMs_ = 0;
  int64_t delivered_ = 0;
  std::function<void()> tick_;
};

// A display of 640 x 480 refreshing 144 times a second, whose time is the blanks its presents waited for.
class SimulatedDisplay : public platform::MemoryDevice {
 public:
  explicit SimulatedDisplay(BlankTicker& ticker) : MemoryDevice(Display()), ticker_(ticker) {}
  int64_t Ms() const { return Blanks() * 1000 / kRefreshRate; }

 protected:
  void OnPresented(const platform::Rect&) override { ticker_.Reach(Ms()); }

 private:
  static platform::MemoryDisplay Display() {
    platform::MemoryDisplay display = platform::StandardMemoryDisplay(640, 480);
    display.refreshRate = kRefreshRate;
    return display;
  }
  BlankTicker& ticker_;
};

// No song: the show runs on its clock alone.
class NoSong : public platform::MusicPlayer {
 public:
  bool OpenDevice() override { return true; }
  void CloseDevice() override {}
  bool Load(std::span<const uint8_t>) override { return false; }
  bool Play(float) override { return false; }
  bool SetVolume(int32_t) override { return false; }
  int32_t Order() override { return -1; }
  bool Stop() override { return true; }
  bool Free() override { return true; }
};

class NoView : public platform::LaunchView {
 public:
  platform::LaunchChoice Run(const platform::LaunchOffer&) override { return {}; }
};

// Records the trace and ends the show once the display has run for a while.
class RecordFor : public FrameObserver {
 public:
  RecordFor(TraceRecorder& recorder, const SimulatedDisplay& display, int64_t ms)
      : recorder_(recorder), display_(display), ms_(ms) {}
  void OnShowStart(const ShowChoices& choices) override { recorder_.OnShowStart(choices); }
  void OnFrame(const FrameHandOver& frame) override {
    recorder_.OnFrame(frame);
    ++presents;
    if (display_.Ms() >= ms_) session->RequestQuit();
  }

  HostSession* session = nullptr;
  int64_t presents = 0;

 private:
  TraceRecorder& recorder_;
  const SimulatedDisplay& display_;
  int64_t ms_;
};

struct Shown {
  int64_t presents;
  int64_t blanks;
  int verified;
  std::string report;
};

// The show windowed at 640 x 480 for two simulated seconds under the cap, its trace verified.
Shown ShowFor2Seconds(int32_t maxPresentRate) {
  const fs::path trace = fs::temp_directory_path() / ("vesk_present_rate_" + std::to_string(::getpid()) + ".trc");
  BlankTicker ticker;
  SimulatedDisplay display(ticker);
  NoSong music;
  NoView view;
  TraceRecorder recorder;
  std::string text;
  EXPECT_TRUE(StartRealTimeTrace(recorder, trace.string(), &text)) << text;
  RecordFor observer(recorder, display, 2000);
  display.SetMaxPresentRate(maxPresentRate);
  HostSession session({display, display, ticker, music});
  observer.session = &session;
  session.SetObserver(&observer);
  LaunchPreset preset;
  preset.mode = ModeRequest{640, 480, 0};
  preset.windowed = preset.skipDialog = preset.nosound = true;
  EXPECT_EQ(CompleteRealTimeTrace(recorder, session.Run(view, preset), &text), 0) << text;
  Shown run{observer.presents, display.Blanks(), -1, {}};
  std::FILE* out = std::tmpfile();
  run.verified = VerifyTrace(trace.string(), out, out);
  std::rewind(out);
  char line[512];
  while (std::fgets(line, sizeof line, out) != nullptr) run.report += line;
  std::fclose(out);
  fs::remove(trace);
  return run;
}

TEST(PresentRate, A144HertzDisplayShowsAtMost75PresentsASecondAndEveryBlankWithoutACap) {
  // ceil(144 / 75) = 2 blanks a present: 72 a second.
  const Shown capped = ShowFor2Seconds(platform::kDefaultMaxPresentRate);
  EXPECT_EQ(capped.verified, kVerifyMatch) << capped.report;
  EXPECT_EQ(capped.blanks, capped.presents * 2);
  EXPECT_LE(capped.presents * kRefreshRate, 75 * capped.blanks);
  EXPECT_GE(capped.presents, 144);  // two seconds at 72 a second
  const Shown uncapped = ShowFor2Seconds(0);
  EXPECT_EQ(uncapped.verified, kVerifyMatch) << uncapped.report;
  EXPECT_EQ(uncapped.blanks, uncapped.presents);
  EXPECT_GE(uncapped.presents, 288);
}

}  // namespace
