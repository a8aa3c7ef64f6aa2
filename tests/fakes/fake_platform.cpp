// The fakes of every platform service: record the call, then answer as scripted or as the memory device does.
#include "tests/fakes/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/resources.h"

namespace fake {

namespace {

// The newest fake alive, where the resource lookup looks.
FakePlatform* current = nullptr;

std::string Size(int32_t w, int32_t h) { return std::to_string(w) + "x" + std::to_string(h); }

}  // namespace

class FakePlatform::RecordingDevice : public platform::MemoryDevice {
 public:
  explicit RecordingDevice(FakePlatform& fake)
      : MemoryDevice({{1024, 768, platform::MemoryLayout(32)}, {}}), fake_(fake) {}

  platform::VideoStatus Create() override {
    fake_.Record("Create");
    return MemoryDevice::Create();
  }
  platform::VideoStatus CurrentMode(platform::VideoMode& desktop) override {
    fake_.Record("CurrentMode");
    return MemoryDevice::CurrentMode(desktop);
  }
  void ForEachMode(const std::function<void(const platform::VideoMode&)>& each) override {
    fake_.Record("ForEachMode");
    MemoryDevice::ForEachMode(each);
  }
  void ShowCursor(bool shown) override {
    fake_.Record(shown ? "ShowCursor 1" : "ShowCursor 0");
    MemoryDevice::ShowCursor(shown);
  }
  platform::VideoStatus OpenFullScreen(const platform::ShowWindowSpec& w, int32_t depth) override {
    fake_.Record("OpenFullScreen " + std::string(w.title) + " " + Size(w.width, w.height) + "x" +
                 std::to_string(depth));
    return MemoryDevice::OpenFullScreen(w, depth);
  }
  platform::VideoStatus OpenWindowed(const platform::ShowWindowSpec& w) override {
    fake_.Record("OpenWindowed " + std::string(w.title) + " " + Size(w.width, w.height));
    return MemoryDevice::OpenWindowed(w);
  }
  void ShowWindow() override {
    fake_.Record("ShowWindow");
    MemoryDevice::ShowWindow();
  }
  void DestroyWindow() override {
    fake_.Record("DestroyWindow");
    MemoryDevice::DestroyWindow();
  }
  platform::Access Lock(platform::WorkTarget& target) override {
    fake_.Record("Lock");
    return MemoryDevice::Lock(target);
  }
  void Unlock() override {
    fake_.Record("Unlock");
    MemoryDevice::Unlock();
  }
  platform::Access Present(const platform::Rect& source, const platform::Rect& p) override {
    fake_.Record("Present " + std::to_string(p.left) + "," + std::to_string(p.top) + "," + std::to_string(p.right) +
                 "," + std::to_string(p.bottom));
    return MemoryDevice::Present(source, p);
  }
  void Restore() override {
    fake_.Record("Restore");
    MemoryDevice::Restore();
  }
  void Release() override {
    fake_.Record("Release");
    MemoryDevice::Release();
  }
  void MessageBox(const char* text, const char* caption, bool owned) override {
    fake_.Record("MessageBox " + std::string(text != nullptr ? text : "") + "|" +
                 (caption != nullptr ? caption : "(none)") + "|" + (owned ? "1" : "0"));
  }
  void DispatchPending() override;

 private:
  FakePlatform& fake_;
};

class FakePlatform::Clock : public platform::Ticker {
 public:
  explicit Clock(FakePlatform& fake) : fake_(fake) {}
  bool Start(int32_t periodMs, std::function<void()> tick) override {
    fake_.Record("TickerStart " + std::to_string(periodMs));
    tick_ = std::move(tick);
    running_ = true;
    return true;
  }
  void Stop() override {
    fake_.Record("TickerStop");
    running_ = false;
  }
  // Periods that pass while the host pumps its events.
  void Deliver(int periods) {
    for (int i = 0; i < periods && running_; ++i) tick_();
  }
  bool Running() const { return running_; }

 private:
  FakePlatform& fake_;
  std::function<void()> tick_;
  bool running_ = false;
};

class FakePlatform::Player : public platform::MusicPlayer {
 public:
  explicit Player(FakePlatform& fake) : fake_(fake) {}
  bool OpenDevice() override {
    fake_.Record("OpenDevice");
    return fake_.deviceOpens;
  }
  void CloseDevice() override { fake_.Record("CloseDevice"); }
  bool Load(std::span<const uint8_t> data) override {
    fake_.Record("Load " + std::to_string(data.size()));
    loaded_ = fake_.musicLoads && !data.empty();
    return loaded_;
  }
  bool Play(float panSeparation) override {
    char text[32];
    std::snprintf(text, sizeof text, "Play %g", static_cast<double>(panSeparation));
    fake_.Record(text);
    return loaded_;
  }
  bool SetVolume(int32_t volume) override {
    fake_.Record("SetVolume " + std::to_string(volume));
    return loaded_;
  }
  int32_t Order() override {
    ++fake_.orderCalls;
    if (!loaded_) return -1;
    return fake_.order ? fake_.order() : 0;
  }
  bool Pause(bool paused) override {
    fake_.Record(paused ? "Pause 1" : "Pause 0");
    return loaded_;
  }
  bool Stop() override {
    fake_.Record("Stop");
    return loaded_ && fake_.stopResult;
  }
  bool Free() override {
    fake_.Record("Free");
    const bool freed = loaded_ && fake_.freeResult;
    loaded_ = false;
    return freed;
  }

 private:
  FakePlatform& fake_;
  bool loaded_ = false;
};

void FakePlatform::RecordingDevice::DispatchPending() {
  fake_.Record("DispatchPending");
  MemoryDevice::DispatchPending();
  fake_.clock_->Deliver(fake_.ticksPerDispatch);
}

FakePlatform::FakePlatform()
    : device_(std::make_unique<RecordingDevice>(*this)),
      clock_(std::make_unique<Clock>(*this)),
      player_(std::make_unique<Player>(*this)),
      previous_(current) {
  current = this;
}

FakePlatform::~FakePlatform() {
  if (current == this) current = previous_;
}

platform::VideoDevice& FakePlatform::Video() { return *device_; }
platform::EventSource& FakePlatform::Events() { return *device_; }
platform::Ticker& FakePlatform::Ticker() { return *clock_; }
platform::MusicPlayer& FakePlatform::Music() { return *player_; }
platform::MemoryDevice& FakePlatform::Device() { return *device_; }

void FakePlatform::SetModes(platform::MemoryDisplay display) { device_->SetDisplay(std::move(display)); }
bool FakePlatform::TickerRunning() const { return clock_->Running(); }

int FakePlatform::Count(const std::string& prefix) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

void FakePlatform::Record(const std::string& call) {
  calls.push_back(call);
  if (onCall) onCall(call);
}

}  // namespace fake

namespace platform {

Resource FindResource(const char* name) {
  if (fake::current == nullptr || name == nullptr) return {nullptr, 0};
  std::string key(name);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto found = fake::current->resources.find(key);
  if (found == fake::current->resources.end()) return {nullptr, 0};
  return {found->second.data(), static_cast<uint32_t>(found->second.size())};
}

Resource FindBitmapResource(int32_t id) {
  if (fake::current == nullptr) return {nullptr, 0};
  const auto found = fake::current->bitmaps.find(id);
  if (found == fake::current->bitmaps.end()) return {nullptr, 0};
  return {found->second.data(), static_cast<uint32_t>(found->second.size())};
}

}  // namespace platform
