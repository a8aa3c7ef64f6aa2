// The trace verifier: the show run by the host's own session over a platform that plays the trace back.
#include "trace/trace_verify.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "display/pixel_conversion.h"
#include "host/launch_options.h"
#include "host/present_source.h"
#include "host/session.h"
#include "platform/headless/headless.h"
#include "platform/launch_view.h"
#include "platform/memory/memory_device.h"
#include "platform/music.h"
#include "platform/ticker.h"
#include "trace/frame_trace.h"
#include "trace/trace_recorder.h"

namespace {

constexpr uint32_t kLastSource = kSourcePicture1 + 3;
constexpr uint32_t kKnownFlags = kTraceFlagNosound | kTraceFlagRealTime;
// The replay's screen: nobody looks at it, so any mode the session can open will do.
constexpr int32_t kReplayScreenWidth = 640;
constexpr int32_t kReplayScreenHeight = 480;

struct Record {
  uint32_t source = 0;
  uint32_t timeCounter = 0;
  int32_t musicOrder = -1;
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kTraceRecordBytes);
  const uint8_t* palette() const { return bytes.data() + kTraceRecordFieldsBytes; }
  const uint8_t* frame() const { return bytes.data() + kTraceRecordFieldsBytes + kPaletteBytes; }
};

uint32_t Get32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

std::string OutOfRange(const char* field, uint64_t value, const std::string& range) {
  return std::string("header field ") + field + " is " + std::to_string(value) + ", outside " + range;
}

// The header's choices, or what is wrong with them. A real-time trace's fps and start-up are nominal: its clock
// came from a timer.
std::string DecodeHeader(const uint8_t* bytes, TraceHeader& header) {
  header = {Get32(bytes + 12), Get32(bytes + 16), Get32(bytes + 20)};
  if ((header.flags & ~kKnownFlags) != 0) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", header.flags);
    return std::string("header field flags is ") + flags + ", but only bits 0 and 1 have a meaning";
  }
  if (Get32(bytes + 24) != 0 || Get32(bytes + 28) != 0) return "header field reserved is not zero";
  if ((header.flags & kTraceFlagRealTime) != 0) {
    if (header.fps != kNominalTraceFps) {
      return OutOfRange("fps", header.fps, "the nominal " + std::to_string(kNominalTraceFps) + " of a real-time trace");
    }
    if (header.startupMs != 0) return OutOfRange("startup_ms", header.startupMs, "the nominal 0 of a real-time trace");
    return {};
  }
  if (header.fps < 1 || header.fps > kMaxTraceFps) return OutOfRange("fps", header.fps, "1.." + std::to_string(kMaxTraceFps));
  if (header.startupMs > kMaxTraceStartupMs) {
    return OutOfRange("startup_ms", header.startupMs, "0.." + std::to_string(kMaxTraceStartupMs));
  }
  return {};
}

// The capture's clock, as platform/headless keeps it: time in units of 1 / (1000 x fps) s moves to the next
// vertical blank after each present and once by the start-up time when the music starts; the show reads whole timer
// periods since the ticker started. A captured trace must hold exactly these readings.
class SimulatedClock {
 public:
  explicit SimulatedClock(const TraceHeader& header) : fps_(header.fps), startupMs_(header.startupMs) {}

  void TickerStarted(int32_t periodMs) {
    if (periodUnits_ != 0 || periodMs <= 0) return;
    tickStart_ = units_;
    periodUnits_ = static_cast<uint64_t>(periodMs) * fps_;
  }
  void MusicStarted() {
    if (musicStarted_) return;
    musicStarted_ = true;
    units_ += uint64_t{startupMs_} * fps_;
  }
  void Presented() { units_ = (units_ / headless::kUnitsPerFrameTime + 1) * headless::kUnitsPerFrameTime; }
  // The counter wraps as the show's does.
  uint32_t Reading() const {
    return periodUnits_ == 0 ? 0 : static_cast<uint32_t>(kCounterPerPeriod * ((units_ - tickStart_) / periodUnits_));
  }

 private:
  uint64_t fps_;
  uint32_t startupMs_;
  uint64_t units_ = 0;
  uint64_t tickStart_ = 0;
  uint64_t periodUnits_ = 0;  // 0 until the ticker starts
  bool musicStarted_ = false;
};

// The palette a caption scene opens with: level i / 4 in every channel of entry i.
bool IsGreyRamp(const uint8_t* palette) {
  for (int i = 0; i < kPaletteBytes; ++i) {
    if (palette[i] != i / 12) return false;
  }
  return true;
}

