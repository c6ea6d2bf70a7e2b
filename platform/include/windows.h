/// @file
/// The subset of `<windows.h>` that the engine's programs use, for POSIX systems. Each piece lives
/// in win32/; names, argument orders, struct layouts and constant values are those of Win32, so the
/// same sources build against the real SDK on Windows. Microsoft's documentation describes every
/// name; the comments here add what the layer does on POSIX systems.
#pragma once

#include "win32/Types.h"
#include "win32/FileSystem.h"
#include "win32/Kernel.h"
#include "win32/User.h"
#include "win32/Gdi.h"
#include "win32/Multimedia.h"
