#include "platform/headless/HeadlessControl.h"

#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/CallLog.h"
#include "platform/win32/Clock.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/PngWriter.h"
#include "platform/win32/RunControl.h"
#include "platform/win32/Screen.h"
#include "platform/win32/WindowManager.h"

namespace headless {

namespace {

// The installed back end when it is the headless one.
platform::HeadlessBackend* headlessBackend() {
  return dynamic_cast<platform::HeadlessBackend*>(&platform::backend());
}

platform::BackendEvent makeEvent(platform::BackendEvent::Type type) {
  platform::BackendEvent event;
  event.type = type;
  return event;
}

}  // namespace

static_assert(kClockFrequency == platform::Clock::kFrequency, "one counter frequency");

void reset() {
  platform::installBackend(platform::createHeadlessBackend());
  platform::windowManager().reset();
  platform::messageQueue().reset();
  platform::screen().reset();
  platform::runControl().reset();
  platform::callLog().clear();
  platform::callLog().setEnabled(false);
  platform::failures().clear();
  platform::systemClock().useRealTime();
}

void setDesktop(int bitsPerPixel, int width, int height) {
  if (platform::HeadlessBackend* backend = headlessBackend()) {
    backend->setDesktop(bitsPerPixel, width, height);
    platform::screen().desktopChanged();
  }
}

void setWindowFrame(bool framed) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->setFramed(framed);
}

void useVirtualClock(int64_t startTicks) {
  platform::systemClock().useVirtual(startTicks);
}

void advanceClock(int64_t ticks) {
  platform::systemClock().advance(ticks);
}

void advanceMilliseconds(int64_t milliseconds) {
  platform::systemClock().advance(milliseconds * platform::Clock::kTicksPerMillisecond);
}

void setFixedFrameRate(int framesPerSecond) {
  platform::systemClock().setFixedFrameRate(framesPerSecond);
}

int64_t clockTicks() {
  return platform::systemClock().now();
}

void failNext(Call call, HRESULT result, int count, int skip) {
  platform::failures().failNext(call, result, count, skip);
}

void setVideoMemory(bool available) {
  platform::failures().setVideoMemory(available);
}

void loseSurfaces() {
  platform::screen().loseAll();
}

void recordCalls(bool on) {
  platform::callLog().setEnabled(on);
}

const std::vector<CallRecord>& calls() {
  return platform::callLog().records();
}

void clearCalls() {
  platform::callLog().clear();
}

std::vector<CallRecord> callsOf(const std::string& api) {
  std::vector<CallRecord> found;
  for (const CallRecord& record : calls()) {
    if (record.api == api) found.push_back(record);
  }
  return found;
}

void postEvent(const platform::BackendEvent& event) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->post(event);
}

void postKey(uint32_t virtualKey, uint32_t character) {
  platform::BackendEvent down = makeEvent(platform::BackendEvent::Type::KeyDown);
  down.key = virtualKey;
  down.character = character;
  postEvent(down);
  platform::BackendEvent up = makeEvent(platform::BackendEvent::Type::KeyUp);
  up.key = virtualKey;
  postEvent(up);
}

void postChar(uint32_t character) {
  platform::BackendEvent event = makeEvent(platform::BackendEvent::Type::Char);
  event.character = character;
  postEvent(event);
}

void postActivate(bool active) {
  platform::BackendEvent event = makeEvent(platform::BackendEvent::Type::Activate);
  event.active = active;
  postEvent(event);
}

void postClose() {
  postEvent(makeEvent(platform::BackendEvent::Type::Close));
}

void postAfterFrames(uint64_t frames, const platform::BackendEvent& event) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->postAfterFrames(frames, event);
}

void postAtMilliseconds(int64_t milliseconds, const platform::BackendEvent& event) {
  if (platform::HeadlessBackend* backend = headlessBackend()) {
    backend->postAtTicks(milliseconds * platform::Clock::kTicksPerMillisecond, event);
  }
}

void endAfterFrames(uint64_t frames) {
  platform::runControl().endAfterFrames(frames);
}

uint64_t presentedFrames() {
  return platform::runControl().frames();
}

int messageBoxCount() {
  platform::HeadlessBackend* backend = headlessBackend();
  return backend ? backend->messageBoxCount() : 0;
}

std::vector<uint16_t> presentedPicture(int& width, int& height) {
  std::vector<uint16_t> pixels;
  platform::screen().capture(pixels, width, height);
  return pixels;
}

bool savePresentedPng(const std::string& path) {
  int width = 0;
  int height = 0;
  std::vector<uint16_t> pixels = presentedPicture(width, height);
  if (pixels.empty()) return false;
  return platform::writeRgb565Png(path, pixels.data(), width, height);
}

}  // namespace headless
