// Whether this build may start threads: a browser build without them may not, and does the work in line.
#pragma once

namespace platform {

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kThreadsAvailable = false;
#else
inline constexpr bool kThreadsAvailable = true;
#endif

}  // namespace platform
