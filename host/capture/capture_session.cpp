// The capture: host and show over the headless backend, with every present and the sound sent to the outputs.
#include "host/capture/capture_session.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "host/capture/capture_dialog.h"
#include "host/capture/output_file.h"
#include "host/capture/png_writer.h"
#include "host/capture/video_writer.h"
#include "host/capture/wav_writer.h"
#include "host/host_main.h"
#include "host/music.h"
#include "host/present_source.h"
#include "platform/headless/headless.h"
#include "platform/sound.h"

namespace {

constexpr uint64_t kUnitsPerFrameTime = 1000;  // the headless clock's units in one 1 / fps
// The show's usual length, for the progress bar only.
constexpr double kExpectedShowSeconds = 152.0;
constexpr int kProgressBarWidth = 40;

// Thrown once the capture has passed --to: nothing after it would be written.
struct SpanEnded {};

class CaptureSession : public headless::Observer {
 public:
  CaptureSession(const CaptureOptions& options, FrameListener* listener)
      : options_(options), listener_(listener), unitsPerSecond_(kUnitsPerFrameTime * options.fps) {
    fromUnits_ = options.fromSeconds ? ToUnits(*options.fromSeconds) : 0;
    if (options.toSeconds) toUnits_ = ToUnits(*options.toSeconds);
    // The first and last sound frames at or after the span's ends.
    fromSample_ = CeilDiv(fromUnits_ * platform::kMixRate, unitsPerSecond_);
    if (toUnits_) toSample_ = CeilDiv(*toUnits_ * platform::kMixRate, unitsPerSecond_);
    if (!options.traceFile.empty()) {
      trace_ = std::make_unique<PendingFile>(options.traceFile);
      const uint32_t flags = options.nosound ? kTraceFlagNosound : 0;
      const auto header = EncodeTraceHeader({options.fps, options.startupMs, flags});
      trace_->Write(header.data(), header.size());
    }
    if (!options.audioFile.empty()) audio_ = std::make_unique<WavWriter>(options.audioFile, platform::kMixRate);
    if (!options.videoFile.empty()) {
      video_ = std::make_unique<VideoWriter>(options.videoFile, options.width, options.height, options.fps);
      shown_.assign(static_cast<size_t>(options.width) * options.height * 4, 0);
    }
    if (!options.framesDir.empty()) std::filesystem::create_directories(options.framesDir);
    progress_ = options.progress && isatty(STDERR_FILENO) != 0;
  }

  headless::Settings Settings() const {
    headless::Settings s;
    s.fps = options_.fps;
    s.startupMs = options_.startupMs;
    s.screenWidth = options_.width;
    s.screenHeight = options_.height;
    s.pixelsWanted = video_ != nullptr || !options_.framesDir.empty();
    s.audioWanted = video_ != nullptr || audio_ != nullptr;
    return s;
  }

  void OnScreen(const headless::Screen& screen, uint64_t timeUnits) override {
    ++presents_;
    if (video_) FillVideoSlotsBefore(timeUnits);
    if (InSpan(timeUnits)) {
      const TraceRecord record{presentSource, ReadTimeCounter(), musicPollCount == 0 ? -1 : musicOrder, palette,
                               frameBuffer};
      if (trace_) {
        const auto fields = EncodeTraceFields(record);
        trace_->Write(fields.data(), fields.size());
        trace_->Write(palette, kPaletteBytes);
        trace_->Write(frameBuffer, kFrameBytes);
      }
      if (listener_ != nullptr) listener_->OnFrame(record, timeUnits);
      if (!options_.framesDir.empty() && screen.pixels != nullptr) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06llu.png", static_cast<unsigned long long>(presents_));
        WriteScreenPng((std::filesystem::path(options_.framesDir) / name).string(), screen.pixels, screen.width,
                       screen.height, screen.pitch);
      }
    }
    if (video_ && screen.pixels != nullptr) {
      const size_t rowBytes = static_cast<size_t>(screen.width) * 4;
      for (int32_t y = 0; y < screen.height; ++y) {
        std::memcpy(shown_.data() + y * rowBytes, screen.pixels + static_cast<size_t>(y) * screen.pitch, rowBytes);
      }
    }
    if (progress_) ShowProgress(timeUnits);
    if (toUnits_ && timeUnits >= *toUnits_) throw SpanEnded{};
  }

