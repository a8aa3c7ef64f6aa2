// Replays a recorded frame trace through the host and the show: every frame is drawn again from the recorded
// clock readings and music orders and must equal the recorded one, byte for byte.
//
//   vesk-trace-replay TRACE RESOURCES_DIR
//
// Prints the number of frames and of differing frames; exits 0 only when every frame matched.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "display/display_mode.h"
#include "host/capture/frame_trace.h"
#include "host/host_main.h"
#include "host/launch_dialog.h"
#include "host/present_source.h"
#include "platform/fakes/fake_platform.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

struct Replay {
  const uint8_t* records = nullptr;
  size_t count = 0;
  size_t presented = 0;
  size_t differences = 0;
  int32_t order = 0;

  const uint8_t* Record(size_t k) const { return records + k * kTraceRecordBytes; }
};
Replay replay;

class RunDemo : public LaunchDialog {
 public:
  int32_t RunModal() override {
    selectedMode = 1;
    interfaceBlock.windowed = 1;
    interfaceBlock.loopRequested = 0;
    interfaceBlock.soundOn = 1;
    return kLaunchRunDemo;
  }
};

// At each blit: compare the frame being shown with its record, then give the show the clock and order that the
// recording had for the next frame. After the last record the show is ended with Escape.
void OnCall(const std::string& call) {
  if (call.rfind("Blt ", 0) != 0) return;
  Replay& r = replay;
  const size_t k = r.presented++;
  if (k >= r.count) return;
  const uint8_t* rec = r.Record(k);
  const bool same = U32(rec) == presentSource && U32(rec + 4) == ReadTimeCounter() &&
                    std::memcmp(rec + kTraceRecordFieldsBytes, palette, kPaletteBytes) == 0 &&
                    std::memcmp(rec + kTraceRecordFieldsBytes + kPaletteBytes, frameBuffer, kFrameBytes) == 0;
  if (!same) {
    if (r.differences < 10) std::fprintf(stderr, "vesk-trace-replay: frame %zu differs\n", k);
    ++r.differences;
  }
  if (k + 1 < r.count) {
    const uint8_t* next = r.Record(k + 1);
    interfaceBlock.timeCounter.store(U32(next + 4));
    r.order = static_cast<int32_t>(U32(next + 8));
  } else {
    fake::Post(platform::MessageKind::kKeyDown, platform::kVirtualKeyEscape);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(stderr, "usage: vesk-trace-replay TRACE RESOURCES_DIR\n");
    return 2;
  }
  const std::vector<uint8_t> trace = ReadFile(argv[1]);
  if (trace.size() < kTraceHeaderBytes || std::memcmp(trace.data(), kTraceMagic, sizeof kTraceMagic) != 0 ||
      (trace.size() - kTraceHeaderBytes) % kTraceRecordBytes != 0) {
    std::fprintf(stderr, "vesk-trace-replay: %s is not a frame trace\n", argv[1]);
    return 2;
  }
  replay.records = trace.data() + kTraceHeaderBytes;
  replay.count = (trace.size() - kTraceHeaderBytes) / kTraceRecordBytes;
  if (replay.count == 0) {
    std::fprintf(stderr, "vesk-trace-replay: the trace has no frames\n");
    return 1;
  }

  fake::Reset();
  ResetHostState();
  fake::FakeState& state = fake::State();
  state.modes = {fake::FakeState::Mode(640, 480, 32, 0xFF0000, 0xFF00, 0xFF)};
  const std::string resources = argv[2];
  state.resources["XMFILE"] = ReadFile(resources + "/music/xmfile.xm");
  for (int n = 1; n <= 4; ++n) {
    state.resources["OLKPIC" + std::to_string(n)] =
        ReadFile(resources + "/pictures/olkpic" + std::to_string(n) + ".bmp");
  }
  state.order = [] { return replay.order; };
  state.onCall = OnCall;
  RunDemo dialog;
  HostMain(dialog);

  const size_t compared = replay.presented < replay.count ? replay.presented : replay.count;
  std::printf("%zu frames replayed of %zu, %zu differences\n", compared, replay.count, replay.differences);
  return compared == replay.count && replay.differences == 0 ? 0 : 1;
}
