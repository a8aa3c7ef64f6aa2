// The show's picture: 320 x 200 palette indices, one byte each, rows back to back.
#pragma once

inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 200;
inline constexpr int kFrameBytes = kScreenWidth * kScreenHeight;
