// Atomic output: a temporary file beside the target, flushed and closed with every error checked, then renamed.
#include "tools/file_output/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace vesk::tool {

namespace {

bool WriteAll(const std::filesystem::path& path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  const bool flushed = std::fflush(file) == 0;
  return std::fclose(file) == 0 && written && flushed;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size, std::string& error) {
  std::error_code ignored;
  const std::filesystem::file_status status = std::filesystem::status(path, ignored);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    if (WriteAll(path, data, size)) return true;
    error = "cannot write " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += ".tmp-" + std::to_string(random());
  if (!WriteAll(temporary, data, size)) {
    error = "cannot write " + path.string() + ": " + std::strerror(errno);
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  std::error_code renamed;
  std::filesystem::rename(temporary, path, renamed);
  if (renamed) {
    error = "cannot replace " + path.string() + ": " + renamed.message();
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace vesk::tool
