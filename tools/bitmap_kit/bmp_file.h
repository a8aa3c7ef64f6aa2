// Encodes RGB images as the two BMP layouts the show ships: top-down-stored still pictures and ordinary bitmaps.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vesk::kit {

// 8-bit red, green, blue per pixel, top row first, rows back to back without padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 0) {}
  std::uint8_t* Pixel(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
  const std::uint8_t* Pixel(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

inline constexpr int kPictureWidth = 320;
inline constexpr int kPictureHeight = 200;
inline constexpr std::size_t kBmpHeaderSize = 54;
inline constexpr std::size_t kPictureFileSize = kBmpHeaderSize + kPictureWidth * kPictureHeight * 3;  // 192054

// A still picture: 320 x 200, header as the picture hooks expect it (image size and resolutions left 0),
// rows stored first row on top even though the height is positive, because the hooks copy rows in
// stored order straight into the frame. Throws std::invalid_argument for any other size.
std::vector<std::uint8_t> EncodeStillPicture(const RgbImage& image);

// An ordinary bottom-up 24-bit BMP with rows padded to four bytes, as image loaders expect.
std::vector<std::uint8_t> EncodeBottomUpBmp(const RgbImage& image);

// Writes bytes to path all at once (file_output/atomic_file.h); on failure returns false and sets error.
bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string& error);

// Reads a whole file; on failure returns false and sets error.
bool ReadBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error);

// Little-endian field of a byte buffer, as BMP headers store them.
std::uint32_t ReadLe32(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::uint16_t ReadLe16(const std::vector<std::uint8_t>& bytes, std::size_t offset);

}  // namespace vesk::kit
