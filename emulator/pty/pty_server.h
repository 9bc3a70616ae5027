#pragma once
// Serves an emulated adapter on a pseudo-terminal, so a program (or the serial backend)
// talks to it through a tty path as it would to a real USB-serial port.
//
// The server opens the adapter once, for its whole life: every byte written to the slave
// reaches the adapter's firmware, and every reply comes back out of the slave. It keeps a
// slave descriptor of its own, so a client closing and reopening the path finds the same
// line, and the pseudo-terminal does not hang up between clients. Stopping the server, a
// failing pseudo-terminal, or the adapter being unplugged ends the pump and closes the
// master: every client of the slave then sees a hang-up.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "emulator/emulated_adapter.h"

namespace tarvex::emu {

class PtyServer {
 public:
  // The latency timer the emulated line models (with the wire model on): a pseudo-terminal
  // cannot carry the host's setting, so the server sets the one the adapter link uses.
  explicit PtyServer(std::shared_ptr<EmulatedAdapter> adapter,
                     std::chrono::milliseconds latencyTimer = std::chrono::milliseconds(2));
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Opens the pseudo-terminal and the adapter and starts the pump. False, with nothing
  // left open, when any step fails (the adapter refuses to open, no pseudo-terminals) or
  // when the server was started before: a server serves one run.
  bool start();
  // The slave path clients open, e.g. "/dev/pts/7"; empty before start().
  std::string slavePath() const;

  // Ends the pump and closes everything. Safe to call more than once, and after the pump
  // has ended by itself.
  void stop();
  // True from start() until the pump ends (by stop(), hang-up or unplug).
  bool running() const;
  // Waits until the pump has ended, at most `bound`; true when it has.
  bool waitUntilEnded(std::chrono::milliseconds bound);

 private:
  void pumpToAdapter();
  void pumpToHost();
  bool writeToMaster(const std::uint8_t* bytes, std::size_t count);
  void finish();
  void closeAll();

  std::shared_ptr<EmulatedAdapter> adapter_;
  const std::chrono::milliseconds latencyTimer_;
  std::unique_ptr<Session> session_;
  std::string slavePath_;
  int master_ = -1;
  int keeper_ = -1;         // the server's own slave descriptor
  int wake_[2] = {-1, -1};  // readable once the pump must end

  bool started_ = false;
  std::once_flag finished_;
  std::atomic<bool> ending_{false};
  std::thread toAdapter_;  // master -> adapter; also the one that closes the master
  std::thread toHost_;     // adapter -> master

  mutable std::mutex mutex_;
  std::condition_variable ended_;
  bool running_ = false;
};

}  // namespace tarvex::emu
