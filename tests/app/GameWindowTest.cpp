// The game framework on the headless platform: a game is a Game run by a GameWindow, with no
// global of its own.
#include "app/GameWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Game.h"
#include "platform/headless/HeadlessControl.h"
#include "platform/win32/LayerControl.h"

namespace {

using Type = platform::BackendEvent::Type;
using Button = platform::BackendEvent::Button;

platform::BackendEvent inputEvent(Type type, uint32_t key, int x = 0, int y = 0, Button button = Button::Left) {
  return platform::BackendEvent{type, nullptr, false, key, 0, x, y, button};
}

// A game that keeps what reaches it and quits (code 5) once the clock has passed two seconds.
class RecordingGame : public Game {
public:
  bool setUp(GameWindow&) override { return setUpSucceeds; }
  void update(double elapsedSeconds) override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (updates++ == 0) firstTicks = now.QuadPart;
    elapsedSum += elapsedSeconds;
    lastTicks = now.QuadPart;
    if (now.QuadPart < layer::kClockFrequency) ++firstSecondFrames;
    if (now.QuadPart >= 2 * layer::kClockFrequency) PostQuitMessage(5);
    if (GameWindow::keyDown(VK_LEFT)) ++leftHeldFrames;
    steps.push_back(elapsedSeconds);
    if (updates == stallAfterUpdates) layer::advanceMilliseconds(1000);  // a breakpoint, say
  }
  void draw(Display&) override {}
  void tearDown() override { tornDown = true; }
  void onKeyDown(uint32_t key, bool repeated) override { note(repeated ? "again" : "down", key); }
  void onKeyUp(uint32_t key) override { note("up", key); }
  void onMouseMove(int32_t x, int32_t y) override { note("move", 0, x, y); }
  void onMouseDown(MouseButton button, int32_t x, int32_t y) override { note("press", int(button), x, y); }
  void onMouseUp(MouseButton button, int32_t x, int32_t y) override { note("release", int(button), x, y); }
  void note(const char* what, uint32_t code, int32_t x = 0, int32_t y = 0) {
    log += std::string(what) + " " + std::to_string(code) + " " + std::to_string(x) + "," + std::to_string(y) + ";";
  }

  bool setUpSucceeds = true;
  bool tornDown = false;
  int updates = 0;
  int firstSecondFrames = 0;
  int leftHeldFrames = 0;
  int64_t firstTicks = 0, lastTicks = 0;
  double elapsedSum = 0;
  std::vector<double> steps;
  int stallAfterUpdates = -1;
  std::string log;
};

// Runs a fresh game on a fresh platform with the clock already set up; its exit code.
int runGame(RecordingGame& game, FramePacing pacing) {
  GameOptions options;
  options.settingsFile = nullptr;
  options.pacing = pacing;
  options.framesPerSecond = 60;
  GameWindow window(options);
  return window.run(nullptr, game);
}

TEST(GameWindow, FramesKeepToTheirPaceOnAVirtualClockAndTheirStepsAddUpToIt) {
  struct Case {
    int fixedFramesPerSecond;  // 0: a virtual clock that only waiting moves
    FramePacing pacing;        // capped at 60 frames a second
    int expectedFramesPerSecond;
  } const cases[] = {
      {0, FramePacing::Capped, 60},     {120, FramePacing::Capped, 60},  // quicker frames wait
      {30, FramePacing::Capped, 30},    {0, FramePacing::Refresh, 60},   // headless cannot wait for one
      {50, FramePacing::Unlimited, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixedFramesPerSecond);
    layer::reset();
    c.fixedFramesPerSecond ? layer::setFixedFrameRate(c.fixedFramesPerSecond) : layer::useVirtualClock();
    RecordingGame game;
    EXPECT_EQ(runGame(game, c.pacing), 5);
    EXPECT_EQ(game.firstSecondFrames, c.expectedFramesPerSecond);
    EXPECT_NEAR(game.elapsedSum, double(game.lastTicks - game.firstTicks) / layer::kClockFrequency, 1e-9);
    EXPECT_EQ(layer::presentedFrames(), static_cast<uint64_t>(game.updates));
    EXPECT_TRUE(game.tornDown);
  }
}

TEST(GameWindow, InputReachesTheGameInBackBufferPixelsAndEscapeQuits) {
  layer::reset();
  layer::setFixedFrameRate(60);
  // Framed windows: the game's window grows so that its client area still holds 640 x 480. Left is
  // held from frame 2 to 5 and repeats once.
  headless::setWindowFrame(true);
  const Button right = Button::Right;
  const std::pair<uint64_t, platform::BackendEvent> script[] = {
      {1, inputEvent(Type::MouseMove, 0, 10, 20)}, {2, inputEvent(Type::MouseDown, 0, 639, 479, right)},
      {2, inputEvent(Type::KeyDown, VK_LEFT)},     {3, inputEvent(Type::KeyDown, VK_LEFT)},
      {5, inputEvent(Type::KeyUp, VK_LEFT)},       {5, inputEvent(Type::MouseUp, 0, 320, 0, right)},
      {6, inputEvent(Type::KeyDown, VK_ESCAPE)},
  };
  for (const auto& item : script) headless::postAfterFrames(item.first, item.second);
  RecordingGame game;
  EXPECT_EQ(runGame(game, FramePacing::Capped), 0);
  EXPECT_EQ(game.log, "move 0 10,20;press 1 639,479;down 37 0,0;again 37 0,0;up 37 0,0;release 1 320,0;down 27 0,0;");
  EXPECT_EQ(game.leftHeldFrames, 3);
  EXPECT_EQ(layer::presentedFrames(), 6u);
}

TEST(GameWindow, AStallMovesTheGameAQuarterSecondAndTheFirstFrameAfterAnInactiveSpellNotAtAll) {
  layer::reset();
  layer::useVirtualClock();
  // The fourth frame stalls for a second; the application is inactive from the sixth frame to 1.5 s.
  platform::BackendEvent activation{Type::Activate};
  headless::postAfterFrames(6, activation);
  activation.active = true;
  headless::postAtMilliseconds(1500, activation);
  RecordingGame game;
  game.stallAfterUpdates = 4;
  EXPECT_EQ(runGame(game, FramePacing::Capped), 5);
  ASSERT_GT(game.steps.size(), 7u);
  EXPECT_NEAR(game.steps[3], 1.0 / 60, 1e-3);
  EXPECT_EQ(game.steps[4], FrameClock::kMaxStepSeconds);
  EXPECT_NEAR(game.steps[5], 1.0 / 60, 1e-3);
  EXPECT_EQ(game.steps[6], 0.0);
  EXPECT_NEAR(game.steps[7], 1.0 / 60, 1e-3);
}

TEST(GameWindow, AGameThatCannotSetUpEndsTheRunWithOneAndNoFrame) {
  layer::reset();
  RecordingGame game;
  game.setUpSucceeds = false;
  EXPECT_EQ(runGame(game, FramePacing::Unlimited), 1);
  EXPECT_FALSE(game.tornDown);
  EXPECT_EQ(layer::presentedFrames(), 0u);
}

}  // namespace
