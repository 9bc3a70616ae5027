#pragma once
// The keyboard tester's worker: runs one scan and ends with it.

#include "widgets/tool_thread.h"

namespace tarvex {
namespace keyboard {
class KeyboardTool;
}

class ReadThread_keyboard : public ToolThread {
  Q_OBJECT
 public:
  explicit ReadThread_keyboard(keyboard::KeyboardTool& tool) : tool_(tool) {}

 protected:
  void Execute() override;

 private:
  keyboard::KeyboardTool& tool_;
};

}  // namespace tarvex
