// kernel32: the high-resolution counter, module handles and the program entry, with the SDK's
// names and signatures.
//
// On POSIX systems (platform/win32/Clock.cpp) the counter runs at 10 MHz. It follows the
// monotonic system clock unless a test or the --fixed-fps option drives it
// (platform/headless/HeadlessControl.h), in which case it only moves when told to.
#pragma once

#include "win32/Types.h"

// The running process's number (on POSIX systems platform/posix/Process.cpp).
DWORD WINAPI GetCurrentProcessId(void);

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

// Milliseconds since the platform started, from the same clock as the counter.
DWORD WINAPI GetTickCount(void);
void WINAPI Sleep(DWORD dwMilliseconds);

// The program's own module for a null name; any other name gives null.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);

// The program's entry, which the program defines; on POSIX systems main() of platform_main
// calls it.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
