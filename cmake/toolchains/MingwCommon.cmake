# What both Windows toolchains share: the posix-thread variants of the
# compilers (std::mutex and std::thread need them), the target's own root for
# libraries and headers, and wine as the emulator CTest runs programs with.
set(CMAKE_C_COMPILER ${TAMRIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMRIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMRIK_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAMRIK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's /usr/bin/wine always starts through the 32-bit loader: each
# bitness gets its own loader.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  find_program(TAMRIK_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
else()
  find_program(TAMRIK_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
endif()
if(TAMRIK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAMRIK_WINE})
endif()
