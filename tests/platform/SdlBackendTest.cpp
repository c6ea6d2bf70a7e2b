// The SDL back end, run on SDL's "dummy" video driver: real SDL windows, renderers and events,
// no display needed. What a real X server adds (focus from the window manager, keys typed with
// xdotool, a screenshot of the scene) is checked by tests/platform/xvfb_check.sh.
#include <gtest/gtest.h>

#include <SDL.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/Display.h"
#include "tests/support/HeadlessFixture.h"
#include "platform/win32/LayerControl.h"
#include "platform/gbk/GbkCodec.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlKeyMap.h"
#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlWindow.h"

namespace {

using headlesstest::drain;
using headlesstest::Pairs;
using headlesstest::seen;
using headlesstest::Seen;
using headlesstest::seenPairs;

// "您的桌面不是16位色的，不能在窗口模式下运行" in GBK and in UTF-8.
const char kDepthMessageGbk[] =
    "\xC4\xFA\xB5\xC4\xD7\xC0\xC3\xE6\xB2\xBB\xCA\xC7\x31\x36\xCE\xBB\xC9\xAB\xB5\xC4\xA3\xAC"
    "\xB2\xBB\xC4\xDC\xD4\xDA\xB4\xB0\xBF\xDA\xC4\xA3\xCA\xBD\xCF\xC2\xD4\xCB\xD0\xD0";
const char kDepthMessageUtf8[] =
    "\xE6\x82\xA8\xE7\x9A\x84\xE6\xA1\x8C\xE9\x9D\xA2\xE4\xB8\x8D\xE6\x98\xAF\x31\x36\xE4\xBD"
    "\x8D\xE8\x89\xB2\xE7\x9A\x84\xEF\xBC\x8C\xE4\xB8\x8D\xE8\x83\xBD\xE5\x9C\xA8\xE7\xAA\x97"
    "\xE5\x8F\xA3\xE6\xA8\xA1\xE5\xBC\x8F\xE4\xB8\x8B\xE8\xBF\x90\xE8\xA1\x8C";

// --- GBK text -------------------------------------------------------------------------------

TEST(GbkCodec, ConvertsGbkToUtf8AndBack) {
  GbkCodec codec;
  ASSERT_TRUE(codec.available());
  EXPECT_EQ(codec.toUtf8(kDepthMessageGbk), kDepthMessageUtf8);
  EXPECT_EQ(codec.fromUtf8(kDepthMessageUtf8), kDepthMessageGbk);
  EXPECT_EQ(codec.toUtf8("Out of memory!"), "Out of memory!");
  EXPECT_EQ(codec.toUtf8(""), "");
  EXPECT_EQ(codec.toUtf8(nullptr), "");
  EXPECT_EQ(codec.toUtf8("ok\xC4\xFF"
                         "A"),
            "ok??A");  // damaged text: one '?' a bad byte, and on
  uint32_t codePoint = 0;
  EXPECT_TRUE(codec.toCodePoint(0xC4, 0xFA, codePoint));
  EXPECT_EQ(codePoint, 0x60A8u);                           // 您
  EXPECT_FALSE(codec.toCodePoint(0xC4, 0x20, codePoint));  // not a trail byte
}

// --- keys -----------------------------------------------------------------------------------

TEST(SdlKeyMap, VirtualKeysOfTheDemoKeysAndOthers) {
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 27u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_1, SDL_SCANCODE_1), 0x31u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_4, SDL_SCANCODE_4), 0x34u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_z, SDL_SCANCODE_Z), 0x5Au);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0u);
}

// A read-back ARGB8888 pixel as RGB565 again: renderers widen 5 and 6 bits to 8 in their own
// ways (0x3F may become 0xFC, 0xFD or 0xFF), the top bits are what must survive.
uint16_t rgb565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F));
}

// --- input --------------------------------------------------------------------------------

using platform::BackendEvent;

