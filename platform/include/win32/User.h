/// @file
/// user32: window classes and windows, the message queue and loop, timers, message boxes, window
/// placement and device contexts of windows, with the SDK's names, argument orders, struct layouts
/// and constant values: the calls the programs make, no more.
///
/// On POSIX systems (platform/win32/) one process has one thread and one message queue. Posted
/// messages come back in order, then WM_QUIT once PostQuitMessage was called and nothing else is
/// posted, then WM_TIMER for a due timer; SendMessageA calls the window procedure directly. Input
/// from the back end (keys, characters, the mouse, activation, closing) arrives while the queue is
/// read; GetKeyState answers for the keys and mouse buttons as of the last input message taken.
/// Mouse messages carry client coordinates; full screen, the client area is the whole screen at
/// the display mode. Timers belong to a window and arrive as WM_TIMER: timer procedures are not
/// supported.
#pragma once

#include "win32/Types.h"

/// A window procedure: it handles the messages sent and dispatched to a class's windows.
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
/// A timer procedure (not supported on POSIX systems: timers arrive as WM_TIMER).
typedef VOID(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

/// @{

/// A window class, as RegisterClassA registers it.
typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;
/// @}

/// @{

/// A message taken from the queue.
typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *PMSG, *LPMSG;
/// @}

/// @{

/// CreateWindowExA's arguments, as WM_NCCREATE and WM_CREATE pass them (lParam).
typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;
/// @}

/// @{

/// Two 16-bit words packed into a message parameter, and each taken out again.
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)(((WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
/// @}

/// @{

/// The wParam values of WM_SIZE and WM_ACTIVATE.
#define SIZE_RESTORED 0
#define WA_INACTIVE 0
#define WA_ACTIVE 1
/// @}

/// @{

/// Class styles (WNDCLASSA::style).
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_CLASSDC 0x0040
/// @}

/// @{

/// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
/// @}

/// @{

/// Extended window styles.
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_APPWINDOW 0x00040000u
/// @}

/// CreateWindowExA's position or size left to the system.
#define CW_USEDEFAULT ((int)0x80000000)

/// @{

/// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
/// @}

/// @{

/// What GetSystemMetrics reports: the screen's width and height.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
/// @}

/// @{

/// The values of a window that GetWindowLongA and SetWindowLongA read and write.
#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWLP_USERDATA (-21)
/// @}

/// @{

/// SetWindowPos: where the window goes in the Z order, and what the call leaves alone.
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
/// @}

/// @{

/// Whether PeekMessageA takes the message it finds.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002
/// @}

/// @{

/// MessageBoxA styles and results.
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_ICONHAND 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_TOPMOST 0x00040000u
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
/// @}

/// @{

/// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_USER 0x0400
/// @}

/// @{

/// wParam of the mouse messages: the buttons and keys held.
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010
/// @}

/// @{

/// MsgWaitForMultipleObjects: what wakes the thread.
#define QS_KEY 0x0001
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_SENDMESSAGE 0x0040
#define QS_HOTKEY 0x0080
#define QS_RAWINPUT 0x0400
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY | QS_RAWINPUT)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE)
/// @}

/// @{

/// Virtual keys ('0'-'9' and 'A'-'Z' are their ASCII codes).
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
/// @}

/// @{

/// The shortest and the longest timer period, in milliseconds.
#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF
/// @}

/// @name Window classes and windows
/// @{

/// Registers a window class; 0 when it cannot.
ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
/// Creates a window of a registered class; null when it cannot.
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam);
/// Sends WM_DESTROY, then WM_NCDESTROY, and forgets the window and its timers.
BOOL WINAPI DestroyWindow(HWND hWnd);
/// Shows or hides a window (an SW_ command); whether it was visible before.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
/// Paints what a window's client area needs; nothing needs it on POSIX systems.
BOOL WINAPI UpdateWindow(HWND hWnd);
/// The default handling of a message (WM_CLOSE destroys the window).
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
/// The desktop's window.
HWND WINAPI GetDesktopWindow(void);
/// A system measurement (SM_CXSCREEN, SM_CYSCREEN).
int WINAPI GetSystemMetrics(int nIndex);
/// @}

/// @name Placement
/// @{

/// One of a window's values (GWL_STYLE ...).
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex);
/// Sets one of a window's values; the previous one.
LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);
/// The pointer-sized forms: only GWLP_USERDATA here.
LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);
/// Sets a window's pointer-sized value; the previous one.
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
/// Moves, sizes or reorders a window (the SWP_ flags say which).
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
/// Moves and sizes a window.
BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
/// A window's client area, from (0, 0).
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
/// A point of a window's client area in screen coordinates.
BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint);
/// @}

/// @name Messages
/// @{

/// The next message, if there is one, without waiting; FALSE when there is none.
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
/// Waits for the next message; FALSE for WM_QUIT.
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
/// Posts the WM_CHAR of a key's WM_KEYDOWN, when the key types a character.
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
/// Hands a message to its window's procedure; the procedure's result.
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
/// Waits until a message is there.
BOOL WINAPI WaitMessage(void);
/// Only the message queue can be waited on (nCount 0): returns WAIT_OBJECT_0 once input arrived, a
/// message was posted or a timer is due, WAIT_TIMEOUT after dwMilliseconds without. A virtual
/// clock jumps forward by the time waited instead of sleeping.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask);
/// Calls the window's procedure with a message at once; its result.
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
/// Asks the message loop to end: WM_QUIT, with nExitCode, comes once the queue is empty.
void WINAPI PostQuitMessage(int nExitCode);
/// A key's or mouse button's state as of the last input message taken. The top bit is set while
/// the key or mouse button is down, the lowest bit toggles with every press.
SHORT WINAPI GetKeyState(int nVirtKey);
/// @}

/// @name Timers
/// @{

/// Starts (or restarts) a window's timer nIDEvent: WM_TIMER every uElapse milliseconds. Timers
/// of a window; SetTimer fails (0) without a window or with a timer procedure.
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
/// Stops a window's timer.
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);
/// @}

/// A modal message box; the button pressed (IDOK ...).
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

/// @name Device contexts
/// @{

/// A window's device context (the desktop window's gives the desktop's colour depth).
HDC WINAPI GetDC(HWND hWnd);
/// Gives back a device context of GetDC.
int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
/// @}
