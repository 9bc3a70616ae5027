// The adapter check, and the EDID EEPROM's read (twice and compared, or with --single-read
// once on the calling thread) and write with its safety steps.

#include "cli/run_cli.h"
#include "cli/runners.h"
#include "cli/safety_options.h"
#include "cli/terminal_view.h"
#include "cli/worker.h"
#include "link/connection_test.h"
#include "link/link_quality.h"
#include "tools/edid/edid_double_read.h"
#include "tools/edid/edid_safe_ops.h"
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
  if (command.operation == Operation::kEdidRead) {
    if (command.singleRead) return tool.read() ? kExitSuccess : kExitFailure;
    // Two reads compared; neither stops part-way.
    DoubleRead twice = edid::edidDoubleRead(tool, view);
    PhaseChain chain = twice.chain();
    superviseChain(chain, env, view, [] {}, Supervision::readGoesOnNote());
    return twice.succeeded() ? kExitSuccess : kExitFailure;
  }
  // The write with its image checks, backup and read-back; no step of it can stop part-way.
  edid::EdidSafeOps safe(tool, view);
  PhaseChain chain = safe.write(safetyOptionsOf(command, env), command.fixChecksum);
  superviseChain(chain, env, view, [] {}, Supervision::halfDoneNote());
  return safe.succeeded() ? kExitSuccess : kExitFailure;
}

}  // namespace tarvex::cli
