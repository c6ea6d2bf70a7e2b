#include "platform/win32/Backend.h"

#include <windows.h>

#include "platform/headless/HeadlessBackend.h"

namespace platform {

namespace {

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

void installBackend(std::unique_ptr<Backend> backend) {
  installed() = std::move(backend);
}

Backend& backend() {
  std::unique_ptr<Backend>& current = installed();
  if (!current) current = createHeadlessBackend();
  return *current;
}

}  // namespace platform
