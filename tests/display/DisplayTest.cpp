// The display device on the headless platform: start-up calls and flags, the desktop-depth check,
// frame counting, lost surfaces, the three expansion paths and the status text's line cutting.
#include "display/Display.h"

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/HeadlessControl.h"

namespace {

using headless::Call;
using headless::CallRecord;

// "您的桌面不是16位色的，不能在窗口模式下运行" in GBK.
const std::string kDepthMessage =
    "\xc4\xfa\xb5\xc4\xd7\xc0\xc3\xe6\xb2\xbb\xca\xc7\x31\x36\xce\xbb\xc9\xab\xb5\xc4\xa3\xac"
    "\xb2\xbb\xc4\xdc\xd4\xda\xb4\xb0\xbf\xda\xc4\xa3\xca\xbd\xcf\xc2\xd4\xcb\xd0\xd0";

// "name=value" pairs of a record's args.
std::map<std::string, std::string> argsOf(const CallRecord& record) {
  std::map<std::string, std::string> out;
  std::istringstream words(record.args);
  std::string word;
  while (words >> word) {
    const size_t equals = word.find('=');
    if (equals != std::string::npos) out[word.substr(0, equals)] = word.substr(equals + 1);
  }
  return out;
}

// The recorded calls whose api is one of `apis`, by name, in order.
std::vector<std::string> sequenceOf(const std::vector<std::string>& apis) {
  std::vector<std::string> out;
  for (const CallRecord& record : headless::calls()) {
    for (const std::string& api : apis) {
      if (record.api == api) out.push_back(api);
    }
  }
  return out;
}

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class DisplayTest : public ::testing::Test {
protected:
  void SetUp() override {
    headless::reset();
    frameRateState = FrameRateState();
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = plainWindowProc;
    windowClass.lpszClassName = "displaytest";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "displaytest", "displaytest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    headless::recordCalls(true);
  }

  // A started windowed display with recording cleared, ready to present.
  void startWindowed(Display& display, int32_t width = 640, int32_t height = 480) {
    ASSERT_TRUE(display.initWindowed(window, width, height));
    headless::clearCalls();
  }

  // Presents a buffer of one code everywhere and returns the picture shown.
  std::vector<uint16_t> presentCode(Display& display, uint8_t code) {
    std::memset(display.buffer, code, static_cast<size_t>(display.bufferSize));
    display.present();
    int w = 0;
    int h = 0;
    return headless::presentedPicture(w, h);
  }

  HWND window = nullptr;
};

// ---- Expansion ---------------------------------------------------------------------------------

struct ExpandCase {
  int32_t width;
  int32_t height;
};

class ExpandTest : public ::testing::TestWithParam<ExpandCase> {};

using ExpandFunction = void (*)(const uint8_t*, int32_t, int32_t, uint8_t*, int32_t);

void expandWithDefaultTable(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination,
                            int32_t pitch) {
  static Display display;  // its table is the default one
  expandCodesTable(source, width, height, destination, pitch, display.expandTable);
}

TEST_P(ExpandTest, EveryPathShowsCodeTimes0x101AndStaysInsideItsRows) {
  const ExpandCase shape = GetParam();
  const int32_t pitch = shape.width * 2 + 6;  // padding after each row must stay untouched
  std::vector<uint8_t> source(static_cast<size_t>(shape.width * shape.height));
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 37 + i / 256);

