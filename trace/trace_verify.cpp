// The trace verifier: the host's own presentation and pictures around the show, fed from the trace's records.
#include "trace/trace_verify.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "core/show_state.h"
#include "core/timeline.h"
#include "display/pixel_conversion.h"
#include "display/presentation.h"
#include "trace/frame_trace.h"
#include "host/host_main.h"
#include "host/music.h"
#include "host/pictures.h"
#include "host/present_source.h"

namespace {

constexpr uint32_t kLastSource = kSourcePicture1 + 3;
// Differing frames listed one by one before the rest are only counted.
constexpr uint64_t kListedDifferences = 50;

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

struct TraceEnded {};

class Replay {
 public:
  Replay(std::FILE* file, uint64_t records, std::FILE* out) : file_(file), records_(records), out_(out) {}

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

  // At every present, where the host's pump would run: compare with the record, then set the clock to what the
  // next record says the show read before drawing it.
  void Presented() {
    std::swap(current_, next_);
    const uint64_t index = compared_++;
    Compare(index);
    if (!ReadNext()) throw TraceEnded{};
    interfaceBlock.timeCounter.store(next_.timeCounter, std::memory_order_relaxed);
  }

  int32_t UpcomingOrder() const { return next_.musicOrder; }
  const Record& next() const { return next_; }
  const std::string& malformed() const { return malformed_; }
  uint64_t compared() const { return compared_; }
  uint64_t differing() const { return differing_; }
  void NoteStage(const char* stage) { stage_ = stage; }
  int GreyPalettes() { return greyPalettes_++; }

 private:
  void Compare(uint64_t index) {
    const char* stage = Stage();
    uint32_t paletteBytes = 0;
    uint32_t frameBytes = 0;
    for (int i = 0; i < kPaletteBytes; ++i) paletteBytes += palette[i] != current_.palette()[i];
    for (int i = 0; i < kFrameBytes; ++i) frameBytes += frameBuffer[i] != current_.frame()[i];
    const bool sourceDiffers = current_.source != presentSource;
    if (paletteBytes == 0 && frameBytes == 0 && !sourceDiffers) return;
    if (++differing_ <= kListedDifferences) {
      std::fprintf(out_, "frame %llu (%s, show tick %d): %u frame bytes and %u palette bytes differ",
                   static_cast<unsigned long long>(index), stage, CounterToShowTicks(current_.timeCounter), frameBytes,
                   paletteBytes);
      if (sourceDiffers) {
        std::fprintf(out_, "; recorded from presenter %u, replayed from %u", current_.source,
                     static_cast<uint32_t>(presentSource));
      }
      std::fputc('\n', out_);
    }
  }

  // Where the show is, by who presents and which of the core's stages it reached.
  const char* Stage() {
    static const char* const kPictures[] = {"picture 1", "picture 2", "picture 3", "picture 4"};
    if (presentSource == kSourceStartupFrame) return "start-up frame";
    if (presentSource >= kSourcePicture1) return kPictures[presentSource - kSourcePicture1];
    return stage_;
  }

  std::FILE* file_;
  uint64_t records_;
  std::FILE* out_;
  uint64_t read_ = 0;
  uint64_t compared_ = 0;
  uint64_t differing_ = 0;
  Record current_;
  Record next_;
  std::string malformed_;
  const char* stage_ = "opening or orbit";
  int greyPalettes_ = 0;
};

Replay* replay = nullptr;

void VerifyPump() { replay->Presented(); }
int32_t RecordedOrder() { return replay->UpcomingOrder(); }
void NoMusic() {}
void SpareHook() {}

// The stages the core enters through its hooks: each caption scene follows a grey palette, the final scene the
// fourth picture. The opening and the orbit stages present without a hook between them.
void GreyHook() {
  static const char* const kCaptions[] = {"caption 1", "caption 2", "caption 3"};
  const int captions = replay->GreyPalettes();
  if (captions < 3) replay->NoteStage(kCaptions[captions]);
  SetGreyPalette();
}

void Picture4Hook() {
  ShowPicture4();
  replay->NoteStage("final scene");
}

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

  Replay run(file.get(), records, out);
  replay = &run;
  if (!run.ReadNext()) {
    std::fprintf(err, "%s: %s\n", path.c_str(), run.malformed().c_str());
    return kVerifyMalformed;
  }
  if (run.next().source != kSourceStartupFrame) {
    std::fprintf(err, "%s: the first record is not the start-up frame; only a trace from the show's start replays\n",
                 path.c_str());
    return kVerifyMalformed;
  }

  // The host as start-up leaves it, with the pump replaced by the comparison and nothing drawn on a screen.
  ResetHostState();
  ResetShowState();
  std::vector<uint8_t> frame(kFrameBytes, 0);
  std::vector<uint8_t> expanded(kExpandedFrameBytes, 0);
  frameBuffer = frame.data();
  expandedFrame = expanded.data();
  appActive = 0;
  messagePump = VerifyPump;
  musicOrderSource = RecordedOrder;
  interfaceBlock.hooks[kHookPresentFrame] = PresentFrame;
  interfaceBlock.hooks[kHookRefreshPalette] = RefreshPalette;
  interfaceBlock.hooks[kHookStartMusic] = NoMusic;
  interfaceBlock.hooks[kHookSpare] = SpareHook;
  interfaceBlock.hooks[kHookShowPicture1] = ShowPicture1;
  interfaceBlock.hooks[kHookShowPicture2] = ShowPicture2;
  interfaceBlock.hooks[kHookShowPicture3] = ShowPicture3;
  interfaceBlock.hooks[kHookShowPicture4] = Picture4Hook;
  interfaceBlock.hooks[kHookSetGreyPalette] = GreyHook;
  interfaceBlock.timeCounter.store(run.next().timeCounter, std::memory_order_relaxed);

  bool showEnded = false;
  try {
    presentSource = kSourceStartupFrame;
    PresentFrame();
    presentSource = kSourceCore;
    RunShow();
    showEnded = true;
  } catch (const TraceEnded&) {
  }
  replay = nullptr;
  const uint64_t compared = run.compared();
  const uint64_t differing = run.differing();
  ResetHostState();
  if (!run.malformed().empty()) {
    std::fprintf(err, "%s: %s\n", path.c_str(), run.malformed().c_str());
    return kVerifyMalformed;
  }
  if (differing > kListedDifferences) {
    std::fprintf(out, "... and %llu more differing frames\n",
                 static_cast<unsigned long long>(differing - kListedDifferences));
  }
  std::fprintf(out, "%llu of %llu frames differ\n", static_cast<unsigned long long>(differing),
               static_cast<unsigned long long>(compared));
  if (showEnded) {
    std::fprintf(out, "the show ended after %llu frames, but the trace holds %llu\n",
                 static_cast<unsigned long long>(compared), static_cast<unsigned long long>(records));
    return kVerifyMismatch;
  }
  return differing == 0 ? kVerifyMatch : kVerifyMismatch;
}
