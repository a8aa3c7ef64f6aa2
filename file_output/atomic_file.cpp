// Outputs under temporary names, renamed when complete, so no partial file looks finished.
#include "file_output/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "platform/private_file.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferBytes = 1 << 20;
constexpr const char* kStandardOutput = "standard output";

std::runtime_error WriteError(const OutputTarget& target) {
  return std::runtime_error("cannot write " + target.path + ": " + std::strerror(errno));
}

}  // namespace

std::string TemporaryName(const std::string& path, const std::string& suffix) {
  const fs::path p(path);
  return (p.parent_path() / (p.stem().string() + suffix + p.extension().string())).string();
}

std::string ResolvedOutputPath(const std::string& path) {
  std::error_code error;
  fs::path at = fs::absolute(path, error);
  // As many links as the system follows before it gives up on a loop.
  for (int links = 0; links < 40 && fs::is_symlink(at, error); ++links) {
    const fs::path text = fs::read_symlink(at, error);
    if (error) break;
    at = text.is_absolute() ? text : fs::weakly_canonical(at.parent_path(), error) / text;
  }
  const fs::path resolved = fs::weakly_canonical(at, error);
  return error ? at.lexically_normal().string() : resolved.string();
}

OutputTarget ChooseOutputTarget(const std::string& path) {
  std::error_code error;
  const fs::file_status link = fs::symlink_status(path, error);
  if (error && link.type() != fs::file_type::not_found) throw std::runtime_error("cannot look at " + path + ": " + error.message());
  OutputTarget target;
  target.path = path;
  if (fs::is_symlink(link)) target.path = ResolvedOutputPath(path);
  const fs::file_status status = fs::status(target.path, error);
  if (fs::is_directory(status)) throw std::runtime_error("cannot write " + path + ": it is a folder");
  // Found now, before any work, rather than when the output is first written (by an encoder, at the end).
  if (!fs::exists(status)) {
    const fs::path folder = fs::path(target.path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
      const int reason = fs::exists(folder, error) ? ENOTDIR : ENOENT;
      throw std::runtime_error("cannot write " + path + ": " + folder.string() + ": " + std::strerror(reason));
    }
  }
  target.inPlace = fs::exists(status) && !fs::is_regular_file(status);
  target.temporary = target.inPlace ? target.path : TemporaryName(target.path);
  return target;
}

PendingOutput::PendingOutput(const std::string& path)
    : target_(path == "-" ? OutputTarget{kStandardOutput, kStandardOutput, true} : ChooseOutputTarget(path)) {}

PendingOutput::~PendingOutput() {
  if (committed_ || target_.inPlace) return;
  std::error_code ignored;
  fs::remove(target_.temporary, ignored);
}

void PendingOutput::Commit() {
  // std::filesystem::rename replaces an existing file everywhere; std::rename does not on Windows.
  if (!target_.inPlace) {
    std::error_code error;
    fs::rename(target_.temporary, target_.path, error);
    if (error) throw std::runtime_error("cannot create " + target_.path + ": " + error.message());
  }
  committed_ = true;
}

PendingFile::PendingFile(const std::string& path) : output_(path) {
  const OutputTarget& target = output_.target();
  if (path == "-") {
    file_ = stdout;
  } else {
    file_ = platform::OpenPrivateFileForWriting(target.temporary.c_str());
    if (file_ == nullptr) {
      throw std::runtime_error("cannot write " + target.path + ": cannot open " + target.temporary + ": " +
                               std::strerror(errno));
    }
    std::setvbuf(file_, nullptr, _IOFBF, kBufferBytes);
  }
  seekable_ = std::fseek(file_, 0, SEEK_CUR) == 0;
}

PendingFile::~PendingFile() {
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
}

void PendingFile::Write(const void* data, size_t bytes) {
  if (bytes != 0 && std::fwrite(data, 1, bytes, file_) != bytes) throw WriteError(output_.target());
}

void PendingFile::Seek(long offset) {
  if (std::fseek(file_, offset, SEEK_SET) != 0) throw WriteError(output_.target());
}

void PendingFile::Commit() {
  std::FILE* file = file_;
  file_ = nullptr;
  if (file == stdout) {
    if (std::fflush(stdout) != 0) throw WriteError(output_.target());
  } else {
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !flushed) throw WriteError(output_.target());
  }
  output_.Commit();
}

PendingFolder::PendingFolder(const std::string& path) : name_(path) {
  std::error_code error;
  path_ = fs::absolute(path, error).lexically_normal();
  if (!path_.has_filename()) path_ = path_.parent_path();
  // A link to a folder is followed, so the temporary folder lies on the same file system as the files' place.
  if (const fs::path real = fs::canonical(path_, error); !error) path_ = real;
  const fs::file_status status = fs::status(path_, error);
  if (fs::exists(status) && !fs::is_directory(status)) {
    throw std::runtime_error("cannot write into " + path + ": it is not a folder");
  }
  if (!fs::is_directory(path_.parent_path(), error)) {
    throw std::runtime_error("cannot write into " + path + ": there is no folder " + path_.parent_path().string());
  }
  // A temporary folder left by a run that was killed is not taken over: it may still be someone's.
  constexpr int kTries = 100;
  for (int n = 1; n <= kTries; ++n) {
    const std::string suffix = n > 1 ? ".partial-" + std::to_string(n) : ".partial";
    temporary_ = path_.parent_path() / (path_.filename().string() + suffix);
    if (fs::create_directory(temporary_, error)) return;
    if (error) break;
  }
  throw std::runtime_error("cannot write into " + path + ": cannot make the temporary folder " +
                           temporary_.string() + ": " + (error ? error.message() : "all names are taken"));
}

PendingFolder::~PendingFolder() {
  if (committed_) return;
  std::error_code ignored;
  fs::remove_all(temporary_, ignored);
}

void PendingFolder::Commit() {
  std::error_code error;
  if (!fs::exists(path_, error)) {
    fs::rename(temporary_, path_, error);
  } else {
    for (fs::directory_iterator file(temporary_, error), end; !error && file != end; file.increment(error)) {
      fs::rename(file->path(), path_ / file->path().filename(), error);
    }
    if (!error) fs::remove(temporary_, error);
  }
  if (error) throw std::runtime_error("cannot move the files into " + name_ + ": " + error.message());
  committed_ = true;
}

bool WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size, std::string& error) {
  try {
    PendingFile file(path.string());
    file.Write(data, size);
    file.Commit();
    return true;
  } catch (const std::runtime_error& e) {
    error = e.what();
    return false;
  }
}