  const std::pair<const char*, ExpandFunction> paths[] = {
      {"fast", expandCodesFast}, {"portable", expandCodesPortable}, {"table", expandWithDefaultTable}};
  for (const auto& path : paths) {
    SCOPED_TRACE(path.first);
    std::vector<uint8_t> surface(static_cast<size_t>(pitch * shape.height), 0xAB);
    path.second(source.data(), shape.width, shape.height, surface.data(), pitch);
    for (int32_t row = 0; row < shape.height; ++row) {
      for (int32_t x = 0; x < shape.width; ++x) {
        uint16_t word;
        std::memcpy(&word, &surface[static_cast<size_t>(row * pitch + x * 2)], 2);
        const uint8_t code = source[static_cast<size_t>(row * shape.width + x)];
        ASSERT_EQ(word, code * 0x101) << "row " << row << " column " << x;
      }
      for (int32_t pad = shape.width * 2; pad < pitch; ++pad) {
        ASSERT_EQ(surface[static_cast<size_t>(row * pitch + pad)], 0xAB) << "row " << row;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, ExpandTest,
                         ::testing::Values(ExpandCase{1, 3}, ExpandCase{7, 2}, ExpandCase{31, 2}, ExpandCase{32, 3},
                                           ExpandCase{33, 3}, ExpandCase{63, 2}, ExpandCase{96, 2},
                                           ExpandCase{640, 4}, ExpandCase{645, 3}));

TEST(ExpandTable, DefaultTableIsTheCodeInBothBytes) {
  Display display;
  EXPECT_EQ(display.expandTable[0], 0x0000);
  EXPECT_EQ(display.expandTable[0x12], 0x1212);
  EXPECT_EQ(display.expandTable[255], 0xFFFF);
}

TEST_F(DisplayTest, ChangedTableEntryChangesOnlyTheTablePath) {
  Display display;
  startWindowed(display);
  display.expandTable[0x12] = 0xF800;

  display.fastExpand = false;
  std::vector<uint16_t> picture = presentCode(display, 0x12);
  ASSERT_EQ(picture.size(), 640u * 480u);
  EXPECT_EQ(picture[0], 0xF800);
  EXPECT_EQ(picture[640 * 480 - 1], 0xF800);
  EXPECT_EQ(presentCode(display, 0x13)[1000], 0x1313);  // other codes stay on the default word

  display.fastExpand = true;
  picture = presentCode(display, 0x12);
  EXPECT_EQ(picture[0], 0x1212);
  EXPECT_EQ(picture[640 * 480 - 1], 0x1212);
}

TEST_F(DisplayTest, PresentShowsTheBufferOnBothPaths) {
  Display display;
  startWindowed(display);
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast" : "table");
    display.fastExpand = fast;
    for (int32_t i = 0; i < display.bufferSize; ++i) display.buffer[i] = static_cast<uint8_t>(i * 7 + i / 640);
    display.present();
    int w = 0;
    int h = 0;
    const std::vector<uint16_t> picture = headless::presentedPicture(w, h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    for (int32_t i = 0; i < display.bufferSize; i += 97) {
      ASSERT_EQ(picture[static_cast<size_t>(i)], display.buffer[i] * 0x101) << i;
    }
  }
}

// ---- Start-up ----------------------------------------------------------------------------------

TEST_F(DisplayTest, WindowedStartUpMakesItsCallsInOrderWithTheirFlags) {
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 320, 240));

  const std::vector<std::string> expected = {
      "DirectDrawCreateEx", "RestoreDisplayMode", "SetCooperativeLevel", "SetWindowLongA", "SetWindowPos",
      "SetWindowPos",       "MoveWindow",         "CreateSurface",       "CreateSurface",  "CreateClipper",
      "SetHWnd",            "SetClipper"};
  EXPECT_EQ(sequenceOf({"DirectDrawCreateEx", "RestoreDisplayMode", "SetCooperativeLevel", "SetWindowLongA",
                        "SetWindowPos", "MoveWindow", "CreateSurface", "CreateClipper", "SetHWnd", "SetClipper",
                        "SetDisplayMode", "GetAttachedSurface"}),
            expected);

  EXPECT_EQ(argsOf(headless::callsOf("SetCooperativeLevel").at(0))["flags"], "0x8");
  const std::vector<CallRecord> surfaces = headless::callsOf("CreateSurface");
  auto primary = argsOf(surfaces.at(0));
  EXPECT_EQ(primary["flags"], "0x1");
  EXPECT_EQ(primary["caps"], "0x200");
  auto back = argsOf(surfaces.at(1));
  EXPECT_EQ(back["flags"], "0x7");
  EXPECT_EQ(back["caps"], "0x6040");
  EXPECT_EQ(back["width"], "320");
  EXPECT_EQ(back["height"], "240");

  // The window gets a frame, the buffer's outer size and the centre of the 1024 x 768 desktop.
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(style & WS_POPUP, 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX), WS_SYSMENU | WS_MINIMIZEBOX);
  RECT placed;
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, (1024 - 320) / 2);
  EXPECT_EQ(placed.top, (768 - 240) / 2);
  EXPECT_EQ(placed.right - placed.left, 320);

  EXPECT_EQ(display.fullScreen, 0);
  EXPECT_EQ(display.bitsPerPixel, 16);
  EXPECT_EQ(display.desktopBitsPerPixel, 16);
  EXPECT_EQ(display.bufferSize, 320 * 240);
  EXPECT_NE(display.buffer, nullptr);
}

