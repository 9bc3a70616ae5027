#pragma once
// The KB90xx worker: created by a read or write click, it waits for the click handler to
// name the transfer, streams it to its end and deletes itself.

#include "app/qt_frame/tool_thread.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex {

class ReadThread_KB90 : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_KB90(kb90::Kb90Tool& tool) : tool_(tool) {}

 protected:
  void Execute() override;

 private:
  kb90::Kb90Tool& tool_;
};

}  // namespace tarvex
