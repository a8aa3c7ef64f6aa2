// The programs' exit statuses.
#pragma once

inline constexpr int kStatusOk = 0;
// Something that was asked for could not be done (an output not written, an error during the show).
inline constexpr int kStatusFailed = 1;
// The command line asked for something that cannot be: a bad option, or a mode the display does not offer.
inline constexpr int kStatusBadOption = 2;
// What reads the capture's standard output went away early: the status a shell gives a writer ended by SIGPIPE.
inline constexpr int kStatusBrokenPipe = 141;
