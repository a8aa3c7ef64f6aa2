// The memory device: surfaces in memory, the nearest-pixel stretch, scripted failures and the event queue.
#include "platform/memory/memory_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "core/screen.h"

namespace platform {

namespace {

// The host packs its picture into the work surface's top-left corner, whatever the mode's size.
constexpr int32_t kPictureWidth = kScreenWidth;
constexpr int32_t kPictureHeight = kScreenHeight;

constexpr VideoMode kOfferedSizes[] = {{320, 200, {}},  {320, 240, {}},  {640, 400, {}},   {640, 480, {}},
                                       {800, 600, {}},  {1024, 768, {}}, {1280, 1024, {}}, {1600, 1200, {}}};

int32_t BytesPerPixel(const PixelLayout& layout) { return (layout.bitsPerPixel + 7) / 8; }

MemorySurface NewSurface(int32_t width, int32_t height, const PixelLayout& layout) {
  MemorySurface s{width, height, width * BytesPerPixel(layout), layout, {}};
  s.bytes.assign(static_cast<size_t>(s.pitch) * static_cast<size_t>(height), 0);
  return s;
}

bool Inside(const Rect& r, const MemorySurface& s) {
  return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height && r.left < r.right &&
         r.top < r.bottom;
}

// Each picture pixel takes the source pixel under its centre.
void MapCentres(std::vector<int32_t>& to, int32_t count, int32_t sourceCount) {
  to.resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    to[i] = static_cast<int32_t>((int64_t{2} * i + 1) * sourceCount / (int64_t{2} * count));
  }
}

}  // namespace

PixelLayout MemoryLayout(int32_t depth) {
  if (depth == 32 || depth == 24) return {depth, 0xFF0000, 0xFF00, 0xFF};
  if (depth == 16) return {16, 0xF800, 0x7E0, 0x1F};
  return {};
}

MemoryDisplay StandardMemoryDisplay(int32_t width, int32_t height) {
  MemoryDisplay display{{width, height, MemoryLayout(32)}, {}};
  std::vector<VideoMode> sizes(std::begin(kOfferedSizes), std::end(kOfferedSizes));
  if (std::none_of(sizes.begin(), sizes.end(),
                   [&](const VideoMode& s) { return s.width == width && s.height == height; })) {
    sizes.push_back({width, height, {}});
  }
  for (const int32_t depth : {16, 24, 32}) {
    for (const VideoMode& size : sizes) display.modes.push_back({size.width, size.height, MemoryLayout(depth)});
  }
  return display;
}

MemoryDevice::MemoryDevice(MemoryDisplay display) : display_(std::move(display)) {}

VideoStatus MemoryDevice::Step(VideoStep step) const {
  for (const auto& [failing, fault] : failures_) {
    if (failing == step) return VideoStatus::Failed(step, fault);
  }
  return VideoStatus::Ok();
}

void MemoryDevice::FailStep(VideoStep step, VideoFault fault) { failures_.emplace_back(step, fault); }

VideoStatus MemoryDevice::Create() {
  const VideoStatus status = Step(VideoStep::kCreate);
  created_ = status.ok();
  return status;
}

VideoStatus MemoryDevice::CurrentMode(VideoMode& desktop) {
  const VideoStatus status = Step(VideoStep::kCurrentMode);
  if (status.ok()) desktop = display_.desktop;
  return status;
}

void MemoryDevice::ForEachMode(const std::function<void(const VideoMode&)>& each) {
  for (const VideoMode& mode : display_.modes) each(mode);
}

void MemoryDevice::ShowCursor(bool shown) { cursorCount_ += shown ? 1 : -1; }

VideoStatus MemoryDevice::OpenWindow(const ShowWindowSpec& window, bool fullScreen) {
  title_ = window.title != nullptr ? window.title : "";
  window_ = true;
  activated_ = false;
  fullScreen_ = fullScreen;
  if (!fullScreen) MemoryDevice::ShowWindow();  // not the subclass's: the window shows itself
  return Step(VideoStep::kCooperativeLevel);
}

VideoStatus MemoryDevice::OpenFullScreen(const ShowWindowSpec& window, int32_t depth) {
  VideoStatus status = OpenWindow(window, true);
  if (!status.ok()) return status;
  const PixelLayout layout = MemoryLayout(depth);
  if (layout.bitsPerPixel == 0 || window.width <= 0 || window.height <= 0) {
    return VideoStatus::Failed(VideoStep::kDisplayMode, VideoFault::kUnsupportedMode);
  }
  for (const VideoStep step : {VideoStep::kDisplayMode, VideoStep::kPrimarySurface, VideoStep::kBackBuffer}) {
    if (!(status = Step(step)).ok()) return status;
  }
  OpenSurfaces(window.width, window.height, layout);
  return status;
}

