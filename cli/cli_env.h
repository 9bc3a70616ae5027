#pragma once
// What a run of the command line needs from outside: where the adapter is, where the two
// connection base files are, the output streams, whether standard error is a terminal, the
// interrupt flag Ctrl-C raises, and the tools' wait bounds (tests shorten them).

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "link/ft_device.h"
#include "tools/edid/edid_tool.h"
#include "tools/ite/ite_exchange.h"
#include "tools/kb90/kb90_bounds.h"
#include "tools/keyboard/keyboard_tool.h"
#include "tools/mec16/mec16_bounds.h"

namespace tarvex::cli {

// The device bus for a run: the given serial device as the only one, or, without a path,
// every adapter attached to this machine.
using BusFactory =
    std::function<std::unique_ptr<FtBus>(const std::optional<std::string>& portPath)>;

struct ToolBounds {
  edid::EdidBounds edid;
  kb90::Kb90Bounds kb90;
  keyboard::ScanBounds keyboard;
  mec16::Mec16Bounds mec16;
  IteBounds ite;
};

struct CliEnv {
  BusFactory openBus;
  std::string kb90BaseFile;    // the KB90xx connection base file
  std::string itePresetsFile;  // the ITE connection base file
  std::ostream* out = nullptr;  // log lines and results
  std::ostream* err = nullptr;  // progress, message boxes, usage errors
  bool errIsTerminal = false;   // draw a progress bar rather than print percentages
  // Raised (from a signal handler's thread) when the user asks the run to stop.
  const std::atomic<bool>* interrupted = nullptr;
  ToolBounds bounds;
  // Where erases and writes keep their backups.
  std::string backupsFolder;
  // The clock progress times are taken from; the steady clock when empty.
  std::function<std::chrono::steady_clock::time_point()> clock;
};

// Adapters of this machine (link/system_bus.h), or the one device at --port.
BusFactory serialBusFactory();

// The two base files where the program keeps them: the user's home directory, on Windows
// the root of the C: drive.
void setHomeBaseFiles(CliEnv& env);

}  // namespace tarvex::cli
