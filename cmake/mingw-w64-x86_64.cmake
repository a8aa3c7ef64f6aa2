# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, POSIX thread model (std::thread, std::mutex).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVESK_WINDOWS_PREFIX=<libopenmpt>
# VESK_WINDOWS_PREFIX: where the cross-built libraries are installed (scripts/build-libopenmpt.sh mingw64 prints
# it); libraries are looked up there and in MinGW's own folder, never among the build machine's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VESK_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VESK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_ASM_COMPILER ${VESK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_RC_COMPILER ${VESK_MINGW_TRIPLE}-windres)

set(VESK_MINGW_ROOT /usr/${VESK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH ${VESK_MINGW_ROOT} ${VESK_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in: the programs need no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

# Programs built for Windows run here under Wine (tests, capture comparisons).
find_program(VESK_WINE wine)
if(VESK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VESK_WINE})
endif()
