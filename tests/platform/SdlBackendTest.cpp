// The SDL back end, run on SDL's "dummy" video driver: real SDL windows, renderers and events,
// no display needed. What a real X server adds (focus from the window manager, keys typed with
// xdotool, a screenshot of the scene) is checked by tests/platform/xvfb_check.sh.
#include <gtest/gtest.h>

#include <SDL.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "display/Display.h"
#include "platform/win32/LayerControl.h"
#include "platform/gbk/GbkCodec.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlKeyMap.h"
#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlWindow.h"

namespace {

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
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_0, SDL_SCANCODE_0), 0x30u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_a, SDL_SCANCODE_A), 0x41u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_z, SDL_SCANCODE_Z), 0x5Au);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_RETURN, SDL_SCANCODE_RETURN), 0x0Du);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_SPACE, SDL_SCANCODE_SPACE), 0x20u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_LEFT, SDL_SCANCODE_LEFT), 0x25u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_F1, SDL_SCANCODE_F1), 0x70u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_F12, SDL_SCANCODE_F12), 0x7Bu);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_KP_7, SDL_SCANCODE_KP_7), 0x67u);
  EXPECT_EQ(SdlKeyMap::virtualKey(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0u);
}

// --- message boxes --------------------------------------------------------------------------

TEST(SdlMessageBox, ButtonsAndIconsOfTheStyles) {
  SdlMessageBox::Layout ok = SdlMessageBox::layoutOf(0);  // MB_OK
  ASSERT_EQ(ok.buttonCount, 1);
  EXPECT_EQ(ok.buttonIds[0], 1);
  EXPECT_EQ(ok.flags, 0u);

  SdlMessageBox::Layout ync = SdlMessageBox::layoutOf(3 | 0x20);  // MB_YESNOCANCEL|MB_ICONQUESTION
  ASSERT_EQ(ync.buttonCount, 3);
  EXPECT_EQ(ync.buttonIds[0], 6);
  EXPECT_EQ(ync.buttonIds[1], 7);
  EXPECT_EQ(ync.buttonIds[2], 2);
  EXPECT_EQ(ync.escapeButton, 2);
  EXPECT_EQ(ync.flags, static_cast<Uint32>(SDL_MESSAGEBOX_INFORMATION));

  EXPECT_EQ(SdlMessageBox::layoutOf(0x10).flags, static_cast<Uint32>(SDL_MESSAGEBOX_ERROR));
  EXPECT_EQ(SdlMessageBox::layoutOf(4).escapeButton, 0);  // MB_YESNO cannot be escaped
}

TEST(SdlMessageBox, WithoutADisplayItReturnsAtOnceWithZero) {
  // No X server and no Wayland compositor to talk to: the box cannot appear, and the call
  // must come back instead of waiting for a click that can never happen.
  std::string savedDisplay = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  GbkCodec codec;
  EXPECT_EQ(SdlMessageBox::show(codec, nullptr, kDepthMessageGbk, "ERROR", 0), 0);
  if (!savedDisplay.empty()) setenv("DISPLAY", savedDisplay.c_str(), 1);
}

// --- window presentation ---------------------------------------------------------------------

// A read-back ARGB8888 pixel as RGB565 again: renderers widen 5 and 6 bits to 8 in their own
// ways (0x3F may become 0xFC, 0xFD or 0xFF), the top bits are what must survive.
uint16_t rgb565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F));
}

class SdlWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  }
  static void TearDownTestSuite() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

TEST_F(SdlWindowTest, PictureIsScaledIntoTheClientArea) {
  SdlWindow window;
  ASSERT_TRUE(window.create("test", 0, 0, 64, 48, false)) << SDL_GetError();
  window.show();
  // 32 x 24 picture, rows padded to 40 pixels: red, one green pixel at (0, 0) and one blue
  // pixel at (31, 23). RGB565: red 0xF800, green 0x07E0, blue 0x001F.
  std::vector<uint16_t> picture(40 * 24, 0xF800);
  picture[0] = 0x07E0;
  picture[23 * 40 + 31] = 0x001F;
  picture[5 * 40 + 35] = 0xFFFF;  // in the padding: must not show
  ASSERT_TRUE(window.present(picture.data(), 32, 24, 40 * 2, nullptr));

  std::vector<uint32_t> shown;
  int width = 0;
  int height = 0;
  ASSERT_TRUE(window.readPixels(shown, width, height));
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 48);
  EXPECT_EQ(rgb565(shown[0]), 0x07E0u);
  EXPECT_EQ(rgb565(shown[1 * 64 + 1]), 0x07E0u);  // scaled twice: 2 x 2 pixels
  EXPECT_EQ(rgb565(shown[2]), 0xF800u);
  EXPECT_EQ(rgb565(shown[47 * 64 + 63]), 0x001Fu);
  EXPECT_EQ(rgb565(shown[46 * 64 + 62]), 0x001Fu);
  EXPECT_EQ(rgb565(shown[46 * 64 + 61]), 0xF800u);
  for (uint32_t pixel : shown) {
    ASSERT_NE(rgb565(pixel), 0xFFFFu);
  }
}

