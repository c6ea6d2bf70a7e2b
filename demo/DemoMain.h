#pragma once

#include <windows.h>

#include <cstdint>

class Display;

// The one window, set by createMainWindow.
extern HWND mainWindow;
// The last wParam of WM_ACTIVATEAPP: frames are rendered only while it is non-zero.
extern int32_t appActive;
// The one display device, defined here with the other process-wide objects, whose order of
// construction matters.
extern Display theDisplay;

// Registers the window class "test" and creates the 640 x 480 pop-up window centred on the
// screen; true when the window exists.
bool createMainWindow(HINSTANCE instance);
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The demo's entry. Every path returns 1, the normal quit included.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
