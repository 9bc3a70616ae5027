// The operations that run to their end on the calling thread: the adapter check and the
// EDID EEPROM's read and write.

#include "cli/run_cli.h"
#include "cli/runners.h"
#include "cli/terminal_view.h"
#include "link/connection_test.h"
#include "link/link_quality.h"
#include "tools/edid/edid_tool.h"

namespace tarvex::cli {

int runAdapter(const Command& command, const CliEnv& env) {
  const auto bus = env.openBus(command.port);
  TerminalView view(env);
  if (command.repeat) {
    return runLinkQualityTest(*bus, view, *command.repeat, env.interrupted) ? kExitSuccess
                                                                           : kExitFailure;
  }
  return runConnectionTest(*bus, view) ? kExitSuccess : kExitFailure;
}

int runEdid(const Command& command, const CliEnv& env) {
  const auto bus = env.openBus(command.port);
  TerminalView view(env);
  view.answerDialogsWith(command.file);
  edid::EdidTool tool(*bus, view, env.bounds.edid);
  const bool ok = command.operation == Operation::kEdidRead ? tool.read() : tool.write();
  return ok ? kExitSuccess : kExitFailure;
}

}  // namespace tarvex::cli
