#pragma once
// The EDID tool's worker: runs one step of a read or a write (the link session with the
// EEPROM) off the user-interface thread, then frees itself. Every wait in it is bounded.

#include <functional>

#include "widgets/tool_thread.h"

namespace tarvex {

class EdidWorker : public ToolThread {
  Q_OBJECT
 public:
  explicit EdidWorker(std::function<void()> body) : body_(std::move(body)) {}

 protected:
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

}  // namespace tarvex