// SDL events as the X11 driver makes them; SdlLayerTest::push addresses them to its window.
SDL_Event keyEvent(Uint32 type, SDL_Keycode key, SDL_Scancode scancode) {
  SDL_Event event{};
  event.key = SDL_KeyboardEvent{type, 0, 0, Uint8(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED),
                                0,    0, 0, SDL_Keysym{scancode, key, 0, 0}};
  return event;
}
SDL_Event textEvent(const char* text) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  SDL_strlcpy(event.text.text, text, sizeof event.text.text);
  return event;
}
SDL_Event mouseEvent(Uint32 type, int x, int y, Uint8 button = 0) {
  SDL_Event event{};
  if (type == SDL_MOUSEMOTION)
    event.motion = SDL_MouseMotionEvent{type, 0, 0, 0, 0, x, y, 0, 0};
  else
    event.button = SDL_MouseButtonEvent{type, 0, 0, 0, button, 0, 1, 0, x, y};
  return event;
}

TEST(SdlBackendOpen, WithoutADisplayThereIsNoSdlBackend) {
  // SDL would fall back to its offscreen driver here; the program must run headless instead.
  const char* display = std::getenv("DISPLAY");
  const std::string savedDisplay = display != nullptr ? display : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  EXPECT_EQ(SdlBackend::open(), nullptr);
  // A driver asked for by name is used even so (this is how these tests get theirs).
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  std::unique_ptr<SdlBackend> dummy = SdlBackend::open();
  ASSERT_NE(dummy, nullptr);
  EXPECT_STREQ(dummy->name(), "sdl");
  if (!savedDisplay.empty()) setenv("DISPLAY", savedDisplay.c_str(), 1);
}

// --- the back end under the Win32 layer --------------------------------------------------

// The program's side: a window made as the demo makes it, messages taken as its loop takes them.
class SdlLayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    layer::reset();
    std::unique_ptr<SdlBackend> opened = SdlBackend::open();
    ASSERT_NE(opened, nullptr) << SDL_GetError();
    sdl = opened.get();
    platform::installBackend(std::move(opened));

    const int left = (GetSystemMetrics(SM_CXSCREEN) - 640) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 480) / 2;
    window = headlesstest::openWindow("test", left, top, 640, 480, headlesstest::recordingProc);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(sdl->sdlWindowOf(window), nullptr);
  }
  void TearDown() override { layer::reset(); }  // closes the SDL back end

  void pushToWindow(SDL_Event event) {
    const Uint32 id = sdl->sdlWindowOf(window)->id();
    if (event.type == SDL_TEXTINPUT) event.text.windowID = id;
    if (event.type == SDL_WINDOWEVENT) event.window.windowID = id;
    if (event.type == SDL_MOUSEMOTION) event.motion.windowID = id;
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) event.button.windowID = id;
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) event.key.windowID = id;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }

  SdlBackend* sdl = nullptr;
  HWND window = nullptr;
};

TEST_F(SdlLayerTest, TheDesktopLooksSixteenBitAndTheWindowFollowsItsStyle) {
  HDC desktop = GetDC(GetDesktopWindow());
  EXPECT_EQ(GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL), 16);
  ReleaseDC(GetDesktopWindow(), desktop);
  // The popup is bare; the overlapped window the display makes of it gets the window manager's
  // frame around its client area, which stays the whole window rectangle.
  EXPECT_FALSE(sdl->sdlWindowOf(window)->framed());
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_SYSMENU | WS_MINIMIZEBOX));
  SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(sdl->sdlWindowOf(window)->framed());
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(sdl->sdlWindowOf(window)->handle(), &width, &height);
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(800, 600));
}

