#pragma once
// The table of the command line's tools and actions: what each takes, and its help text.

#include <span>
#include <string_view>

#include "cli/command.h"

namespace tarvex::cli {

// Options beyond the common ones (--port, --force, --help), as bits.
namespace opt {
inline constexpr unsigned kInfo = 1u << 0;
inline constexpr unsigned kEntry = 1u << 1;
inline constexpr unsigned kCable = 1u << 2;
inline constexpr unsigned kReversed = 1u << 3;
inline constexpr unsigned kSeconds = 1u << 4;
inline constexpr unsigned kNoSound = 1u << 5;
inline constexpr unsigned kPreset = 1u << 6;
inline constexpr unsigned kPins = 1u << 7;
inline constexpr unsigned kPort = 1u << 8;
inline constexpr unsigned kNoVerify = 1u << 9;
inline constexpr unsigned kNoBackup = 1u << 10;
inline constexpr unsigned kList = 1u << 11;
inline constexpr unsigned kFixChecksum = 1u << 12;
inline constexpr unsigned kRepeat = 1u << 13;
inline constexpr unsigned kSingleRead = 1u << 14;
}  // namespace opt

struct ToolEntry {
  const char* name;
  const char* summary;
};

struct ActionEntry {
  const char* tool;
  const char* action;
  Operation operation;
  bool takesFile;
  bool usesAdapter;
  unsigned options;      // which of the opt:: bits apply (--force and --help always do)
  const char* synopsis;  // after "tarvex-cli"
  const char* help;      // what it does, the options it takes, when it fails
};

std::span<const ToolEntry> tools();
std::span<const ActionEntry> actions();
const ToolEntry* findTool(std::string_view name);
const ActionEntry* findAction(std::string_view tool, std::string_view action);

// The help texts of the three levels.
std::string programHelp();
std::string toolHelp(const ToolEntry& tool);
std::string actionHelp(const ActionEntry& action);

}  // namespace tarvex::cli
