#pragma once
// The MEC16 tool's worker: runs the read or write stream its start handler set up (or one
// step of an erase or write with its backup and read-back), then frees itself. It blocks on
// the link between blocks and never spins.

#include <functional>

#include "widgets/tool_thread.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex {

class ReadThread_MEC16 : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_MEC16(mec16::Mec16Tool& tool) : body_([&tool] { tool.runWorker(); }) {}
  explicit ReadThread_MEC16(std::function<void()> body) : body_(std::move(body)) {}

 protected:
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

}  // namespace tarvex
