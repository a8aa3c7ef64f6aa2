// Writing the screen's pictures as RGB PNG files, one per presented frame.
#pragma once

#include <cstdint>
#include <string>

// Writes one 32-bit screen picture (blue, green, red, unused byte per pixel; rows pitch bytes apart) under a
// temporary name and renames it when complete; throws std::runtime_error on failure.
void WriteScreenPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch);

// The --frames folder: "frame_000001.png" for the first present of the show, and so on.
std::string FramePngPath(const std::string& folder, uint64_t present);
