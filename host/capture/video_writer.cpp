// Video output through the ffmpeg program: raw frames into an H.264 encoder, then a mux with AAC sound.
#include "host/capture/video_writer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "host/capture/output_file.h"
#include "platform/sound.h"

extern char** environ;

namespace {

std::string WithSuffix(const std::string& path, const std::string& suffix) {
  const std::filesystem::path p(path);
  return (p.parent_path() / (p.stem().string() + suffix)).string();
}

pid_t Spawn(const std::vector<std::string>& arguments, int stdinFd) {
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdinFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
  else posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot run " + arguments[0] + ": " + std::strerror(error));
  return pid;
}

bool Succeeded(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool VideoWriter::ProgramOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string dirs(path);
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

VideoWriter::VideoWriter(const std::string& path, int32_t width, int32_t height, uint32_t fps)
    : path_(path),
      picturePath_(WithSuffix(path, ".partial-picture.mkv")),
      soundPath_(WithSuffix(path, ".partial-sound.wav")),
      width_(width),
      height_(height),
      row_(new uint8_t[static_cast<size_t>(width) * 4]) {
  if (!ProgramOnPath("ffmpeg")) {
    throw std::runtime_error("--video needs the ffmpeg program, which is not on PATH (Debian: apt-get install ffmpeg)");
  }
  // A dying encoder must show up as a failed write, not end this program.
  signal(SIGPIPE, SIG_IGN);
  sound_ = std::make_unique<WavWriter>(soundPath_, platform::kMixRate);
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  try {
    encoder_ = Spawn({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats", "-y", "-f", "rawvideo",
                      "-pix_fmt", "bgr0", "-s", std::to_string(width) + "x" + std::to_string(height), "-r",
                      std::to_string(fps), "-i", "pipe:0", "-an", "-c:v", "libx264", "-preset", "veryfast",
                      "-crf", "18", "-pix_fmt", "yuv420p", "-f", "matroska", picturePath_},
                     fds[0]);
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    throw;
  }
  close(fds[0]);
  pipe_ = fds[1];
}

VideoWriter::~VideoWriter() {
  if (committed_) return;
  if (pipe_ >= 0) close(pipe_);
  if (encoder_ > 0) {
    kill(encoder_, SIGTERM);
    Succeeded(encoder_);
  }
  std::remove(picturePath_.c_str());
  std::remove(PendingFile::TemporaryName(path_).c_str());
}

void VideoWriter::WriteFrame(const uint8_t* pixels, int32_t pitch) {
  const size_t rowBytes = static_cast<size_t>(width_) * 4;
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* row = pixels + static_cast<size_t>(y) * pitch;
    size_t done = 0;
    while (done < rowBytes) {
      const ssize_t n = write(pipe_, row + done, rowBytes - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw std::runtime_error("ffmpeg stopped taking frames for " + path_);
      done += static_cast<size_t>(n);
    }
  }
}

void VideoWriter::WriteSound(const int16_t* samples, size_t frames) { sound_->Write(samples, frames); }

void VideoWriter::FinishEncoder() {
  close(pipe_);
  pipe_ = -1;
  const pid_t encoder = encoder_;
  encoder_ = -1;
  if (!Succeeded(encoder)) throw std::runtime_error("ffmpeg could not encode " + path_);
}

void VideoWriter::Commit() {
  FinishEncoder();
  sound_->Commit();
  const std::string temporary = PendingFile::TemporaryName(path_);
  std::vector<std::string> mux = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats", "-y",
                                  "-i", picturePath_, "-i", soundPath_, "-map", "0:v", "-map", "1:a",
                                  "-c:v", "copy", "-c:a", "aac", "-b:a", "192k"};
  if (std::filesystem::path(path_).extension().empty()) {
    mux.insert(mux.end(), {"-f", "mp4"});
  }
  if (std::filesystem::path(path_).extension() == ".mp4" || std::filesystem::path(path_).extension() == ".mov") {
    mux.insert(mux.end(), {"-movflags", "+faststart"});
  }
  mux.push_back(temporary);
  const bool muxed = Succeeded(Spawn(mux, -1));
  std::remove(picturePath_.c_str());
  std::remove(soundPath_.c_str());
  if (!muxed) {
    std::remove(temporary.c_str());
    throw std::runtime_error("ffmpeg could not write " + path_);
  }
  if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot create " + path_ + ": " + std::strerror(errno));
  }
  committed_ = true;
}
