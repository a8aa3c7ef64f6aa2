// The frame trace: a fixed header, then one fixed-size record per presented frame (docs/trace-format.md).
#pragma once

#include <array>
#include <cstdint>

#include "core/interface_block.h"

inline constexpr char kTraceMagic[8] = {'S', 'H', 'O', 'W', 'T', 'R', 'C', '1'};
inline constexpr uint32_t kTraceVersion = 1;
inline constexpr uint32_t kTraceFlagNosound = 1;
// Recorded by the real-time program: the clock came from its timer, not from simulated vertical blanks.
inline constexpr uint32_t kTraceFlagRealTime = 2;
inline constexpr size_t kTraceHeaderBytes = 32;
inline constexpr size_t kTraceRecordFieldsBytes = 16;
inline constexpr size_t kTraceRecordBytes = kTraceRecordFieldsBytes + kPaletteBytes + kFrameBytes;

struct TraceHeader {
  uint32_t fps;
  uint32_t startupMs;
  uint32_t flags;
};

struct TraceRecord {
  uint32_t source;       // host/present_source.h
  uint32_t timeCounter;  // when the frame was handed to PresentFrame
  int32_t musicOrder;    // as last polled; -1 before any poll
  const uint8_t* palette;
  const uint8_t* frame;
};

std::array<uint8_t, kTraceHeaderBytes> EncodeTraceHeader(const TraceHeader& header);
// The record's first kTraceRecordFieldsBytes bytes; the palette and the frame follow them as they are.
std::array<uint8_t, kTraceRecordFieldsBytes> EncodeTraceFields(const TraceRecord& record);
