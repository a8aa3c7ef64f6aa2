// The browser's display and clock: the memory device's screen on the page's canvas, the page's keys as events,
// and 20 ms periods of the page's monotonic clock delivered after each presented frame.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstring>

#include "platform/web/web.h"

// The page's canvas: the picture as RGBA bytes, width x height, and the canvas's pixels scaled from it (none where
// the page stretches the picture itself).
EM_JS(void, vesk_web_draw, (const uint8_t* rgba, int width, int height, const uint8_t* scaled, int scaledWidth,
                            int scaledHeight), {
  VeskPage.draw(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height,
                scaled ? HEAPU8.subarray(scaled, scaled + scaledWidth * scaledHeight * 4) : null, scaledWidth,
                scaledHeight);
});
// The canvas's size when the program is to fill it (sharp and integer scaling), as width << 16 | height; else 0.
EM_JS(int, vesk_web_canvas_size, (), { return VeskPage.canvasSize(); });
// Resolves at the browser's next animation frame, the page's vertical blank.
EM_ASYNC_JS(void, vesk_web_next_frame, (), { await VeskPage.nextFrame(); });
EM_JS(int, vesk_web_screen_width, (), { return VeskPage.screenSize()[0]; });
EM_JS(int, vesk_web_screen_height, (), { return VeskPage.screenSize()[1]; });
// The page's input since the last call, one at a time: kInputNone, kInputEscape or kInputPause.
EM_JS(int, vesk_web_take_input, (), { return VeskPage.takeInput(); });
EM_JS(void, vesk_web_show, (int fullScreen, const char* title), {
  VeskPage.showShow(fullScreen != 0, UTF8ToString(title));
});
EM_JS(void, vesk_web_hide, (), { VeskPage.hideShow(); });
EM_JS(void, vesk_web_message, (const char* text, const char* caption), {
  VeskPage.message(UTF8ToString(text), caption ? UTF8ToString(caption) : "Error");
});

namespace platform {

namespace {

constexpr int kInputNone = 0;
constexpr int kInputEscape = 1;
constexpr int kInputPause = 2;

// Canvas sizes of the page's 4:3 box; the picture keeps that shape whatever the size.
constexpr int32_t kOfferedSizes[][2] = {{320, 240}, {640, 480}, {800, 600}, {960, 720}, {1024, 768}, {1280, 960}};

// Canvas pixels are 32-bit: the page's modes all have that one depth.
MemoryDisplay PageDisplay() {
  const PixelLayout layout = MemoryLayout(32);
  MemoryDisplay display{{vesk_web_screen_width(), vesk_web_screen_height(), layout}, {}};
  for (const auto& size : kOfferedSizes) display.modes.push_back({size[0], size[1], layout});
  return display;
}

}  // namespace

bool WebTicker::Start(int32_t periodMs, std::function<void()> tick) {
  if (tick_ != nullptr || tick == nullptr || periodMs <= 0) return false;
  tick_ = std::move(tick);
  periodMs_ = periodMs;
  startMs_ = emscripten_get_now();
  delivered_ = 0;
  return true;
}

void WebTicker::DeliverDue() {
  if (tick_ == nullptr) return;
  const auto due = static_cast<uint64_t>(std::floor((emscripten_get_now() - startMs_) / periodMs_));
  while (delivered_ < due && tick_ != nullptr) {
    ++delivered_;
    tick_();
  }
}

WebVideo::WebVideo(WebTicker& ticker) : MemoryDevice(PageDisplay()), ticker_(ticker) {}

// The page is the program's one window: it stays active while the show runs. (A hidden page simply gets no
// animation frames, so the show waits rather than running unseen.)
void WebVideo::ShowWindow() {
  if (WindowOpen() && !shown_) {
    shown_ = true;
    vesk_web_show(FullScreen() ? 1 : 0, Title().c_str());
  }
  MemoryDevice::ShowWindow();
}

void WebVideo::DestroyWindow() {
  MemoryDevice::DestroyWindow();
  if (shown_) vesk_web_hide();
  shown_ = false;
}

void WebVideo::DispatchPending() {
  for (int input = vesk_web_take_input(); input != kInputNone; input = vesk_web_take_input()) {
    if (!WindowOpen()) continue;
    if (input == kInputEscape) Post(ShowEvent::kEscape);
    if (input == kInputPause) Post(ShowEvent::kPause);
  }
  MemoryDevice::DispatchPending();
}

// The picture unstretched: the canvas holds the show's pixels and the page scales them to its 4:3 box, which
// costs the page far less than a screen-sized canvas.
void WebVideo::Stretch(const Rect& source, const Rect&) {
  const MemorySurface& work = Work();
  const int32_t width = source.right - source.left;
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(source.bottom - source.top) * 4;
  uint32_t differs = canvasWidth_ != width || rgba_.size() != size ? 1 : 0;
  if (differs != 0) rgba_.assign(size, 0);
  uint8_t* out = rgba_.data();
  // Converted in place, word by word, noting whether any word changed: one pass over the picture, in vector
  // instructions, where a copy and then a comparison took two.
  for (int32_t y = source.top; y < source.bottom; ++y) {
    const uint8_t* in = work.bytes.data() + static_cast<size_t>(y) * work.pitch + source.left * 4;
    for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
      // The 32-bit layout's word is unused, red, green, blue from the top; the canvas's bytes are red, green,
      // blue, opaque.
      uint32_t pixel;
      std::memcpy(&pixel, in, 4);
      const uint32_t rgba = 0xFF000000u | (pixel & 0xFFu) << 16 | (pixel & 0xFF00u) | (pixel >> 16 & 0xFFu);
      uint32_t shown;
      std::memcpy(&shown, out, 4);
      differs |= rgba ^ shown;
      std::memcpy(out, &rgba, 4);
    }
  }
  // A present that repeats the last picture (the show's clock has not moved) leaves the canvas as it is.
  changed_ = differs != 0;
  if (!changed_) return;
  canvasWidth_ = width;
  // Scaled here rather than after the wait for the frame, which the page's glue must be able to unwind.
  const int canvasSize = vesk_web_canvas_size();
  scaledWidth_ = canvasSize >> 16;
  scaledHeight_ = canvasSize & 0xFFFF;
  if (scaledWidth_ == 0 || scaledHeight_ == 0) {
    scaledWidth_ = scaledHeight_ = 0;
    return;
  }
  scaled_.resize(static_cast<size_t>(scaledWidth_) * static_cast<size_t>(scaledHeight_) * 4);
  scaling_.Scale(rgba_.data(), width, source.bottom - source.top, scaled_.data(), scaledWidth_, scaledHeight_);
}

void WebVideo::OnPresented(const Rect&) {
  vesk_web_next_frame();
  if (changed_) {
    vesk_web_draw(rgba_.data(), canvasWidth_, static_cast<int>(rgba_.size() / 4 / static_cast<size_t>(canvasWidth_)),
                  scaledWidth_ > 0 ? scaled_.data() : nullptr, scaledWidth_, scaledHeight_);
  }
  changed_ = false;
  ticker_.DeliverDue();
}

void WebVideo::OnMessageBox(const char* text, const char* caption) {
  vesk_web_message(text != nullptr ? text : "", caption);
}

}  // namespace platform
