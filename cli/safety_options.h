#pragma once
// The safety steps of an erase or write as the command line turns them off: --no-verify,
// --no-backup, and --force for the Yes a window would ask for.

#include "cli/cli_env.h"
#include "cli/command.h"
#include "safety/safety_net.h"

namespace tarvex::cli {

inline SafetyOptions safetyOptionsOf(const Command& command, const CliEnv& env) {
  SafetyOptions options;
  options.verify = !command.noVerify;
  options.backup = !command.noBackup;
  options.force = command.force;
  options.backupsFolder = env.backupsFolder;
  return options;
}

}  // namespace tarvex::cli
