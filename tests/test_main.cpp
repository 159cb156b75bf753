// The main function of every test program. On Windows it ends with TerminateProcess once the
// results are printed: under Wine a normal exit can wait for ever on a lock that a thread killed
// at exit held, and none of that is under test.

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
#ifdef _WIN32
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
#endif
    return result;
}
