#pragma once
// The ITE worker: created by a read or write click once the handler has attached to the
// controller; runs the operation the mode word names, once, and deletes itself.

#include "app/qt_frame/tool_thread.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {

class ReadThread_ITE : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_ITE(IteTool& tool) : tool_(tool) {}

 protected:
  void Execute() override;

 private:
  IteTool& tool_;
};

}  // namespace tarvex