TEST_F(DisplayTest, WindowedBackSurfaceFallsBackToSystemMemory) {
  headless::setVideoMemory(false);
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 640, 480));
  const std::vector<CallRecord> surfaces = headless::callsOf("CreateSurface");
  ASSERT_EQ(surfaces.size(), 3u);
  EXPECT_EQ(argsOf(surfaces[1])["caps"], "0x6040");
  EXPECT_NE(surfaces[1].result, DD_OK);
  EXPECT_EQ(argsOf(surfaces[2])["caps"], "0x840");
}

TEST_F(DisplayTest, FullScreenStartUpMakesItsCallsInOrderWithTheirFlags) {
  for (bool videoMemory : {true, false}) {
    SCOPED_TRACE(videoMemory ? "video memory" : "system memory");
    headless::clearCalls();
    Display display;
    display.videoMemoryFlip = videoMemory;
    ASSERT_TRUE(display.initFullScreen(window, 800, 600));

    const std::vector<std::string> expected = {"DirectDrawCreateEx", "SetCooperativeLevel", "SetDisplayMode",
                                               "CreateSurface", "GetAttachedSurface"};
    EXPECT_EQ(sequenceOf({"DirectDrawCreateEx", "RestoreDisplayMode", "SetCooperativeLevel", "SetDisplayMode",
                          "CreateSurface", "GetAttachedSurface", "CreateClipper", "SetWindowLongA"}),
              expected);
    EXPECT_EQ(argsOf(headless::callsOf("SetCooperativeLevel").at(0))["flags"], "0x13");
    auto mode = argsOf(headless::callsOf("SetDisplayMode").at(0));
    EXPECT_EQ(mode["width"], "800");
    EXPECT_EQ(mode["height"], "600");
    EXPECT_EQ(mode["bpp"], "16");
    auto primary = argsOf(headless::callsOf("CreateSurface").at(0));
    EXPECT_EQ(primary["flags"], "0x21");
    EXPECT_EQ(primary["caps"], videoMemory ? "0x4218" : "0xa18");
    EXPECT_EQ(primary["backBuffers"], "1");
    EXPECT_EQ(argsOf(headless::callsOf("GetAttachedSurface").at(0))["caps"], "0x4");
    EXPECT_EQ(display.fullScreen, 1);
    EXPECT_EQ(display.bufferSize, 800 * 600);
  }
}

TEST_F(DisplayTest, WindowedStartUpOnA32BitDesktopShowsTheDepthMessage) {
  headless::setDesktop(32, 1024, 768);
  Display display;
  EXPECT_FALSE(display.initWindowed(window, 640, 480));
  EXPECT_EQ(display.desktopBitsPerPixel, 32);
  const std::vector<CallRecord> boxes = headless::callsOf("MessageBoxA");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kDepthMessage);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].window, window);
  EXPECT_TRUE(headless::callsOf("CreateSurface").empty());
  EXPECT_EQ(display.buffer, nullptr);
}

