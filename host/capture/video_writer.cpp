// Video output through the ffmpeg program: the 320x200 pictures into an encoder that scales them, then a mux
// that adds the sound. Every path reaches ffmpeg as a file: URL, so no name is taken for a protocol or option.
#include "host/capture/video_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "core/interface_block.h"
#include "host/capture/capture_progress.h"
#include "platform/interrupt.h"
#include "platform/music.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kPictureBytes = static_cast<size_t>(kFrameBytes) * 4;
// Finishing a long video at a large size takes a while without any sign of progress, so the wait for it is
// never shorter than this, whatever the timeout for frames.
constexpr int32_t kShortestFinishMs = 120000;

// An interrupt request stops the capture; RunCapture turns it into the matching exit status.
struct Interrupted : std::runtime_error {
  Interrupted() : std::runtime_error("interrupted") {}
};

std::string FileUrl(const std::string& path) { return "file:" + path; }

// The pictures reach the encoder as a Matroska stream of uncompressed frames, each in a cluster of its own that
// carries its time, so a picture held for seconds is sent, scaled and encoded once. Every element's size takes
// eight bytes, so each is written in one pass.
using Bytes = std::vector<uint8_t>;
constexpr uint64_t kTickNs = 1000;  // the stream's timestamps count microseconds
constexpr uint64_t kTicksPerSecond = 1000000000 / kTickNs;
// The element IDs, their length markers included.
enum : uint32_t {
  kEbml = 0x1A45DFA3, kDocType = 0x4282, kDocTypeVersion = 0x4287, kDocTypeReadVersion = 0x4285,
  kSegment = 0x18538067, kInfo = 0x1549A966, kTimestampScale = 0x2AD7B1,
  kTracks = 0x1654AE6B, kTrackEntry = 0xAE, kTrackNumber = 0xD7, kTrackUid = 0x73C5, kTrackType = 0x83,
  kCodecId = 0x86, kVideo = 0xE0, kPixelWidth = 0xB0, kPixelHeight = 0xBA, kColourSpace = 0x2EB524,
  kCluster = 0x1F43B675, kClusterTime = 0xE7, kSimpleBlock = 0xA3,
};
constexpr uint64_t kVideoTrack = 1;

void PutId(Bytes& to, uint32_t id) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    if ((id >> shift) != 0) to.push_back(static_cast<uint8_t>(id >> shift));
  }
}

// A size of up to 2^56 - 2; all ones marks a size not known.
void PutSize(Bytes& to, uint64_t size) {
  to.push_back(0x01);
  for (int shift = 48; shift >= 0; shift -= 8) to.push_back(static_cast<uint8_t>(size >> shift));
}

Bytes Element(uint32_t id, const Bytes& data) {
  Bytes e;
  PutId(e, id);
  PutSize(e, data.size());
  e.insert(e.end(), data.begin(), data.end());
  return e;
}

Bytes Element(uint32_t id, uint64_t value) {
  Bytes data;
  for (int shift = 56; shift >= 0; shift -= 8) data.push_back(static_cast<uint8_t>(value >> shift));
  return Element(id, data);
}

Bytes Element(uint32_t id, std::string_view text) { return Element(id, Bytes(text.begin(), text.end())); }

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The file's header up to its first cluster: one video track of 320x200 pictures in blue, green, red and an
// unused byte, the layout ffmpeg names bgr0.
Bytes StreamHeader() {
  const Bytes video = Element(kPixelWidth, uint64_t{kScreenWidth}) + Element(kPixelHeight, uint64_t{kScreenHeight}) +
                      Element(kColourSpace, std::string_view("BGR\0", 4));
  const Bytes track = Element(kTrackNumber, kVideoTrack) + Element(kTrackUid, kVideoTrack) +
                      Element(kTrackType, uint64_t{1} /* video */) +
                      Element(kCodecId, std::string_view("V_UNCOMPRESSED")) + Element(kVideo, video);
  Bytes header = Element(kEbml, Element(kDocType, std::string_view("matroska")) +
                                    Element(kDocTypeVersion, uint64_t{4}) + Element(kDocTypeReadVersion, uint64_t{2}));
  PutId(header, kSegment);
  PutSize(header, (uint64_t{1} << 56) - 1);  // open-ended
  return header + Element(kInfo, Element(kTimestampScale, kTickNs)) +
         Element(kTracks, Element(kTrackEntry, track));
}

