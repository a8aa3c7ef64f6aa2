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

  // Opens the output before the show starts (under a temporary name beside path; a device or pipe in place), so
  // that a trace that cannot be written is refused then; false with the reason. The file takes its name only when
  // Finish succeeds, so a trace under path is always whole.
  bool Open(const std::string& path, std::string* error);
  // Writes the header and starts the writer. The header goes first and once, so the trace can stream into a pipe.
  void Start(const TraceHeader& header);
  // Starts with the real-time header for the choices the launch made.
  void OnShowStart(const ShowChoices& choices) override;
  // Encodes the frame's record and hands it to the writer; the presenting thread never waits for the disk.
  void OnFrame(const FrameHandOver& frame) override;
  // Writes what is queued and names the file; false with the reason when anything was not written, and then
  // nothing is left behind.
  bool Finish(std::string* error);
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
  bool started_ = false;     // the header is written and the writer runs
  std::string failure_;      // the first write's failure, set by the writer under mutex_
  uint64_t records_ = 0;
};

// A real-time trace's clock is the ticker, not simulated vertical blanks; its header names the usual rate.
inline constexpr uint32_t kNominalTraceFps = 60;

// Starts recording a real-time run into path; false with what to say in *message.
bool StartRealTimeTrace(TraceRecorder& recorder, const std::string& path, std::string* message);
// Ends the recording of a real-time run that ended with status: a trace without a frame (the user left in the
// dialog) is discarded, as it would prove nothing; otherwise it is named. Returns status, or 1 when the trace
// could not be written whole; *message says what the user should know, if anything.
int CompleteRealTimeTrace(TraceRecorder& recorder, int status, std::string* message);
