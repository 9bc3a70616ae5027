#pragma once
// A log sink that keeps every line, for asserting what a tool or the link said.

#include <mutex>
#include <string>
#include <vector>

#include "base/log_sink.h"

namespace tarvex::test {

class RecordingLog : public LogSink {
 public:
  void logLine(const std::string& line) override {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
  }
  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  bool contains(const std::string& line) const {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_) {
      if (l == line) return true;
    }
    return false;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace tarvex::test
