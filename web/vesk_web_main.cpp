// The web page's program: the launch page in place of the dialog, the host over the browser backend, and the
// trace of the presented frames when the page asks for it.
#include <string>
#include <vector>

#include "core/interface_block.h"
#include "display/display_mode.h"
#include "host/host_main.h"
#include "host/launch_dialog_model.h"
#include "host/music.h"
#include "host/present_source.h"
#include "platform/web/web.h"
#include "trace/frame_trace.h"

namespace {

constexpr uint32_t kNominalFps = 60;

class LaunchPage : public LaunchDialog {
 public:
  int32_t RunModal() override {
    LaunchDialogModel model(modeTable, interfaceBlock.modeCount);
    const std::vector<std::string> about(std::begin(kAboutLines), std::end(kAboutLines));
    const web::LaunchChoice choice = web::RunLaunchPage(kLaunchTitle, about, model.Items(), model.Selection());
    if (!choice.runDemo) return kLaunchExit;
    model.Select(choice.item);
    model.SetWindowed(choice.windowed);
    model.SetNosound(choice.nosound);
    model.RunDemo(interfaceBlock, selectedMode);
    tracing = web::TraceWanted();
    if (tracing) {
      const uint32_t flags = kTraceFlagRealTime | (choice.nosound ? kTraceFlagNosound : 0u);
      const auto header = EncodeTraceHeader({kNominalFps, 0, flags});
      web::RecordTrace(header.data(), header.size());
    }
    web::SetPresentObserver(RecordPresent);
    return kLaunchRunDemo;
  }

 private:
  static inline bool tracing = false;
  static inline std::vector<uint8_t> record;
  // Called once the frame is on the page; the host's view of it is still that of the hand-over.
  static void RecordPresent() {
    const FrameHandOver frame{presentSource, ReadTimeCounter(), musicPollCount == 0 ? -1 : musicOrder, palette,
                              frameBuffer};
    web::NotePresent(frame.source, frame.timeCounter, frame.musicOrder);
    if (!tracing) return;
    EncodeTraceRecord(frame, record);
    web::RecordTrace(record.data(), record.size());
  }
};

}  // namespace

int main() {
  LaunchPage page;
  return HostMain(page);
}
