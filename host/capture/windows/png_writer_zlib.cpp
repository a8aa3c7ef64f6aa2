// PNG output through zlib alone, for builds without libpng: the screen's blue-green-red-unused pixels as RGB.
#include <zlib.h>

#include <stdexcept>
#include <vector>

#include "host/capture/output_file.h"
#include "host/capture/png_writer.h"

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kFilterNone = 0;
constexpr uint8_t kColourTypeRgb = 2;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void WriteChunk(PendingFile& out, const char (&type)[5], const std::vector<uint8_t>& data) {
  std::vector<uint8_t> chunk;
  PutBigEndian(chunk, static_cast<uint32_t>(data.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  // The checksum covers the type and the data, not the length.
  const uLong crc = crc32(crc32(0, nullptr, 0), chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
  PutBigEndian(chunk, static_cast<uint32_t>(crc));
  out.Write(chunk.data(), chunk.size());
}

}  // namespace

void WriteScreenPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
                    int32_t pitch) {
  PendingFile out(path);
  const size_t rowBytes = 1 + static_cast<size_t>(width) * 3;
  std::vector<uint8_t> raw(rowBytes * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = raw.data() + static_cast<size_t>(y) * rowBytes;
    const uint8_t* from = pixels + static_cast<size_t>(y) * pitch;
    *row++ = kFilterNone;
    for (int32_t x = 0; x < width; ++x, from += 4) {
      *row++ = from[2];
      *row++ = from[1];
      *row++ = from[0];
    }
  }
  uLongf packedBytes = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedBytes);
  // Frames are many and large: fast compression over small files.
  if (compress2(packed.data(), &packedBytes, raw.data(), static_cast<uLong>(raw.size()), 1) != Z_OK) {
    throw std::runtime_error("cannot write " + path + ": compression failed");
  }
  packed.resize(packedBytes);
  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, kColourTypeRgb, 0, 0, 0});
  out.Write(kPngSignature, sizeof kPngSignature);
  WriteChunk(out, "IHDR", header);
  WriteChunk(out, "IDAT", packed);
  WriteChunk(out, "IEND", {});
  out.Commit();
}
