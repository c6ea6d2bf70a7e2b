#include "platform/headless/HeadlessBackend.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <windows.h>

#include "platform/gbk/GbkCodec.h"

namespace platform {

namespace {

constexpr int64_t kTicksPerMillisecond = BackendHost::kClockFrequency / 1000;

void sleepTicks(int64_t ticks) {
  if (ticks <= 0) return;
  timespec pause{};
  pause.tv_sec = static_cast<time_t>(ticks / BackendHost::kClockFrequency);
  pause.tv_nsec = static_cast<long>(ticks % BackendHost::kClockFrequency) * 100;
  while (nanosleep(&pause, &pause) != 0) {
  }
}

}  // namespace

std::unique_ptr<Backend> createHeadlessBackend() {
  return std::make_unique<HeadlessBackend>();
}

void HeadlessBackend::desktopSize(int& width, int& height) {
  width = width_;
  height = height_;
}

RECT HeadlessBackend::frameInsets(DWORD style) {
  return framed_ ? Backend::frameInsets(style) : RECT{0, 0, 0, 0};
}

bool HeadlessBackend::createWindow(HWND, const char*, const RECT&, DWORD) {
  return true;
}

void HeadlessBackend::destroyWindow(HWND) {}

void HeadlessBackend::showWindow(HWND, bool, DWORD) {}

void HeadlessBackend::placeWindow(HWND, const RECT&, DWORD) {}

bool HeadlessBackend::setFullScreen(HWND, int width, int height, int bitsPerPixel) {
  return width > 0 && height > 0 && bitsPerPixel > 0;
}

void HeadlessBackend::leaveFullScreen(HWND) {}

void HeadlessBackend::present(HWND, const Picture&, bool frame) {
  // The picture stays in the screen's memory, where captures read it; nothing to copy here.
  if (frame && !held_.empty()) releaseDue();
}

void HeadlessBackend::setDesktop(int bitsPerPixel, int width, int height) {
  bitsPerPixel_ = bitsPerPixel;
  width_ = width;
  height_ = height;
  host().desktopChanged();
}

void HeadlessBackend::postAfterFrames(uint64_t frames, const BackendEvent& event) {
  if (frames <= host().framesPresented()) {
    post(event);
    return;
  }
  held_.push_back(Held{frames, 0, event});
}

void HeadlessBackend::postAtTicks(int64_t ticks, const BackendEvent& event) {
  held_.push_back(Held{0, ticks, event});
}

void HeadlessBackend::releaseDue() {
  const uint64_t frames = host().framesPresented();
  const int64_t now = host().clockTicks();
  // In the order they were held, so two events for the same moment keep their order.
  for (auto it = held_.begin(); it != held_.end();) {
    bool due = it->frames ? it->frames <= frames : it->ticks <= now;
    if (due) {
      ready_.push_back(it->event);
      it = held_.erase(it);
    } else {
      ++it;
    }
  }
}

int64_t HeadlessBackend::nextTimedRelease() const {
  int64_t next = -1;
  for (const Held& held : held_) {
    if (held.frames == 0 && (next < 0 || held.ticks < next)) next = held.ticks;
  }
  return next;
}

bool HeadlessBackend::pollEvent(BackendEvent& event) {
  if (!held_.empty()) releaseDue();
  if (ready_.empty()) return false;
  event = ready_.front();
  ready_.pop_front();
  return true;
}

bool HeadlessBackend::waitEvent(BackendEvent& event, int timeoutMs) {
  if (pollEvent(event)) return true;
  const int64_t now = host().clockTicks();
  const int64_t timed = nextTimedRelease();
  const int64_t deadline = timeoutMs < 0 ? -1 : now + static_cast<int64_t>(timeoutMs) * kTicksPerMillisecond;
  int64_t wakeAt = deadline;
  if (timed >= 0 && (wakeAt < 0 || timed < wakeAt)) wakeAt = timed;
  if (wakeAt < 0) return idle(event);
  if (host().clockIsVirtual()) {
    // Time only passes when someone says so; a timed event says so.
    if (timed >= 0 && timed == wakeAt) host().advanceClockTo(timed);
  } else {
    sleepTicks(wakeAt - now);
  }
  return pollEvent(event);
}

bool HeadlessBackend::idle(BackendEvent& event) {
  // Nothing can ever arrive: no timer, no held input and no person at a keyboard. Rather than
  // hang, the window is closed as a person would close it; without a window the run just ends.
  std::fprintf(stderr, "headless: the program waits for input that cannot come; closing its window\n");
  event = BackendEvent{};
  event.type = BackendEvent::Type::Close;
  return true;
}

int HeadlessBackend::messageBox(HWND, const char* text, const char* caption, UINT) {
  ++messageBoxes_;
  // GBK text as UTF-8 for the terminal; bytes that do not convert become '?'.
  static const GbkCodec codec;
  std::fprintf(stderr, "message box \"%s\": %s\n", codec.toUtf8(caption ? caption : "").c_str(),
               codec.toUtf8(text ? text : "").c_str());
  return IDOK;
}

}  // namespace platform