TEST_F(DisplayTest, FullScreenStartUpOnA32BitDesktopSwitchesTo16Bits) {
  headless::setDesktop(32, 1024, 768);
  Display display;
  ASSERT_TRUE(display.initFullScreen(window, 640, 480));
  EXPECT_EQ(headless::messageBoxCount(), 0);
  EXPECT_EQ(argsOf(headless::callsOf("SetDisplayMode").at(0))["bpp"], "16");
  // The frame reaches the screen through the flip.
  std::memset(display.buffer, 0x40, static_cast<size_t>(display.bufferSize));
  display.present();
  EXPECT_EQ(headless::callsOf("Flip").size(), 1u);
  EXPECT_EQ(headless::presentedFrames(), 1u);
}

TEST_F(DisplayTest, FailedStartUpStepsReportFalse) {
  const Call windowedSteps[] = {Call::DirectDrawCreateEx, Call::SetCooperativeLevel, Call::CreateClipper,
                                Call::SetHWnd, Call::SetClipper};
  for (Call step : windowedSteps) {
    SCOPED_TRACE(static_cast<int>(step));
    headless::failNext(step, DDERR_GENERIC);
    Display display;
    EXPECT_FALSE(display.initWindowed(window, 640, 480));
    EXPECT_EQ(display.bufferSize, 0);
  }
  // Primary surface refused: nothing further is tried.
  headless::clearCalls();
  headless::failNext(Call::CreateSurface, DDERR_GENERIC);
  Display windowed;
  EXPECT_FALSE(windowed.initWindowed(window, 640, 480));
  EXPECT_EQ(headless::callsOf("CreateSurface").size(), 1u);

  const Call fullScreenSteps[] = {Call::SetCooperativeLevel, Call::SetDisplayMode, Call::CreateSurface,
                                  Call::GetAttachedSurface};
  for (Call step : fullScreenSteps) {
    SCOPED_TRACE(static_cast<int>(step));
    headless::failNext(step, DDERR_GENERIC);
    Display display;
    EXPECT_FALSE(display.initFullScreen(window, 640, 480));
    EXPECT_EQ(display.fullScreen, 0);
  }
}

TEST_F(DisplayTest, SizesThatCannotBeABufferAreRefusedBeforeAnyCall) {
  const std::pair<int32_t, int32_t> sizes[] = {{0, 480}, {640, 0}, {-640, 480}, {640, -480}, {65536, 65536},
                                               {0x7FFFFFFF, 2}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
    headless::clearCalls();
    Display display;
    EXPECT_FALSE(display.initWindowed(window, size.first, size.second));
    EXPECT_FALSE(display.initFullScreen(window, size.first, size.second));
    EXPECT_TRUE(headless::calls().empty());
    EXPECT_EQ(display.buffer, nullptr);
    EXPECT_EQ(display.bufferSize, 0);
  }
}

TEST_F(DisplayTest, SecondStartUpKeepsTheBufferUnlessItIsTooSmall) {
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 640, 480));
  uint8_t* first = display.buffer;
  ASSERT_TRUE(display.initWindowed(window, 320, 240));
  EXPECT_EQ(display.buffer, first);
  EXPECT_EQ(display.bufferSize, 320 * 240);
  ASSERT_TRUE(display.initFullScreen(window, 800, 600));
  EXPECT_EQ(display.bufferSize, 800 * 600);
  ASSERT_GE(display.bufferCapacity, 800 * 600);
  // The whole of the larger buffer is ours to write and to present.
  std::memset(display.buffer, 0xFF, static_cast<size_t>(display.bufferSize));
  display.present();
  EXPECT_EQ(headless::presentedFrames(), 1u);
}

