// The video device over DirectDraw: full screen is a pop-up with exclusive access, the display switched and a
// primary surface with one back buffer; windowed is a fixed frame with the desktop's primary surface, clipped to
// the window, and an off-screen work surface. No Windows header here: the port says every call.
#include "platform/win32/ddraw_video.h"

#include <utility>

namespace platform::win32 {

namespace {

VideoFault FaultOf(Result result) {
  switch (result) {
    case kInvalidObject: return VideoFault::kInvalidObject;
    case kInvalidParams: return VideoFault::kInvalidParams;
    case kUnsupportedMode: return VideoFault::kUnsupportedMode;
    default: return VideoFault::kOther;
  }
}

VideoMode ModeOf(const Description& description) {
  return {description.width, description.height, description.layout};
}

}  // namespace

VideoStatus DirectDrawVideo::Create() {
  if (Failed(port_.DirectDrawCreate(&object_)) || object_ == nullptr) {
    object_ = nullptr;
    return VideoStatus::Failed(VideoStep::kCreate);
  }
  return VideoStatus::Ok();
}

VideoStatus DirectDrawVideo::CurrentMode(VideoMode& desktop) {
  if (object_ == nullptr) return VideoStatus::Failed(VideoStep::kCurrentMode, VideoFault::kInvalidObject);
  Description mode;
  const Result result = port_.GetDisplayMode(object_, &mode);
  if (Failed(result)) return VideoStatus::Failed(VideoStep::kCurrentMode, FaultOf(result));
  desktop = ModeOf(mode);
  return VideoStatus::Ok();
}

void DirectDrawVideo::ForEachMode(const std::function<void(const VideoMode&)>& each) {
  if (object_ == nullptr) return;
  port_.EnumDisplayModes(object_, 0, [&each](const Description& mode) {
    each(ModeOf(mode));
    return kEnumContinue;
  });
}

VideoStatus DirectDrawVideo::OpenFullScreen(const ShowWindowSpec& window, int32_t depth) {
  windowed_ = false;
  window_ = port_.CreateWindowEx(0, window.title, kStylePopup, kUseDefault, kUseDefault, window.width, window.height);
  if (object_ == nullptr || Failed(port_.SetCooperativeLevel(object_, window_, kLevelExclusiveFullScreen))) {
    return VideoStatus::Failed(VideoStep::kCooperativeLevel);
  }
  if (Failed(port_.SetDisplayMode(object_, window.width, window.height, depth))) {
    return VideoStatus::Failed(VideoStep::kDisplayMode);
  }
  setup_ = {};
  setup_.flags = kDescCaps | kDescBackBufferCount;
  setup_.caps = kCapsPrimarySurface | kCapsFlip | kCapsComplex;
  setup_.backBufferCount = 1;
  if (Failed(port_.CreateSurface(object_, &setup_, &primary_))) return VideoStatus::Failed(VideoStep::kPrimarySurface);
  if (Failed(port_.GetAttachedSurface(primary_, kCapsBackBuffer, &work_))) {
    return VideoStatus::Failed(VideoStep::kBackBuffer);
  }
  return VideoStatus::Ok();
}

VideoStatus DirectDrawVideo::OpenWindowed(const ShowWindowSpec& window) {
  windowed_ = true;
  window_ = port_.CreateWindowEx(kExStyleModalFrame, window.title, kStyleFixedFrame, kUseDefault, kUseDefault,
                                 window.width, window.height);
  FitClientArea(window.width, window.height);
  port_.SetWindowPos(window_, kNotTopmost, 0, 0, 0, 0, kPosNoSize | kPosNoMove | kPosNoActivate);
  port_.ShowWindow(window_, kShowShow);
  port_.UpdateWindow(window_);
  if (object_ == nullptr || Failed(port_.SetCooperativeLevel(object_, window_, kLevelNormal))) {
    return VideoStatus::Failed(VideoStep::kCooperativeLevel);
  }
  setup_ = {};
  setup_.flags = kDescCaps;
  setup_.caps = kCapsPrimarySurface;
  if (Failed(port_.CreateSurface(object_, &setup_, &primary_))) return VideoStatus::Failed(VideoStep::kPrimarySurface);
  if (Failed(port_.CreateClipper(object_, &clipper_))) return VideoStatus::Failed(VideoStep::kClipper);
  port_.SetHWnd(clipper_, window_);
  port_.SetClipper(primary_, clipper_);
  // The surface keeps the clipper alive; set-up gives up its own reference.
  port_.Release(std::exchange(clipper_, nullptr));
  // The off-screen surface takes the desktop's pixel format: no format is asked for.
  setup_.flags = kDescCaps | kDescHeight | kDescWidth;
  setup_.width = window.width;
  setup_.height = window.height;
  setup_.caps = kCapsOffscreenPlain;
  if (Failed(port_.CreateSurface(object_, &setup_, &work_))) return VideoStatus::Failed(VideoStep::kWorkSurface);
  return VideoStatus::Ok();
}

// The window is as wide and high as its client area must be, plus its frame.
void DirectDrawVideo::FitClientArea(int32_t width, int32_t height) {
  const uint32_t style = port_.GetWindowLong(window_, kLongStyle);
  const bool menu = port_.HasMenu(window_);
  const uint32_t exStyle = port_.GetWindowLong(window_, kLongExStyle);
  const Rect frame = port_.AdjustWindowRectEx({0, 0, width, height}, style, menu, exStyle);
  port_.SetWindowPos(window_, 0, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     kPosNoMove | kPosNoZOrder | kPosNoActivate);
}

void DirectDrawVideo::ShowWindow() {
  if (window_ == nullptr) return;
  port_.ShowWindow(window_, kShowDefault);
  port_.UpdateWindow(window_);
}

void DirectDrawVideo::DestroyWindow() {
  if (window_ != nullptr) port_.DestroyWindow(std::exchange(window_, nullptr));
}

Access DirectDrawVideo::Lock(WorkTarget& target) {
  if (work_ == nullptr) return Access::kFailed;
  Description locked = setup_;
  const Result result = port_.Lock(work_, &locked, kLockWait);
  if (Failed(result)) return result == kSurfaceLost ? Access::kLost : Access::kFailed;
  target = {locked.memory, locked.pitch, locked.width, locked.height};
  return Access::kOk;
}

void DirectDrawVideo::Unlock() {
  if (work_ != nullptr) port_.Unlock(work_);
}

Access DirectDrawVideo::Present(const Rect& source, const Rect& picture) {
  if (primary_ == nullptr || work_ == nullptr) return Access::kFailed;
  Rect to = picture;
  if (windowed_) {
    const Point topLeft = port_.ClientToScreen(window_, {picture.left, picture.top});
    const Point bottomRight = port_.ClientToScreen(window_, {picture.right, picture.bottom});
    to = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }
  if (blanksPerPresent_ == 0) {
    blanksPerPresent_ = BlanksPerPresentAt(static_cast<int32_t>(port_.MonitorFrequency(object_)));
  }
  // A display faster than the present cap shows each picture for several blanks.
  for (int32_t blank = 0; blank < blanksPerPresent_; ++blank) port_.WaitForVerticalBlank(object_, kWaitBlankBegin);
  const Result result = port_.Blt(primary_, to, work_, source, kBltWait);
  if (result == kWasStillDrawing) return Access::kBusy;
  if (result == kSurfaceLost) return Access::kLost;
  return Failed(result) ? Access::kFailed : Access::kOk;
}

void DirectDrawVideo::Restore() {
  if (primary_ != nullptr) port_.Restore(primary_);
}

void DirectDrawVideo::Release() {
  if (object_ == nullptr) return;
  if (clipper_ != nullptr) port_.Release(std::exchange(clipper_, nullptr));
  if (work_ != nullptr) port_.Release(std::exchange(work_, nullptr));
  if (primary_ != nullptr) port_.Release(std::exchange(primary_, nullptr));
  port_.Release(std::exchange(object_, nullptr));
  blanksPerPresent_ = 0;
}

void DirectDrawVideo::MessageBox(const char* text, const char* caption, bool ownedByShowWindow) {
  port_.MessageBox(ownedByShowWindow ? window_ : nullptr, text, caption);
}

}  // namespace platform::win32
