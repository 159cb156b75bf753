# Cross build for 32-bit Windows with mingw-w64: the release build. The Win32 thread model keeps
# the C++ runtime off the POSIX thread library, which imports functions that Windows XP lacks and
# so would stop the program before it could refuse XP with its own message. (The 64-bit build, which
# the tests run, keeps the POSIX model that GoogleTest needs; the program uses no C++ threads.)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${triple}-g++-win32)
set(CMAKE_RC_COMPILER  ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
