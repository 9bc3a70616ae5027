#pragma once
// Where the link and the tools send their log lines (UTF-8, one message per call).

#include <string>

namespace tarvex {

class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void logLine(const std::string& line) = 0;
};

}  // namespace tarvex
