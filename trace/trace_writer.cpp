// The frame trace written as the frames come, through the one atomic output.
#include "trace/trace_writer.h"

TraceWriter::TraceWriter(const std::string& path) : file_(path) {}

TraceWriter::TraceWriter(const std::string& path, const TraceHeader& header) : file_(path) { WriteHeader(header); }

void TraceWriter::WriteHeader(const TraceHeader& header) {
  const auto bytes = EncodeTraceHeader(header);
  file_.Write(bytes.data(), bytes.size());
}

void TraceWriter::Write(const FrameHandOver& frame) {
  EncodeTraceRecord(frame, record_);
  WriteRecord(record_.data());
}

void TraceWriter::WriteRecord(const uint8_t* record) { file_.Write(record, kTraceRecordBytes); }
