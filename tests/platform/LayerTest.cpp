// The Win32 layer on the headless back end, as the programs use it: the message queue, keys,
// timers and window placement; DirectDraw blits, clipping, flips and lost surfaces; GBK text.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/UnifontHex.h"
#include "tests/support/HeadlessFixture.h"

namespace {

using headlesstest::drain;
using headlesstest::emptyDesc;
using headlesstest::Pairs;
using headlesstest::seenPairs;
using Type = platform::BackendEvent::Type;

class LayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    window = headlesstest::freshWindow("test", 100, 50, 320, 240, headlesstest::recordingProc);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  }
  void TearDown() override {
    for (IUnknown* object : std::initializer_list<IUnknown*>{back, primary, directDraw}) {
      if (object) object->Release();
    }
  }

  // The display's windowed set-up: primary, an off-screen back surface, a clipper on the window.
  void makeWindowed(int width, int height) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 desc = emptyDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &back, nullptr), DD_OK);
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
    clipper->Release();
  }

  // Writes pixel(x, y) = f(x, y) over the whole surface through Lock.
  template <typename F>
  void paint(LPDIRECTDRAWSURFACE7 surface, F f) {
    DDSURFACEDESC2 desc = emptyDesc();
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(static_cast<char*>(desc.lpSurface) + y * desc.lPitch);
      for (DWORD x = 0; x < desc.dwWidth; ++x) row[x] = f(static_cast<int>(x), static_cast<int>(y));
    }
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
  }

  uint16_t pixelAt(LPDIRECTDRAWSURFACE7 surface, int x, int y) {
    DDSURFACEDESC2 desc = emptyDesc();
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t value = reinterpret_cast<uint16_t*>(static_cast<char*>(desc.lpSurface) + y * desc.lPitch)[x];
    surface->Unlock(nullptr);
    return value;
  }

  HWND window = nullptr;
  LPDIRECTDRAW7 directDraw = nullptr;
  LPDIRECTDRAWSURFACE7 primary = nullptr;
  LPDIRECTDRAWSURFACE7 back = nullptr;
};

TEST_F(LayerTest, MessagesComePostedFirstThenQuitThenTimersAndKeysGiveTheirCharacters) {
  layer::useVirtualClock();
  ASSERT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
  EXPECT_EQ(SetTimer(nullptr, 2, 100, nullptr), 0u);  // only timers of a window
  layer::advanceMilliseconds(250);
  headless::postKey('1', '1');
  headless::postKey(VK_ESCAPE);
  PostQuitMessage(3);
  // Input, then the quit, then one WM_TIMER however long the timer was overdue.
  EXPECT_EQ(drain(), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_QUIT}));
  EXPECT_EQ(drain(), (std::vector<UINT>{WM_TIMER}));
  EXPECT_EQ(seenPairs(),
            (Pairs{{WM_KEYDOWN, '1'}, {WM_CHAR, '1'}, {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, VK_ESCAPE}, {WM_TIMER, 1}}));
  EXPECT_TRUE(drain().empty());
  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_FALSE(KillTimer(window, 1));
}

TEST_F(LayerTest, WaitingOnAVirtualClockJumpsToTheTimerAndHeldInput) {
  layer::useVirtualClock();
  SetTimer(window, 1, 100, nullptr);
  SetTimer(window, 2, 1000, nullptr);
  MSG message;
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  DispatchMessageA(&message);
  EXPECT_EQ(layer::clockTicks(), layer::kClockFrequency / 10);
  KillTimer(window, 1);
  platform::BackendEvent close;
  close.type = Type::Close;
  headless::postAtMilliseconds(500, close);
  WaitMessage();
  EXPECT_EQ(layer::clockTicks(), layer::kClockFrequency / 2);
  // Closing destroys the window, whose procedure quits with 7.
  EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_EQ(seenPairs(), (Pairs{{WM_TIMER, 1}, {WM_CLOSE, 0}, {WM_DESTROY, 0}}));
  // With no window left and nothing to wait for, the run ends rather than hangs.
  EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
}

TEST_F(LayerTest, MsgWaitForMultipleObjectsEndsWithInputOrItsTimeout) {
  // A virtual clock moves on to what ends the wait: the timeout, or the input.
  layer::useVirtualClock();
  headless::postAtMilliseconds(30, platform::BackendEvent{Type::KeyDown});
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);
  EXPECT_EQ(layer::clockTicks(), layer::kClockFrequency / 50);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 500, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_EQ(layer::clockTicks(), layer::kClockFrequency * 3 / 100);
}

