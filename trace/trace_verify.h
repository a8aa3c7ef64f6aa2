// Checking a frame trace against the show: its clock readings and music orders replayed, every frame compared.
#pragma once

#include <cstdio>
#include <string>

inline constexpr int kVerifyMatch = 0;
inline constexpr int kVerifyMismatch = 1;
inline constexpr int kVerifyMalformed = 2;

// Replays the trace at path from its start-up frame: the show runs with the clock reading, before each frame, what
// the trace recorded for that frame, and the pictures see the recorded music orders. Each presented frame is
// compared with its record (who presented it, palette, frame). Each differing frame is reported on out with its
// index, stage and the number of differing bytes, followed by a summary line. Returns kVerifyMatch,
// kVerifyMismatch, or kVerifyMalformed (the reason on err) when the file is not a whole trace that starts at the
// show's start.
int VerifyTrace(const std::string& path, std::FILE* out, std::FILE* err);
