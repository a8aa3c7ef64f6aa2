// The trace verifier: the show run by the host's own session over a platform that plays the trace back.
#include "trace/trace_verify.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "host/launch_options.h"
#include "host/present_source.h"
#include "host/session.h"
#include "platform/launch_view.h"
#include "platform/memory/memory_device.h"
#include "platform/music.h"
#include "platform/ticker.h"
#include "trace/frame_trace.h"

namespace {

constexpr uint32_t kLastSource = kSourcePicture1 + 3;
// Differing frames listed one by one before the rest are only counted.
constexpr uint64_t kListedDifferences = 50;
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

// The palette a caption scene opens with: level i / 4 in every channel of entry i.
bool IsGreyRamp(const uint8_t* palette) {
  for (int i = 0; i < kPaletteBytes; ++i) {
    if (palette[i] != i / 12) return false;
  }
  return true;
}

// Compares every frame the session hands over with its record, then sets the clock to the reading the next
// record was drawn at; asks the session to quit after the last record.
class Replay : public FrameObserver {
 public:
  Replay(std::FILE* file, uint64_t records, std::FILE* out) : file_(file), records_(records), out_(out) {}

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
    if (next_.source > kLastSource) {
      malformed_ = "record " + std::to_string(read_) + " names presenter " + std::to_string(next_.source);
      return false;
    }
    ++read_;
    return true;
  }

  void OnFrame(const FrameHandOver& frame) override {
    std::swap(current_, next_);
    Compare(compared_++, frame);
    if (!ReadNext()) {
      ended_ = true;
      session_->RequestQuit();
      return;
    }
    session_->Clock().Set(next_.timeCounter);
  }

  // What the pictures see when they poll the music: the order recorded with the frame they draw next.
  int32_t UpcomingOrder() const { return next_.musicOrder; }
  const Record& next() const { return next_; }
  const std::string& malformed() const { return malformed_; }
  bool ended() const { return ended_; }
  uint64_t compared() const { return compared_; }
  uint64_t differing() const { return differing_; }