TEST_F(LayerTest, BlitsLandInTheClientAreaAndTheClipperKeepsThemThere) {
  makeWindowed(320, 240);
  paint(back, [](int x, int y) { return static_cast<uint16_t>((x < 160 ? 0xF800 : 0x001F) | (y < 120 ? 0 : 0x07E0)); });
  RECT target{100, 50, 420, 290};
  ASSERT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(layer::presentedFrames(), 1u);
  std::vector<uint16_t> picture = headlesstest::presented();
  ASSERT_EQ(picture.size(), 320u * 240u);
  EXPECT_EQ(std::vector<uint16_t>({picture[0], picture[319], picture[239 * 320], picture[159], picture[160]}),
            std::vector<uint16_t>({0xF800, 0x001F, 0xF800 | 0x07E0, 0xF800, 0x001F}));
  // A destination much larger than the window, and a colour fill: only the client area changes.
  RECT huge{0, 0, 1024, 768};
  ASSERT_EQ(primary->Blt(&huge, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  DDBLTFX effects{};
  effects.dwSize = sizeof effects;
  effects.dwFillColor = 0x1234;
  ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DD_OK);
  EXPECT_EQ(std::vector<uint16_t>({pixelAt(primary, 100, 50), pixelAt(primary, 419, 289), pixelAt(primary, 420, 289),
                                   pixelAt(primary, 99, 100)}),
            std::vector<uint16_t>({0x1234, 0x1234, 0, 0}));
  EXPECT_EQ(layer::presentedFrames(), 2u);  // a fill is no frame
}

TEST_F(LayerTest, FullScreenFlipsTheChainAtTheDisplayModeWhateverTheDesktop) {
  headless::setDesktop(32, 1024, 768);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  DDSURFACEDESC2 desc = emptyDesc();
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY;
  ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  paint(back, [](int x, int) { return static_cast<uint16_t>(x); });
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(layer::presentedFrames(), 1u);
  EXPECT_EQ(headlesstest::presented().at(799), 799);
  EXPECT_EQ(pixelAt(back, 799, 0), 0);  // the back buffer now holds the old front
  // Giving up the mode loses the chain; it cannot come back at the desktop's mode.
  ASSERT_EQ(directDraw->RestoreDisplayMode(), DD_OK);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
}

TEST_F(LayerTest, LostSurfacesRefuseWorkUntilRestoredAndADepthChangeLosesThemForGood) {
  makeWindowed(64, 64);
  layer::loseSurfaces();
  DDSURFACEDESC2 desc = emptyDesc();
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(back->Restore(), DD_OK);
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  back->Unlock(nullptr);

  headless::setDesktop(32, 1024, 768);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
  headless::setDesktop(16, 1024, 768);
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(back->Restore(), DD_OK);
}

// The glyphs are GNU Unifont's: each lit pixel of the drawn text is a set bit of the font file.
TEST_F(LayerTest, TextOutDrawsGbkTextWithUnifontGlyphsInTheTextColour) {
  UnifontHex font;
  std::string error;
  ASSERT_TRUE(font.load("/usr/share/unifont/unifont.hex", error)) << error;
  makeWindowed(64, 32);
  HDC dc = nullptr;
  ASSERT_EQ(back->GetDC(&dc), DD_OK);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 0));
  ASSERT_TRUE(TextOutA(dc, 4, 8, "L\xd6\xd0", 3));  // "L中": 8 pixels, then 16
  ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
  const UnifontHex::Glyph* glyphs[] = {font.find('L'), font.find(0x4E2D)};
  ASSERT_TRUE(glyphs[0] && glyphs[1] && glyphs[0]->width == 8 && glyphs[1]->width == 16);
  int mismatches = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int column = x - 4;
      const int row = y - 8;
      bool lit = false;
      if (row >= 0 && row < 16 && column >= 0 && column < 24) {
        const UnifontHex::Glyph& glyph = *glyphs[column < 8 ? 0 : 1];
        const int bit = column < 8 ? column : column - 8;
        lit = (glyph.rows[row] >> (glyph.width - 1 - bit)) & 1;
      }
      mismatches += (pixelAt(back, x, y) == 0xFFE0) != lit;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
