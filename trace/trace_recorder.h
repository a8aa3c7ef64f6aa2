// Recording what the real-time program presents: the frame trace of every present, written off the presenting thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/frame_observer.h"
#include "trace/frame_trace.h"
#include "trace/trace_writer.h"

class TraceRecorder : public FrameObserver {
 public:
  TraceRecorder() = default;
  ~TraceRecorder() override;
  TraceRecorder(const TraceRecorder&) = delete;
  TraceRecorder& operator=(const TraceRecorder&) = delete;

  // Creates the trace under a temporary name, writes the header and starts the writer; false with the reason when
  // the file cannot be created. The file takes its name only when Finish succeeds, so a trace under path is always
  // whole.
  bool Open(const std::string& path, const TraceHeader& header, std::string* error);
  // Encodes the frame's record and hands it to the writer; the presenting thread never waits for the disk.
  void OnFrame(const FrameHandOver& frame) override;
  // Writes what is queued, puts header in place of the one Open wrote (the choices may have been made since) and
  // names the file; false with the reason when anything was not written, and then nothing is left behind.
  bool Finish(const TraceHeader& header, std::string* error);
  // Stops the writer and removes the unfinished file.
  void Discard();
  uint64_t Records() const { return records_; }

 private:
  using Block = std::vector<uint8_t>;
  void WriteLoop();
  void StopWriter();

  std::unique_ptr<TraceWriter> file_;
  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Block> queue_;  // encoded records waiting for the writer
  std::vector<Block> spare_; // written blocks kept for reuse, so that steady recording does not allocate
  bool closing_ = false;
  std::string failure_;      // the first write's failure, set by the writer under mutex_
  uint64_t records_ = 0;
};