// Compares every frame the session hands over with its record, then sets the clock to the reading the next
// record was drawn at; asks the session to quit after the last record, or at the first record that cannot be.
class Replay : public FrameObserver {
 public:
  Replay(std::FILE* file, uint64_t records, const TraceHeader& header, const VerifySettings& settings,
         std::FILE* out, std::FILE* err)
      : file_(file), records_(records), settings_(settings), out_(out), err_(err) {
    if ((header.flags & kTraceFlagRealTime) == 0) clock_.emplace(header);
  }

  void Attach(HostSession& session) { session_ = &session; }

  // Reads the next record into next_; false at the end of the file or on a record that is not one.
  bool ReadNext() {
    if (read_ == records_) return false;
    if (std::fread(next_.bytes.data(), 1, kTraceRecordBytes, file_) != kTraceRecordBytes) {
      malformed_ = "the file ends inside record " + std::to_string(read_);
      return false;
    }
    next_.source = Get32(next_.bytes.data());
    next_.timeCounter = Get32(next_.bytes.data() + 4);
    next_.musicOrder = static_cast<int32_t>(Get32(next_.bytes.data() + 8));
    const uint32_t reserved = Get32(next_.bytes.data() + 12);
    if (next_.source > kLastSource) {
      malformed_ = Field(read_, "source") + std::to_string(next_.source) + ", which names no presenter";
    } else if (next_.timeCounter < lastCounter_) {
      malformed_ = Field(read_, "time_counter") + std::to_string(next_.timeCounter) + ", earlier than record " +
                   std::to_string(read_ - 1) + "'s " + std::to_string(lastCounter_) + ": the clock went back";
    } else if (next_.musicOrder < -1) {
      malformed_ = Field(read_, "music_order") + std::to_string(next_.musicOrder) + ", below -1";
    } else if (reserved != 0) {
      malformed_ = Field(read_, "reserved") + std::to_string(reserved) + ", not zero";
    }
    if (!malformed_.empty()) return false;
    lastCounter_ = next_.timeCounter;
    ++read_;
    return true;
  }

  void OnFrame(const FrameHandOver& frame) override {
    std::swap(current_, next_);
    const uint64_t index = compared_++;
    if (clock_) {
      const uint32_t reading = clock_->Reading();
      clock_->Presented();
      if (current_.timeCounter != reading) {
        malformed_ = Field(index, "time_counter") + std::to_string(current_.timeCounter) +
                     ", but the capture's clock read " + std::to_string(reading) + " when the frame was handed over";
        session_->RequestQuit();
        return;
      }
    }
    Compare(index, frame);
    if (!ReadNext()) {
      ended_ = true;
      session_->RequestQuit();
      return;
    }
    session_->Clock().Set(next_.timeCounter);
  }

  void TickerStarted(int32_t periodMs) {
    if (clock_) clock_->TickerStarted(periodMs);
  }
  void MusicStarted() {
    if (clock_) clock_->MusicStarted();
  }
  // What the pictures see when they poll the music: the order recorded with the frame they draw next.
  int32_t UpcomingOrder() const { return next_.musicOrder; }
  const Record& next() const { return next_; }
  const std::string& malformed() const { return malformed_; }
  bool ended() const { return ended_; }
  uint64_t compared() const { return compared_; }
  uint64_t differing() const { return differing_; }

 private:
  static std::string Field(uint64_t index, const char* field) {
    return "record " + std::to_string(index) + ": field " + field + " is ";
  }

  void Compare(uint64_t index, const FrameHandOver& frame) {
    const char* stage = Stage(frame);
    uint32_t paletteBytes = 0;
    uint32_t frameBytes = 0;
    for (int i = 0; i < kPaletteBytes; ++i) paletteBytes += frame.palette[i] != current_.palette()[i];
    for (int i = 0; i < kFrameBytes; ++i) frameBytes += frame.frame[i] != current_.frame()[i];
    const bool sourceDiffers = current_.source != frame.source;
    if (paletteBytes == 0 && frameBytes == 0 && !sourceDiffers) return;
    if (++differing_ > settings_.maxReport) return;
    std::fprintf(out_, "frame %llu (%s, show tick %d): %u frame bytes and %u palette bytes differ",
                 static_cast<unsigned long long>(index), stage, CounterToShowTicks(current_.timeCounter), frameBytes,
                 paletteBytes);
    if (sourceDiffers) {
      std::fprintf(out_, "; recorded from presenter %u, replayed from %u", current_.source,
                   static_cast<uint32_t>(frame.source));
    }
    std::fputc('\n', out_);
    if (!settings_.show || showFailed_) return;
    try {
      settings_.show({index, frame.palette, frame.frame, current_.palette(), current_.frame()});
    } catch (const std::exception& e) {
      std::fprintf(err_, "%s; no more differing frames are shown\n", e.what());
      showFailed_ = true;
    }
  }

