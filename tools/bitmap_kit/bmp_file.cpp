// BMP encoding for the still pictures and the dialog logo.
#include "tools/bitmap_kit/bmp_file.h"

#include <fstream>
#include <stdexcept>

#include "file_output/atomic_file.h"

namespace vesk::kit {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint16_t kBitsPerPixel = 24;
// 72 dots per inch, the resolution image editors write by default.
constexpr std::uint32_t kPixelsPerMetre = 2835;

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<std::uint8_t>(v & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

std::vector<std::uint8_t> Header(const RgbImage& image, std::size_t fileSize) {
  std::vector<std::uint8_t> out(fileSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out, 2, static_cast<std::uint32_t>(fileSize));
  PutLe32(out, 10, static_cast<std::uint32_t>(kBmpHeaderSize));
  PutLe32(out, 14, kInfoHeaderSize);
  PutLe32(out, 18, static_cast<std::uint32_t>(image.width));
  PutLe32(out, 22, static_cast<std::uint32_t>(image.height));
  PutLe16(out, 26, 1);
  PutLe16(out, 28, kBitsPerPixel);
  return out;
}

void PutRow(std::vector<std::uint8_t>& out, std::size_t at, const RgbImage& image, int y) {
  for (int x = 0; x < image.width; ++x) {
    const std::uint8_t* p = image.Pixel(x, y);
    out[at++] = p[2];
    out[at++] = p[1];
    out[at++] = p[0];
  }
}

void CheckShape(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
    throw std::invalid_argument("image buffer does not match its size");
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeStillPicture(const RgbImage& image) {
  CheckShape(image);
  if (image.width != kPictureWidth || image.height != kPictureHeight) {
    throw std::invalid_argument("a still picture must be 320 x 200");
  }
  std::vector<std::uint8_t> out = Header(image, kPictureFileSize);
  const std::size_t rowBytes = static_cast<std::size_t>(kPictureWidth) * 3;
  for (int y = 0; y < kPictureHeight; ++y) PutRow(out, kBmpHeaderSize + y * rowBytes, image, y);
  return out;
}

std::vector<std::uint8_t> EncodeBottomUpBmp(const RgbImage& image) {
  CheckShape(image);
  const std::size_t rowBytes = (static_cast<std::size_t>(image.width) * 3 + 3) & ~static_cast<std::size_t>(3);
  const std::size_t pixelBytes = rowBytes * image.height;
  std::vector<std::uint8_t> out = Header(image, kBmpHeaderSize + pixelBytes);
  PutLe32(out, 34, static_cast<std::uint32_t>(pixelBytes));
  PutLe32(out, 38, kPixelsPerMetre);
  PutLe32(out, 42, kPixelsPerMetre);
  for (int y = 0; y < image.height; ++y) {
    PutRow(out, kBmpHeaderSize + (image.height - 1 - y) * rowBytes, image, y);
  }
  return out;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  return ::WriteFileAtomically(path, bytes, error);
}

bool ReadBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path.string();
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}

std::uint32_t ReadLe32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes.at(offset)) | static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8 |
         static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16 | static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24;
}

std::uint16_t ReadLe16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

}  // namespace vesk::kit
