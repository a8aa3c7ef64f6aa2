// The page's launch form as the launch view: it waits for "Run Demo" or "Exit" on the page.
#include <emscripten/emscripten.h>

#include <string>

#include "platform/web/web.h"

// Resolves when the user picks "Run Demo" (the item, windowed and nosound packed) or "Exit" (-1).
EM_ASYNC_JS(int, vesk_web_launch_page, (const char* items, int selection, int windowed, int nosound), {
  return await VeskPage.runLaunch(UTF8ToString(items).split('\n').filter(s => s.length > 0), selection,
                                  windowed != 0, nosound != 0);
});

namespace platform {

namespace {

constexpr int kExit = -1;
constexpr int kItemBits = 0xFFFF;  // all set: no line selected
constexpr int kWindowedBit = 1 << 16;
constexpr int kNosoundBit = 1 << 17;

}  // namespace

LaunchChoice WebLaunchView::Run(const LaunchOffer& offer) {
  std::string items;
  for (const std::string& mode : offer.modes) items += mode + "\n";
  const int answer = vesk_web_launch_page(items.c_str(), offer.selection, offer.windowed, offer.nosound);
  LaunchChoice choice;
  if (answer == kExit) return choice;
  choice.runDemo = true;
  choice.item = (answer & kItemBits) == kItemBits ? -1 : answer & kItemBits;
  choice.windowed = (answer & kWindowedBit) != 0;
  choice.nosound = (answer & kNosoundBit) != 0;
  return choice;
}

}  // namespace platform
