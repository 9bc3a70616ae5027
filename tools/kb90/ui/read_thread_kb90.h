#pragma once
// The KB90xx worker: created by a read click, it waits for the click handler to name the
// transfer, streams it to its end and deletes itself; or it runs one step of a write with
// its backup.

#include <functional>

#include "widgets/tool_thread.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex {

class ReadThread_KB90 : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_KB90(kb90::Kb90Tool& tool) : body_([&tool] { tool.runWorker(); }) {}
  explicit ReadThread_KB90(std::function<void()> body) : body_(std::move(body)) {}

 protected:
  // Blocks on the link's receive queue between blocks; never spins.
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

}  // namespace tarvex
