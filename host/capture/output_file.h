// Outputs written under a temporary name and given their real name only when complete.
#pragma once

#include <cstdio>
#include <string>

// Where an output goes. A regular file or a missing name is written under a temporary name beside it and
// renamed over it when complete; a symbolic link is followed, so the link stays and its target is replaced.
// Anything else that exists (a device such as /dev/null, a FIFO) is written in place: renaming over it would
// replace the device or pipe with a plain file.
struct OutputTarget {
  std::string path;       // the name the output ends up under (the link's target for a link)
  std::string temporary;  // where it is written until complete; path itself when in place
  bool inPlace = false;
};

// Throws std::runtime_error for a folder, or when the name cannot be looked at.
OutputTarget ChooseOutputTarget(const std::string& path);

// "dir/name.partial.ext" for "dir/name.ext": the temporary name of an output.
std::string TemporaryName(const std::string& path, const std::string& suffix = ".partial");

class PendingFile {
 public:
  // "-" is standard output. Throws std::runtime_error when the file cannot be opened.
  explicit PendingFile(const std::string& path);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Writes or throws std::runtime_error naming the file.
  void Write(const void* data, size_t bytes);
  // Whether the output can be rewound to fill in sizes at the end (a pipe cannot).
  bool seekable() const { return seekable_; }
  // Moves to byte offset of the output; throws std::runtime_error on failure.
  void Seek(long offset);
  // Flushes, closes, checks and renames; throws std::runtime_error on failure.
  void Commit();

 private:
  OutputTarget target_;
  FILE* file_ = nullptr;
  bool seekable_ = false;
  bool committed_ = false;
};
