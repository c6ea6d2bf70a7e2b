// Windows, the message queue and timers of the Win32 layer, on the headless back end.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessControl.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
};
std::vector<Seen> seen;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back(Seen{message, wParam});
  if (message == WM_DESTROY) PostQuitMessage(7);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> messagesOf(UINT first, UINT last) {
  std::vector<UINT> found;
  for (const Seen& s : seen) {
    if (s.message >= first && s.message <= last) found.push_back(s.message);
  }
  return found;
}

class MessageLoopTest : public ::testing::Test {
protected:
  void SetUp() override {
    headless::reset();
    seen.clear();
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "test";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window = CreateWindowExA(0, "test", "test", WS_POPUP, 10, 20, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }

  // Takes every message there is now, dispatching each; returns their identifiers.
  std::vector<UINT> drain() {
    std::vector<UINT> taken;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      taken.push_back(message.message);
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return taken;
  }

  HWND window = nullptr;
};

TEST_F(MessageLoopTest, WindowsAreMadeFromRegisteredClassesOnly) {
  EXPECT_EQ(CreateWindowExA(0, "nosuchclass", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  WNDCLASSA again{};
  again.lpfnWndProc = recordingProc;
  again.lpszClassName = "TEST";  // class names ignore case
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_TRUE(IsWindow(window));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().message, static_cast<UINT>(WM_NCCREATE));
}

TEST_F(MessageLoopTest, ShowingTheWindowActivatesTheApplicationOnce) {
  ShowWindow(window, SW_SHOW);
  ShowWindow(window, SW_SHOW);
  std::vector<Seen> activations;
  for (const Seen& s : seen) {
    if (s.message == WM_ACTIVATEAPP) activations.push_back(s);
  }
  ASSERT_EQ(activations.size(), 1u);
  EXPECT_EQ(activations[0].wParam, static_cast<WPARAM>(TRUE));
}

TEST_F(MessageLoopTest, PostedMessagesComeInOrderAndQuitComesAfterThem) {
  PostMessageA(window, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  PostMessageA(window, WM_USER + 2, 0, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(message.hwnd, window);
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, PeekWithoutRemovingLeavesQuitInTheQueue) {
  PostQuitMessage(0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
}

TEST_F(MessageLoopTest, SendMessageCallsTheProcedureAtOnce) {
  seen.clear();
  SendMessageA(window, WM_TIMER, 1, 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_TIMER));
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(MessageLoopTest, KeysBecomeKeyDownThenCharThroughTranslateMessage) {
  headless::postKey('1', '1');
  headless::postKey(VK_ESCAPE);
  seen.clear();
  std::vector<UINT> taken = drain();
  std::vector<UINT> expected{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_CHAR, WM_KEYUP};
  EXPECT_EQ(taken, expected);
  std::vector<WPARAM> chars;
  for (const Seen& s : seen) {
    if (s.message == WM_CHAR) chars.push_back(s.wParam);
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{'1', VK_ESCAPE}));
}

TEST_F(MessageLoopTest, ClosingTheWindowDestroysIt) {
  headless::postClose();
  std::vector<UINT> taken = drain();
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken.back(), static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(messagesOf(WM_DESTROY, WM_DESTROY).size(), 1u);
  EXPECT_EQ(messagesOf(WM_CLOSE, WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(MessageLoopTest, ActivationIsSentNotPosted) {
  ShowWindow(window, SW_SHOW);
  headless::postActivate(false);
  seen.clear();
  std::vector<UINT> taken = drain();
  EXPECT_TRUE(taken.empty());
  ASSERT_EQ(messagesOf(WM_ACTIVATEAPP, WM_ACTIVATEAPP).size(), 1u);
}

TEST_F(MessageLoopTest, TimersArriveThroughTheLoopOnTheClock) {
  headless::useVirtualClock();
  ASSERT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
  ASSERT_EQ(SetTimer(window, 2, 1000, nullptr), 2u);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  headless::advanceMilliseconds(99);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  headless::advanceMilliseconds(1);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(message.hwnd, window);
  // One message per due timer however long it was overdue; the period restarts when it is taken.
  headless::advanceMilliseconds(950);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.wParam, 1u);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, PostedMessagesAndQuitComeBeforeTimers) {
  headless::useVirtualClock();
  SetTimer(window, 5, 10, nullptr);
  headless::advanceMilliseconds(20);
  PostMessageA(window, WM_USER, 0, 0);
  PostQuitMessage(0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
}

TEST_F(MessageLoopTest, KilledTimersStopAndUnknownOnesReportFailure) {
  headless::useVirtualClock();
  SetTimer(window, 1, 100, nullptr);
  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_FALSE(KillTimer(window, 1));
  headless::advanceMilliseconds(1000);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, SettingATimerAgainRestartsItAndShortPeriodsAreRaisedToTheMinimum) {
  headless::useVirtualClock();
  SetTimer(window, 1, 100, nullptr);
  headless::advanceMilliseconds(60);
  SetTimer(window, 1, 100, nullptr);  // same window and identifier: replaced, not doubled
  headless::advanceMilliseconds(60);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  headless::advanceMilliseconds(40);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  SetTimer(window, 2, 1, nullptr);
  headless::advanceMilliseconds(9);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  headless::advanceMilliseconds(1);
  EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, DestroyingAWindowStopsItsTimersAndFiltersSeeOnlyItsMessages) {
  headless::useVirtualClock();
  HWND other = CreateWindowExA(0, "test", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  PostMessageA(window, WM_USER, 1, 0);
  PostMessageA(other, WM_USER, 2, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, other, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&message, other, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(message.wParam, 1u);
  SetTimer(other, 9, 10, nullptr);
  DestroyWindow(other);
  headless::advanceMilliseconds(100);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));  // posted by the procedure on WM_DESTROY
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&message, other, 0, 0), -1);
}

TEST_F(MessageLoopTest, GetMessageSleepsOnAVirtualClockUntilTheTimerIsDue) {
  headless::useVirtualClock(0);
  SetTimer(window, 1, 250, nullptr);
  MSG message;
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(headless::clockTicks(), 250 * headless::kClockFrequency / 1000);
  LARGE_INTEGER counter;
  ASSERT_TRUE(QueryPerformanceCounter(&counter));
  EXPECT_EQ(counter.QuadPart, headless::clockTicks());
}

TEST_F(MessageLoopTest, WaitMessageReturnsWhenHeldInputArrives) {
  headless::useVirtualClock(0);
  platform::BackendEvent activate;
  activate.type = platform::BackendEvent::Type::Activate;
  activate.active = true;
  headless::postAtMilliseconds(500, activate);
  seen.clear();
  WaitMessage();
  EXPECT_EQ(headless::clockTicks(), 500 * headless::kClockFrequency / 1000);
  EXPECT_EQ(messagesOf(WM_ACTIVATEAPP, WM_ACTIVATEAPP).size(), 1u);
}

TEST_F(MessageLoopTest, TimerProceduresAreCalledByDispatch) {
  static int calls = 0;
  calls = 0;
  headless::useVirtualClock();
  UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  headless::advanceMilliseconds(10);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageA(&message);
  EXPECT_EQ(calls, 1);
}

TEST_F(MessageLoopTest, PlacementSetsOuterAndClientRectangles) {
  headless::setWindowFrame(true);
  LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(static_cast<DWORD>(style), WS_POPUP);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((style & ~WS_POPUP) | WS_SYSMENU | WS_MINIMIZEBOX));
  SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveWindow(window, 112, 84, 800, 600, TRUE);
  RECT outer;
  ASSERT_TRUE(GetWindowRect(window, &outer));
  EXPECT_EQ(outer.left, 112);
  EXPECT_EQ(outer.bottom, 684);
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_LT(client.right, 800);  // the caption and border take their share
  EXPECT_LT(client.bottom, 600);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  EXPECT_GT(origin.x, 112);
  EXPECT_GT(origin.y, 84);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  headless::setDesktop(16, 1280, 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
}

TEST_F(MessageLoopTest, TheVirtualClockDrivesEveryTimeFunction) {
  headless::useVirtualClock(0);
  LARGE_INTEGER frequency;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, headless::kClockFrequency);
  DWORD before = GetTickCount();
  Sleep(1500);
  EXPECT_EQ(GetTickCount() - before, 1500u);
  headless::setFixedFrameRate(60);
  int64_t start = headless::clockTicks();
  // Without frames nothing moves.
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  EXPECT_EQ(counter.QuadPart, start);
}

TEST_F(MessageLoopTest, ZOrderFlagsAndPlacementFlagsAreHonoured) {
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 10);  // SWP_NOMOVE kept the place
  EXPECT_EQ(outer.right - outer.left, 640);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(window, HWND_TOPMOST, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 5);
  EXPECT_EQ(outer.top, 6);
  EXPECT_EQ(outer.bottom - outer.top, 480);
  seen.clear();
  MoveWindow(window, 5, 6, 300, 200, TRUE);
  std::vector<UINT> sizes = messagesOf(WM_SIZE, WM_SIZE);
  EXPECT_EQ(sizes.size(), 1u);
  EXPECT_TRUE(messagesOf(WM_MOVE, WM_MOVE).empty());
}

TEST_F(MessageLoopTest, MessageBoxesAreRecordedWithOwnerTextAndCaption) {
  headless::recordCalls(true);
  EXPECT_EQ(MessageBoxA(window, "1", "", MB_OK), IDOK);
  std::vector<headless::CallRecord> boxes = headless::callsOf("MessageBoxA");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].window, window);
  EXPECT_EQ(boxes[0].text, "1");
  EXPECT_EQ(boxes[0].caption, "");
  EXPECT_EQ(boxes[0].args, "style=0x0");
  EXPECT_EQ(headless::messageBoxCount(), 1);
}

}  // namespace