// --- input --------------------------------------------------------------------------------

using platform::BackendEvent;

// SDL events as the X11 driver makes them, for window 7 unless moved elsewhere.
SDL_Event keyEvent(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 mod = 0) {
  SDL_Event event;
  SDL_zero(event);
  event.type = type;
  event.key.windowID = 7;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = scancode;
  event.key.keysym.mod = mod;
  return event;
}
SDL_Event textEvent(const char* text) {
  SDL_Event event;
  SDL_zero(event);
  event.type = SDL_TEXTINPUT;
  event.text.windowID = 7;
  SDL_strlcpy(event.text.text, text, sizeof event.text.text);
  return event;
}
SDL_Event windowEvent(Uint8 what) {
  SDL_Event event;
  SDL_zero(event);
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = 7;
  event.window.event = what;
  return event;
}

class SdlInputTest : public SdlWindowTest {
protected:
  void SetUp() override {
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    input.addWindow(7, mainWindow);
  }

  std::vector<BackendEvent> drain() {
    std::vector<BackendEvent> out;
    BackendEvent event;
    while (input.pollEvent(event)) out.push_back(event);
    return out;
  }

  // The events drained, as (type, key, character).
  std::vector<std::tuple<BackendEvent::Type, uint32_t, uint32_t>> drainKeys() {
    std::vector<std::tuple<BackendEvent::Type, uint32_t, uint32_t>> out;
    for (const BackendEvent& event : drain()) out.emplace_back(event.type, event.key, event.character);
    return out;
  }
  using Keys = std::vector<std::tuple<BackendEvent::Type, uint32_t, uint32_t>>;

  HWND mainWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000));
  GbkCodec codec;
  SdlInput input{codec};
};

TEST_F(SdlInputTest, PrintableKeyCarriesItsTextAsTheCharacter) {
  // SDL queues the key and its text together; the text is taken into the key event.
  SDL_Event text = textEvent("1");
  ASSERT_EQ(SDL_PushEvent(&text), 1);
  input.translate(keyEvent(SDL_KEYDOWN, SDLK_1, SDL_SCANCODE_1));
  std::vector<BackendEvent> events = drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].window, mainWindow);
  EXPECT_EQ(std::make_tuple(events[0].type, events[0].key, events[0].character),
            std::make_tuple(BackendEvent::Type::KeyDown, 0x31u, static_cast<uint32_t>('1')));
}

TEST_F(SdlInputTest, TypedChineseArrivesAsGbkBytesInOrder) {
  input.translate(
      textEvent("\xE6\x82\xA8"
                "A"));  // "您A"
  EXPECT_EQ(drainKeys(), Keys({{BackendEvent::Type::Char, 0, 0xC4},
                               {BackendEvent::Type::Char, 0, 0xFA},
                               {BackendEvent::Type::Char, 0, 'A'}}));
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

struct Seen {
  UINT message;
  WPARAM wParam;
};
std::vector<Seen> seen;

// The messages seen, as (message, wParam) pairs.
using Pairs = std::vector<std::pair<UINT, WPARAM>>;
Pairs seenPairs() {
  Pairs out;
  for (const Seen& one : seen) out.emplace_back(one.message, one.wParam);
  return out;
}

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATEAPP || message == WM_KEYDOWN || message == WM_CHAR || message == WM_TIMER ||
      message == WM_DESTROY) {
    seen.push_back(Seen{message, wParam});
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The program's side: a window made as the demo makes it, messages taken as its loop takes them.
class SdlLayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    layer::reset();
    seen.clear();
    std::unique_ptr<SdlBackend> opened = SdlBackend::open();
    ASSERT_NE(opened, nullptr) << SDL_GetError();
    sdl = opened.get();
    platform::installBackend(std::move(opened));

    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = "test";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - 640) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 480) / 2;
    window = CreateWindowExA(0, "test", "test", WS_POPUP, left, top, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(sdl->sdlWindowOf(window), nullptr);
  }
  void TearDown() override { layer::reset(); }  // closes the SDL back end

  void drain() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  void pushToWindow(SDL_Event event) {
    const Uint32 id = sdl->sdlWindowOf(window)->id();
    if (event.type == SDL_TEXTINPUT)
      event.text.windowID = id;
    else if (event.type == SDL_WINDOWEVENT)
      event.window.windowID = id;
    else
      event.key.windowID = id;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }

  SdlBackend* sdl = nullptr;
  HWND window = nullptr;
};