  // Where the replayed show is, by who presents: the opening and the orbit present alike; each caption scene
  // follows a grey palette (the first) or a picture (the others); the final scene follows the fourth picture.
  const char* Stage(const FrameHandOver& frame) {
    static const char* const kPictures[] = {"picture 1", "picture 2", "picture 3", "picture 4"};
    static const char* const kCaptions[] = {"caption 1", "caption 2", "caption 3"};
    if (frame.source == kSourceStartupFrame) return "start-up frame";
    if (frame.source >= kSourcePicture1) {
      const int picture = static_cast<int>(frame.source - kSourcePicture1);
      picturesShown_ = std::max(picturesShown_, picture + 1);
      return kPictures[picture];
    }
    if (picturesShown_ == 4) return "final scene";
    if (picturesShown_ == 0 && !captionsBegun_) captionsBegun_ = IsGreyRamp(frame.palette);
    if (picturesShown_ == 0 && !captionsBegun_) return "opening or orbit";
    return kCaptions[std::min(picturesShown_, 2)];
  }

  std::FILE* file_;
  uint64_t records_;
  const VerifySettings& settings_;
  std::FILE* out_;
  std::FILE* err_;
  std::optional<SimulatedClock> clock_;  // a captured trace's; a real-time trace's clock is only kept in order
  HostSession* session_ = nullptr;
  uint64_t read_ = 0;
  uint32_t lastCounter_ = 0;  // the reading of the record read last
  uint64_t compared_ = 0;
  uint64_t differing_ = 0;
  Record current_;
  Record next_;
  std::string malformed_;
  bool ended_ = false;
  bool showFailed_ = false;
  int picturesShown_ = 0;
  bool captionsBegun_ = false;
};

// The replay platform's music: silent, and at the recorded order whenever asked.
class RecordedMusic : public platform::MusicPlayer {
 public:
  explicit RecordedMusic(Replay& replay) : replay_(replay) {}
  bool OpenDevice() override { return true; }
  void CloseDevice() override {}
  bool Load(std::span<const uint8_t>) override { return true; }
  bool Play(float) override {
    replay_.MusicStarted();
    return true;
  }
  bool SetVolume(int32_t) override { return true; }
  int32_t Order() override { return replay_.UpcomingOrder(); }
  bool Stop() override { return true; }
  bool Free() override { return true; }

 private:
  Replay& replay_;
};

// The replay's clock moves only to the recorded readings, never by itself.
class StillTicker : public platform::Ticker {
 public:
  explicit StillTicker(Replay& replay) : replay_(replay) {}
  bool Start(int32_t periodMs, std::function<void()>) override {
    replay_.TickerStarted(periodMs);
    return true;
  }
  void Stop() override {}

 private:
  Replay& replay_;
};

// The preset skips the dialog; a view is still owed to the session.
class NoDialog : public platform::LaunchView {
 public:
  platform::LaunchChoice Run(const platform::LaunchOffer&) override { return {}; }
};

}  // namespace

int VerifyTrace(const std::string& path, std::FILE* out, std::FILE* err, const VerifySettings& settings) {
  std::error_code sizeError;
  const uint64_t size = std::filesystem::file_size(path, sizeError);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (sizeError || file == nullptr) {
    const std::string reason = sizeError ? sizeError.message() : std::strerror(errno);
    std::fprintf(err, "%s: cannot be read: %s\n", path.c_str(), reason.c_str());
    return kVerifyMalformed;
  }
  return VerifyTraceStream(file.get(), size, path, out, err, settings);
}

