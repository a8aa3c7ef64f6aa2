// The trace recorder: records encoded on the presenting thread, queued, and written by a thread of their own.
#include "trace/trace_recorder.h"

#include <stdexcept>

TraceRecorder::~TraceRecorder() { Discard(); }

void TraceRecorder::StopWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  wake_.notify_one();
  if (writer_.joinable()) writer_.join();
}

void TraceRecorder::Discard() {
  if (file_ == nullptr) return;
  StopWriter();
  file_.reset();
}

bool TraceRecorder::Open(const std::string& path, const TraceHeader& header, std::string* error) {
  try {
    file_ = std::make_unique<TraceWriter>(path, header);
  } catch (const std::runtime_error& e) {
    *error = e.what();
    return false;
  }
  closing_ = false;
  failure_.clear();
  writer_ = std::thread(&TraceRecorder::WriteLoop, this);
  return true;
}

void TraceRecorder::OnFrame(const FrameHandOver& frame) {
  if (file_ == nullptr) return;
  Block block;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  EncodeTraceRecord(frame, block);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(block));
  }
  wake_.notify_one();
  ++records_;
}

void TraceRecorder::WriteLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
    if (queue_.empty()) return;
    Block block = std::move(queue_.front());
    queue_.pop_front();
    const bool failed = !failure_.empty();
    lock.unlock();
    std::string failure;
    if (!failed) {
      try {
        file_->WriteRecord(block.data());
      } catch (const std::runtime_error& e) {
        failure = e.what();
      }
    }
    lock.lock();
    if (!failure.empty()) failure_ = failure;
    spare_.push_back(std::move(block));
  }
}

bool TraceRecorder::Finish(const TraceHeader& header, std::string* error) {
  if (file_ == nullptr) return false;
  StopWriter();
  bool ok = failure_.empty();
  if (!ok) *error = failure_;
  try {
    if (ok) file_->Finish(header);
  } catch (const std::runtime_error& e) {
    ok = false;
    *error = e.what();
  }
  file_.reset();
  return ok;
}

bool StartRealTimeTrace(TraceRecorder& recorder, const std::string& path, std::string* message) {
  std::string error;
  if (recorder.Open(path, {kNominalTraceFps, 0, kTraceFlagRealTime}, &error)) return true;
  *message = "vesk: --record-trace: cannot create " + error + "\n";
  return false;
}

int CompleteRealTimeTrace(TraceRecorder& recorder, int status, bool nosound, std::string* message) {
  if (recorder.Records() == 0) {
    recorder.Discard();
    *message = "vesk: nothing was presented; no frame trace was written\n";
    return status;
  }
  std::string error;
  if (recorder.Finish({kNominalTraceFps, 0, kTraceFlagRealTime | (nosound ? kTraceFlagNosound : 0)}, &error)) {
    return status;
  }
  *message = "vesk: the frame trace was not written completely: " + error + "\n";
  constexpr int kTraceFailedStatus = 1;
  return kTraceFailedStatus;
}
