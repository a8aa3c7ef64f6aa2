// Screenshots: the picture on screen saved as PNG files, at the show's size and as the 4:3 screen shows it.
#pragma once

#include <cstdint>
#include <filesystem>

// The 4:3 picture: each of the show's pixels a block of 5 x 6.
inline constexpr int32_t kScreenshotScaledWidth = 1600;
inline constexpr int32_t kScreenshotScaledHeight = 1200;

// The user's pictures folder: XDG_PICTURES_DIR from user-dirs.dirs in configHome (when absolute) or in
// home/.config, "$HOME" expanded to home; empty when there is no such file, no such line, or it names no
// absolute folder. Either argument may be null.
std::filesystem::path PicturesFolder(const char* home, const char* configHome);

struct ScreenshotFiles {
  std::filesystem::path picture;    // 320 x 200
  std::filesystem::path fourThree;  // 1600 x 1200
};

// Saves frame in the colours the display gives levels (the show's palette), as "vesk-NNNN.png" and
// "vesk-NNNN-4x3.png" in folder (made when missing), with the first number for which neither name exists: nothing
// is ever replaced. Throws std::runtime_error naming what failed; nothing of a failed screenshot is left.
ScreenshotFiles SaveScreenshot(const std::filesystem::path& folder, const uint8_t* levels, const uint8_t* frame);

// The real-time program's screenshot key: saves into the pictures folder ($HOME and $XDG_CONFIG_HOME), or the
// current folder when there is none, and says on standard error where it went or why it could not.
void TakeScreenshot(const uint8_t* levels, const uint8_t* frame);
