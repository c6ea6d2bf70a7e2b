// user32 message and timer functions over the MessageQueue.
#include <windows.h>

#include "platform/win32/CallLog.h"
#include "platform/win32/Clock.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/WindowManager.h"

using platform::callLog;
using platform::formatArgs;
using platform::messageQueue;
using platform::windowManager;

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) return FALSE;
  return messageQueue().peek(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) return -1;
  if (hWnd && hWnd != reinterpret_cast<HWND>(-1) && !windowManager().find(hWnd)) return -1;
  return messageQueue().get(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (!lpMsg || lpMsg->message != WM_KEYDOWN) return FALSE;
  uint32_t character = messageQueue().characterOfKey(*lpMsg);
  if (!character) return FALSE;
  messageQueue().post(lpMsg->hwnd, WM_CHAR, character, lpMsg->lParam);
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  return windowManager().send(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI WaitMessage(void) {
  callLog().add("WaitMessage", "");
  messageQueue().wait();
  return TRUE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask) {
  (void)pHandles;
  (void)fWaitAll;
  (void)dwWakeMask;  // any message or input wakes the thread
  // A frame-paced loop waits here every frame: nothing is formatted unless the log records.
  if (callLog().enabled()) {
    callLog().add("MsgWaitForMultipleObjects", formatArgs("count=%u milliseconds=%u", nCount, dwMilliseconds));
  }
  if (nCount != 0) return WAIT_FAILED;  // there are no other objects to wait on here
  return messageQueue().waitFor(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return windowManager().send(hWnd, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
  callLog().add("PostQuitMessage", formatArgs("code=%d", nExitCode));
  messageQueue().postQuit(nExitCode);
}

SHORT WINAPI GetKeyState(int nVirtKey) {
  const platform::InputState& state = messageQueue().inputState();
  const uint32_t key = static_cast<uint32_t>(nVirtKey);
  return static_cast<SHORT>((state.down(key) ? 0x8000 : 0) | (state.toggled(key) ? 1 : 0));
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  callLog().add("SetTimer", formatArgs("id=%lu elapse=%u", static_cast<unsigned long>(nIDEvent), uElapse), hWnd);
  if (lpTimerFunc || !windowManager().find(hWnd)) return 0;
  return messageQueue().timers().set(hWnd, nIDEvent, uElapse, platform::systemClock().now());
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  callLog().add("KillTimer", formatArgs("id=%lu", static_cast<unsigned long>(uIDEvent)), hWnd);
  return messageQueue().timers().kill(hWnd, uIDEvent) ? TRUE : FALSE;
}
