// DirectDraw 7 surfaces, blits, flips and lost surfaces of the Win32 layer, headless.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/HeadlessFixture.h"

namespace {

using headlesstest::emptyDesc;

// Like the program's display, objects held by a static object are released after main returns,
// when the layer's own state must still be there.
struct ReleasedAtExit {
  LPDIRECTDRAW7 directDraw = nullptr;
  LPDIRECTDRAWSURFACE7 primary = nullptr;
  ~ReleasedAtExit() {
    if (primary) primary->Release();
    if (directDraw) directDraw->Release();
  }
} releasedAtExit;

class DirectDrawTest : public ::testing::Test {
protected:
  void SetUp() override {
    window = headlesstest::freshWindow("dd", 100, 50, 320, 240);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  }

  void TearDown() override {
    if (back) back->Release();
    if (primary) primary->Release();
    if (directDraw) directDraw->Release();
  }

  void makeWindowed(int width, int height) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 desc = emptyDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    back = makeOffscreen(width, height);
    ASSERT_NE(back, nullptr);
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
    clipper->Release();
  }

  // A full-screen primary with one back buffer and the given memory caps, into `chain`.
  HRESULT createChain(DWORD memoryCaps, LPDIRECTDRAWSURFACE7* chain) {
    DDSURFACEDESC2 desc = emptyDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | memoryCaps;
    return directDraw->CreateSurface(&desc, chain, nullptr);
  }

