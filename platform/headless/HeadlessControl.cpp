#include "platform/headless/HeadlessControl.h"

#include "platform/headless/HeadlessBackend.h"

namespace headless {

namespace {

// The installed back end when it is the headless one.
platform::HeadlessBackend* headlessBackend() {
  return dynamic_cast<platform::HeadlessBackend*>(&platform::backend());
}

}  // namespace

void setDesktop(int bitsPerPixel, int width, int height) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->setDesktop(bitsPerPixel, width, height);
}

void setWindowFrame(bool framed) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->setFramed(framed);
}

void postEvent(const platform::BackendEvent& event) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->post(event);
}

void postKey(uint32_t virtualKey, uint32_t character) {
  platform::BackendEvent down;
  down.type = platform::BackendEvent::Type::KeyDown;
  down.key = virtualKey;
  down.character = character;
  postEvent(down);
  platform::BackendEvent up;
  up.type = platform::BackendEvent::Type::KeyUp;
  up.key = virtualKey;
  postEvent(up);
}

void postAfterFrames(uint64_t frames, const platform::BackendEvent& event) {
  if (platform::HeadlessBackend* backend = headlessBackend()) backend->postAfterFrames(frames, event);
}

void postAtMilliseconds(int64_t milliseconds, const platform::BackendEvent& event) {
  if (platform::HeadlessBackend* backend = headlessBackend()) {
    backend->postAtTicks(milliseconds * (platform::BackendHost::kClockFrequency / 1000), event);
  }
}

int messageBoxCount() {
  platform::HeadlessBackend* backend = headlessBackend();
  return backend ? backend->messageBoxCount() : 0;
}

}  // namespace headless
