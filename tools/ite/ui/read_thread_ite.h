#pragma once
// The ITE worker: created by a read click once the handler has attached to the controller
// (or for one step of a write with its backup and read-back); runs the operation the mode
// word names, once, and deletes itself.

#include <functional>

#include "widgets/tool_thread.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {

class ReadThread_ITE : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_ITE(IteTool& tool) : body_([&tool] { tool.runWorker(); }) {}
  explicit ReadThread_ITE(std::function<void()> body) : body_(std::move(body)) {}

 protected:
  // Sequential: every wait inside blocks on the link with a bound; nothing spins.
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

}  // namespace tarvex
