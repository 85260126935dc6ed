// The main of every test program. Under Windows a crash must end the process with a failure code at once:
// Wine would otherwise start its debugger, which under a virtual display waits for ever.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

static LONG WINAPI TerminateOnCrash(EXCEPTION_POINTERS* info) {
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(TerminateOnCrash);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
