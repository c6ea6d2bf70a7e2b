#pragma once

#include <string>
#include <vector>

#include "platform/headless/HeadlessControl.h"

namespace platform {

// The record of Win32 and DirectDraw calls that tests assert on. Recording is off by default, so
// a running program pays one branch per call.
class CallLog {
public:
  bool enabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }
  void clear() { records_.clear(); }
  const std::vector<headless::CallRecord>& records() const { return records_; }

  void add(const char* api, std::string args, HWND window = nullptr, std::string text = {}, std::string caption = {});
  // A DirectDraw call and what it returned.
  void addResult(const char* api, std::string args, HRESULT result, HWND window = nullptr);

private:
  bool enabled_ = false;
  std::vector<headless::CallRecord> records_;
};

CallLog& callLog();

// printf into a std::string, for the args of a record.
std::string formatArgs(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Failures a test asked for, consumed call by call.
class FailureInjector {
public:
  void failNext(headless::Call call, HRESULT result, int count, int skip);
  // DD_OK when the call should go ahead, otherwise the result it must return.
  HRESULT check(headless::Call call);
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
  static constexpr int kCalls = static_cast<int>(headless::Call::GetDC) + 1;
  Plan plans_[kCalls];
  bool any_ = false;
};

FailureInjector& failures();

}  // namespace platform
