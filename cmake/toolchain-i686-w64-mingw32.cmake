# Cross build for 32-bit Windows with mingw-w64: the release build, and the 32-bit test build (the
# same compilers and options, so the Velmora.exe under test is the one shipped). The Win32 thread
# model keeps the C++ runtime off the POSIX thread library, which imports functions that Windows XP
# lacks and so would stop the program before it could refuse XP with its own message. That runtime
# has no std::thread or std::mutex: tests and benchmarks use Win32 threads, and GoogleTest gets a
# Win32 stand-in for the one class that needs them (tests/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)

set(VELMORA_TOOLCHAIN_CXX ${triple}-g++-win32)
set(CMAKE_C_COMPILER   ${triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VELMORA_TOOLCHAIN_CXX})
set(CMAKE_RC_COMPILER  ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the test programs with Wine's 32-bit loader, which runs them in a 32-bit prefix and,
# under WOW64, in a 64-bit one alike. It exists where wine32 is installed (scripts/install-deps.sh
# installs it where the kernel runs i386 programs).
if(EXISTS /usr/lib/wine/wine)
  # Through scripts/wine-test.sh, which hands ctest the output only once the program has ended.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh /usr/lib/wine/wine)
endif()
