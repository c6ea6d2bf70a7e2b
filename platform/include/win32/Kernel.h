/// @file
/// kernel32: the high-resolution counter and the program entry, with the SDK's names and
/// signatures.
///
/// On POSIX systems (platform/win32/Clock.cpp) the counter runs at 10 MHz. It follows the
/// monotonic system clock unless a test or the `--fixed-fps` option drives it
/// (platform/win32/LayerControl.h), in which case it only moves when told to.
#pragma once

#include "win32/Types.h"

/// The running process's number (on POSIX systems platform/posix/Process.cpp).
DWORD WINAPI GetCurrentProcessId(void);

/// @{

/// Results of the waiting functions (INFINITE: a wait without a time limit).
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
/// @}

/// The high-resolution counter's reading, in ticks.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
/// The high-resolution counter's ticks a second.
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

/// The program's entry, which the program defines; on POSIX systems main() of platform_main
/// calls it.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
