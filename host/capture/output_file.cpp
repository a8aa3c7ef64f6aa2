// Outputs under temporary names, renamed when complete, so no partial file looks finished.
#include "host/capture/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/private_file.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferBytes = 1 << 20;

std::runtime_error FileError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

std::string TemporaryName(const std::string& path, const std::string& suffix) {
  const fs::path p(path);
  return (p.parent_path() / (p.stem().string() + suffix + p.extension().string())).string();
}

OutputTarget ChooseOutputTarget(const std::string& path) {
  std::error_code error;
  const fs::file_status link = fs::symlink_status(path, error);
  if (error && link.type() != fs::file_type::not_found) throw std::runtime_error("cannot look at " + path + ": " + error.message());
  OutputTarget target;
  target.path = path;
  if (fs::is_symlink(link)) {
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (error) throw std::runtime_error("cannot follow the link " + path + ": " + error.message());
    target.path = resolved.string();
  }
  const fs::file_status status = fs::status(target.path, error);
  if (fs::is_directory(status)) throw std::runtime_error("cannot write " + path + ": it is a folder");
  target.inPlace = fs::exists(status) && !fs::is_regular_file(status);
  target.temporary = target.inPlace ? target.path : TemporaryName(target.path);
  return target;
}

PendingFile::PendingFile(const std::string& path) {
  if (path == "-") {
    file_ = stdout;
    target_ = {"standard output", "standard output", true};
  } else {
    target_ = ChooseOutputTarget(path);
    file_ = platform::OpenPrivateFileForWriting(target_.temporary.c_str());
    if (file_ == nullptr) throw FileError("cannot write", target_.temporary);
    std::setvbuf(file_, nullptr, _IOFBF, kBufferBytes);
  }
  seekable_ = std::fseek(file_, 0, SEEK_CUR) == 0;
}

PendingFile::~PendingFile() {
  if (committed_) return;
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
  if (!target_.inPlace) std::remove(target_.temporary.c_str());
}

void PendingFile::Write(const void* data, size_t bytes) {
  if (bytes != 0 && std::fwrite(data, 1, bytes, file_) != bytes) throw FileError("cannot write", target_.temporary);
}

void PendingFile::Seek(long offset) {
  if (std::fseek(file_, offset, SEEK_SET) != 0) throw FileError("cannot write", target_.temporary);
}

void PendingFile::Commit() {
  FILE* file = file_;
  file_ = nullptr;
  if (file == stdout) {
    if (std::fflush(stdout) != 0) throw FileError("cannot write", target_.temporary);
  } else {
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !flushed) throw FileError("cannot write", target_.temporary);
  }
  // std::filesystem::rename replaces an existing file everywhere; std::rename does not on Windows.
  if (!target_.inPlace) {
    std::error_code error;
    fs::rename(target_.temporary, target_.path, error);
    if (error) throw std::runtime_error("cannot create " + target_.path + ": " + error.message());
  }
  committed_ = true;
}
