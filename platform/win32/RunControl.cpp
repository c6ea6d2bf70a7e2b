#include "platform/win32/RunControl.h"

#include "platform/win32/Clock.h"
#include "platform/win32/MessageQueue.h"

namespace platform {

RunControl& runControl() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* control = new RunControl;
  return *control;
}

void RunControl::onFrame() {
  ++frames_;
  systemClock().onFramePresented();
  // The loop sees WM_QUIT before it renders again, so exactly `limit_` frames are presented.
  if (limit_ != 0 && frames_ == limit_) messageQueue().postQuit(0);
}

void RunControl::reset() {
  frames_ = 0;
  limit_ = 0;
}

}  // namespace platform