int VerifyTraceStream(std::FILE* file, uint64_t size, const std::string& name, std::FILE* out, std::FILE* err,
                      const VerifySettings& settings) {
  uint8_t bytes[kTraceHeaderBytes];
  if (size < kTraceHeaderBytes || std::fread(bytes, 1, kTraceHeaderBytes, file) != kTraceHeaderBytes ||
      std::memcmp(bytes, kTraceMagic, sizeof kTraceMagic) != 0 || Get32(bytes + 8) != kTraceVersion) {
    std::fprintf(err, "%s: not a frame trace (no %.8s header of version %u)\n", name.c_str(), kTraceMagic,
                 kTraceVersion);
    return kVerifyMalformed;
  }
  TraceHeader header{};
  if (const std::string problem = DecodeHeader(bytes, header); !problem.empty()) {
    std::fprintf(err, "%s: %s\n", name.c_str(), problem.c_str());
    return kVerifyMalformed;
  }
  if ((size - kTraceHeaderBytes) % kTraceRecordBytes != 0 || size == kTraceHeaderBytes) {
    std::fprintf(err, "%s: %llu bytes after the header, not a whole number of %zu-byte records\n", name.c_str(),
                 static_cast<unsigned long long>(size - kTraceHeaderBytes), kTraceRecordBytes);
    return kVerifyMalformed;
  }
  const uint64_t records = (size - kTraceHeaderBytes) / kTraceRecordBytes;

  Replay replay(file, records, header, settings, out, err);
  if (!replay.ReadNext()) {
    std::fprintf(err, "%s: %s\n", name.c_str(), replay.malformed().c_str());
    return kVerifyMalformed;
  }
  if (replay.next().source != kSourceStartupFrame) {
    std::fprintf(err, "%s: the first record is not the start-up frame; only a trace from the show's start replays\n",
                 name.c_str());
    return kVerifyMalformed;
  }

  // The show from its start, over a screen nobody looks at, a clock that only the records move and the
  // recorded music orders.
  ResetShowState();
  platform::MemoryDevice device(platform::StandardMemoryDisplay(kReplayScreenWidth, kReplayScreenHeight));
  device.SetObserved(false);
  StillTicker ticker(replay);
  RecordedMusic music(replay);
  HostSession session(Platform{device, device, ticker, music});
  replay.Attach(session);
  session.SetObserver(&replay);
  session.Clock().Set(replay.next().timeCounter);
  LaunchPreset preset;
  preset.windowed = true;
  preset.nosound = (header.flags & kTraceFlagNosound) != 0;
  preset.skipDialog = true;
  NoDialog view;
  const int status = session.Run(view, preset);

  const uint64_t compared = replay.compared();
  const uint64_t differing = replay.differing();
  if (!replay.malformed().empty()) {
    std::fprintf(err, "%s: %s\n", name.c_str(), replay.malformed().c_str());
    return kVerifyMalformed;
  }
  if (status != kStatusOk) {
    std::fprintf(err, "%s: the show could not be replayed (status %d)\n", name.c_str(), status);
    return kVerifyMismatch;
  }
  if (differing > settings.maxReport) {
    std::fprintf(out, "... and %llu more differing frames\n",
                 static_cast<unsigned long long>(differing - settings.maxReport));
  }
  std::fprintf(out, "%llu of %llu frames differ\n", static_cast<unsigned long long>(differing),
               static_cast<unsigned long long>(compared));
  if (!replay.ended()) {
    std::fprintf(out, "the show ended after %llu frames, but the trace holds %llu\n",
                 static_cast<unsigned long long>(compared), static_cast<unsigned long long>(records));
    return kVerifyMismatch;
  }
  return differing == 0 ? kVerifyMatch : kVerifyMismatch;
}

DifferencePictures DrawDifference(const FrameDifference& difference) {
  DifferencePictures pictures;
  uint8_t colours[kColourTableBytes];
  const auto draw = [&](const uint8_t* levels, const uint8_t* indices, std::vector<uint8_t>& picture) {
    picture.assign(kExpandedFrameBytes, 0);
    RefreshPalette(levels, colours);
    ExpandFrame(indices, colours, picture.data());
  };
  draw(difference.replayedPalette, difference.replayedFrame, pictures.replayed);
  draw(difference.recordedPalette, difference.recordedFrame, pictures.recorded);
  pictures.difference.assign(kExpandedFrameBytes, 0);
  for (int i = 0; i < kFrameBytes; ++i) {
    const uint8_t index = difference.replayedFrame[i];
    const uint8_t* shown = pictures.replayed.data() + i * kExpandedPixelBytes;
    const bool changed = index != difference.recordedFrame[i] ||
                         std::memcmp(difference.replayedPalette + 3 * index, difference.recordedPalette + 3 * index,
                                     3) != 0;
    // At most a quarter of full brightness, so that no unchanged pixel looks like a marked one.
    const uint8_t level = changed ? 255 : static_cast<uint8_t>((shown[0] + shown[1] + shown[2]) / 12);
    std::memset(pictures.difference.data() + i * kExpandedPixelBytes, level, 3);
  }
  return pictures;
}
