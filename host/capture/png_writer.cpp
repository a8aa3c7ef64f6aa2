// PNG output through libpng: the screen's blue-green-red-unused pixels stored as RGB.
#include "host/capture/png_writer.h"

#include <png.h>

#include <stdexcept>

#include "host/capture/output_file.h"

namespace {

[[noreturn]] void PngFailed(png_structp, png_const_charp message) { throw std::runtime_error(message); }
void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, size_t length) {
  static_cast<PendingFile*>(png_get_io_ptr(png))->Write(data, length);
}
void PngFlush(png_structp) {}

}  // namespace

void WriteScreenPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
                    int32_t pitch) {
  PendingFile out(path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarning);
  if (png == nullptr) throw std::runtime_error("cannot start a PNG file");
  png_infop info = png_create_info_struct(png);
  try {
    if (info == nullptr) throw std::runtime_error("cannot start a PNG file");
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    // Frames are many and large: fast compression over small files.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int32_t y = 0; y < height; ++y) {
      png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * pitch));
    }
    png_write_end(png, nullptr);
  } catch (const std::exception& e) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot write " + path + ": " + e.what());
  }
  png_destroy_write_struct(&png, &info);
  out.Commit();
}
