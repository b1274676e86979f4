# Settings of the Windows build (mingw-w64, see cmake/toolchains/).

# Hosts load the DLL into processes of their own: the C and C++ runtimes and
# winpthread are linked in, so that it imports only Windows' own DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # Floats in SSE registers as on x86-64 (the x87 at extended precision would
  # round differently), and a realigned stack: 32-bit hosts may call us with
  # 4-byte alignment, and SSE spills need 16.
  add_compile_options(-msse2 -mfpmath=sse -mstackrealign)
endif()

# No libraries are shared with the host, and PE images carry no symbol
# visibility: the .def file says what is exported.
set(CMAKE_POSITION_INDEPENDENT_CODE OFF)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
