// The frame trace written as the frames come.
#include "host/capture/trace_writer.h"

TraceWriter::TraceWriter(const std::string& path, const TraceHeader& header) : file_(path) {
  const auto bytes = EncodeTraceHeader(header);
  file_.Write(bytes.data(), bytes.size());
}

void TraceWriter::Write(const TraceRecord& record) {
  const auto fields = EncodeTraceFields(record);
  file_.Write(fields.data(), fields.size());
  file_.Write(record.palette, kPaletteBytes);
  file_.Write(record.frame, kFrameBytes);
}
