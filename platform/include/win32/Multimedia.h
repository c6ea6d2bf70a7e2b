/// @file
/// winmm: the resolution of the system's timers, with the SDK's names and values.
///
/// On POSIX systems every wait is as fine as the clock allows, so there is nothing to change:
/// both calls succeed and do nothing.
#pragma once

#include "win32/Types.h"

/// @{

/// The results of the timer-resolution calls.
typedef UINT MMRESULT;
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97
/// @}

/// Asks for timers and waits as fine as uPeriod milliseconds.
MMRESULT WINAPI timeBeginPeriod(UINT uPeriod);
/// Ends a request of timeBeginPeriod.
MMRESULT WINAPI timeEndPeriod(UINT uPeriod);
