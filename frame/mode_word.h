#pragma once
// A tool's operation mode word: "NONE" while idle, the running operation's name otherwise.
// Written and read by the user-interface thread and the tool's worker.

#include <atomic>
#include <mutex>
#include <string>

namespace tarvex {

inline constexpr const char* kModeNone = "NONE";

class ModeWord {
 public:
  std::string get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void set(std::string value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }
  bool is(const std::string& value) const {
    std::lock_guard lock(mutex_);
    return value_ == value;
  }
  bool idle() const { return is(kModeNone); }

 private:
  mutable std::mutex mutex_;
  std::string value_ = kModeNone;
};

// Raised by STOP/EXIT while an operation runs, read by the worker between blocks.
using StopRequest = std::atomic<bool>;

}  // namespace tarvex
