#pragma once
// The MEC16 tool's worker: runs the read or write stream its start handler set up, then
// frees itself. It blocks on the link between blocks and never spins.

#include "app/qt_frame/tool_thread.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex {

class ReadThread_MEC16 : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_MEC16(mec16::Mec16Tool& tool) : tool_(tool) {}

 protected:
  void Execute() override { tool_.runWorker(); }

 private:
  mec16::Mec16Tool& tool_;
};

}  // namespace tarvex
