// The capture: host and show over the headless backend, with every present and the sound sent to the outputs.
#include "host/capture/capture_session.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "display/pixel_conversion.h"
#include "file_output/atomic_file.h"
#include "host/capture/capture_progress.h"
#include "host/capture/capture_span.h"
#include "host/capture/png_writer.h"
#include "host/capture/video_writer.h"
#include "host/capture/wav_writer.h"
#include "host/exit_status.h"
#include "host/session.h"
#include "platform/child_process.h"
#include "platform/headless/headless.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"
#include "trace/trace_verify.h"
#include "trace/trace_writer.h"

namespace {

// The show's usual length, for the progress line only.
constexpr double kExpectedShowSeconds = 152.0;

// Routes what the headless platform shows and plays, and every frame the session hands over, to the outputs. A
// failure, an interrupt request or the end of the span ends the show the way a user does (a quit at the frame
// boundary), so the session shuts down on its own path.
class CaptureSession : public headless::Observer, public FrameObserver {
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
      video_ = std::make_unique<VideoWriter>(options.videoFile, options.quality, options.container, options.width,
                                             options.height, options.fps, options.encoderTimeoutMs);
      shownFrame_.assign(static_cast<size_t>(kFrameBytes), 0);
      sent_.assign(static_cast<size_t>(kExpandedFrameBytes), 0);
    }
    if (!options.framesDir.empty()) frames_.emplace(options.framesDir);
  }

  headless::Settings Settings() const {
    headless::Settings s;
    s.fps = options_.fps;
    s.startupMs = options_.startupMs;
    // Only PNG frames look at the screen, stretched to the output size; the video converts the 320x200 picture
    // itself from what the session hands over.
    const bool frames = !options_.framesDir.empty();
    s.screenWidth = frames ? options_.width : kScreenWidth;
    s.screenHeight = frames ? options_.height : kScreenHeight;
    s.pixelsWanted = frames || options_.drawUnwatchedScreen;
    s.audioWanted = video_ != nullptr || audio_ != nullptr;
    return s;
  }

  void Attach(headless::HeadlessPlatform* platform, HostSession* session) {
    platform_ = platform;
    session_ = session;
  }

  void OnFrame(const FrameHandOver& frame) override {
    ++presents_;
    if (stopped_) return;
    const uint64_t timeUnits = platform_->Now();
    try {
      Record(frame, timeUnits);
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

  void OnScreen(const platform::MemorySurface& screen, const platform::Rect& picture, uint64_t timeUnits) override {
    if (!frames_ || !span_.Contains(timeUnits) || !error_.empty()) return;
    try {
      const int32_t bytes = screen.layout.bitsPerPixel / 8;
      const uint8_t* corner =
          screen.bytes.data() + static_cast<size_t>(picture.top) * screen.pitch + static_cast<size_t>(picture.left) * bytes;
      WriteScreenPng(FramePngPath(frames_->temporary(), presents_), corner, picture.right - picture.left,
                     picture.bottom - picture.top, screen.pitch);
    } catch (const std::exception& e) {
      Stop(e.what());
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
    if (video_) EndVideo(end);
    if (!endUnits_) WarnWhenTheShowEndedFirst(showEnd);
    if (trace_) trace_->Finish();
    if (audio_) audio_->Commit();
    if (video_) video_->Commit(progress_);
    if (frames_) frames_->Commit();
    progress_.Done();
  }

  uint64_t presents() const { return presents_; }
  std::optional<uint64_t> endUnits() const { return endUnits_; }

 private:
  void Record(const FrameHandOver& frame, uint64_t timeUnits) {
    if (video_) FillVideoSlotsBefore(timeUnits);
    if (span_.Contains(timeUnits)) {
      if (trace_) trace_->Write(frame);
      if (listener_ != nullptr) listener_->OnFrame(frame, timeUnits);
    }
    // The picture handed over, before its stretch to the screen, kept when it changed.
    if (video_ && (std::memcmp(frame.frame, shownFrame_.data(), shownFrame_.size()) != 0 ||
                   std::memcmp(frame.palette, shownPalette_, kPaletteBytes) != 0)) {
      shownNew_ = true;
      std::memcpy(shownFrame_.data(), frame.frame, shownFrame_.size());
      std::memcpy(shownPalette_, frame.palette, kPaletteBytes);
    }
    progress_.Update(span_.Seconds(timeUnits - std::min(timeUnits, span_.fromUnits())));
  }

  // Video slot n shows the last picture presented at or before its start, n / fps; a picture is converted and
  // sent at the first slot that shows it, and the encoder keeps it until the next.
  void FillVideoSlotsBefore(uint64_t units) {
    for (const uint64_t slots = CaptureSpan::SlotsBefore(units); videoSlots_ < slots; ++videoSlots_) {
      if (!span_.Contains(CaptureSpan::SlotStart(videoSlots_))) continue;
      if (!firstSlot_) firstSlot_ = videoSlots_;
      if (!shownNew_) continue;
      RefreshPalette(shownPalette_, colourTable_);
      ExpandFrame(shownFrame_.data(), colourTable_, sent_.data());
      video_->WriteFrame(sent_.data(), videoSlots_ - *firstSlot_);
      shownNew_ = false;
      lastSentSlot_ = videoSlots_;
    }
  }

  // The video's last picture lasts one slot: the one the last slot shows is sent again there, so the video is as
  // long as the span.
  void EndVideo(uint64_t end) {
    FillVideoSlotsBefore(end);
    if (firstSlot_ && lastSentSlot_ + 1 != videoSlots_) {
      video_->WriteFrame(sent_.data(), videoSlots_ - 1 - *firstSlot_);
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
    session_->RequestQuit();
  }

  const CaptureOptions& options_;
  FrameListener* listener_;
  headless::HeadlessPlatform* platform_ = nullptr;
  HostSession* session_ = nullptr;
  uint8_t colourTable_[kColourTableBytes] = {};
  CaptureSpan span_;
  CaptureProgress progress_;
  std::optional<TraceWriter> trace_;
  std::optional<PendingFolder> frames_;
  std::unique_ptr<WavWriter> audio_;
  std::unique_ptr<VideoWriter> video_;
  // The last picture presented, black until the first present, and whether the video has it yet.
  std::vector<uint8_t> shownFrame_;
  uint8_t shownPalette_[kPaletteBytes] = {};
  bool shownNew_ = true;
  std::vector<uint8_t> sent_;  // the last picture sent to the video, converted
  uint64_t videoSlots_ = 0;
  std::optional<uint64_t> firstSlot_;  // the video's first slot, inside the span
  uint64_t lastSentSlot_ = 0;
  uint64_t samplesSeen_ = 0;
  uint64_t presents_ = 0;
  std::optional<uint64_t> endUnits_;  // when the span's end closed the show
  std::string error_;
  bool stopped_ = false;
};

// The capture's launch: full screen in the output's size at 32 bits, sound as asked, no dialog.
class NoDialog : public platform::LaunchView {
 public:
  platform::LaunchChoice Run(const platform::LaunchOffer&) override { return {}; }
};

constexpr int32_t kCaptureDepth = 32;

}  // namespace

int RunCapture(const CaptureOptions& options, FrameListener* listener, CaptureSummary* summary) {
  platform::WatchInterrupts();
  int status = 0;
  try {
    CaptureSession capture(options, listener);
    // A program may capture more than once: the show starts from its first state every time.
    ResetShowState();
    const headless::Settings settings = capture.Settings();
    headless::HeadlessPlatform platform(settings, &capture);
    HostSession session({platform.Video(), platform.Events(), platform.Ticker(), platform.Music()});
    session.SetObserver(&capture);
    capture.Attach(&platform, &session);
    LaunchPreset preset;
    preset.mode = ModeRequest{settings.screenWidth, settings.screenHeight, kCaptureDepth};
    preset.nosound = options.nosound;
    preset.skipDialog = true;
    NoDialog view;
    if (session.Run(view, preset) != 0) throw std::runtime_error("the show could not run");
    if (platform::InterruptStatus() == 0) {
      platform.FlushAudio();
      capture.Finish(platform.Now());
      if (summary != nullptr) {
        *summary = {capture.presents(), capture.endUnits().value_or(platform.Now()), platform.UnitsPerSecond()};
      }
    }
  } catch (const std::exception& e) {
    const bool toStandardOutput = options.videoFile == "-" || options.audioFile == "-" || options.traceFile == "-";
    if (toStandardOutput && platform::StandardOutputClosed()) {
      // Said as a writer there says it when SIGPIPE ends it: by the status alone, here after the clean-up.
      status = kStatusBrokenPipe;
    } else if (platform::InterruptStatus() == 0) {
      std::fprintf(stderr, "\nvesk-capture: %s\n", e.what());
      status = 1;
    }
  }
  if (platform::InterruptStatus() != 0) status = platform::InterruptStatus();
  platform::StopWatchingInterrupts();
  return status;
}

int RunVerify(const CaptureOptions& options) {
  VerifySettings settings;
  settings.maxReport = options.maxReport;
  if (!options.dumpDir.empty()) {
    settings.show = [&options](const FrameDifference& difference) {
      std::filesystem::create_directories(options.dumpDir);
      const DifferencePictures pictures = DrawDifference(difference);
      const std::pair<const char*, const std::vector<uint8_t>*> outputs[] = {
          {"expected", &pictures.replayed}, {"recorded", &pictures.recorded}, {"difference", &pictures.difference}};
      for (const auto& [kind, pixels] : outputs) {
        char name[64];
        std::snprintf(name, sizeof name, "frame_%06llu_%s.png", static_cast<unsigned long long>(difference.index),
                      kind);
        WriteScreenPng((std::filesystem::path(options.dumpDir) / name).string(), pixels->data(), kScreenWidth,
                       kScreenHeight, kScreenWidth * kExpandedPixelBytes);
      }
    };
  }
  return VerifyTrace(options.verifyFile, stdout, stderr, settings);
}
