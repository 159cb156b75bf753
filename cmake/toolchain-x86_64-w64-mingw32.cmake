# Cross build for 64-bit Windows with mingw-w64: Velmora64.exe of the release, and the 64-bit test
# build (the same compilers and options, so the program under test is the one shipped). The Win32
# thread model, as in the 32-bit build: the statically linked C++ runtime then carries no POSIX
# thread library, and the program uses no C++ threads. That runtime has no std::thread or
# std::mutex: tests and benchmarks use Win32 threads, and GoogleTest gets a Win32 stand-in for the
# one class that needs them (tests/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)

set(VELMORA_TOOLCHAIN_CXX ${triple}-g++-win32)
set(CMAKE_C_COMPILER   ${triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VELMORA_TOOLCHAIN_CXX})
set(CMAKE_RC_COMPILER  ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the test programs with Wine's 64-bit loader (/usr/bin/wine may be the 32-bit one).
if(EXISTS /usr/lib/wine/wine64)
  # Through scripts/wine-test.sh, which hands ctest the output only once the program has ended.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh /usr/lib/wine/wine64)
endif()