 private:
  void Compare(uint64_t index, const FrameHandOver& frame) {
    const char* stage = Stage(frame);
    uint32_t paletteBytes = 0;
    uint32_t frameBytes = 0;
    for (int i = 0; i < kPaletteBytes; ++i) paletteBytes += frame.palette[i] != current_.palette()[i];
    for (int i = 0; i < kFrameBytes; ++i) frameBytes += frame.frame[i] != current_.frame()[i];
    const bool sourceDiffers = current_.source != frame.source;
    if (paletteBytes == 0 && frameBytes == 0 && !sourceDiffers) return;
    if (++differing_ <= kListedDifferences) {
      std::fprintf(out_, "frame %llu (%s, show tick %d): %u frame bytes and %u palette bytes differ",
                   static_cast<unsigned long long>(index), stage, CounterToShowTicks(current_.timeCounter), frameBytes,
                   paletteBytes);
      if (sourceDiffers) {
        std::fprintf(out_, "; recorded from presenter %u, replayed from %u", current_.source,
                     static_cast<uint32_t>(frame.source));
      }
      std::fputc('\n', out_);
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
  std::FILE* out_;
  HostSession* session_ = nullptr;
  uint64_t read_ = 0;
  uint64_t compared_ = 0;
  uint64_t differing_ = 0;
  Record current_;
  Record next_;
  std::string malformed_;
  bool ended_ = false;
  int picturesShown_ = 0;
  bool captionsBegun_ = false;
};

// The replay platform's music: silent, and at the recorded order whenever asked.
class RecordedMusic : public platform::MusicPlayer {
 public:
  explicit RecordedMusic(const Replay& replay) : replay_(replay) {}
  bool OpenDevice() override { return true; }
  void CloseDevice() override {}
  bool Load(std::span<const uint8_t>) override { return true; }
  bool Play(float) override { return true; }
  bool SetVolume(int32_t) override { return true; }
  int32_t Order() override { return replay_.UpcomingOrder(); }
  bool Stop() override { return true; }
  bool Free() override { return true; }

 private:
  const Replay& replay_;
};

// The replay's clock moves only to the recorded readings, never by itself.
class StillTicker : public platform::Ticker {
 public:
  bool Start(int32_t, std::function<void()>) override { return true; }
  void Stop() override {}
};

// The preset skips the dialog; a view is still owed to the session.
class NoDialog : public platform::LaunchView {
 public:
  platform::LaunchChoice Run(const platform::LaunchOffer&) override { return {}; }
};

}  // namespace

int VerifyTrace(const std::string& path, std::FILE* out, std::FILE* err) {
  std::error_code sizeError;
  const uint64_t size = std::filesystem::file_size(path, sizeError);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (sizeError || file == nullptr) {
    const std::string reason = sizeError ? sizeError.message() : std::strerror(errno);
    std::fprintf(err, "%s: cannot be read: %s\n", path.c_str(), reason.c_str());
    return kVerifyMalformed;
  }
  uint8_t header[kTraceHeaderBytes];
  if (size < kTraceHeaderBytes || std::fread(header, 1, kTraceHeaderBytes, file.get()) != kTraceHeaderBytes ||
      std::memcmp(header, kTraceMagic, sizeof kTraceMagic) != 0 || Get32(header + 8) != kTraceVersion) {
    std::fprintf(err, "%s: not a frame trace (no %.8s header of version %u)\n", path.c_str(), kTraceMagic,
                 kTraceVersion);
    return kVerifyMalformed;
  }
  if ((size - kTraceHeaderBytes) % kTraceRecordBytes != 0 || size == kTraceHeaderBytes) {
    std::fprintf(err, "%s: %llu bytes after the header, not a whole number of %zu-byte records\n", path.c_str(),
                 static_cast<unsigned long long>(size - kTraceHeaderBytes), kTraceRecordBytes);
    return kVerifyMalformed;
  }
  const uint64_t records = (size - kTraceHeaderBytes) / kTraceRecordBytes;

  Replay replay(file.get(), records, out);
  if (!replay.ReadNext()) {
    std::fprintf(err, "%s: %s\n", path.c_str(), replay.malformed().c_str());
    return kVerifyMalformed;
  }
  if (replay.next().source != kSourceStartupFrame) {
    std::fprintf(err, "%s: the first record is not the start-up frame; only a trace from the show's start replays\n",
                 path.c_str());
    return kVerifyMalformed;
  }

  // The show from its start, over a screen nobody looks at, a clock that only the records move and the
  // recorded music orders.
  ResetShowState();
  platform::MemoryDevice device(platform::StandardMemoryDisplay(kReplayScreenWidth, kReplayScreenHeight));
  device.SetObserved(false);
  StillTicker ticker;
  RecordedMusic music(replay);
  HostSession session(Platform{device, device, ticker, music});
  replay.Attach(session);
  session.SetObserver(&replay);
  session.Clock().Set(replay.next().timeCounter);
  LaunchPreset preset;
  preset.windowed = true;
  preset.nosound = (Get32(header + 20) & kTraceFlagNosound) != 0;
  preset.skipDialog = true;
  NoDialog view;
  const int status = session.Run(view, preset);

  const uint64_t compared = replay.compared();
  const uint64_t differing = replay.differing();
  if (!replay.malformed().empty()) {
    std::fprintf(err, "%s: %s\n", path.c_str(), replay.malformed().c_str());
    return kVerifyMalformed;
  }
  if (status != kStatusOk) {
    std::fprintf(err, "%s: the show could not be replayed (status %d)\n", path.c_str(), status);
    return kVerifyMismatch;
  }
  if (differing > kListedDifferences) {
    std::fprintf(out, "... and %llu more differing frames\n",
                 static_cast<unsigned long long>(differing - kListedDifferences));
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
