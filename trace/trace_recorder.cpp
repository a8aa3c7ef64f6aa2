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

bool TraceRecorder::Open(const std::string& path, std::string* error) {
  try {
    file_ = std::make_unique<TraceWriter>(path);
  } catch (const std::runtime_error& e) {
    *error = e.what();
    return false;
  }
  closing_ = false;
  started_ = false;
  failure_.clear();
  return true;
}

void TraceRecorder::Start(const TraceHeader& header) {
  if (file_ == nullptr || started_) return;
  try {
    file_->WriteHeader(header);
  } catch (const std::runtime_error& e) {
    failure_ = e.what();
  }
  started_ = true;
  writer_ = std::thread(&TraceRecorder::WriteLoop, this);
}

void TraceRecorder::OnShowStart(const ShowChoices& choices) {
  Start({kNominalTraceFps, 0, kTraceFlagRealTime | (choices.nosound ? kTraceFlagNosound : 0)});
}

void TraceRecorder::OnFrame(const FrameHandOver& frame) {
  if (!started_) return;
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

bool TraceRecorder::Finish(std::string* error) {
  if (file_ == nullptr) return false;
  StopWriter();
  bool ok = failure_.empty();
  if (!ok) *error = failure_;
  if (!started_) {
    ok = false;
    *error = "the show never started";
  }
  try {
    if (ok) file_->Finish();
  } catch (const std::runtime_error& e) {
    ok = false;
    *error = e.what();
  }
  file_.reset();
  return ok;
}

bool StartRealTimeTrace(TraceRecorder& recorder, const std::string& path, std::string* message) {
  std::string error;
  if (recorder.Open(path, &error)) return true;
  *message = "vesk: --record-trace: " + error + "\n";
  return false;
}

int CompleteRealTimeTrace(TraceRecorder& recorder, int status, std::string* message) {
  if (recorder.Records() == 0) {
    recorder.Discard();
    *message = "vesk: nothing was presented; no frame trace was written\n";
    return status;
  }
  std::string error;
  if (recorder.Finish(&error)) return status;
  *message = "vesk: the frame trace was not written completely: " + error + "\n";
  constexpr int kTraceFailedStatus = 1;
  return kTraceFailedStatus;
}
