// Atomic output: a temporary file beside the target, flushed and closed with every error checked, then renamed.
#include "tools/file_output/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace vesk::tool {

namespace {

// Writes the whole file at file, or returns false with a message about shownPath in error.
bool WriteAll(const std::filesystem::path& file, const std::filesystem::path& shownPath, const void* data,
              size_t size, std::string& error) {
  std::FILE* out = std::fopen(file.string().c_str(), "wb");
  if (out == nullptr) {
    error = "cannot open " + shownPath.string() + " for writing: " + std::strerror(errno);
    return false;
  }
  const bool written = size == 0 || std::fwrite(data, 1, size, out) == size;
  const bool flushed = std::fflush(out) == 0;
  if (std::fclose(out) == 0 && written && flushed) return true;
  error = "cannot write " + shownPath.string() + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size, std::string& error) {
  std::error_code ignored;
  const std::filesystem::file_status status = std::filesystem::status(path, ignored);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return WriteAll(path, path, data, size, error);
  }
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += ".tmp-" + std::to_string(random());
  if (!WriteAll(temporary, path, data, size, error)) {
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
