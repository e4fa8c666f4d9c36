// Test entry point. Under Wine a crash may exit with 0, so every test program turns an
// unhandled exception into exit code 222: a crashing test fails instead of passing.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
static LONG WINAPI terminateOnCrash(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), 222);
  return EXCEPTION_EXECUTE_HANDLER;
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  SetUnhandledExceptionFilter(terminateOnCrash);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
