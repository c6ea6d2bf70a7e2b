/// @file
/// The message crackers of `<windowsx.h>` that programs use, for POSIX systems: the signed
/// coordinates packed into a mouse message's lParam.
#pragma once

#include <windows.h>

/// @{

/// The signed x and y of a mouse message's lParam.
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
/// @}