TEST_F(SdlLayerTest, TheDesktopLooksSixteenBitAndWindowsHaveNoFrameOfTheirOwn) {
  SDL_DisplayMode mode;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), mode.w);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), mode.h);
  HDC desktop = GetDC(GetDesktopWindow());
  EXPECT_EQ(GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL), 16);
  ReleaseDC(GetDesktopWindow(), desktop);

  // The popup is bare; the overlapped window the display turns it into gets the window
  // manager's frame around its client area, which stays the whole window rectangle.
  SDL_Window* sdlWindow = sdl->sdlWindowOf(window)->handle();
  EXPECT_FALSE(sdl->sdlWindowOf(window)->framed());
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  SetWindowLongA(window, GWL_STYLE, (style & ~static_cast<LONG>(WS_POPUP)) | WS_SYSMENU | WS_MINIMIZEBOX);
  SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(sdl->sdlWindowOf(window)->framed());
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(sdlWindow, &width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
}

TEST_F(SdlLayerTest, KeysArriveAsKeyDownThenChar) {
  ShowWindow(window, SW_SHOW);
  drain();
  seen.clear();
  pushToWindow(keyEvent(SDL_KEYDOWN, SDLK_1, SDL_SCANCODE_1));
  pushToWindow(textEvent("1"));
  pushToWindow(keyEvent(SDL_KEYUP, SDLK_1, SDL_SCANCODE_1));
  pushToWindow(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
  drain();
  EXPECT_EQ(seenPairs(), Pairs({{WM_KEYDOWN, 0x31}, {WM_CHAR, '1'}, {WM_KEYDOWN, 27}, {WM_CHAR, 27}}));
}

TEST_F(SdlLayerTest, TheCloseButtonEndsInDestroyAndQuit) {
  ShowWindow(window, SW_SHOW);
  drain();
  pushToWindow(windowEvent(SDL_WINDOWEVENT_CLOSE));
  MSG message;
  int got = 0;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) DispatchMessageA(&message);
  EXPECT_EQ(got, 0);  // WM_QUIT
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(sdl->sdlWindowOf(window), nullptr);
}

TEST_F(SdlLayerTest, WaitingForAMessageWakesUpForTheNextTimer) {
  ShowWindow(window, SW_SHOW);
  drain();
  ASSERT_NE(SetTimer(window, 1, 20, nullptr), 0u);
  // No input will come: only the timer can end this wait.
  MSG message;
  ASSERT_GT(GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(message.wParam, 1u);
  KillTimer(window, 1);
}

// The display device's frames, through DirectDraw, the layer and this back end, into the window.
TEST_F(SdlLayerTest, DisplayFramesReachTheWindowWindowedAndFullScreen) {
  ShowWindow(window, SW_SHOW);
  drain();
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 640, 480));
  SdlWindow* sdlWindow = sdl->sdlWindowOf(window);
  int width = 0;
  int height = 0;
  sdlWindow->clientSize(&width, &height);
  ASSERT_EQ(width, 640);
  ASSERT_EQ(height, 480);

  // Code c is shown as the word c * 0x101.
  std::fill(display.buffer, display.buffer + display.bufferSize, 0x12);
  display.buffer[0] = 0xF8;
  display.buffer[479 * 640 + 639] = 0xFF;
  display.present();
  std::vector<uint32_t> shown;
  ASSERT_TRUE(sdlWindow->readPixels(shown, width, height));
  ASSERT_EQ(width, 640);
  EXPECT_EQ(rgb565(shown[0]), 0xF8F8u);
  EXPECT_EQ(rgb565(shown[1]), 0x1212u);
  EXPECT_EQ(rgb565(shown[240 * 640 + 320]), 0x1212u);
  EXPECT_EQ(rgb565(shown[479 * 640 + 639]), 0xFFFFu);

  Display fullScreen;
  ASSERT_TRUE(fullScreen.initFullScreen(window, 800, 600));
  EXPECT_TRUE(sdlWindow->fullScreen());
  std::fill(fullScreen.buffer, fullScreen.buffer + fullScreen.bufferSize, 0x34);
  fullScreen.buffer[599 * 800 + 799] = 0xFF;
  fullScreen.present();
  // The 800 x 600 frame fills the 4:3 screen (1024 x 768 with the dummy driver).
  std::vector<uint32_t> screen;
  ASSERT_TRUE(sdlWindow->readPixels(screen, width, height));
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  ASSERT_EQ(width, desktop.w);
  ASSERT_EQ(height, desktop.h);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);  // the program sees its display mode
  EXPECT_EQ(rgb565(screen[0]), 0x3434u);
  EXPECT_EQ(rgb565(screen[static_cast<size_t>(height) * width - 1]), 0xFFFFu);
}

}  // namespace
