// libFuzzer over the frame trace's reader and verifier: whatever the bytes, a status and nothing else.
//
// Whole records are 64,784 bytes, too large for a fuzzer to mutate well and for a corpus in the tree, so an input
// is a compact trace: the 32-byte header, then per record its 16 field bytes and patches to the previous record's
// palette and frame (the first record's start all zero, as the start-up frame is): their count in 2 bytes, then each
// a 3-byte offset into the 64,768 bytes, a length byte and that many bytes. Input that ends inside a record's fields
// is kept as it is, a file that ends inside a record. Only the first few records are replayed, so that each input
// runs quickly. compact_trace.py turns a real trace into this form.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "trace/frame_trace.h"
#include "trace/trace_verify.h"

namespace {

constexpr int kMaxRecords = 8;
constexpr size_t kBodyBytes = kTraceRecordBytes - kTraceRecordFieldsBytes;

std::vector<uint8_t> ExpandTrace(const uint8_t* data, size_t size) {
  size_t at = std::min(size, kTraceHeaderBytes);
  std::vector<uint8_t> trace(data, data + at);
  std::vector<uint8_t> body(kBodyBytes, 0);
  for (int record = 0; record < kMaxRecords && at < size; ++record) {
    const size_t fields = std::min(kTraceRecordFieldsBytes, size - at);
    trace.insert(trace.end(), data + at, data + at + fields);
    at += fields;
    if (fields < kTraceRecordFieldsBytes) break;
    int patches = 0;
    if (at + 2 <= size) patches = data[at] | data[at + 1] << 8;
    for (at = std::min(at + 2, size); patches > 0 && at + 4 <= size; --patches) {
      const size_t offset = (data[at] | data[at + 1] << 8 | data[at + 2] << 16) % kBodyBytes;
      const size_t length = std::min<size_t>(data[at + 3], size - at - 4);
      at += 4;
      for (size_t i = 0; i < length; ++i) body[(offset + i) % kBodyBytes] = data[at + i];
      at += length;
    }
    trace.insert(trace.end(), body.begin(), body.end());
  }
  return trace;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> trace = ExpandTrace(data, size);
  if (trace.empty()) return 0;  // a stream over no bytes cannot be opened
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  std::FILE* file = fmemopen(trace.data(), trace.size(), "rb");
  if (file == nullptr || sink == nullptr) return 0;
  VerifySettings settings;
  settings.maxReport = 2;
  // The pictures of a differing frame are drawn, not written: the drawing is what can go wrong.
  settings.show = [](const FrameDifference& difference) { DrawDifference(difference); };
  VerifyTraceStream(file, trace.size(), "input", sink, sink, settings);
  std::fclose(file);
  return 0;
}
