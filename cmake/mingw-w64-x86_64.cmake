# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# for std::thread and std::mutex).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZANTH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZANTH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZANTH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZANTH_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZANTH_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZANTH_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Headers and libraries of the target come from the mingw sysroot and from the
# prefixes named in CMAKE_PREFIX_PATH / CMAKE_FIND_ROOT_PATH (the cross-built
# glbinding and GoogleTest); programs run on the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZANTH_MINGW_PREFIX} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under Wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(ZANTH_WINE wine)
  if(ZANTH_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZANTH_WINE})
  endif()
endif()

# Everything is linked statically: a program or the module needs no DLL of the
# toolchain or of a library beside it, only the system's.
set(ZLIB_USE_STATIC_LIBS ON)
