#include "cli/run_cli.h"

#include "cli/command.h"
#include "cli/runners.h"
#include "base/native_files.h"
#include "base/printable.h"
#include "frame/tool_view.h"

namespace tarvex::cli {
namespace {

// The save dialog asks before overwriting a file; here --force is the answer. Asked
// before the adapter is touched, so a refused file costs nothing.
bool existingFileRefused(const Command& command, const CliEnv& env) {
  if (!savesToFile(command.operation)) return false;
  // A folder or a device is never an image file, --force or not; the tool itself would
  // refuse it too, but only after opening the adapter.
  if (native::kindOf(command.file) == native::PathKind::kOther) {
    *env.err << "tarvex-cli: " << dialog_text::kCreateFailed << '\n';
    env.err->flush();
    return true;
  }
  if (command.force) return false;
  if (native::kindOf(command.file, true) == native::PathKind::kNothing) return false;
  *env.err << "tarvex-cli: " << printable(command.file)
           << " already exists; add --force to overwrite it\n";
  env.err->flush();
  return true;
}

}  // namespace

int runCli(const std::vector<std::string>& args, const CliEnv& env) {
  const ParsedLine parsed = parseCommandLine(args);
  switch (parsed.kind) {
    case ParsedLine::Kind::kHelp:
      *env.out << parsed.text;
      env.out->flush();
      return kExitSuccess;
    case ParsedLine::Kind::kUsageError:
      *env.err << "tarvex-cli: " << parsed.text << "\n"
               << "Try 'tarvex-cli --help' for more information.\n";
      env.err->flush();
      return kExitUsage;
    case ParsedLine::Kind::kRun:
      break;
  }

  const Command& command = parsed.command;
  if (existingFileRefused(command, env)) return kExitFailure;
  switch (command.operation) {
    case Operation::kAdapterCheck:
      return runAdapter(command, env);
    case Operation::kEdidRead:
    case Operation::kEdidWrite:
      return runEdid(command, env);
    case Operation::kKb90Read:
    case Operation::kKb90Write:
      return runKb90(command, env);
    case Operation::kKb90Wiring:
      return runKb90Wiring(command, env);
    case Operation::kKeyboardScan:
      return runKeyboard(command, env);
    case Operation::kMec16Check:
    case Operation::kMec16Read:
    case Operation::kMec16Erase:
    case Operation::kMec16Write:
      return runMec16(command, env);
    case Operation::kIteSettings:
    case Operation::kIteCheck:
    case Operation::kIteRead:
    case Operation::kIteWrite:
      return runIte(command, env);
  }
  return kExitFailure;
}

}  // namespace tarvex::cli
