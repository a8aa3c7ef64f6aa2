// The capture: host and show over the headless backend, with every present and the sound sent to the outputs.
#include "host/capture/capture_session.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "display/pixel_conversion.h"
#include "host/capture/capture_dialog.h"
#include "host/capture/capture_progress.h"
#include "host/capture/capture_span.h"
#include "host/capture/png_writer.h"
#include "host/capture/video_writer.h"
#include "host/capture/wav_writer.h"
#include "host/host_main.h"
#include "host/music.h"
#include "host/present_source.h"
#include "platform/headless/headless.h"
#include "platform/interrupt.h"
#include "platform/sound.h"
#include "platform/terminal.h"
#include "platform/window.h"
#include "trace/trace_writer.h"

namespace {

// The show's usual length, for the progress line only.
constexpr double kExpectedShowSeconds = 152.0;

// Routes what the headless backend shows and plays to the outputs. A failure, an interrupt request or the end
// of the span closes the show the way a user does (the quit request), so the host shuts down on its own path.
class CaptureSession : public headless::Observer {
 public:
  CaptureSession(const CaptureOptions& options, FrameListener* listener)
      : options_(options),
        listener_(listener),
        span_(options),
        progress_(options.progress && platform::StandardErrorIsTerminal(),
                  span_.LengthSeconds().value_or(kExpectedShowSeconds + options.startupMs / 1000.0 -
                                                 (options.fromSeconds ? *options.fromSeconds : 0.0))) {
    if (!options.traceFile.empty()) {
      trace_.emplace(options.traceFile,
                     TraceHeader{options.fps, options.startupMs, options.nosound ? kTraceFlagNosound : 0});
    }
    if (!options.audioFile.empty()) audio_ = std::make_unique<WavWriter>(options.audioFile, platform::kMixRate);
    if (!options.videoFile.empty()) {
      video_ = std::make_unique<VideoWriter>(options.videoFile, options.quality, options.width, options.height,
                                             options.fps, options.encoderTimeoutMs);
      shown_.assign(static_cast<size_t>(kExpandedFrameBytes), 0);
    }
    if (!options.framesDir.empty()) std::filesystem::create_directories(options.framesDir);
  }

  headless::Settings Settings() const {
    headless::Settings s;
    s.fps = options_.fps;
    s.startupMs = options_.startupMs;
    // The video takes the 320x200 picture; only PNG frames need it stretched to the output size.
    const bool frames = !options_.framesDir.empty();
    s.screenWidth = frames ? options_.width : kScreenWidth;
    s.screenHeight = frames ? options_.height : kScreenHeight;
    s.pixelsWanted = video_ != nullptr || frames;
    s.audioWanted = video_ != nullptr || audio_ != nullptr;
    return s;
  }

  void OnScreen(const headless::Screen& screen, uint64_t timeUnits) override {
    ++presents_;
    if (stopped_) return;
    try {
      Present(screen, timeUnits);
    } catch (const std::exception& e) {
      Stop(e.what());
      return;
    }
    if (platform::InterruptStatus() != 0) {
      Stop("");
    } else if (span_.EndedAt(timeUnits)) {
      endUnits_ = timeUnits;
      Stop("");
    }
  }

  void OnAudio(const int16_t* samples, size_t frames) override {
    const uint64_t first = samplesSeen_;
    samplesSeen_ += frames;
    if (stopped_) return;
    const CaptureSpan::SoundPart part = span_.SoundInside(first, frames);
    if (part.count == 0) return;
    // The part lies inside this block of frames, so its numbers fit the block's own size type.
    const int16_t* from = samples + 2 * static_cast<size_t>(part.offset);
    const auto count = static_cast<size_t>(part.count);
    try {
      if (audio_) audio_->Write(from, count);
      if (video_) video_->WriteSound(from, count);
    } catch (const std::exception& e) {
      Stop(e.what());
    }
  }

  // The show has ended at showEnd (or was closed); completes and names the outputs. Throws std::runtime_error.
  void Finish(uint64_t showEnd) {
    if (!error_.empty()) throw std::runtime_error(error_);
    const uint64_t end = span_.EndOfWriting(endUnits_.value_or(showEnd));
    if (video_) FillVideoSlotsBefore(end);
    if (!endUnits_) WarnWhenTheShowEndedFirst(showEnd);
    if (trace_) trace_->Finish();
    if (audio_) audio_->Commit();
    if (video_) video_->Commit(progress_);
    progress_.Done();
  }

