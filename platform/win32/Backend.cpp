#include "platform/win32/Backend.h"

#include <vector>

#include <windows.h>

#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Clock.h"
#include "platform/win32/RunControl.h"
#include "platform/win32/Screen.h"

namespace platform {

namespace {

// The layer's side of the back-end interface.
class LayerHost final : public BackendHost {
public:
  uint64_t framesPresented() const override { return runControl().frames(); }
  int64_t clockTicks() const override { return systemClock().now(); }
  bool clockIsVirtual() const override { return systemClock().isVirtual(); }
  void advanceClockTo(int64_t ticks) override { systemClock().advanceTo(ticks); }
  void desktopChanged() override { screen().desktopChanged(); }
  bool shownPicture(Picture& picture) override {
    if (!screen().capture(shown_, picture.width, picture.height)) return false;
    picture.pixels = shown_.data();
    picture.pitch = picture.width * 2;
    return true;
  }

private:
  std::vector<uint16_t> shown_;
};

LayerHost& layerHost() {
  static LayerHost host;
  return host;
}

std::unique_ptr<Backend>& installed() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* theBackend = new std::unique_ptr<Backend>;
  return *theBackend;
}

}  // namespace

RECT Backend::frameInsets(DWORD style) {
  // Windows' classic look: a 3-pixel fixed frame and a 19-pixel caption. An overlapped window
  // (neither popup nor child) always has its caption.
  const LONG frame = 3;
  const LONG caption = 19;
  if (style & WS_CHILD) return RECT{0, 0, 0, 0};
  bool hasCaption = (style & WS_CAPTION) == WS_CAPTION || !(style & WS_POPUP);
  if (hasCaption) return RECT{frame, frame + caption, frame, frame};
  if (style & (WS_DLGFRAME | WS_THICKFRAME)) return RECT{frame, frame, frame, frame};
  if (style & WS_BORDER) return RECT{1, 1, 1, 1};
  return RECT{0, 0, 0, 0};
}

bool Backend::syncToRefresh(HWND) {
  return false;
}

void installBackend(std::unique_ptr<Backend> backend) {
  if (backend) backend->attach(layerHost());
  installed() = std::move(backend);
}

Backend& backend() {
  std::unique_ptr<Backend>& current = installed();
  if (!current) installBackend(createHeadlessBackend());
  return *current;
}

}  // namespace platform
