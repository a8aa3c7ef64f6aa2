// The launch page and the presented frames' trace: the parts of the page the program waits on or writes to.
#include <emscripten/emscripten.h>

#include "platform/web/web.h"

// Resolves when the user picks "Run Demo" (the item, windowed and nosound packed) or "Exit" (-1).
EM_ASYNC_JS(int, vesk_web_launch_page, (const char* title, const char* about, const char* items, int selection), {
  return await VeskPage.runLaunch(UTF8ToString(title), UTF8ToString(about).split('\n'),
                                  UTF8ToString(items).split('\n').filter(s => s.length > 0), selection);
});
EM_JS(void, vesk_web_note_present, (uint32_t source, uint32_t timeCounter, int32_t order), {
  VeskPage.notePresent(source, timeCounter >>> 0, order);
});
EM_JS(int, vesk_web_trace_wanted, (), { return VeskPage.traceWanted() ? 1 : 0; });
EM_JS(void, vesk_web_trace_append, (const void* bytes, int size), {
  VeskPage.traceAppend(HEAPU8.slice(bytes, bytes + size));
});

namespace web {

namespace {

constexpr int kExit = -1;
constexpr int kItemBits = 0xFFFF;
constexpr int kWindowedBit = 1 << 16;
constexpr int kNosoundBit = 1 << 17;

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += line + "\n";
  return joined;
}

}  // namespace

LaunchChoice RunLaunchPage(const std::string& title, const std::vector<std::string>& aboutLines,
                           const std::vector<std::string>& items, int32_t selection) {
  const int answer = vesk_web_launch_page(title.c_str(), JoinLines(aboutLines).c_str(), JoinLines(items).c_str(),
                                          selection);
  LaunchChoice choice;
  if (answer == kExit) return choice;
  choice.runDemo = true;
  choice.item = answer & kItemBits;
  choice.windowed = (answer & kWindowedBit) != 0;
  choice.nosound = (answer & kNosoundBit) != 0;
  return choice;
}

void NotePresent(uint32_t source, uint32_t timeCounter, int32_t musicOrder) {
  vesk_web_note_present(source, timeCounter, musicOrder);
}

bool TraceWanted() { return vesk_web_trace_wanted() != 0; }

void RecordTrace(const void* bytes, size_t size) { vesk_web_trace_append(bytes, static_cast<int>(size)); }

}  // namespace web