  uint64_t presents() const { return presents_; }
  std::optional<uint64_t> endUnits() const { return endUnits_; }

 private:
  void Present(const headless::Screen& screen, uint64_t timeUnits) {
    if (video_) FillVideoSlotsBefore(timeUnits);
    if (span_.Contains(timeUnits)) {
      const FrameHandOver frame{presentSource, ReadTimeCounter(), musicPollCount == 0 ? -1 : musicOrder, palette,
                                frameBuffer};
      if (trace_) trace_->Write(frame);
      if (listener_ != nullptr) listener_->OnFrame(frame, timeUnits);
      if (!options_.framesDir.empty() && screen.pixels != nullptr) {
        WriteScreenPng(FramePngPath(options_.framesDir, presents_), screen.pixels, screen.width, screen.height,
                       screen.pitch);
      }
    }
    // The picture just presented, before its stretch to the screen.
    if (video_) std::memcpy(shown_.data(), expandedFrame, shown_.size());
    progress_.Update(span_.Seconds(timeUnits - std::min(timeUnits, span_.fromUnits())));
  }

  // Video slot n shows the last picture presented at or before its start, n / fps.
  void FillVideoSlotsBefore(uint64_t units) {
    for (const uint64_t slots = CaptureSpan::SlotsBefore(units); videoSlots_ < slots; ++videoSlots_) {
      if (span_.Contains(CaptureSpan::SlotStart(videoSlots_))) video_->WriteFrame(shown_.data());
    }
  }

  void WarnWhenTheShowEndedFirst(uint64_t showEnd) {
    const bool beforeFrom = options_.fromSeconds && showEnd <= span_.fromUnits();
    const bool beforeTo = options_.toSeconds && !span_.EndedAt(showEnd);
    if (!beforeFrom && !beforeTo) return;
    progress_.Done();
    std::fprintf(stderr, "vesk-capture: warning: the show ended at %.2f s, before --%s %g%s\n",
                 span_.Seconds(showEnd), beforeFrom ? "from" : "to",
                 beforeFrom ? *options_.fromSeconds : *options_.toSeconds,
                 beforeFrom ? ": the outputs hold nothing of the show" : "");
  }

  // Writes nothing more and closes the show at the end of this present.
  void Stop(const std::string& error) {
    if (error_.empty()) error_ = error;
    stopped_ = true;
    platform::PostQuitMessage(0);
  }

  const CaptureOptions& options_;
  FrameListener* listener_;
  CaptureSpan span_;
  CaptureProgress progress_;
  std::optional<TraceWriter> trace_;
  std::unique_ptr<WavWriter> audio_;
  std::unique_ptr<VideoWriter> video_;
  std::vector<uint8_t> shown_;
  uint64_t videoSlots_ = 0;
  uint64_t samplesSeen_ = 0;
  uint64_t presents_ = 0;
  std::optional<uint64_t> endUnits_;  // when the span's end closed the show
  std::string error_;
  bool stopped_ = false;
};

}  // namespace

int RunCapture(const CaptureOptions& options, FrameListener* listener, CaptureSummary* summary) {
  platform::WatchInterrupts();
  int status = 0;
  try {
    CaptureSession session(options, listener);
    ResetHostState();
    ResetShowState();
    const headless::Settings settings = session.Settings();
    headless::Configure(settings, &session);
    CaptureDialog dialog(settings.screenWidth, settings.screenHeight, options.nosound);
    if (HostMain(dialog) != 0) throw std::runtime_error("the show could not run");
    if (platform::InterruptStatus() == 0) {
      headless::FlushAudio();
      session.Finish(headless::Now());
      if (summary != nullptr) {
        *summary = {session.presents(), session.endUnits().value_or(headless::Now()), headless::UnitsPerSecond()};
      }
    }
  } catch (const std::exception& e) {
    if (platform::InterruptStatus() == 0) {
      std::fprintf(stderr, "\nvesk-capture: %s\n", e.what());
      status = 1;
    }
  }
  headless::Configure({}, nullptr);
  if (platform::InterruptStatus() != 0) status = platform::InterruptStatus();
  platform::StopWatchingInterrupts();
  return status;
}
