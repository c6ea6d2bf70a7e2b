// The display device on the headless platform: start-up and its failures, the desktop-depth
// check, frame counting, lost surfaces, the three expansion paths and the status text's lines.
#include "display/Display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "display/CodeExpansion.h"
#include "tests/support/HeadlessFixture.h"

// The next non-throwing array allocation of exactly this many bytes fails, as when memory is short.
static size_t refusedArrayBytes = 0;

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (size != 0 && size == refusedArrayBytes) {
    refusedArrayBytes = 0;
    return nullptr;
  }
  return std::malloc(size ? size : 1);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
void* operator new[](std::size_t size) {
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

namespace {

using layer::argOf;
using layer::Call;
using layer::CallRecord;

// "您的桌面不是16位色的，不能在窗口模式下运行" in GBK.
const std::string kDepthMessage =
    "\xc4\xfa\xb5\xc4\xd7\xc0\xc3\xe6\xb2\xbb\xca\xc7\x31\x36\xce\xbb\xc9\xab\xb5\xc4\xa3\xac"
    "\xb2\xbb\xc4\xdc\xd4\xda\xb4\xb0\xbf\xda\xc4\xa3\xca\xbd\xcf\xc2\xd4\xcb\xd0\xd0";

class DisplayTest : public ::testing::Test {
protected:
  void SetUp() override {
    frameRateState = FrameRateState();
    window = headlesstest::freshWindow("displaytest", 0, 0, 640, 480);
    ASSERT_NE(window, nullptr);
    layer::recordCalls(true);
  }

  // A started display with recording cleared, ready to present.
  void start(Display& display, bool fullScreen = false) {
    ASSERT_TRUE(fullScreen ? display.initFullScreen(window, 640, 480) : display.initWindowed(window, 640, 480));
    layer::clearCalls();
  }

  // Presents a buffer of one code everywhere and returns the picture shown.
  std::vector<uint16_t> presentCode(Display& display, uint8_t code) {
    std::memset(display.buffer, code, static_cast<size_t>(display.bufferSize));
    display.present();
    return headlesstest::presented();
  }

  HWND window = nullptr;
};

void expandWithDefaultTable(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch) {
  static Display display;  // its table is the default one
  expandCodesTable(source, width, height, destination, pitch, display.expandTable);
}

// Widths around the 32-pixel blocks of the fast path, rows padded by an odd number of pixels; the
// portable path (the only one of builds without SSE2) must give what the SSE2 one gives, and
// the padding must stay untouched.
TEST(Expand, EveryPathShowsCodeTimes0x101AndStaysInsideItsRows) {
  using ExpandFunction = void (*)(const uint8_t*, int32_t, int32_t, uint8_t*, int32_t);
  const std::pair<const char*, ExpandFunction> paths[] = {{"fast", expandCodesFast},
                                                          {"portable", expandCodesPortable},
                                                          {"words", expandCodesWords},
                                                          {"table", expandWithDefaultTable}};
  const std::pair<int32_t, int32_t> shapes[] = {{1, 3},  {7, 2},  {31, 2},  {32, 3}, {33, 3},
                                                {63, 2}, {96, 2}, {640, 4}, {645, 3}};
  for (const auto& [width, height] : shapes) {
    const int32_t pitch = width * 2 + 2 * (1 + width % 3 * 2);
    std::vector<uint8_t> source(static_cast<size_t>(width * height));
    std::vector<uint8_t> expected(static_cast<size_t>(pitch * height), 0xAB);
    for (size_t i = 0; i < source.size(); ++i) {
      source[i] = static_cast<uint8_t>(i * 37 + i / 256);
      // c x 0x101 has c in both bytes, whatever the byte order.
      const size_t at = i / size_t(width) * size_t(pitch) + i % size_t(width) * 2;
      expected[at] = expected[at + 1] = source[i];
    }
    for (const auto& path : paths) {
      SCOPED_TRACE(std::string(path.first) + " " + std::to_string(width) + " x " + std::to_string(height));
      std::vector<uint8_t> surface(expected.size(), 0xAB);
      path.second(source.data(), width, height, surface.data(), pitch);
      EXPECT_EQ(surface, expected);
    }
  }
}

// (That present shows the whole buffer expanded is checked on the demo's golden frame.)
TEST_F(DisplayTest, AChangedTableEntryShowsOnlyOnTheTablePath) {
  Display display;
  start(display);
  display.expandTable[0x12] = 0xF800;
  display.fastExpand = false;
  EXPECT_EQ(presentCode(display, 0x12)[640 * 480 - 1], 0xF800);
  EXPECT_EQ(presentCode(display, 0x13)[1000], 0x1313);  // other codes keep their word
  display.fastExpand = true;
  EXPECT_EQ(presentCode(display, 0x12)[640 * 480 - 1], 0x1212);
}

// Windowed on a 32-bit desktop: the depth message; no memory for the buffer: "Out of memory!".
TEST_F(DisplayTest, StartUpFailuresThatShowAMessageBox) {
  struct Case {
    bool deepDesktop;
    bool fullScreen;
    std::string box;
  };
  const Case cases[] = {{true, false, "ERROR: " + kDepthMessage},
                        {false, false, "Error: Out of memory!"},
                        {false, true, "Error: Out of memory!"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    layer::clearCalls();
    headless::setDesktop(c.deepDesktop ? 32 : 16, 1024, 768);
    refusedArrayBytes = c.deepDesktop ? 0 : 640 * 480;
    Display display;
    EXPECT_FALSE(c.fullScreen ? display.initFullScreen(window, 640, 480) : display.initWindowed(window, 640, 480));
    const std::vector<CallRecord> boxes = layer::callsOf("MessageBoxA");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption + ": " + boxes[0].text, c.box);
    EXPECT_EQ(boxes[0].window, window);
    EXPECT_TRUE(display.buffer == nullptr && display.bufferSize == 0);
  }
}

TEST_F(DisplayTest, WithoutVideoMemoryTheWindowedBackSurfaceIsMadeInSystemMemory) {
  layer::setVideoMemory(false);
  Display display;
  ASSERT_TRUE(display.initWindowed(window, 320, 240));
  EXPECT_EQ(presentCode(display, 0x40).at(0), 0x4040);
}

TEST_F(DisplayTest, FailedStartUpStepsAndImpossibleSizesReportFalse) {
  const std::pair<Call, bool> steps[] = {{Call::DirectDrawCreateEx, false},
                                         {Call::SetCooperativeLevel, false},
                                         {Call::CreateSurface, false},
                                         {Call::CreateClipper, false},
                                         {Call::SetHWnd, false},
                                         {Call::SetClipper, false},
                                         {Call::SetCooperativeLevel, true},
                                         {Call::SetDisplayMode, true},
                                         {Call::CreateSurface, true},
                                         {Call::GetAttachedSurface, true}};
  for (const auto& [step, fullScreen] : steps) {
    SCOPED_TRACE(std::to_string(static_cast<int>(step)) + (fullScreen ? " full screen" : " windowed"));
    layer::clearCalls();
    layer::failNext(step, DDERR_GENERIC);
    Display display;
    EXPECT_FALSE(fullScreen ? display.initFullScreen(window, 640, 480) : display.initWindowed(window, 640, 480));
    EXPECT_EQ(display.fullScreen, 0);
    if (step == Call::CreateSurface) {
      EXPECT_EQ(layer::callsOf("CreateSurface").size(), 1u);  // nothing further is tried
    }
  }
  // Sizes that cannot be a buffer are refused before any call.
  for (const auto& [width, height] : std::vector<std::pair<int32_t, int32_t>>{
           {0, 480}, {640, 0}, {-640, 480}, {640, -480}, {65536, 65536}, {0x7FFFFFFF, 2}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    layer::clearCalls();
    Display display;
    EXPECT_FALSE(display.initWindowed(window, width, height));
    EXPECT_FALSE(display.initFullScreen(window, width, height));
    EXPECT_TRUE(layer::calls().empty() && display.buffer == nullptr && display.bufferSize == 0);
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
  EXPECT_EQ(presentCode(display, 0xFF).at(800 * 600 - 1), 0xFFFF);
}

TEST_F(DisplayTest, FirstPresentGivesZeroThenEveryPresentOfTheProcessCountsEvenALockError) {
  layer::useVirtualClock(5 * layer::kClockFrequency);
  Display display;
  start(display);
  display.framesPerSecond = 77;
  display.present();
  EXPECT_EQ(display.framesPerSecond, 0);
  EXPECT_EQ(frameRateState.counterFrequency, layer::kClockFrequency);

  // 60 evenly spaced frames a second: the frame that opens an interval is not counted.
  for (int second = 0; second < 2; ++second) {
    for (int frame = 1; frame < 60; ++frame) {
      layer::advanceClock(layer::kClockFrequency / 60);
      display.present();
    }
    layer::advanceClock(layer::kClockFrequency - 59 * (layer::kClockFrequency / 60));
    display.present();
    EXPECT_EQ(display.framesPerSecond, 59) << "second " << second;
  }

  // Another display counts into the same interval; a frame whose lock fails is dropped but counted.
  Display other;
  const uint64_t shown = layer::presentedFrames();
  for (int i = 0; i < 10; ++i) {
    layer::advanceClock(1000);
    if (i == 3) layer::failNext(Call::Lock, DDERR_GENERIC);
    (i % 2 ? display : other).present();
  }
  EXPECT_EQ(frameRateState.frameCount, 10);
  EXPECT_EQ(layer::presentedFrames(), shown + 4);
  layer::advanceClock(layer::kClockFrequency);
  other.present();
  EXPECT_EQ(other.framesPerSecond, 10);
}

TEST_F(DisplayTest, LostSurfacesAreRestoredAndRetriedUpToTheBound) {
  constexpr int kBound = Display::kLostSurfaceRetries;
  const std::pair<Call, const char*> steps[] = {{Call::Lock, "Lock"}, {Call::Blt, "Blt"}, {Call::Flip, "Flip"}};
  for (const auto& [call, api] : steps) {
    for (const int failures : {kBound, 100}) {
      SCOPED_TRACE(std::string(api) + " lost " + std::to_string(failures) + " times");
      Display display;
      start(display, call == Call::Flip);  // only full screen flips
      const uint64_t before = layer::presentedFrames();
      layer::failNext(call, DDERR_SURFACELOST, failures);
      const bool recovers = failures <= kBound;
      const std::vector<uint16_t> picture = presentCode(display, 0x21);
      EXPECT_EQ(layer::callsOf(api).size(), static_cast<size_t>(kBound + 1));
      EXPECT_EQ(layer::callsOf("Restore").size(), static_cast<size_t>(2 * kBound));
      EXPECT_EQ(layer::presentedFrames() - before, recovers ? 1u : 0u);
      EXPECT_TRUE(!recovers || picture.at(0) == 0x2121);
      // The next frame is not held back by the last one.
      layer::failNext(call, DD_OK, 0);
      EXPECT_EQ(presentCode(display, 0x22).at(0), 0x2222);
    }
  }
  // Surfaces lost by a mode switch are restored and the frame shown.
  Display display;
  start(display);
  layer::loseSurfaces();
  EXPECT_EQ(presentCode(display, 0x33).at(0), 0x3333);
  EXPECT_GE(layer::callsOf("Restore").size(), 2u);
}

TEST_F(DisplayTest, ClearScreenFillsThePrimaryWithColourZero) {
  Display display;
  start(display);
  presentCode(display, 0x7F);
  display.clearScreen();
  const std::vector<uint16_t> picture = headlesstest::presented();
  EXPECT_EQ(picture.at(0) | picture.back(), 0);
}

TEST_F(DisplayTest, DrawTextCutsLinesAtTheBudgetKeepingDoubleByteCharactersWhole) {
  Display display;
  start(display);
  HDC dc = nullptr;
  ASSERT_EQ(display.primarySurface->GetDC(&dc), DD_OK);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  display.primarySurface->ReleaseDC(dc);
  ASSERT_GT(metrics.tmHeight, 0);
  POINT origin = {10, 20};
  ClientToScreen(window, &origin);

  const std::string alphabet = "0123456789ABCDEFGHIJklmnopqrstuvwxyz!#$^&*()+";
  const std::string a19 = alphabet.substr(0, 19);
  const std::string y200(200, 'y');
  struct Case {
    std::string text;
    int32_t budget;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {a19, 20, {a19}},
      {alphabet, 20, {alphabet.substr(0, 20), alphabet.substr(20, 20), alphabet.substr(40)}},
      // A character of two bytes that starts inside the budget stays whole: the line is 21.
      {a19 + "\xb0\xa1xy", 20, {a19 + "\xb0\xa1", "xy"}},
      // Twenty bytes fill the budget: the character opens the next line.
      {alphabet.substr(0, 20) + "\xb0\xa1", 20, {alphabet.substr(0, 20), "\xb0\xa1"}},
      {"ab\xb0", 20, {"ab\xb0"}},  // a lead byte at the end: the text ends there
      {"abc", 0, {}},
      // The formatted text is held to 1023 bytes and its zero.
      {std::string(2000, 'y'), 200, {y200, y200, y200, y200, y200, std::string(23, 'y')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30) + " in " + std::to_string(c.budget));
    layer::clearCalls();
    display.drawText(10, 20, 0xFFFF, c.budget, "%s", c.text.c_str());
    std::vector<std::string> lines;
    for (const CallRecord& record : layer::callsOf("TextOutA")) {
      const int y = origin.y + static_cast<int>(lines.size()) * metrics.tmHeight;
      EXPECT_EQ(argOf(record, "x") + " " + argOf(record, "y"), std::to_string(origin.x) + " " + std::to_string(y));
      lines.push_back(record.text);
    }
    EXPECT_EQ(lines, c.lines);
    const std::vector<CallRecord> colours = layer::callsOf("SetTextColor");
    EXPECT_EQ(colours.empty() ? "" : argOf(colours[0], "colour"), lines.empty() ? "" : "0xffff");
  }
}

}  // namespace
