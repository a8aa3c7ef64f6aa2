// The --trace output: the header, then a record per frame of the span.
#pragma once

#include <string>

#include "host/capture/frame_trace.h"
#include "host/capture/output_file.h"

class TraceWriter {
 public:
  // "-" is standard output. Throws std::runtime_error.
  TraceWriter(const std::string& path, const TraceHeader& header);
  void Write(const TraceRecord& record);
  void Commit() { file_.Commit(); }

 private:
  PendingFile file_;
};