  LPDIRECTDRAWSURFACE7 makeOffscreen(int width, int height) {
    DDSURFACEDESC2 desc = emptyDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    LPDIRECTDRAWSURFACE7 surface = nullptr;
    return directDraw->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
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

  // The picture last presented, which must be width x height (padded to that when it is not).
  std::vector<uint16_t> shown(int width, int height) {
    int w = 0;
    int h = 0;
    std::vector<uint16_t> picture = headless::presentedPicture(w, h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    picture.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    return picture;
  }

  RECT clientOnScreen() {
    RECT client;
    GetClientRect(window, &client);
    POINT topLeft{client.left, client.top};
    POINT bottomRight{client.right, client.bottom};
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }

  HWND window = nullptr;
  LPDIRECTDRAW7 directDraw = nullptr;
  LPDIRECTDRAWSURFACE7 primary = nullptr;
  LPDIRECTDRAWSURFACE7 back = nullptr;
};

TEST_F(DirectDrawTest, OnlyTheSeventhInterfaceIsMade) {
  LPVOID other = nullptr;
  EXPECT_EQ(DirectDrawCreateEx(nullptr, &other, IID_IDirectDrawSurface7, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(other, nullptr);
}

TEST_F(DirectDrawTest, SurfacesNeedACooperativeLevelAndTheRightDescriptionSize) {
  DDSURFACEDESC2 desc = emptyDesc();
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  desc.dwSize = 124;  // a 32-bit build's size is not this build's
  EXPECT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = sizeof desc;
  ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
  LPDIRECTDRAWSURFACE7 second = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_F(DirectDrawTest, CooperativeLevelsAreChecked) {
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
}

TEST_F(DirectDrawTest, LockGivesThePitchAndTheFormat) {
  makeWindowed(30, 7);
  DDSURFACEDESC2 desc = emptyDesc();
  ASSERT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.dwWidth, 30u);
  EXPECT_EQ(desc.dwHeight, 7u);
  EXPECT_GE(desc.lPitch, 60);
  EXPECT_EQ(desc.lPitch % 8, 0);  // rows are padded: a pitch of width x 2 cannot be assumed
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
  ASSERT_NE(desc.lpSurface, nullptr);
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(back->Unlock(nullptr), DD_OK);
  EXPECT_EQ(back->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT part{2, 3, 10, 5};
  DDSURFACEDESC2 partDesc = emptyDesc();
  ASSERT_EQ(back->Lock(&part, &partDesc, DDLOCK_WAIT, nullptr), DD_OK);
  DDSURFACEDESC2 whole = emptyDesc();
  back->Unlock(nullptr);
  ASSERT_EQ(back->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<char*>(partDesc.lpSurface), static_cast<char*>(whole.lpSurface) + 3 * whole.lPitch + 2 * 2);
  back->Unlock(nullptr);
  RECT outside{25, 0, 31, 1};
  EXPECT_EQ(back->Lock(&outside, &whole, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
}

TEST_F(DirectDrawTest, BlitIntoTheClientAreaCopiesOneToOne) {
  makeWindowed(320, 240);
  paint(back, [](int x, int y) { return static_cast<uint16_t>(x + 320 * (y & 7)); });
  RECT target = clientOnScreen();
  ASSERT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(headless::presentedFrames(), 1u);
  std::vector<uint16_t> picture = shown(320, 240);
  EXPECT_EQ(picture[0], 0);
  EXPECT_EQ(picture[319], 319);
  EXPECT_EQ(picture[5 * 320 + 17], 17 + 320 * 5);
  // The primary is the screen: the window's client area starts at (100, 50) on it.
  EXPECT_EQ(pixelAt(primary, 100 + 17, 50 + 5), 17 + 320 * 5);
  EXPECT_EQ(pixelAt(primary, 99, 50), 0);
  // The last picture stays there for a screenshot after the window is gone.
  DestroyWindow(window);
  EXPECT_EQ(shown(320, 240)[5 * 320 + 17], 17 + 320 * 5);
}

TEST_F(DirectDrawTest, BlitStretchesIntoASmallerOrLargerClientArea) {
  makeWindowed(320, 240);
  paint(back, [](int x, int y) { return static_cast<uint16_t>((x < 160 ? 0xF800 : 0x001F) | (y < 120 ? 0 : 0x07E0)); });
  headless::setWindowFrame(true);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_SYSMENU | WS_MINIMIZEBOX));
  MoveWindow(window, 100, 50, 320, 240, TRUE);
  RECT target = clientOnScreen();
  int clientWidth = target.right - target.left;
  int clientHeight = target.bottom - target.top;
  ASSERT_LT(clientWidth, 320);
  ASSERT_LT(clientHeight, 240);
  ASSERT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const size_t width = static_cast<size_t>(clientWidth);
  std::vector<uint16_t> picture = shown(clientWidth, clientHeight);
  // The four quadrants keep their colours and meet in the middle of the smaller picture.
  EXPECT_EQ(picture[0], 0xF800);
  EXPECT_EQ(picture[width - 1], 0x001F);
  EXPECT_EQ(picture[static_cast<size_t>(clientHeight - 1) * width], 0xF800 | 0x07E0);
  EXPECT_EQ(picture[width / 2 - 2], 0xF800);
  EXPECT_EQ(picture[width / 2 + 2], 0x001F);

  LPDIRECTDRAWSURFACE7 big = makeOffscreen(2 * clientWidth, 2 * clientHeight);
  ASSERT_NE(big, nullptr);
  RECT quarter{0, 0, 160, 120};
  RECT whole{0, 0, 2 * clientWidth, 2 * clientHeight};
  ASSERT_EQ(big->Blt(&whole, back, &quarter, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(pixelAt(big, 2 * clientWidth - 1, 2 * clientHeight - 1), 0xF800);
  big->Release();
}

TEST_F(DirectDrawTest, TheClipperKeepsBlitsAndFillsInsideTheClientArea) {
  makeWindowed(320, 240);
  paint(back, [](int, int) { return static_cast<uint16_t>(0xFFFF); });
  // A destination much larger than the window: only the client area may change.
  RECT huge{0, 0, 1024, 768};
  ASSERT_EQ(primary->Blt(&huge, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(pixelAt(primary, 100, 50), 0xFFFF);
  EXPECT_EQ(pixelAt(primary, 419, 289), 0xFFFF);
  EXPECT_EQ(pixelAt(primary, 420, 289), 0);
  EXPECT_EQ(pixelAt(primary, 99, 100), 0);
  EXPECT_EQ(pixelAt(primary, 200, 290), 0);

  DDBLTFX effects;
  std::memset(&effects, 0, sizeof effects);
  effects.dwSize = sizeof effects;
  effects.dwFillColor = 0x1234;
  ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DD_OK);
  EXPECT_EQ(pixelAt(primary, 100, 50), 0x1234);
  EXPECT_EQ(pixelAt(primary, 0, 0), 0);
  EXPECT_EQ(headless::presentedFrames(), 1u);  // a fill is no frame
  effects.dwSize = 100;
  EXPECT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, BlitsWithoutAClipperMustFitTheSurface) {
  makeWindowed(32, 32);
  LPDIRECTDRAWSURFACE7 other = makeOffscreen(16, 16);
  ASSERT_NE(other, nullptr);
  RECT tooBig{0, 0, 33, 32};
  EXPECT_EQ(other->Blt(&tooBig, back, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  RECT badSource{-1, 0, 8, 8};
  EXPECT_EQ(other->Blt(nullptr, back, &badSource, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(other->Blt(nullptr, back, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DDERR_UNSUPPORTED);
  other->Release();
}

TEST_F(DirectDrawTest, InputHeldForAFrameCountArrivesAfterThatFrame) {
  makeWindowed(8, 8);
  platform::BackendEvent close;
  close.type = platform::BackendEvent::Type::Close;
  headless::postAfterFrames(2, close);
  MSG message;
  primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr);
  PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
  EXPECT_TRUE(IsWindow(window));
  primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr);
  PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(DirectDrawTest, AClipperWithoutAWindowHasNoClipList) {
  makeWindowed(32, 32);
  LPDIRECTDRAWCLIPPER bare = nullptr;
  ASSERT_EQ(directDraw->CreateClipper(0, &bare, nullptr), DD_OK);
  ASSERT_EQ(primary->SetClipper(bare), DD_OK);
  bare->Release();
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DDERR_NOCLIPLIST);
  EXPECT_EQ(headless::presentedFrames(), 0u);
  ASSERT_EQ(primary->SetClipper(nullptr), DD_OK);
  RECT corner{0, 0, 32, 32};
  EXPECT_EQ(primary->Blt(&corner, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
}

TEST_F(DirectDrawTest, ASurfaceBlitsOntoItselfWithoutSmearing) {
  makeWindowed(16, 16);
  paint(back, [](int x, int y) { return static_cast<uint16_t>(y * 16 + x); });
  RECT from{0, 0, 8, 8};
  RECT down{1, 2, 9, 10};
  ASSERT_EQ(back->Blt(&down, back, &from, DDBLT_WAIT, nullptr), DD_OK);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(pixelAt(back, x + 1, y + 2), y * 16 + x) << x << "," << y;
  }
  paint(back, [](int x, int y) { return static_cast<uint16_t>(y * 16 + x); });
  RECT up{0, 0, 8, 8};
  RECT below{3, 4, 11, 12};
  ASSERT_EQ(back->Blt(&up, back, &below, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(pixelAt(back, 0, 0), 4 * 16 + 3);
  EXPECT_EQ(pixelAt(back, 7, 7), 11 * 16 + 10);
}

TEST_F(DirectDrawTest, LostSurfacesRefuseWorkUntilRestored) {
  makeWindowed(64, 64);
  headless::loseSurfaces();
  DDSURFACEDESC2 desc = emptyDesc();
  EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  HDC dc = nullptr;
  EXPECT_EQ(primary->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(back->Restore(), DD_OK);
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  back->Unlock(nullptr);
}

TEST_F(DirectDrawTest, ADesktopDepthChangeLosesSurfacesForGood) {
  makeWindowed(64, 64);
  headless::setDesktop(32, 1024, 768);
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(back->Restore(), DDERR_WRONGMODE);
  headless::setDesktop(16, 1024, 768);
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(back->Restore(), DD_OK);
}

TEST_F(DirectDrawTest, InjectedFailuresComeAfterTheSkippedCalls) {
  makeWindowed(64, 64);
  headless::failNext(headless::Call::Lock, DDERR_SURFACELOST, 2, 1);
  DDSURFACEDESC2 desc = emptyDesc();
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  back->Unlock(nullptr);
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(back->Restore(), DD_OK);  // an injected loss is not cured by Restore
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  back->Unlock(nullptr);
  headless::setVideoMemory(false);
  DDSURFACEDESC2 video = emptyDesc();
  video.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  video.dwWidth = 8;
  video.dwHeight = 8;
  video.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_3DDEVICE;
  LPDIRECTDRAWSURFACE7 surface = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&video, &surface, nullptr), DDERR_OUTOFVIDEOMEMORY);
}

TEST_F(DirectDrawTest, FullScreenFlipsTheChainAndShowsTheNewFront) {
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE), DD_OK);
  headless::setDesktop(32, 1024, 768);
  ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  HDC desktop = GetDC(GetDesktopWindow());
  EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL) * GetDeviceCaps(desktop, PLANES), 16);
  ReleaseDC(GetDesktopWindow(), desktop);
  ASSERT_EQ(createChain(DDSCAPS_VIDEOMEMORY, &primary), DD_OK);
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  paint(back, [](int x, int) { return static_cast<uint16_t>(x); });
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(headless::presentedFrames(), 1u);
  EXPECT_EQ(shown(800, 600)[799], 799);
  // After the flip the back buffer holds the old front, which was black.
  EXPECT_EQ(pixelAt(back, 799, 0), 0);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  // Giving up the mode loses the chain; at the mode again it can be restored.
  ASSERT_EQ(directDraw->RestoreDisplayMode(), DD_OK);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
}

TEST_F(DirectDrawTest, ObjectsCanOutliveMain) {
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  ASSERT_EQ(createChain(0, &releasedAtExit.primary), DD_OK);
  releasedAtExit.directDraw = directDraw;
  directDraw = nullptr;  // released at exit, after the mode change it made
}

TEST_F(DirectDrawTest, ReferenceCountsKeepTheChainTogether) {
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(directDraw->SetDisplayMode(320, 200, 16, 0, 0), DD_OK);
  ASSERT_EQ(createChain(DDSCAPS_SYSTEMMEMORY, &primary), DD_OK);
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  caps.dwCaps = DDSCAPS_OVERLAY;
  LPDIRECTDRAWSURFACE7 none = nullptr;
  EXPECT_EQ(primary->GetAttachedSurface(&caps, &none), DDERR_NOTFOUND);
  // Two references to the back buffer: the chain's and ours.
  EXPECT_EQ(back->AddRef(), 3u);
  EXPECT_EQ(back->Release(), 2u);
  LPVOID same = nullptr;
  ASSERT_EQ(back->QueryInterface(IID_IDirectDrawSurface7, &same), DD_OK);
  EXPECT_EQ(same, static_cast<LPVOID>(back));
  EXPECT_EQ(back->Release(), 2u);
  EXPECT_EQ(back->QueryInterface(IID_IDirectDraw7, &same), E_NOINTERFACE);
  DDSURFACEDESC2 mode = emptyDesc();
  ASSERT_EQ(directDraw->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 320u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);
  // Releasing the front first leaves our back buffer usable until we let it go too.
  primary->Release();
  primary = nullptr;
  DDSURFACEDESC2 locked = emptyDesc();
  EXPECT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  back->Unlock(nullptr);
  EXPECT_EQ(back->Release(), 0u);
  back = nullptr;
  // The device outlived its surfaces; releasing it gives the desktop its mode back.
  directDraw->Release();
  directDraw = nullptr;
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(DirectDrawTest, TextOnThePrimaryIsShownWhenItsContextIsReleased) {
  makeWindowed(320, 240);
  HDC dc = nullptr;
  ASSERT_EQ(primary->GetDC(&dc), DD_OK);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  POINT at{4, 4};
  ClientToScreen(window, &at);
  ASSERT_TRUE(TextOutA(dc, at.x, at.y, "#", 1));
  EXPECT_TRUE(headlesstest::presented().empty());
  ASSERT_EQ(primary->ReleaseDC(dc), DD_OK);
  const std::vector<uint16_t> picture = shown(320, 240);
  int lit = 0;
  for (int y = 4; y < 20; ++y) {
    for (int x = 4; x < 12; ++x) lit += picture[static_cast<size_t>(y) * 320 + x] == 0xFFFF;
  }
  EXPECT_GT(lit, 10);
  EXPECT_EQ(headless::presentedFrames(), 0u);
}

TEST_F(DirectDrawTest, CallsAreRecordedWithRolesFlagsAndResults) {
  headless::recordCalls(true);
  makeWindowed(640, 480);
  std::vector<headless::CallRecord> created = headless::callsOf("CreateSurface");
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0].args, "flags=0x1 caps=0x200 width=0 height=0 backBuffers=0 size=136");
  EXPECT_EQ(created[1].args, "flags=0x7 caps=0x840 width=640 height=480 backBuffers=0 size=136");
  headless::clearCalls();
  DDSURFACEDESC2 desc = emptyDesc();
  back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  back->Unlock(nullptr);
  primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr);
  const std::vector<headless::CallRecord>& calls = headless::calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].api, "Lock");
  EXPECT_EQ(calls[0].args, "surface=offscreen1 rect=null flags=0x1 size=136");
  EXPECT_EQ(calls[1].api, "Unlock");
  EXPECT_EQ(calls[2].api, "Blt");
  EXPECT_EQ(calls[2].args,
            "surface=primary destination=null source=offscreen1 sourceRect=null flags=0x1000000 fill=null");
  EXPECT_EQ(calls[2].result, DD_OK);
}

}  // namespace
