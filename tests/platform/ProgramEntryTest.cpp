// The POSIX program entry: options, WinMain's command line, frame limit and screenshot.
#include <windows.h>

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/LayerControl.h"
#include "display/Display.h"
#include "platform/win32/Backend.h"

namespace {

std::string seenCommandLine;
int renderedFrames = 0;
std::string keyLog;  // "frame:message:wParam[:x,y] " for each key and mouse message; Escape quits

LRESULT CALLBACK entryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool mouse = message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP;
  if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || mouse) {
    keyLog += std::to_string(renderedFrames) + ":" + std::to_string(message) + ":" + std::to_string(wParam);
    if (mouse) keyLog += ":" + std::to_string(LOWORD(lParam)) + "," + std::to_string(HIWORD(lParam));
    keyLog += " ";
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) PostQuitMessage(0);
  }
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

// A small program: a window, a windowed display showing code 0xF8 (red-ish, 0xF8F8) but for one
// pixel of two different bytes (0x1234, so that their order counts in the fingerprint), the loop.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  seenCommandLine = commandLine;
  renderedFrames = 0;
  keyLog.clear();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = entryProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "entry";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "entry", "entry", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  Display display;
  if (!display.initWindowed(window, 64, 48)) return 3;
  std::memset(display.buffer, 0xF8, static_cast<size_t>(display.bufferSize));
  display.buffer[1] = 0x12;
  display.expandTable[0x12] = 0x1234;
  display.fastExpand = false;
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&message, nullptr, 0, 0)) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      display.present();
      ++renderedFrames;
    }
  }
  return 1;
}

namespace {

TEST(ProgramEntryTest, RunsTheGivenFramesAndSavesTheLastPicture) {
  layer::reset();
  std::string shot = ::testing::TempDir() + "entry-shot.png";
  std::remove(shot.c_str());
  const char* argv[] = {"demo",       "--headless",     "--frames", "7",        "--screenshot",
                        shot.c_str(), "--fixed-fps=60", "keep",     "two words"};
  ::testing::internal::CaptureStdout();
  int result = platform::runProgram(9, const_cast<char**>(argv), nullptr);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, 1);
  // The run's summary, and the fingerprint of its last picture: FNV-1a over each word, low byte first.
  int pictureWidth = 0;
  int pictureHeight = 0;
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint16_t word : layer::presentedPicture(pictureWidth, pictureHeight)) {
    hash = (hash ^ (word & 0xFFu)) * 0x100000001b3ull;
    hash = (hash ^ (word >> 8)) * 0x100000001b3ull;
  }
  char frameLine[40];
  std::snprintf(frameLine, sizeof frameLine, "\nframe: 0x%016llx\n", static_cast<unsigned long long>(hash));
  EXPECT_EQ(out.rfind("headless: 7 frames in ", 0), 0u) << out;
  EXPECT_NE(out.find(frameLine), std::string::npos) << out;
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
  // 0xF8F8 is red 31, green 7, blue 24 of RGB565, widened by bit replication.
  ASSERT_GE(rgb.size(), 3u * 64 * 48);
  EXPECT_EQ(std::vector<unsigned>({rgb[0], rgb[1], rgb[2], rgb[3 * 64 * 48 - 3]}),
            std::vector<unsigned>({255, 0x1C, 0xC6, 255}));
  std::remove(shot.c_str());
  EXPECT_FALSE(layer::savePresentedPng(::testing::TempDir() + "no-such-directory/shot.png"));
}

TEST(ProgramEntryTest, HelpAndBadOptionValuesStopBeforeTheProgramRuns) {
  // --help lists the options and succeeds; a bad value fails with 2. Neither runs WinMain.
  const std::vector<std::vector<const char*>> cases = {{"demo", "--headless", "--frames", "zero"},
                                                       {"demo", "--keys", "5:1,6:Nope"},
                                                       {"demo", "--keys", "1:move:5"},
                                                       {"demo", "--keys", "1:down:thumb:1,2"},
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
    for (const char* option : {"--headless", "--frames N", "--screenshot FILE", "--fixed-fps N", "--keys LIST"}) {
      EXPECT_EQ(out.find(option) != std::string::npos, help) << option;
    }
  }
  EXPECT_FALSE(layer::savePresentedPng(::testing::TempDir() + "nothing.png"));  // nothing was shown
}

TEST(ProgramEntryTest, ScriptedKeysArriveOnceTheirFrameWasPresented) {
  layer::reset();
  const std::string keys =
      "3:a,3:Left,0:Space,5:ESCAPE,1:down:shift,2:move:1,1,2:move:7,8,2:down:Right:9,10,"
      "4:up:right:11,12,4:up:Shift,2:F12";
  const char* argv[] = {"demo", "--headless", "--frames", "50", "--keys", keys.c_str()};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(platform::runProgram(6, const_cast<char**>(argv), nullptr), 1);
  ::testing::internal::GetCapturedStdout();
  // Key down, its character, key up; Shift held from frame 1 to 4 and the mouse (two moves at once
  // are one), with the buttons and keys held; Escape quits after frame 5.
  EXPECT_EQ(keyLog,
            "0:256:32 0:258:32 0:257:32 1:256:16 2:512:4:7,8 2:516:6:9,10 2:256:123 2:257:123 3:256:65 3:258:97 "
            "3:257:65 3:256:37 3:257:37 4:517:4:11,12 4:257:16 5:256:27 5:258:27 5:257:27 ");
  EXPECT_EQ(renderedFrames, 5);
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
