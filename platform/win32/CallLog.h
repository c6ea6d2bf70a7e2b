#pragma once

#include <string>
#include <vector>

#include "platform/win32/LayerControl.h"

namespace platform {

// The record of Win32 and DirectDraw calls that tests assert on. Recording is off by default, so
// a running program pays one branch per call.
class CallLog {
public:
  bool enabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }
  void clear() { records_.clear(); }
  const std::vector<layer::CallRecord>& records() const { return records_; }

  void add(const char* api, std::string args, HWND window = nullptr, std::string text = {}, std::string caption = {});
  // A DirectDraw call and what it returned.
  void addResult(const char* api, std::string args, HRESULT result, HWND window = nullptr);

private:
  bool enabled_ = false;
  std::vector<layer::CallRecord> records_;
};

CallLog& callLog();

// printf into a std::string, for the args of a record.
std::string formatArgs(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Failures a test asked for, consumed call by call.
class FailureInjector {
public:
  void failNext(layer::Call call, HRESULT result, int count, int skip);
  // DD_OK when the call should go ahead, otherwise the result it must return.
  HRESULT check(layer::Call call);
  void clear();
  // Whether CreateSurface can have video memory.
  bool videoMemory() const { return videoMemory_; }
  void setVideoMemory(bool available) { videoMemory_ = available; }

private:
  bool videoMemory_ = true;
  struct Plan {
    HRESULT result = 0;
    int count = 0;
    int skip = 0;
  };
  static constexpr int kCalls = static_cast<int>(layer::Call::GetDC) + 1;
  Plan plans_[kCalls];
  bool any_ = false;
};

FailureInjector& failures();

}  // namespace platform
