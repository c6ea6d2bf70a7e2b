// GDI of the Win32 layer: device capabilities, text metrics, GBK text on surfaces, wvsprintfA.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "tests/support/HeadlessFixture.h"

namespace {

class GdiTest : public ::testing::Test {
protected:
  void SetUp() override {
    window = headlesstest::freshWindow("gdi", 0, 0, 64, 32);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 desc = headlesstest::emptyDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 64;
    desc.dwHeight = 32;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
  }

  void TearDown() override {
    if (surface) surface->Release();
    if (directDraw) directDraw->Release();
  }

  // Draws `text` at (x, y) in yellow, transparent unless told otherwise; returns the number of
  // pixels of each value in [x0, x1) x [0, 32).
  int drawAndCount(const char* text, int length, int x, int y, int x0, int x1, uint16_t value, int mode = TRANSPARENT) {
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK);
    SetBkMode(dc, mode);
    SetTextColor(dc, RGB(255, 255, 0));
    SetBkColor(dc, RGB(0, 0, 255));
    EXPECT_TRUE(TextOutA(dc, x, y, text, length));
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    return count(x0, x1, value);
  }

  int count(int x0, int x1, uint16_t value) {
    DDSURFACEDESC2 desc = headlesstest::emptyDesc();
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    int found = 0;
    for (int y = 0; y < 32; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(static_cast<char*>(desc.lpSurface) + y * desc.lPitch);
      for (int x = x0; x < x1; ++x) found += row[x] == value;
    }
    surface->Unlock(nullptr);
    return found;
  }

  HWND window = nullptr;
  LPDIRECTDRAW7 directDraw = nullptr;
  LPDIRECTDRAWSURFACE7 surface = nullptr;
};

constexpr uint16_t kYellow = 0xFFE0;
constexpr uint16_t kBlue = 0x001F;

TEST_F(GdiTest, TheDesktopReportsItsDepth) {
  HDC desktop = GetDC(GetDesktopWindow());
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL), 16);
  ReleaseDC(GetDesktopWindow(), desktop);
  headless::setDesktop(32, 800, 600);
  desktop = GetDC(GetDesktopWindow());
  EXPECT_EQ(GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(desktop, HORZRES), 800);
  ReleaseDC(GetDesktopWindow(), desktop);
}

TEST_F(GdiTest, TextMetricsDescribeASixteenPixelFont) {
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  TEXTMETRICA metrics;
  ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
  EXPECT_EQ(metrics.tmHeight, 16);
  EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
  HDC second = nullptr;
  EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
  EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
  EXPECT_FALSE(GetTextMetricsA(dc, &metrics));  // released contexts are gone
}

TEST_F(GdiTest, TextOutDrawsLatinAndChineseGlyphsInTheTextColour) {
  int latin = drawAndCount("A", 1, 0, 0, 0, 8, kYellow);
  EXPECT_GT(latin, 8);
  EXPECT_EQ(count(8, 64, kYellow), 0);  // one 8-pixel cell
  // "中" in GBK: a double-byte character takes a 16-pixel cell right after the 'A'.
  int chinese = drawAndCount("A\xd6\xd0", 3, 0, 0, 8, 24, kYellow);
  EXPECT_GT(chinese, 20);
  EXPECT_EQ(count(24, 64, kYellow), 0);
  EXPECT_EQ(count(0, 64, kBlue), 0);  // transparent: no background
}

TEST_F(GdiTest, OpaqueTextFillsItsCells) {
  int paper = drawAndCount("ab", 2, 4, 2, 0, 64, kBlue, OPAQUE);
  int ink = count(0, 64, kYellow);
  EXPECT_EQ(paper + ink, 2 * 8 * 16);
}

TEST_F(GdiTest, TextIsClippedAtTheSurfaceEdge) {
  EXPECT_GT(drawAndCount("\xd6\xd0\xd6\xd0\xd6\xd0", 6, 56, 24, 56, 64, kYellow), 0);
  EXPECT_EQ(drawAndCount("WW", 2, -100, -100, 0, 64, kYellow), count(0, 64, kYellow));
}

TEST_F(GdiTest, TextOutIsRecorded) {
  headless::recordCalls(true);
  drawAndCount("FPS\xd6\xd0", 5, 3, 4, 0, 1, 0);
  std::vector<headless::CallRecord> texts = headless::callsOf("TextOutA");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].args, "x=3 y=4 length=5");
  EXPECT_EQ(texts[0].text, "FPS\xd6\xd0");
}

std::string format(const char* pattern, ...) {
  char buffer[1100];
  std::memset(buffer, 'x', sizeof buffer);
  va_list args;
  va_start(args, pattern);
  int length = wvsprintfA(buffer, pattern, args);
  va_end(args);
  EXPECT_EQ(length, static_cast<int>(std::strlen(buffer)));
  return buffer;
}

TEST(FormatTest, WindowsConversions) {
  EXPECT_EQ(format("FPS=%d", 60), "FPS=60");
  EXPECT_EQ(format("%d|%5d|%-5d|%05d", -7, 42, 42, 42), "-7|   42|42   |00042");
  EXPECT_EQ(format("%u %x %X %#x", 3000000000u, 255u, 255u, 255u), "3000000000 ff FF 0xff");
  EXPECT_EQ(format("%ld %lu", static_cast<LONG>(-5), static_cast<DWORD>(5)), "-5 5");
  EXPECT_EQ(format("%s|%.2s|%c|%%", "gbk\xd6\xd0", "abc", 'z'), "gbk\xd6\xd0|ab|z|%");
}

TEST(FormatTest, OutputStopsAt1024BytesWithItsZero) {
  std::string big(2000, 'a');
  std::string out = format("%s", big.c_str());
  EXPECT_EQ(out.size(), 1023u);
}

}  // namespace