  void OnAudio(const int16_t* samples, size_t frames) override {
    const uint64_t first = samplesSeen_;
    samplesSeen_ += frames;
    const uint64_t begin = std::max(first, fromSample_);
    const uint64_t end = toSample_ ? std::min(samplesSeen_, *toSample_) : samplesSeen_;
    if (begin >= end) return;
    const int16_t* from = samples + 2 * (begin - first);
    const size_t count = static_cast<size_t>(end - begin);
    if (audio_) audio_->Write(from, count);
    if (video_) video_->WriteSound(from, count);
  }

  // Everything up to endUnits is in; complete and name the outputs.
  void Finish(uint64_t endUnits) {
    if (toUnits_) endUnits = std::min(endUnits, *toUnits_);
    if (video_) FillVideoSlotsBefore(endUnits);
    if (progress_) std::fputc('\n', stderr);
    if (trace_) trace_->Commit();
    if (audio_) audio_->Commit();
    if (video_) video_->Commit();
  }

  uint64_t presents() const { return presents_; }

 private:
  static uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }
  uint64_t ToUnits(double seconds) const {
    return static_cast<uint64_t>(std::llround(seconds * static_cast<double>(unitsPerSecond_)));
  }
  bool InSpan(uint64_t units) const { return units >= fromUnits_ && (!toUnits_ || units < *toUnits_); }

  // Video slot n shows the last picture blitted at or before its start, n / fps.
  void FillVideoSlotsBefore(uint64_t units) {
    const uint64_t slotsBefore = CeilDiv(units, kUnitsPerFrameTime);
    for (; videoSlots_ < slotsBefore; ++videoSlots_) {
      if (InSpan(videoSlots_ * kUnitsPerFrameTime)) video_->WriteFrame(shown_.data(), options_.width * 4);
    }
  }

  void ShowProgress(uint64_t units) {
    const uint64_t second = units / (unitsPerSecond_ / 4);
    if (second == lastProgress_) return;
    lastProgress_ = second;
    const double seconds = static_cast<double>(units) / static_cast<double>(unitsPerSecond_);
    const double total = toUnits_ ? static_cast<double>(*toUnits_) / static_cast<double>(unitsPerSecond_)
                                  : kExpectedShowSeconds + options_.startupMs / 1000.0;
    const double share = std::min(1.0, seconds / total);
    const int filled = static_cast<int>(share * kProgressBarWidth);
    std::fprintf(stderr, "\r[%.*s%*s] %6.1f s %3d%%", filled, "########################################",
                 kProgressBarWidth - filled, "", seconds, static_cast<int>(share * 100));
    std::fflush(stderr);
  }

  const CaptureOptions& options_;
  FrameListener* listener_;
  const uint64_t unitsPerSecond_;
  uint64_t fromUnits_ = 0;
  std::optional<uint64_t> toUnits_;
  uint64_t fromSample_ = 0;
  std::optional<uint64_t> toSample_;
  std::unique_ptr<PendingFile> trace_;
  std::unique_ptr<WavWriter> audio_;
  std::unique_ptr<VideoWriter> video_;
  std::vector<uint8_t> shown_;
  uint64_t videoSlots_ = 0;
  uint64_t samplesSeen_ = 0;
  uint64_t presents_ = 0;
  uint64_t lastProgress_ = UINT64_MAX;
  bool progress_ = false;
};

}  // namespace

int RunCapture(const CaptureOptions& options, FrameListener* listener, CaptureSummary* summary) {
  try {
    CaptureSession session(options, listener);
    ResetHostState();
    ResetShowState();
    headless::Configure(session.Settings(), &session);
    CaptureDialog dialog(options);
    int status = 0;
    try {
      status = HostMain(dialog);
    } catch (const SpanEnded&) {
    }
    if (status != 0) return 1;
    headless::FlushAudio();
    session.Finish(headless::Now());
    if (summary != nullptr) *summary = {session.presents(), headless::Now(), headless::UnitsPerSecond()};
    headless::Configure({}, nullptr);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "\nvesk-capture: %s\n", e.what());
    headless::Configure({}, nullptr);
    return 1;
  }
}
