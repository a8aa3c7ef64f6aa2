// An output written under a temporary name and given its real name only when it is complete.
#pragma once

#include <cstdio>
#include <string>

class PendingFile {
 public:
  // "-" is standard output; a path naming something other than a regular file (a device, a pipe) is written
  // in place. Throws std::runtime_error when the file cannot be opened.
  explicit PendingFile(const std::string& path);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  FILE* file() const { return file_; }
  const std::string& writtenPath() const { return temporary_; }
  // Writes or throws std::runtime_error naming the file.
  void Write(const void* data, size_t bytes);
  // Closes, checks and renames; throws std::runtime_error on failure.
  void Commit();

  // The temporary name of path: "dir/name.partial.ext".
  static std::string TemporaryName(const std::string& path);

 private:
  std::string path_;
  std::string temporary_;
  FILE* file_ = nullptr;
  bool inPlace_ = false;
  bool committed_ = false;
};