// A cluster holding one picture at ticks, up to where its pixels begin.
Bytes PictureHeader(uint64_t ticks) {
  Bytes block;
  PutId(block, kSimpleBlock);
  PutSize(block, 4 + kPictureBytes);
  block.insert(block.end(), {0x80 | kVideoTrack, 0x00, 0x00, 0x80});  // at the cluster's time, a key frame
  const Bytes body = Element(kClusterTime, ticks) + block;
  Bytes header;
  PutId(header, kCluster);
  PutSize(header, body.size() + kPictureBytes);
  return header + body;
}

std::string UniqueTemporary(const std::string& suffix) {
  std::random_device random;
  return (fs::temp_directory_path() / ("vesk-capture-" + std::to_string(random()) + suffix)).string();
}

std::string Seconds(int32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", ms / 1000.0);
  return text;
}

std::vector<std::string> Quiet() { return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats", "-y"}; }

// Appends the space-separated words of arguments.
void Append(std::vector<std::string>& to, const std::string& arguments) {
  for (size_t start = 0; start < arguments.size();) {
    const size_t end = arguments.find(' ', start);
    to.push_back(arguments.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? arguments.size() : end + 1;
  }
}

}  // namespace

VideoEncoding EncodingFor(VideoQuality quality, int32_t width, int32_t height) {
  const std::string size = std::to_string(width) + ":" + std::to_string(height);
  // The colours are turned into the video's at 320x200, then each pixel is repeated (nearest neighbour), so no
  // colour of one pixel reaches another; tagged BT.709 so players do not guess.
  const std::string toVideoColours = "scale=out_color_matrix=bt709:out_range=tv,format=";
  const std::string tags = " -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv";
  switch (quality) {
    case VideoQuality::kFast:
      return {width, height, toVideoColours + "yuv420p,scale=" + size + ":flags=neighbor",
              "-c:v libx264 -preset ultrafast -crf 20 -pix_fmt yuv420p" + tags, "-c:a aac -b:a 160k"};
    case VideoQuality::kStandard:
      return {width, height, toVideoColours + "yuv444p,scale=" + size + ":flags=neighbor",
              "-c:v libx264 -preset ultrafast -x264-params cabac=1 -crf 18 -pix_fmt yuv444p" + tags,
              "-c:a aac -b:a 192k"};
    case VideoQuality::kArchive:
      break;
  }
  return {kScreenWidth, kScreenHeight, "null", "-c:v ffv1 -level 3 -slices 4 -pix_fmt bgr0", "-c:a flac"};
}

VideoWriter::VideoWriter(const std::string& path, VideoQuality quality, const std::string& container,
                         int32_t width, int32_t height, uint32_t fps, int32_t timeoutMs)
    : path_(path),
      quality_(quality),
      fps_(fps),
      format_(VideoFormat(path, container, quality)),
      timeoutMs_(timeoutMs),
      destination_(path) {
  if (format_.empty()) {
    throw std::runtime_error("no container for the video " + path + "; accepted: " + kAcceptedContainers);
  }
  if (!platform::ProgramOnPath("ffmpeg")) {
    throw std::runtime_error("--video needs the ffmpeg program, which is not on PATH (Debian: apt-get install ffmpeg)");
  }
  const OutputTarget& target = destination_.target();
  output_ = path == "-" ? "pipe:1" : FileUrl(target.temporary);
  // Beside the output, on its file system, unless the output is a device or pipe.
  if (target.inPlace) {
    picturePath_ = UniqueTemporary("-picture.mkv");
    soundPath_ = UniqueTemporary("-sound.wav");
  } else {
    picturePath_ = fs::path(TemporaryName(target.path, ".partial-picture")).replace_extension(".mkv").string();
    soundPath_ = fs::path(TemporaryName(target.path, ".partial-sound")).replace_extension(".wav").string();
  }
  sound_ = std::make_unique<WavWriter>(soundPath_, platform::kMixRate);

  const VideoEncoding encoding = EncodingFor(quality, width, height);
  std::vector<std::string> arguments = Quiet();
  // Each picture keeps its time (no frame is repeated to fill the gaps) on a clock of the show's fps.
  Append(arguments, "-f matroska -i pipe:0 -an -fps_mode vfr -enc_time_base 1/" + std::to_string(fps));
  arguments.insert(arguments.end(), {"-vf", encoding.pictureFilter});
  Append(arguments, encoding.pictureCodec);
  arguments.insert(arguments.end(), {"-f", "matroska", FileUrl(picturePath_)});
  std::string error;
  if (!encoder_.Start(arguments, true, error)) throw std::runtime_error(error);
}

VideoWriter::~VideoWriter() {
  if (committed_) return;
  encoder_.CloseInput();
  encoder_.Stop();
  sound_.reset();
  RemoveTemporaries();
}

void VideoWriter::RemoveTemporaries() {
  std::error_code ignored;
  fs::remove(picturePath_, ignored);
  fs::remove(soundPath_, ignored);
}

void VideoWriter::Send(const void* data, size_t bytes) {
  switch (encoder_.Write(data, bytes, timeoutMs_)) {
    case platform::ChildProcess::Result::kDone:
      return;
    case platform::ChildProcess::Result::kInterrupted:
      throw Interrupted();
    case platform::ChildProcess::Result::kTimedOut:
      throw std::runtime_error("ffmpeg took no frame for " + Seconds(timeoutMs_) + "; giving up on " + path_ +
                               " (--ffmpeg-timeout sets how long to wait)");
    case platform::ChildProcess::Result::kClosed:
      break;
  }
  throw std::runtime_error("ffmpeg stopped taking frames for " + path_);
}

void VideoWriter::WriteFrame(const uint8_t* picture, uint64_t slot) {
  Bytes header = started_ ? Bytes() : StreamHeader();
  started_ = true;
  header = header + PictureHeader((slot * kTicksPerSecond + fps_ / 2) / fps_);
  Send(header.data(), header.size());
  Send(picture, kPictureBytes);
}

void VideoWriter::WriteSound(const int16_t* samples, size_t frames) { sound_->Write(samples, frames); }

void VideoWriter::RunToEnd(platform::ChildProcess& child, const std::string& what) {
  int status = 0;
  const int32_t limitMs = std::max(timeoutMs_, kShortestFinishMs);
  switch (child.Wait(limitMs, status)) {
    case platform::ChildProcess::Result::kDone:
      // ffmpeg ends with 0 even when the reader of its output went away; the capture must not.
      if (path_ == "-" && platform::StandardOutputClosed()) throw ReaderLeftEarly();
      if (status == 0) return;
      throw std::runtime_error("ffmpeg could not " + what + " " + path_);
    case platform::ChildProcess::Result::kInterrupted:
      throw Interrupted();
    default:
      throw std::runtime_error("ffmpeg did not " + what + " " + path_ + " within " + Seconds(limitMs) +
                               "; giving up");
  }
}

void VideoWriter::Commit(CaptureProgress& progress) {
  progress.Step("finishing the picture");
  encoder_.CloseInput();
  RunToEnd(encoder_, "encode");
  sound_->Commit();

  progress.Step("adding the sound");
  const VideoEncoding encoding = EncodingFor(quality_, 0, 0);
  std::vector<std::string> mux = Quiet();
  for (const std::string& a : {std::string("-nostdin"), std::string("-i"), FileUrl(picturePath_),
                               std::string("-i"), FileUrl(soundPath_), std::string("-map"), std::string("0:v"),
                               std::string("-map"), std::string("1:a"), std::string("-c:v"), std::string("copy")}) {
    mux.push_back(a);
  }
  Append(mux, encoding.soundCodec);
  mux.insert(mux.end(), {"-f", format_});
  if (format_ == "mp4" || format_ == "mov") {
    // A device or pipe cannot be rewound to put the index first: index each fragment instead.
    mux.insert(mux.end(), {"-movflags", destination_.target().inPlace ? "frag_keyframe+empty_moov" : "+faststart"});
  }
  mux.push_back(output_);
  platform::ChildProcess muxer;
  std::string error;
  if (!muxer.Start(mux, false, error)) throw std::runtime_error(error);
  RunToEnd(muxer, "write");
  destination_.Commit();
  committed_ = true;
  RemoveTemporaries();
}
