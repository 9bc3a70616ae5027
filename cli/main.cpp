// tarvex-cli on this machine's adapters. Ctrl-C asks the running operation to stop as the
// window's STOP does; a second one ends the program at once.

#include <iostream>

#include "cli/console.h"
#include "cli/run_cli.h"
#include "safety/backup_store.h"
#include "base/standard_streams.h"

namespace {

std::atomic<bool> gInterrupted{false};

}  // namespace

int main(int argc, char** argv) {
  if (!tarvex::fillStandardStreams()) return tarvex::cli::kExitFailure;
  tarvex::cli::setUpConsole();
  tarvex::cli::watchStopRequests(&gInterrupted);

  tarvex::cli::CliEnv env;
  env.openBus = tarvex::cli::serialBusFactory();
  tarvex::cli::setHomeBaseFiles(env);
  env.out = &std::cout;
  env.err = &std::cerr;
  env.errIsTerminal = tarvex::cli::standardErrorIsTerminal();
  env.interrupted = &gInterrupted;
  env.backupsFolder = tarvex::defaultBackupsFolder();
  return tarvex::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), env);
}
