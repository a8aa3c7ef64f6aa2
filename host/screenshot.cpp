// Screenshots in the user's pictures folder, numbered so that none replaces another file.
#include "host/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "display/pixel_conversion.h"
#include "host/capture/png_writer.h"

namespace {

constexpr int32_t kBlockWidth = kScreenshotScaledWidth / kScreenWidth;
constexpr int32_t kBlockHeight = kScreenshotScaledHeight / kScreenHeight;
constexpr uint32_t kMaxNumber = 999999;

// The value of a user-dirs.dirs line, NAME="value", with its shell escapes undone; false for another line.
bool LineValue(const std::string& line, const std::string& name, std::string& value) {
  const size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line.compare(start, name.size() + 2, name + "=\"") != 0) return false;
  value.clear();
  for (size_t i = start + name.size() + 2; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    value += line[i];
  }
  return true;
}

// Creates path, empty, unless something is there already: the name is then ours to write.
bool Reserve(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "wx");
  if (file == nullptr) {
    if (errno == EEXIST) return false;
    throw std::runtime_error("cannot create " + path.string() + ": " + std::strerror(errno));
  }
  std::fclose(file);
  return true;
}

}  // namespace

std::filesystem::path PicturesFolder(const char* home, const char* configHome) {
  const bool hasHome = home != nullptr && home[0] == '/';
  std::filesystem::path config;
  if (configHome != nullptr && configHome[0] == '/') {
    config = configHome;
  } else if (hasHome) {
    config = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  std::ifstream file(config / "user-dirs.dirs");
  std::string line;
  std::string value;
  std::filesystem::path folder;
  // As the file is read by the shell, the last line for the name counts.
  while (std::getline(file, line)) {
    if (!LineValue(line, "XDG_PICTURES_DIR", value)) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      folder = hasHome ? std::filesystem::path(std::string(home) + value.substr(5)) : std::filesystem::path();
    } else {
      folder = value.starts_with('/') ? std::filesystem::path(value) : std::filesystem::path();
    }
  }
  return folder;
}

ScreenshotFiles SaveScreenshot(const std::filesystem::path& folder, const uint8_t* levels, const uint8_t* frame) {
  uint8_t colourTable[kColourTableBytes];
  RefreshPalette(levels, colourTable);
  std::vector<uint8_t> expanded(kExpandedFrameBytes, 0);
  ExpandFrame(frame, colourTable, expanded.data());
  std::vector<uint8_t> scaled(static_cast<size_t>(kScreenshotScaledWidth) * kScreenshotScaledHeight *
                              kExpandedPixelBytes);
  uint8_t* to = scaled.data();
  for (int32_t y = 0; y < kScreenshotScaledHeight; ++y) {
    const uint8_t* row = expanded.data() + static_cast<size_t>(y / kBlockHeight) * kScreenWidth * kExpandedPixelBytes;
    for (int32_t x = 0; x < kScreenshotScaledWidth; ++x, to += kExpandedPixelBytes) {
      std::memcpy(to, row + (x / kBlockWidth) * kExpandedPixelBytes, kExpandedPixelBytes);
    }
  }

  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw std::runtime_error("cannot make the folder " + folder.string() + ": " + error.message());
  ScreenshotFiles files;
  for (uint32_t n = 1;; ++n) {
    if (n > kMaxNumber) throw std::runtime_error("every screenshot name in " + folder.string() + " is taken");
    char name[32];
    std::snprintf(name, sizeof name, "vesk-%04u", n);
    files = {folder / (std::string(name) + ".png"), folder / (std::string(name) + "-4x3.png")};
    if (!Reserve(files.picture)) continue;
    if (Reserve(files.fourThree)) break;
    std::filesystem::remove(files.picture, error);
  }
  try {
    WriteScreenPng(files.picture.string(), expanded.data(), kScreenWidth, kScreenHeight,
                   kScreenWidth * kExpandedPixelBytes);
    WriteScreenPng(files.fourThree.string(), scaled.data(), kScreenshotScaledWidth, kScreenshotScaledHeight,
                   kScreenshotScaledWidth * kExpandedPixelBytes);
  } catch (const std::exception&) {
    std::filesystem::remove(files.picture, error);
    std::filesystem::remove(files.fourThree, error);
    throw;
  }
  return files;
}

void TakeScreenshot(const uint8_t* levels, const uint8_t* frame) {
  std::filesystem::path folder = PicturesFolder(std::getenv("HOME"), std::getenv("XDG_CONFIG_HOME"));
  if (folder.empty()) folder = ".";
  try {
    const ScreenshotFiles files = SaveScreenshot(folder, levels, frame);
    std::fprintf(stderr, "vesk: screenshot saved as %s and %s\n", files.picture.c_str(), files.fourThree.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vesk: no screenshot: %s\n", e.what());
  }
}
