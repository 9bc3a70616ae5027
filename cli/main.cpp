// tarvex-cli on this machine's adapters. Ctrl-C (or a hang-up, or SIGTERM) asks the running
// operation to stop as the window's STOP does; a second one ends the program at once.

#include <unistd.h>

#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "app/frame/backup_store.h"
#include "app/frame/standard_streams.h"
#include "cli/run_cli.h"
#include "link/serial/exclusive_ports.h"

namespace {

std::atomic<bool> gInterrupted{false};

// The stop signals are blocked in every thread and taken here, so no wait of the link
// layer is ever cut short by a signal.
void takeSignals(sigset_t signals) {
  int signal = 0;
  while (sigwait(&signals, &signal) == 0) {
    if (gInterrupted.exchange(true)) {
      // The second one: the default action, which ends the program. The ports it holds
      // would stay exclusive after it, refusing every other user.
      tarvex::serial::releaseExclusivePorts();
      std::signal(signal, SIG_DFL);
      pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
      std::raise(signal);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!tarvex::fillStandardStreams()) return tarvex::cli::kExitFailure;
  // A reader that goes away (a closed pipe, a dropped session) must not end a flash write
  // half way: output then fails quietly and the operation runs to its end.
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(takeSignals, signals).detach();

  tarvex::cli::CliEnv env;
  env.openBus = tarvex::cli::serialBusFactory();
  tarvex::cli::setHomeBaseFiles(env);
  env.out = &std::cout;
  env.err = &std::cerr;
  env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  env.interrupted = &gInterrupted;
  env.backupsFolder = tarvex::defaultBackupsFolder();
  return tarvex::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), env);
}
