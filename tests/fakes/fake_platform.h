// The tests' platform: the memory device and services that record every call in order and answer as scripted.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory/memory_device.h"
#include "platform/music.h"
#include "platform/ticker.h"

namespace fake {

// Calls are recorded as "Create", "CurrentMode", "ForEachMode", "ShowCursor 0|1", "OpenFullScreen <title>
// <w>x<h>x<depth>", "OpenWindowed <title> <w>x<h>", "ShowWindow", "DestroyWindow", "Lock", "Unlock",
// "Present <l>,<t>,<r>,<b>" (the picture), "Restore", "Release", "MessageBox <text>|<caption or (none)>|<owned 0
// or 1>", "DispatchPending", "TickerStart <ms>", "TickerStop", "OpenDevice", "CloseDevice", "Load <bytes>",
// "Play <pan>", "SetVolume <v>", "Pause 0|1", "Stop", "Free". Order is counted, not recorded.
//
// platform::FindResource and FindBitmapResource look in the newest fake alive: the tests bring their own data.
class FakePlatform {
 public:
  // A desktop of 1024 x 768 at 32 bits (red 0xFF0000, green 0xFF00, blue 0xFF), no other modes until set.
  FakePlatform();
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  platform::VideoDevice& Video();
  platform::EventSource& Events();
  platform::Ticker& Ticker();
  platform::MusicPlayer& Music();
  // The device itself: FailStep, ScriptPresents, Post, Screen, Work...
  platform::MemoryDevice& Device();

  // The desktop and the offered modes.
  void SetModes(platform::MemoryDisplay display);
  bool TickerRunning() const;
  // Calls whose text starts with prefix.
  int Count(const std::string& prefix) const;
  // Records a call and runs onCall on it.
  void Record(const std::string& call);

  std::vector<std::string> calls;
  // Runs after each recorded call, before the call does its work: the place to inject events or faults.
  std::function<void(const std::string& call)> onCall;
  int ticksPerDispatch = 0;  // ticker periods delivered at each DispatchPending while the ticker runs
  bool deviceOpens = true;
  bool musicLoads = true;
  std::function<int32_t()> order;  // Order() of a loaded song; 0 when unset
  bool stopResult = true;
  bool freeResult = true;
  int orderCalls = 0;
  // Resources by upper-case name; bitmaps by number.
  std::map<std::string, std::vector<uint8_t>> resources;
  std::map<int32_t, std::vector<uint8_t>> bitmaps;

 private:
  class RecordingDevice;
  class Clock;
  class Player;
  std::unique_ptr<RecordingDevice> device_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<Player> player_;
  FakePlatform* previous_;
};

}  // namespace fake
