// The ticker over WINMM's multimedia timer: a period of the given milliseconds at a resolution of one.
#include <windows.h>

#include <mmsystem.h>

#include <utility>

#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

constexpr UINT kResolutionMs = 1;

void CALLBACK Deliver(UINT, UINT, DWORD_PTR ticker, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<MultimediaTicker*>(ticker)->Tick();
}

}  // namespace

bool MultimediaTicker::Start(int32_t periodMs, std::function<void()> tick) {
  if (id_ != 0 || periodMs <= 0 || !tick) return false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    tick_ = std::move(tick);
  }
  timeBeginPeriod(kResolutionMs);
  id_ = timeSetEvent(static_cast<UINT>(periodMs), kResolutionMs, Deliver, reinterpret_cast<DWORD_PTR>(this),
                     TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  if (id_ != 0) return true;
  timeEndPeriod(kResolutionMs);
  Stop();
  return false;
}

void MultimediaTicker::Tick() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (tick_) tick_();
}

void MultimediaTicker::Stop() {
  if (id_ != 0) {
    timeKillEvent(std::exchange(id_, 0u));
    timeEndPeriod(kResolutionMs);
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  tick_ = nullptr;
}

}  // namespace platform::win32
