#pragma once
// A command line taken apart: which operation of which tool, its FILE, and its options.
// Options may stand anywhere after the program name; "--" ends them, so a FILE may begin
// with a dash.

#include <optional>
#include <string>
#include <vector>

#include "tools/ite/pin_boxes.h"

namespace tarvex::cli {

// The operations, one per "tool action" pair of the synopsis.
enum class Operation {
  kAdapterCheck,
  kEdidRead,
  kEdidWrite,
  kKb90Read,
  kKb90Write,
  kKb90Wiring,
  kKeyboardScan,
  kMec16Check,
  kMec16Read,
  kMec16Erase,
  kMec16Write,
  kIteSettings,
  kIteCheck,
  kIteRead,
  kIteWrite,
};

struct Command {
  Operation operation = Operation::kAdapterCheck;
  std::string file;                 // the image file, for the operations that take one
  std::optional<std::string> port;  // --port PATH
  bool force = false;               // --force: an existing FILE may be overwritten; a write
                                    // goes on past a wrong image or a chip not erased
  bool noVerify = false;            // --no-verify: no read-back after a write or erase
  bool noBackup = false;            // --no-backup: no backup before a write or erase
  bool fixChecksum = false;         // --fix-checksum: edid write corrects a wrong checksum
  bool singleRead = false;          // --single-read: one read, not two compared
  bool info = false;                // mec16 read / erase: the information block too
  bool reversed = false;            // cable plugged the other way round
  bool noSound = false;             // keyboard scan: no buzzer
  int entry = 0;                    // kb90 wiring: base-file entry, from 1
  int cablePins = 0;                // kb90 wiring: the cable's pin count
  std::optional<double> seconds;    // keyboard scan: stop after this long
  int preset = 0;                   // ite settings: presets-file entry, from 1 (0: none)
  std::optional<PinAssignments> pins;  // ite settings: all 15 boxes given by --pins
  bool list = false;                // kb90 wiring / ite settings: list the base file's boards
  std::optional<int> repeat;        // adapter check: make the handshake this many times
};

// What the command line asks for: an operation to run, a help text to print, or a usage
// error to report.
struct ParsedLine {
  enum class Kind { kRun, kHelp, kUsageError };
  Kind kind = Kind::kUsageError;
  Command command;
  std::string text;  // the help text, or the usage error's message
};

ParsedLine parseCommandLine(const std::vector<std::string>& args);

// The 15 assignments of --pins ("PD0=3,PD1=4,...,KSI5=20"), keyed as in the presets file;
// nothing, with the reason in *error, when the list is not exactly that.
std::optional<PinAssignments> parsePinList(const std::string& list, std::string* error);

// True when the operation reads the chip into FILE (so an existing FILE needs --force).
bool savesToFile(Operation operation);

}  // namespace tarvex::cli
