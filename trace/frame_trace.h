// The frame trace: a fixed header, then one fixed-size record per presented frame (docs/trace-format.md).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/interface_block.h"
#include "host/frame_observer.h"

inline constexpr char kTraceMagic[8] = {'S', 'H', 'O', 'W', 'T', 'R', 'C', '1'};
inline constexpr uint32_t kTraceVersion = 1;
inline constexpr uint32_t kTraceFlagNosound = 1;
// Recorded by the real-time program: the clock came from its timer, not from simulated vertical blanks.
inline constexpr uint32_t kTraceFlagRealTime = 2;
// The ranges of the header's choices: those the capture accepts.
inline constexpr uint32_t kMaxTraceFps = 1000;
inline constexpr uint32_t kMaxTraceStartupMs = 600000;
inline constexpr size_t kTraceHeaderBytes = 32;
inline constexpr size_t kTraceRecordFieldsBytes = 16;
inline constexpr size_t kTraceRecordBytes = kTraceRecordFieldsBytes + kPaletteBytes + kFrameBytes;

struct TraceHeader {
  uint32_t fps;
  uint32_t startupMs;
  uint32_t flags;
};

std::array<uint8_t, kTraceHeaderBytes> EncodeTraceHeader(const TraceHeader& header);
// The record's first kTraceRecordFieldsBytes bytes: who handed the frame over, the clock, the music order.
std::array<uint8_t, kTraceRecordFieldsBytes> EncodeTraceFields(const FrameHandOver& frame);
// The whole record of a handed-over frame, kTraceRecordBytes long: the fields, then the palette and the frame as
// they are.
void EncodeTraceRecord(const FrameHandOver& frame, std::vector<uint8_t>& record);