TEST_F(DisplayTest, DestructorReleasesBackPrimaryThenDirectDraw) {
  {
    Display display;
    startWindowed(display);
  }
  // Surfaces are named by role, the DirectDraw object by "object".
  std::vector<std::string> released;
  for (const CallRecord& record : headless::callsOf("Release")) {
    auto args = argsOf(record);
    released.push_back(args.count("object") ? args["object"] : args["surface"]);
  }
  std::string order;
  for (const std::string& name : released) order += name + " ";
  ASSERT_GE(released.size(), 3u) << order;
  // A surface also lets go of the DirectDraw object that made it, so only the order of the
  // surfaces and the final release count.
  std::vector<std::string> surfaces;
  for (const std::string& name : released) {
    if (name != "directDraw") surfaces.push_back(name);
  }
  ASSERT_EQ(surfaces.size(), 2u) << order;
  EXPECT_NE(surfaces[0], "primary") << order;
  EXPECT_EQ(surfaces[1], "primary") << order;
  EXPECT_EQ(released.back(), "directDraw") << order;
}

// ---- Frame rate --------------------------------------------------------------------------------

TEST_F(DisplayTest, FirstPresentGivesZeroThenCountsTheFramesBetweenIntervalStarts) {
  headless::useVirtualClock(5 * headless::kClockFrequency);
  Display display;
  startWindowed(display);
  display.framesPerSecond = 77;
  display.present();
  EXPECT_EQ(display.framesPerSecond, 0);
  EXPECT_EQ(frameRateState.counterFrequency, headless::kClockFrequency);

  // 60 evenly spaced frames a second: the frame that opens an interval is not counted.
  for (int second = 0; second < 3; ++second) {
    for (int frame = 1; frame < 60; ++frame) {
      headless::advanceClock(headless::kClockFrequency / 60);
      display.present();
    }
    headless::advanceClock(headless::kClockFrequency - 59 * (headless::kClockFrequency / 60));
    display.present();
    EXPECT_EQ(display.framesPerSecond, 59) << "second " << second;
  }
}

TEST_F(DisplayTest, FrameCountIsOneSetForTheWholeProcess) {
  headless::useVirtualClock(5 * headless::kClockFrequency);
  Display first;
  startWindowed(first);
  Display second;
  first.present();  // opens the interval
  for (int i = 0; i < 10; ++i) {
    headless::advanceClock(1000);
    (i % 2 ? first : second).present();
  }
  EXPECT_EQ(frameRateState.frameCount, 10);
  headless::advanceClock(headless::kClockFrequency);
  second.present();
  EXPECT_EQ(second.framesPerSecond, 10);
}

TEST_F(DisplayTest, LockErrorDropsTheFrameButCountsIt) {
  headless::useVirtualClock(5 * headless::kClockFrequency);
  Display display;
  startWindowed(display);
  display.present();
  const uint64_t shown = headless::presentedFrames();
  headless::failNext(Call::Lock, DDERR_GENERIC);
  headless::advanceClock(1000);
  display.present();
  EXPECT_EQ(frameRateState.frameCount, 1);
  EXPECT_EQ(headless::presentedFrames(), shown);
  EXPECT_TRUE(headless::callsOf("Blt").empty() || headless::callsOf("Unlock").size() == 1u);
  EXPECT_EQ(headless::callsOf("Lock").size(), 2u);
}

// ---- Lost surfaces -----------------------------------------------------------------------------

TEST_F(DisplayTest, LostLockIsRepeatedAfterRestoringUpToTheBound) {
  Display display;
  startWindowed(display);
  headless::failNext(Call::Lock, DDERR_SURFACELOST, Display::kLostSurfaceRetries);
  std::vector<uint16_t> picture = presentCode(display, 0x21);
  EXPECT_EQ(headless::callsOf("Lock").size(), static_cast<size_t>(Display::kLostSurfaceRetries + 1));
  EXPECT_EQ(headless::callsOf("Restore").size(), static_cast<size_t>(2 * Display::kLostSurfaceRetries));
  EXPECT_EQ(headless::presentedFrames(), 1u);
  ASSERT_FALSE(picture.empty());
  EXPECT_EQ(picture[0], 0x2121);
}

