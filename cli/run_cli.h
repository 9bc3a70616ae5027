#pragma once
// tarvex-cli: one operation of one tool, run headless through the same operations the
// windows drive, with the log on standard output.

#include <string>
#include <vector>

#include "cli/cli_env.h"

namespace tarvex::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// args: the command line without the program name. Returns the exit status: 0 only when
// the operation succeeded, 1 when it failed, 2 for a usage error.
int runCli(const std::vector<std::string>& args, const CliEnv& env);

}  // namespace tarvex::cli
