// The show's clock over the interface block's timeCounter.
#include "host/show_clock.h"

#include "core/interface_block.h"

void ShowClock::Hold(bool held) {
  count_.store(interfaceBlock.timeCounter.load(std::memory_order_relaxed), std::memory_order_relaxed);
  held_ = held;
}

void ShowClock::Tick() {
  if (paused_.load(std::memory_order_relaxed)) return;
  std::atomic<uint32_t>& counter = held_ ? count_ : interfaceBlock.timeCounter;
  counter.fetch_add(kCounterPerPeriod, std::memory_order_relaxed);
}

void ShowClock::Publish() {
  if (held_) interfaceBlock.timeCounter.store(count_.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

void ShowClock::Set(uint32_t counter) {
  count_.store(counter, std::memory_order_relaxed);
  interfaceBlock.timeCounter.store(counter, std::memory_order_relaxed);
}

uint32_t ShowClock::Read() const { return interfaceBlock.timeCounter.load(std::memory_order_relaxed); }
