// The console on POSIX: the stop signals blocked in every thread and taken by one thread of
// their own, so no wait of the link layer is ever cut short by a signal.

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "cli/console.h"
#include "link/serial/exclusive_ports.h"

namespace tarvex::cli {
namespace {

void takeSignals(sigset_t signals, std::atomic<bool>* interrupted) {
  int signal = 0;
  while (sigwait(&signals, &signal) == 0) {
    if (interrupted->exchange(true)) {
      // The second one: the default action, which ends the program. The ports it holds
      // would stay exclusive after it, refusing every other user.
      serial::releaseExclusivePorts();
      std::signal(signal, SIG_DFL);
      pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
      std::raise(signal);
    }
  }
}

}  // namespace

void setUpConsole() {
  // A reader that goes away (a closed pipe, a dropped session) must not end a flash write
  // half way: output then fails quietly and the operation runs to its end.
  std::signal(SIGPIPE, SIG_IGN);
}

void watchStopRequests(std::atomic<bool>* interrupted) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(takeSignals, signals, interrupted).detach();
}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace tarvex::cli