TEST_F(DisplayTest, LockThatStaysLostDropsTheFrame) {
  Display display;
  startWindowed(display);
  headless::failNext(Call::Lock, DDERR_SURFACELOST, 100);
  display.present();
  EXPECT_EQ(headless::callsOf("Lock").size(), static_cast<size_t>(Display::kLostSurfaceRetries + 1));
  EXPECT_TRUE(headless::callsOf("Unlock").empty());
  EXPECT_TRUE(headless::callsOf("Blt").empty());
  EXPECT_EQ(headless::presentedFrames(), 0u);
  // The next frame is not held back by the last one.
  headless::failNext(Call::Lock, DD_OK, 0);
  presentCode(display, 1);
  EXPECT_EQ(headless::presentedFrames(), 1u);
}

TEST_F(DisplayTest, SurfacesLostByAModeSwitchAreRestoredAndTheFrameShown) {
  Display display;
  startWindowed(display);
  headless::loseSurfaces();
  std::vector<uint16_t> picture = presentCode(display, 0x33);
  EXPECT_GE(headless::callsOf("Restore").size(), 2u);
  EXPECT_EQ(headless::presentedFrames(), 1u);
  ASSERT_FALSE(picture.empty());
  EXPECT_EQ(picture[0], 0x3333);
}

TEST_F(DisplayTest, LostBlitIsRepeatedWithinTheBound) {
  Display display;
  startWindowed(display);
  headless::failNext(Call::Blt, DDERR_SURFACELOST, Display::kLostSurfaceRetries);
  presentCode(display, 2);
  EXPECT_EQ(headless::callsOf("Blt").size(), static_cast<size_t>(Display::kLostSurfaceRetries + 1));
  EXPECT_EQ(headless::presentedFrames(), 1u);
  headless::clearCalls();
  headless::failNext(Call::Blt, DDERR_SURFACELOST, 100);
  presentCode(display, 3);
  EXPECT_EQ(headless::callsOf("Blt").size(), static_cast<size_t>(Display::kLostSurfaceRetries + 1));
  EXPECT_EQ(headless::presentedFrames(), 1u);
}

TEST_F(DisplayTest, LostFlipIsRepeatedWithinTheBound) {
  Display display;
  ASSERT_TRUE(display.initFullScreen(window, 640, 480));
  headless::clearCalls();
  headless::failNext(Call::Flip, DDERR_SURFACELOST, 100);
  presentCode(display, 4);
  EXPECT_EQ(headless::callsOf("Flip").size(), static_cast<size_t>(Display::kLostSurfaceRetries + 1));
  EXPECT_EQ(headless::callsOf("Restore").size(), static_cast<size_t>(2 * Display::kLostSurfaceRetries));
}

// ---- Status text -------------------------------------------------------------------------------

class DrawTextTest : public DisplayTest {
protected:
  void SetUp() override {
    DisplayTest::SetUp();
    startWindowed(display);
    HDC dc = nullptr;
    ASSERT_EQ(display.primarySurface->GetDC(&dc), DD_OK);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    lineHeight = metrics.tmHeight;
    display.primarySurface->ReleaseDC(dc);
    ASSERT_GT(lineHeight, 0);
    RECT placed;
    GetWindowRect(window, &placed);
    origin.x = 0;
    origin.y = 0;
    ClientToScreen(window, &origin);
    headless::clearCalls();
  }

  // The lines drawn: their bytes and screen positions.
  struct Line {
    std::string text;
    int x;
    int y;
  };
  std::vector<Line> lines() {
    std::vector<Line> out;
    for (const CallRecord& record : headless::callsOf("TextOutA")) {
      auto args = argsOf(record);
      out.push_back({record.text, std::stoi(args["x"]), std::stoi(args["y"])});
    }
    return out;
  }

  Display display;
  int lineHeight = 0;
  POINT origin;
};

