// Writing one 32-bit screen picture (blue, green, red, unused byte per pixel) as an RGB PNG file.
#pragma once

#include <cstdint>
#include <string>

// Writes under a temporary name and renames when complete; throws std::runtime_error on failure.
void WriteScreenPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch);
