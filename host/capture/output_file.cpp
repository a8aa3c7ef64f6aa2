// Outputs under temporary names, renamed when complete, so no partial file looks finished.
#include "host/capture/output_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr size_t kBufferBytes = 1 << 20;

std::runtime_error FileError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

std::string PendingFile::TemporaryName(const std::string& path) {
  const std::filesystem::path p(path);
  return (p.parent_path() / (p.stem().string() + ".partial" + p.extension().string())).string();
}

PendingFile::PendingFile(const std::string& path) : path_(path) {
  struct stat info;
  if (path == "-") {
    file_ = stdout;
    inPlace_ = true;
    temporary_ = "standard output";
    return;
  }
  inPlace_ = stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
  temporary_ = inPlace_ ? path : TemporaryName(path);
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr) throw FileError("cannot write", temporary_);
  std::setvbuf(file_, nullptr, _IOFBF, kBufferBytes);
}

PendingFile::~PendingFile() {
  if (committed_) return;
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
  if (!inPlace_) std::remove(temporary_.c_str());
}

void PendingFile::Write(const void* data, size_t bytes) {
  if (bytes != 0 && std::fwrite(data, 1, bytes, file_) != bytes) throw FileError("cannot write", temporary_);
}

void PendingFile::Commit() {
  if (file_ == stdout) {
    if (std::fflush(stdout) != 0) throw FileError("cannot write", temporary_);
  } else if (std::fclose(file_) != 0) {
    file_ = nullptr;
    throw FileError("cannot write", temporary_);
  }
  file_ = nullptr;
  // std::filesystem::rename replaces an existing file everywhere; std::rename does not on Windows.
  std::error_code renamed;
  if (!inPlace_) std::filesystem::rename(temporary_, path_, renamed);
  if (renamed) throw std::runtime_error("cannot create " + path_ + ": " + renamed.message());
  committed_ = true;
}
