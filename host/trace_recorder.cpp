// The trace recorder: records encoded on the presenting thread, queued, and written by a thread of their own.
#include "host/trace_recorder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

TraceRecorder::~TraceRecorder() {
  if (file_ == nullptr) return;
  StopWriter();
  std::fclose(file_);
}

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
  std::fclose(file_);
  file_ = nullptr;
  std::remove(partialPath_.c_str());
}

bool TraceRecorder::Open(const std::string& path, const TraceHeader& header, std::string* error) {
  path_ = path;
  partialPath_ = path + ".partial";
  file_ = std::fopen(partialPath_.c_str(), "wb");
  if (file_ == nullptr) {
    *error = partialPath_ + ": " + std::strerror(errno);
    return false;
  }
  const auto bytes = EncodeTraceHeader(header);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    *error = partialPath_ + ": " + std::strerror(errno);
    std::fclose(file_);
    file_ = nullptr;
    std::remove(partialPath_.c_str());
    return false;
  }
  writer_ = std::thread(&TraceRecorder::WriteLoop, this);
  return true;
}

void TraceRecorder::Record(const TraceRecord& record) {
  if (file_ == nullptr) return;
  Block block;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      block = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  block.resize(kTraceRecordBytes);
  const auto fields = EncodeTraceFields(record);
  std::memcpy(block.data(), fields.data(), fields.size());
  std::memcpy(block.data() + kTraceRecordFieldsBytes, record.palette, kPaletteBytes);
  std::memcpy(block.data() + kTraceRecordFieldsBytes + kPaletteBytes, record.frame, kFrameBytes);
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
    lock.unlock();
    const bool written = std::fwrite(block.data(), 1, block.size(), file_) == block.size();
    const int reason = errno;
    lock.lock();
    if (!written && !failed_) {
      failed_ = true;
      failure_ = partialPath_ + ": " + std::strerror(reason);
    }
    spare_.push_back(std::move(block));
  }
}

bool TraceRecorder::Finish(const TraceHeader& header, std::string* error) {
  if (file_ == nullptr) return false;
  StopWriter();
  bool ok = !failed_;
  if (!ok) *error = failure_;
  const auto bytes = EncodeTraceHeader(header);
  if (ok && (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())) {
    ok = false;
    *error = partialPath_ + ": " + std::strerror(errno);
  }
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    *error = partialPath_ + ": " + std::strerror(errno);
  }
  file_ = nullptr;
  if (ok) {
    std::error_code renameError;
    std::filesystem::rename(partialPath_, path_, renameError);
    if (renameError) {
      ok = false;
      *error = path_ + ": " + renameError.message();
    }
  }
  // A trace that could not be finished stays under its partial name, for whatever it holds.
  return ok;
}
