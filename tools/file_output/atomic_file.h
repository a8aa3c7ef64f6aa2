// Writing a generator's output so that a failed run never leaves a damaged file under the output's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vesk::tool {

// Writes the bytes to a temporary file in path's folder and renames it over path, so path holds either its old
// content or all of the new. Something other than a regular file (a device, a pipe) is written in place.
// Returns false with a message naming the file in error; no temporary file is left behind.
bool WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size, std::string& error);

inline bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes,
                                std::string& error) {
  return WriteFileAtomically(path, bytes.data(), bytes.size(), error);
}

}  // namespace vesk::tool
