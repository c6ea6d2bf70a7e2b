// The POSIX program entry: options, WinMain's command line, frame limit and screenshot.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/LayerControl.h"
#include "platform/win32/Backend.h"

namespace {

std::string seenCommandLine;
int renderedFrames = 0;

LRESULT CALLBACK entryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Reads a PNG file as 8-bit RGB.
bool readPng(const std::string& path, unsigned& width, unsigned& height, std::vector<unsigned char>& rgb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  width = image.width;
  height = image.height;
  rgb.resize(PNG_IMAGE_SIZE(image));
  bool ok = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

}  // namespace

// A small program: a window, a windowed display that blits a red picture, the usual loop.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  seenCommandLine = commandLine;
  renderedFrames = 0;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = entryProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "entry";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "entry", "entry", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  LPDIRECTDRAW7 directDraw = nullptr;
  DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr);
  directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  LPDIRECTDRAWSURFACE7 primary = nullptr;
  directDraw->CreateSurface(&desc, &primary, nullptr);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 64;
  desc.dwHeight = 48;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  LPDIRECTDRAWSURFACE7 back = nullptr;
  directDraw->CreateSurface(&desc, &back, nullptr);
  DDBLTFX fill;
  std::memset(&fill, 0, sizeof fill);
  fill.dwSize = sizeof fill;
  fill.dwFillColor = 0xF800;
  back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fill);
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&message, nullptr, 0, 0)) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      RECT target{0, 0, 64, 48};
      primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr);
      ++renderedFrames;
    }
  }
  back->Release();
  primary->Release();
  directDraw->Release();
  return 1;
}

namespace {

TEST(ProgramEntryTest, RunsTheGivenFramesAndSavesTheLastPicture) {
  layer::reset();
  std::string shot = ::testing::TempDir() + "entry-shot.png";
  std::remove(shot.c_str());
  const char* argv[] = {"demo",       "--headless",     "--frames", "7",        "--screenshot",
                        shot.c_str(), "--fixed-fps=60", "keep",     "two words"};
  int result = platform::runProgram(9, const_cast<char**>(argv), nullptr);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(renderedFrames, 7);
  EXPECT_EQ(layer::presentedFrames(), 7u);
  EXPECT_EQ(seenCommandLine, "keep \"two words\"");
  // The fixed frame rate put frame 7 at 7/60 s.
  EXPECT_EQ(layer::clockTicks(), 7 * layer::kClockFrequency / 60);
  unsigned width = 0;
  unsigned height = 0;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(readPng(shot, width, height, rgb));
  EXPECT_EQ(width, 64u);
  EXPECT_EQ(height, 48u);
  // Pure red in RGB565 widens to full red.
  ASSERT_GE(rgb.size(), 3u * 64 * 48);
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[1], 0);
  EXPECT_EQ(rgb[3 * (64 * 48 - 1) + 0], 255);
  EXPECT_EQ(rgb[3 * (64 * 48 - 1) + 2], 0);
  std::remove(shot.c_str());
  EXPECT_FALSE(layer::savePresentedPng(::testing::TempDir() + "no-such-directory/shot.png"));
}

TEST(ProgramEntryTest, HelpAndBadOptionValuesStopBeforeTheProgramRuns) {
  // --help lists the options and succeeds; a bad value fails with 2. Neither runs WinMain.
  const std::vector<std::vector<const char*>> cases = {{"demo", "--headless", "--frames", "zero"},
                                                       {"demo", "--frames", "3", "--help"}};
  for (const auto& arguments : cases) {
    layer::reset();
    renderedFrames = -1;
    seenCommandLine = "not run";
    const bool help = std::string(arguments.back()) == "--help";
    ::testing::internal::CaptureStdout();
    const int status =
        platform::runProgram(static_cast<int>(arguments.size()), const_cast<char**>(arguments.data()), nullptr);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, help ? 0 : 2);
    EXPECT_EQ(seenCommandLine, "not run");
    for (const char* option : {"--headless", "--frames N", "--screenshot FILE", "--fixed-fps N"}) {
      EXPECT_EQ(out.find(option) != std::string::npos, help) << option;
    }
  }
  EXPECT_FALSE(layer::savePresentedPng(::testing::TempDir() + "nothing.png"));  // nothing was shown
}

TEST(ProgramEntryTest, AnUnavailableWindowBackEndFallsBackToHeadless) {
  layer::reset();
  std::string shot = ::testing::TempDir() + "fallback.png";
  const char* argv[] = {"demo", "--frames", "3", "--screenshot", shot.c_str()};
  auto noDisplay = []() -> std::unique_ptr<platform::Backend> { return nullptr; };
  EXPECT_EQ(platform::runProgram(5, const_cast<char**>(argv), noDisplay), 1);
  EXPECT_EQ(layer::presentedFrames(), 3u);
  EXPECT_STREQ(platform::backend().name(), "headless");
  std::remove(shot.c_str());
}

}  // namespace
