// Encoding the frame trace's header and record fields, little-endian whatever the machine.
#include "trace/frame_trace.h"

#include <cstring>

namespace {

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::array<uint8_t, kTraceHeaderBytes> EncodeTraceHeader(const TraceHeader& header) {
  std::array<uint8_t, kTraceHeaderBytes> bytes{};
  std::memcpy(bytes.data(), kTraceMagic, sizeof kTraceMagic);
  Put32(bytes.data() + 8, kTraceVersion);
  Put32(bytes.data() + 12, header.fps);
  Put32(bytes.data() + 16, header.startupMs);
  Put32(bytes.data() + 20, header.flags);
  return bytes;
}

std::array<uint8_t, kTraceRecordFieldsBytes> EncodeTraceFields(const FrameHandOver& frame) {
  std::array<uint8_t, kTraceRecordFieldsBytes> bytes{};
  Put32(bytes.data(), frame.source);
  Put32(bytes.data() + 4, frame.timeCounter);
  Put32(bytes.data() + 8, static_cast<uint32_t>(frame.musicOrder));
  return bytes;
}

void EncodeTraceRecord(const FrameHandOver& frame, std::vector<uint8_t>& record) {
  record.resize(kTraceRecordBytes);
  const auto fields = EncodeTraceFields(frame);
  std::memcpy(record.data(), fields.data(), fields.size());
  std::memcpy(record.data() + kTraceRecordFieldsBytes, frame.palette, kPaletteBytes);
  std::memcpy(record.data() + kTraceRecordFieldsBytes + kPaletteBytes, frame.frame, kFrameBytes);
}
