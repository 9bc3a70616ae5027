#pragma once
// The base of the tools' workers (ReadThread_<tool>): created for one operation, started at
// once, deleting itself when Execute returns. Nobody waits for a worker or stops it from
// outside; the tool's stop request is the only way to cut an operation short.

#include <QThread>

namespace tarvex {

class ToolThread : public QThread {
  Q_OBJECT
 public:
  ToolThread();

 protected:
  virtual void Execute() = 0;

 private:
  void run() final;
};

}  // namespace tarvex
