// The frame trace written as the frames come, through the one atomic output.
#include "trace/trace_writer.h"

#include <stdexcept>

TraceWriter::TraceWriter(const std::string& path, const TraceHeader& header) : file_(path), header_(header) {
  const auto bytes = EncodeTraceHeader(header);
  file_.Write(bytes.data(), bytes.size());
}

void TraceWriter::Write(const FrameHandOver& frame) {
  EncodeTraceRecord(frame, record_);
  WriteRecord(record_.data());
}

void TraceWriter::WriteRecord(const uint8_t* record) { file_.Write(record, kTraceRecordBytes); }

void TraceWriter::Finish(const TraceHeader& header) {
  const auto first = EncodeTraceHeader(header_);
  const auto last = EncodeTraceHeader(header);
  if (last != first) {
    if (!file_.seekable()) throw std::runtime_error("cannot complete the trace's header: the output cannot be rewound");
    file_.Seek(0);
    file_.Write(last.data(), last.size());
  }
  file_.Commit();
}
