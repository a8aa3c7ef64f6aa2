// A frame trace file: the header, then the records as they come; it takes its name only when finished.
#pragma once

#include <string>
#include <vector>

#include "file_output/atomic_file.h"
#include "host/frame_observer.h"
#include "trace/frame_trace.h"

class TraceWriter {
 public:
  // "-" is standard output. Throws std::runtime_error naming the file.
  TraceWriter(const std::string& path, const TraceHeader& header);

  // Throw std::runtime_error naming the file.
  void Write(const FrameHandOver& frame);
  // A record already encoded (EncodeTraceRecord), kTraceRecordBytes long.
  void WriteRecord(const uint8_t* record);
  // Puts header in place of the one written first when they differ (the choices may have been made since), then
  // gives the file its name. Throws std::runtime_error, also when a header that differs cannot be put in place
  // because the output cannot be rewound (a pipe). Dropping the writer unfinished removes what it wrote.
  void Finish(const TraceHeader& header);
  void Finish() { Finish(header_); }

 private:
  PendingFile file_;
  TraceHeader header_;
  std::vector<uint8_t> record_;
};
