// Outputs that are never seen half-written: every generator's and program's file goes through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// Where an output goes. A regular file or a missing name is written under a temporary name beside it and
// renamed over it when complete; a symbolic link is followed, so the link stays and its target is replaced.
// Anything else that exists (a device such as /dev/null, a FIFO) is written in place: renaming over it would
// replace the device or pipe with a plain file.
struct OutputTarget {
  std::string path;       // the name the output ends up under (the link's target for a link)
  std::string temporary;  // where it is written until complete; path itself when in place
  bool inPlace = false;
};

// The file a name ends up writing: links followed, even where their target does not exist yet, as an output is
// created through them.
std::string ResolvedOutputPath(const std::string& path);

// Throws std::runtime_error for a folder, a name in a folder that does not exist, or one that cannot be looked at.
OutputTarget ChooseOutputTarget(const std::string& path);

// "dir/name.partial.ext" for "dir/name.ext": the temporary name of an output.
std::string TemporaryName(const std::string& path, const std::string& suffix = ".partial");

// An output that something else may fill (an encoder program writes target().temporary): named by Commit,
// its temporary removed when it is dropped uncommitted. "-" is standard output, in place.
class PendingOutput {
 public:
  explicit PendingOutput(const std::string& path);  // throws std::runtime_error
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;

  const OutputTarget& target() const { return target_; }
  // Renames the complete temporary to the output's name; throws std::runtime_error on failure.
  void Commit();

 private:
  OutputTarget target_;
  bool committed_ = false;
};

// An output written through this object.
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
  PendingOutput output_;
  std::FILE* file_ = nullptr;
  bool seekable_ = false;
};

// A folder of outputs (one file per frame) filled under a temporary folder beside it, so that a run that fails or
// is interrupted leaves none of its files: Commit moves them into place, and dropping it uncommitted removes the
// temporary folder with all it holds. The folder may exist already; its other files stay.
class PendingFolder {
 public:
  // Throws std::runtime_error when path is not a folder, its parent folder is missing, or the temporary folder
  // cannot be made.
  explicit PendingFolder(const std::string& path);
  ~PendingFolder();
  PendingFolder(const PendingFolder&) = delete;
  PendingFolder& operator=(const PendingFolder&) = delete;

  // Where the files are written until Commit.
  std::string temporary() const { return temporary_.string(); }
  // Moves the files to the folder's name (the whole temporary folder when none exists there); throws
  // std::runtime_error on failure.
  void Commit();

 private:
  std::string name_;  // as the user gave it, for messages
  std::filesystem::path path_;
  std::filesystem::path temporary_;
  bool committed_ = false;
};

// The whole of an output at once: path holds its old content or all of the new. Returns false with a message
// naming the file in error; no temporary file is left behind.
bool WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size, std::string& error);

inline bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes,
                                std::string& error) {
  return WriteFileAtomically(path, bytes.data(), bytes.size(), error);
}
