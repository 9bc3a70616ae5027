#pragma once
// One runner per tool: it builds the tool's operations on a terminal view and runs the
// operation the command names, returning the exit status.

#include "cli/cli_env.h"
#include "cli/command.h"

namespace tarvex::cli {

int runAdapter(const Command& command, const CliEnv& env);
int runEdid(const Command& command, const CliEnv& env);
int runKb90(const Command& command, const CliEnv& env);
int runKb90Wiring(const Command& command, const CliEnv& env);
int runKeyboard(const Command& command, const CliEnv& env);
int runMec16(const Command& command, const CliEnv& env);
int runIte(const Command& command, const CliEnv& env);

}  // namespace tarvex::cli