TEST_F(SdlLayerTest, KeysArriveAsKeyDownThenChar) {
  drain();
  seen.clear();
  pushToWindow(keyEvent(SDL_KEYDOWN, SDLK_1, SDL_SCANCODE_1));
  pushToWindow(textEvent("1"));
  pushToWindow(keyEvent(SDL_KEYUP, SDLK_1, SDL_SCANCODE_1));
  pushToWindow(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
  drain();
  pushToWindow(textEvent("\xE6\x82\xA8"));  // 您, typed through an input method: GBK characters
  drain();
  EXPECT_EQ(
      seenPairs(),
      Pairs({{WM_KEYDOWN, 0x31}, {WM_CHAR, '1'}, {WM_KEYDOWN, 27}, {WM_CHAR, 27}, {WM_CHAR, 0xC4}, {WM_CHAR, 0xFA}}));
}

TEST_F(SdlLayerTest, MousePositionsArriveInPicturePixelsWhateverTheScale) {
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 640, 480));
  drain();
  seen.clear();
  // A window manager made the window twice the client size.
  SDL_SetWindowSize(sdl->sdlWindowOf(window)->handle(), 1280, 960);
  pushToWindow(mouseEvent(SDL_MOUSEMOTION, 200, 100));
  pushToWindow(mouseEvent(SDL_MOUSEBUTTONDOWN, 1279, 959, SDL_BUTTON_RIGHT));
  pushToWindow(mouseEvent(SDL_MOUSEBUTTONUP, 1400, -5, SDL_BUTTON_RIGHT));  // dragged out: the nearest edge
  drain();
  // Full screen at 640 x 360 on the 4:3 screen of the dummy driver (1024 x 768): scaled by 1.6
  // between bars of 96 rows.
  Display fullScreen;
  ASSERT_TRUE(fullScreen.initFullScreen(window, 640, 360));
  drain();
  pushToWindow(mouseEvent(SDL_MOUSEMOTION, 512, 384));
  pushToWindow(mouseEvent(SDL_MOUSEBUTTONDOWN, 1, 20, SDL_BUTTON_MIDDLE));  // in the top bar
  drain();
  std::vector<LPARAM> positions;
  for (const Seen& one : seen) {
    if (one.message >= WM_MOUSEMOVE) positions.push_back(one.lParam);
  }
  EXPECT_EQ(positions, std::vector<LPARAM>({MAKELPARAM(100, 50), MAKELPARAM(639, 479), MAKELPARAM(639, 0),
                                            MAKELPARAM(320, 180), MAKELPARAM(0, 0)}));
  EXPECT_EQ(seenPairs(), (Pairs{{WM_MOUSEMOVE, 0},
                                {WM_RBUTTONDOWN, MK_RBUTTON},
                                {WM_RBUTTONUP, 0},
                                {WM_MOUSEMOVE, 0},
                                {WM_MBUTTONDOWN, MK_MBUTTON}}));
}

TEST_F(SdlLayerTest, TheCloseButtonEndsInDestroyAndQuit) {
  drain();
  SDL_Event close{};
  close.window = SDL_WindowEvent{SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_CLOSE, 0, 0, 0, 0, 0};
  pushToWindow(close);
  MSG message;
  int got = 0;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) DispatchMessageA(&message);
  EXPECT_EQ(got, 0);  // WM_QUIT
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(sdl->sdlWindowOf(window), nullptr);
}

// The display device's frames, through DirectDraw, the layer and this back end, into the window.
TEST_F(SdlLayerTest, DisplayFramesReachTheWindowWindowedAndFullScreen) {
  drain();
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 640, 480));
  SdlWindow* sdlWindow = sdl->sdlWindowOf(window);
  int width = 0;
  int height = 0;
  sdlWindow->clientSize(&width, &height);
  ASSERT_EQ(std::make_pair(width, height), std::make_pair(640, 480));
  // Code c is shown as the word c * 0x101.
  std::fill(display.buffer, display.buffer + display.bufferSize, 0x12);
  display.buffer[0] = 0xF8;
  display.buffer[479 * 640 + 639] = 0xFF;
  display.present();
  std::vector<uint32_t> shown;
  ASSERT_TRUE(sdlWindow->readPixels(shown, width, height));
  ASSERT_EQ(width, 640);
  EXPECT_EQ(std::vector<uint16_t>(
                {rgb565(shown[0]), rgb565(shown[1]), rgb565(shown[240 * 640 + 320]), rgb565(shown[479 * 640 + 639])}),
            std::vector<uint16_t>({0xF8F8, 0x1212, 0x1212, 0xFFFF}));

  // The 800 x 600 frame fills the 4:3 screen (1024 x 768 with the dummy driver).
  Display fullScreen;
  ASSERT_TRUE(fullScreen.initFullScreen(window, 800, 600));
  EXPECT_TRUE(sdlWindow->fullScreen());
  std::fill(fullScreen.buffer, fullScreen.buffer + fullScreen.bufferSize, 0x34);
  fullScreen.buffer[599 * 800 + 799] = 0xFF;
  fullScreen.present();
  ASSERT_TRUE(sdlWindow->readPixels(shown, width, height));
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  ASSERT_EQ(std::make_pair(width, height), std::make_pair(desktop.w, desktop.h));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);  // the program sees its display mode
  EXPECT_EQ(rgb565(shown[0]), 0x3434u);
  EXPECT_EQ(rgb565(shown.back()), 0xFFFFu);
}

}  // namespace
