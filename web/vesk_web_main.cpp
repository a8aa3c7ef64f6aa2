// The web page's program: the show's session over the browser's services, the page told of every presented
// frame, and the trace of those frames when the page asks for it.
#include <emscripten/emscripten.h>

#include <vector>

#include "host/session.h"
#include "platform/web/web.h"
#include "trace/frame_trace.h"

EM_JS(void, vesk_web_note_present, (uint32_t source, uint32_t timeCounter, int32_t order), {
  VeskPage.notePresent(source, timeCounter >>> 0, order);
});
EM_JS(int, vesk_web_trace_wanted, (), { return VeskPage.traceWanted() ? 1 : 0; });
EM_JS(void, vesk_web_trace_append, (const void* bytes, int size), {
  VeskPage.traceAppend(HEAPU8.slice(bytes, bytes + size));
});
// The session is over: the page goes back to its launch form with a fresh program (unless the form said "Exit").
EM_JS(void, vesk_web_ended, (), { VeskPage.ended(); });

namespace {

constexpr uint32_t kNominalFps = 60;

void RecordTrace(const void* bytes, size_t size) { vesk_web_trace_append(bytes, static_cast<int>(size)); }

class PageObserver : public FrameObserver {
 public:
  // After "Run Demo": the trace starts with its header when the page asked for one.
  void StartTrace(bool nosound) {
    tracing_ = vesk_web_trace_wanted() != 0;
    if (!tracing_) return;
    const auto header = EncodeTraceHeader({kNominalFps, 0, kTraceFlagRealTime | (nosound ? kTraceFlagNosound : 0u)});
    RecordTrace(header.data(), header.size());
  }

  void OnFrame(const FrameHandOver& frame) override {
    vesk_web_note_present(frame.source, frame.timeCounter, frame.musicOrder);
    if (!tracing_) return;
    EncodeTraceRecord(frame, record_);
    RecordTrace(record_.data(), record_.size());
  }

 private:
  bool tracing_ = false;
  std::vector<uint8_t> record_;
};

// The page's form, and the trace started by its "Run Demo".
class TracedLaunch : public platform::LaunchView {
 public:
  explicit TracedLaunch(PageObserver& observer) : observer_(observer) {}
  platform::LaunchChoice Run(const platform::LaunchOffer& offer) override {
    const platform::LaunchChoice choice = form_.Run(offer);
    if (choice.runDemo) observer_.StartTrace(choice.nosound);
    return choice;
  }

 private:
  platform::WebLaunchView form_;
  PageObserver& observer_;
};

}  // namespace

int main() {
  platform::WebTicker ticker;
  platform::WebVideo video(ticker);
  platform::WebMusic music;
  HostSession session(Platform{video, video, ticker, music});
  PageObserver observer;
  session.SetObserver(&observer);
  TracedLaunch view(observer);
  const int status = session.Run(view, LaunchPreset{});
  vesk_web_ended();
  return status;
}