VideoStatus MemoryDevice::OpenWindowed(const ShowWindowSpec& window) {
  VideoStatus status = OpenWindow(window, false);
  if (!status.ok()) return status;
  for (const VideoStep step : {VideoStep::kPrimarySurface, VideoStep::kClipper, VideoStep::kWorkSurface}) {
    if (!(status = Step(step)).ok()) return status;
  }
  if (window.width <= 0 || window.height <= 0) {
    return VideoStatus::Failed(VideoStep::kWorkSurface, VideoFault::kInvalidParams);
  }
  OpenSurfaces(window.width, window.height, display_.desktop.layout);
  return status;
}

void MemoryDevice::OpenSurfaces(int32_t width, int32_t height, const PixelLayout& layout) {
  screen_ = NewSurface(width, height, layout);
  work_ = NewSurface(std::max(width, kPictureWidth), std::max(height, kPictureHeight), layout);
  surfaces_ = true;
}

void MemoryDevice::ShowWindow() {
  if (!window_ || activated_) return;
  activated_ = true;
  Deliver(ShowEvent::kActivated);
}

void MemoryDevice::DestroyWindow() {
  if (!window_) return;
  window_ = false;
  activated_ = false;
  Deliver(ShowEvent::kDestroyed);
}

bool MemoryDevice::ToggleFullScreen() {
  if (!window_) return false;
  fullScreen_ = !fullScreen_;
  return true;
}

Access MemoryDevice::Lock(WorkTarget& target) {
  if (!surfaces_) return Access::kFailed;
  if (!lockScript_.empty()) {
    const Access scripted = lockScript_.front();
    lockScript_.pop_front();
    if (scripted != Access::kOk) return scripted;
  }
  if (!observed_) return Access::kUnobserved;
  target = {work_.bytes.data(), work_.pitch, work_.width, work_.height};
  return Access::kOk;
}

Access MemoryDevice::Present(const Rect& source, const Rect& picture) {
  if (!surfaces_ || !Inside(source, work_) || !Inside(picture, screen_)) return Access::kFailed;
  if (!presentScript_.empty()) {
    const Access scripted = presentScript_.front();
    presentScript_.pop_front();
    if (scripted != Access::kOk) return scripted;
  }
  if (observed_) Stretch(source, picture);
  if (display_.refreshRate > 0) blanks_ += BlanksPerPresentAt(display_.refreshRate);
  OnPresented(picture);
  return Access::kOk;
}

bool MemoryDevice::OutputSize(int32_t& width, int32_t& height) {
  if (!surfaces_) return false;
  width = screen_.width;
  height = screen_.height;
  return true;
}

void MemoryDevice::Stretch(const Rect& source, const Rect& picture) {
  const int32_t bytes = BytesPerPixel(screen_.layout);
  const int32_t width = picture.right - picture.left;
  const int32_t height = picture.bottom - picture.top;
  const int32_t sizes[4] = {source.right - source.left, source.bottom - source.top, width, height};
  if (!std::equal(std::begin(sizes), std::end(sizes), std::begin(mapSizes_))) {
    std::copy(std::begin(sizes), std::end(sizes), std::begin(mapSizes_));
    MapCentres(columns_, width, sizes[0]);
    MapCentres(rows_, height, sizes[1]);
  }
  int32_t previousRow = -1;
  const uint8_t* previousOut = nullptr;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = screen_.bytes.data() + static_cast<size_t>(picture.top + y) * screen_.pitch +
                   static_cast<size_t>(picture.left) * bytes;
    if (rows_[y] == previousRow) {
      std::memcpy(out, previousOut, static_cast<size_t>(width) * bytes);
      continue;
    }
    const uint8_t* in = work_.bytes.data() + static_cast<size_t>(source.top + rows_[y]) * work_.pitch +
                        static_cast<size_t>(source.left) * bytes;
    if (bytes == 4) {
      auto* out32 = reinterpret_cast<uint32_t*>(out);
      const auto* in32 = reinterpret_cast<const uint32_t*>(in);
      for (int32_t x = 0; x < width; ++x) out32[x] = in32[columns_[x]];
    } else {
      for (int32_t x = 0; x < width; ++x) std::memcpy(out + x * bytes, in + columns_[x] * bytes, bytes);
    }
    previousRow = rows_[y];
    previousOut = out;
  }
}

void MemoryDevice::Release() {
  screen_ = {};
  work_ = {};
  surfaces_ = false;
  created_ = false;
}

void MemoryDevice::OnMessageBox(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error", text != nullptr ? text : "");
}

void MemoryDevice::Deliver(ShowEvent event) {
  if (sink_ != nullptr) sink_->OnEvent(event);
}

void MemoryDevice::DispatchPending() {
  while (!queue_.empty()) {
    const ShowEvent event = queue_.front();
    queue_.pop_front();
    Deliver(event);
  }
}

}  // namespace platform
