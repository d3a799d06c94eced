# Cross build for 64-bit Windows with Debian's MinGW-w64, the posix thread
# flavour: the win32 flavour has no std::thread, std::mutex or
# std::condition_variable, which the animation thread and the 3D host need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(UX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${UX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${UX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${UX_MINGW_TRIPLET}-windres)

# Only the cross tree is searched for libraries and headers; programs run on
# the build machine come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${UX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test programs run under Wine through a wrapper that gives them a prefix
# of their own and a display when one is needed.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
endif()