TEST_F(DrawTextTest, NineteenBytesMakeOneLine) {
  display.drawText(200, 200, 0xFFFF, 20, "%s", "abcdefghijklmnopqrs");
  std::vector<Line> drawn = lines();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].text, "abcdefghijklmnopqrs");
  EXPECT_EQ(drawn[0].x, origin.x + 200);
  EXPECT_EQ(drawn[0].y, origin.y + 200);
  auto colour = argsOf(headless::callsOf("SetTextColor").at(0));
  EXPECT_EQ(colour["colour"], "0xffff");
}

TEST_F(DrawTextTest, FortyFiveBytesMakeLinesOfTwentyTwentyAndFive) {
  const std::string text = "0123456789ABCDEFGHIJklmnopqrstuvwxyz!#$^&*()+";
  ASSERT_EQ(text.size(), 45u);
  display.drawText(10, 20, 0xFFFF, 20, text.c_str());
  std::vector<Line> drawn = lines();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].text, text.substr(0, 20));
  EXPECT_EQ(drawn[1].text, text.substr(20, 20));
  EXPECT_EQ(drawn[2].text, text.substr(40));
  for (size_t i = 0; i < drawn.size(); ++i) {
    EXPECT_EQ(drawn[i].x, origin.x + 10);
    EXPECT_EQ(drawn[i].y, origin.y + 20 + static_cast<int>(i) * lineHeight);
  }
}

TEST_F(DrawTextTest, DoubleByteCharacterAtTheBudgetsEdgeStaysWhole) {
  // Nineteen bytes, then a character of two: it starts inside the budget, so the line is 21.
  display.drawText(0, 0, 0xFFFF, 20, "%s", "abcdefghijklmnopqrs\xb0\xa1xy");
  std::vector<Line> drawn = lines();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].text, "abcdefghijklmnopqrs\xb0\xa1");
  EXPECT_EQ(drawn[1].text, "xy");

  // Twenty bytes fill the budget: the character opens the next line.
  headless::clearCalls();
  display.drawText(0, 0, 0xFFFF, 20, "%s", "abcdefghijklmnopqrst\xb0\xa1");
  drawn = lines();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[1].text, "\xb0\xa1");

  // A lead byte just before the end of the text: the text ends there.
  headless::clearCalls();
  display.drawText(0, 0, 0xFFFF, 20, "%s", "ab\xb0");
  drawn = lines();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].text, "ab\xb0");
}

TEST_F(DrawTextTest, BudgetsOutsideTheLineBufferAreHeldInside) {
  display.drawText(0, 0, 0xFFFF, 0, "%s", "abc");
  EXPECT_TRUE(lines().empty());
  const std::string longText(600, 'x');
  display.drawText(0, 0, 0xFFFF, 1000, "%s", longText.c_str());
  std::vector<Line> drawn = lines();
  ASSERT_FALSE(drawn.empty());
  size_t total = 0;
  for (const Line& line : drawn) {
    EXPECT_LE(line.text.size(), 255u);
    total += line.text.size();
  }
  EXPECT_EQ(total, 600u);
}

TEST_F(DrawTextTest, FormattedTextIsCutAt1023Bytes) {
  const std::string longText(2000, 'y');
  display.drawText(0, 0, 0xFFFF, 200, "%s", longText.c_str());
  size_t total = 0;
  for (const Line& line : lines()) total += line.text.size();
  EXPECT_EQ(total, 1023u);
}

TEST_F(DisplayTest, ClearScreenFillsThePrimaryWithColourZero) {
  Display display;
  startWindowed(display);
  presentCode(display, 0x7F);
  display.clearScreen();
  const std::vector<CallRecord> fills = headless::callsOf("Blt");
  ASSERT_FALSE(fills.empty());
  auto args = argsOf(fills.back());
  EXPECT_EQ(args["flags"], "0x400");
  EXPECT_EQ(args["fill"], "0x0");
  int w = 0;
  int h = 0;
  const std::vector<uint16_t> picture = headless::presentedPicture(w, h);
  ASSERT_FALSE(picture.empty());
  EXPECT_EQ(picture[0], 0);
  EXPECT_EQ(picture[picture.size() - 1], 0);
}

}  // namespace
