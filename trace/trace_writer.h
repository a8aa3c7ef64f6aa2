// A frame trace file: the header, then the records as they come; it takes its name only when finished.
#pragma once

#include <string>
#include <vector>

#include "file_output/atomic_file.h"
#include "host/frame_observer.h"
#include "trace/frame_trace.h"

class TraceWriter {
 public:
  // "-" is standard output. Throw std::runtime_error naming the file. Without a header, WriteHeader must come
  // before the first record: the header is written once, at the start, so the trace can stream into a pipe.
  explicit TraceWriter(const std::string& path);
  TraceWriter(const std::string& path, const TraceHeader& header);

  // Throw std::runtime_error naming the file.
  void WriteHeader(const TraceHeader& header);
  void Write(const FrameHandOver& frame);
  // A record already encoded (EncodeTraceRecord), kTraceRecordBytes long.
  void WriteRecord(const uint8_t* record);
  // Gives the file its name. Throws std::runtime_error. Dropping the writer unfinished removes what it wrote.
  void Finish() { file_.Commit(); }

 private:
  PendingFile file_;
  std::vector<uint8_t> record_;
};
