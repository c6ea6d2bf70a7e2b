#include "platform/win32/LayerControl.h"

#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/CallLog.h"
#include "platform/win32/Clock.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/PngWriter.h"
#include "platform/win32/RunControl.h"
#include "platform/win32/Screen.h"
#include "platform/win32/WindowManager.h"

namespace layer {

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

std::string argOf(const CallRecord& record, const std::string& name) {
  const std::string key = name + "=";
  size_t at = 0;
  while ((at = record.args.find(key, at)) != std::string::npos) {
    if (at == 0 || record.args[at - 1] == ' ') {
      const size_t begin = at + key.size();
      return record.args.substr(begin, record.args.find(' ', begin) - begin);
    }
    at += key.size();
  }
  return std::string();
}

void endAfterFrames(uint64_t frames) {
  platform::runControl().endAfterFrames(frames);
}

uint64_t presentedFrames() {
  return platform::runControl().frames();
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

bool presentedPictureHash(uint64_t& hash) {
  int width = 0;
  int height = 0;
  const std::vector<uint16_t> pixels = presentedPicture(width, height);
  if (pixels.empty()) return false;
  hash = 0xcbf29ce484222325ull;
  for (uint16_t pixel : pixels) {
    for (unsigned byte : {pixel & 0xFFu, static_cast<unsigned>(pixel >> 8)}) {
      hash ^= byte;
      hash *= 0x100000001b3ull;
    }
  }
  return true;
}

}  // namespace layer
