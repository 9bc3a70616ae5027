#include "cli/command.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

#include "cli/actions.h"
#include "link/link_quality.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::cli {
namespace {

struct OptionEntry {
  const char* name;
  bool takesValue;
  unsigned bit;  // 0 for the ones every action takes
};

constexpr OptionEntry kOptions[] = {
    {"--port", true, opt::kPort},       {"--force", false, 0},
    {"--info", false, opt::kInfo},      {"--entry", true, opt::kEntry},
    {"--cable", true, opt::kCable},     {"--reversed", false, opt::kReversed},
    {"--seconds", true, opt::kSeconds}, {"--no-sound", false, opt::kNoSound},
    {"--preset", true, opt::kPreset},   {"--pins", true, opt::kPins},
    {"--no-verify", false, opt::kNoVerify}, {"--no-backup", false, opt::kNoBackup},
    {"--list", false, opt::kList},
    {"--fix-checksum", false, opt::kFixChecksum},
    {"--repeat", true, opt::kRepeat},
    {"--single-read", false, opt::kSingleRead},
};

const OptionEntry* findOption(std::string_view name) {
  for (const OptionEntry& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

ParsedLine usageError(std::string message) {
  return {ParsedLine::Kind::kUsageError, {}, std::move(message)};
}

std::optional<int> wholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A count of seconds: a plain decimal number above zero, at most a year.
std::optional<double> seconds(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0 ||
      value > 366.0 * 24 * 3600) {
    return std::nullopt;
  }
  return value;
}

// A cable pin count of the wiring help's list ("24" stands for its item "24 pin").
bool isListedCable(int pins) {
  const std::string item = std::to_string(pins) + " pin";
  for (const char* listed : kb90::text::kCableItems) {
    if (item == listed) return true;
  }
  return false;
}

std::string helpFor(const std::vector<std::string>& words) {
  const ToolEntry* tool = words.empty() ? nullptr : findTool(words[0]);
  if (!tool) return programHelp();
  if (words.size() > 1) {
    if (const ActionEntry* action = findAction(words[0], words[1])) return actionHelp(*action);
  }
  return toolHelp(*tool);
}

std::string actionNames(std::string_view tool) {
  std::string names;
  for (const ActionEntry& action : actions()) {
    if (tool != action.tool) continue;
    if (!names.empty()) names += ", ";
    names += action.action;
  }
  return names;
}

}  // namespace

bool savesToFile(Operation operation) {
  switch (operation) {
    case Operation::kEdidRead:
    case Operation::kKb90Read:
    case Operation::kMec16Read:
    case Operation::kIteRead:
      return true;
    default:
      return false;
  }
}

std::optional<PinAssignments> parsePinList(const std::string& list, std::string* error) {
  std::map<std::string, int> boxOfKey;
  for (int box = 0; box < kPinBoxCount; ++box) {
    std::string key = kPinBoxes[box].presetKey;
    key.pop_back();  // the '=' the presets file writes after it
    boxOfKey[key] = box;
  }
  PinAssignments pins{};
  std::array<bool, kPinBoxCount> given{};
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(start, end - start);
    start = end + 1;
    const auto eq = item.find('=');
    if (eq == std::string::npos) {
      *error = "'" + item + "' is not KEY=PIN";
      return std::nullopt;
    }
    const std::string key = item.substr(0, eq);
    const auto found = boxOfKey.find(key);
    if (found == boxOfKey.end()) {
      *error = "unknown signal '" + key + "'";
      return std::nullopt;
    }
    if (given[found->second]) {
      *error = key + " is given twice";
      return std::nullopt;
    }
    const auto pin = wholeNumber(std::string_view(item).substr(eq + 1));
    if (!pin || *pin < 0 || *pin > kHighestPin) {
      *error = key + " must be 0 (not connected) or a pin from 1 to 32";
      return std::nullopt;
    }
    pins[found->second] = *pin;
    given[found->second] = true;
  }
  std::string missing;
  for (const auto& [key, box] : boxOfKey) {
    if (!given[box]) missing += (missing.empty() ? "" : ", ") + key;
  }
  if (!missing.empty()) {
    *error = "--pins needs all 15 signals; missing: " + missing;
    return std::nullopt;
  }
  return pins;
}

ParsedLine parseCommandLine(const std::vector<std::string>& args) {
  std::vector<std::string> words;
  std::map<std::string, std::string> given;  // option name -> value ("" for flags)
  unsigned givenBits = 0;
  bool help = false;
  bool optionsEnded = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    }
    const auto eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const OptionEntry* option = findOption(name);
    if (!option) return usageError("unknown option '" + name + "'");
    std::string value;
    if (option->takesValue) {
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return usageError("option " + name + " needs a value");
      }
    } else if (eq != std::string::npos) {
      return usageError("option " + name + " takes no value");
    }
    if (given.count(name)) return usageError("option " + name + " is given twice");
    given[name] = value;
    givenBits |= option->bit;
  }

  if (help) return {ParsedLine::Kind::kHelp, {}, helpFor(words)};
  if (words.empty()) return usageError("no tool given");

  const ToolEntry* tool = findTool(words[0]);
  if (!tool) return usageError("unknown tool '" + words[0] + "'");
  if (words.size() < 2) {
    return usageError("'" + words[0] + "' needs an action: " + actionNames(words[0]));
  }
  const ActionEntry* action = findAction(words[0], words[1]);
  if (!action) {
    return usageError("unknown action '" + words[1] + "' of '" + words[0] +
                      "' (actions: " + actionNames(words[0]) + ")");
  }
  const std::string what = words[0] + " " + words[1];
  const std::size_t wordCount = action->takesFile ? 3 : 2;
  if (words.size() < wordCount) return usageError(what + " needs a FILE");
  if (words.size() > wordCount) return usageError("unexpected '" + words[wordCount] + "'");
  if (action->takesFile && words[2].empty()) return usageError(what + " needs a FILE");

  for (const OptionEntry& option : kOptions) {
    if (option.bit != 0 && (givenBits & option.bit) && !(action->options & option.bit)) {
      return usageError(std::string(option.name) + " does not apply to " + what);
    }
  }

  Command command;
  command.operation = action->operation;
  if (action->takesFile) command.file = words[2];
  if (given.count("--port")) {
    if (given["--port"].empty()) return usageError("--port needs a device path");
    command.port = given["--port"];
  }
  command.force = given.count("--force") > 0;
  command.info = given.count("--info") > 0;
  command.reversed = given.count("--reversed") > 0;
  command.noSound = given.count("--no-sound") > 0;
  command.noVerify = given.count("--no-verify") > 0;
  command.noBackup = given.count("--no-backup") > 0;
  command.fixChecksum = given.count("--fix-checksum") > 0;
  command.singleRead = given.count("--single-read") > 0;

  if (given.count("--seconds")) {
    command.seconds = seconds(given["--seconds"]);
    if (!command.seconds) return usageError("--seconds takes a number of seconds above 0");
  }

  if (given.count("--repeat")) {
    command.repeat = wholeNumber(given["--repeat"]);
    if (!command.repeat || *command.repeat < kMinRepeats || *command.repeat > kMaxRepeats) {
      return usageError("--repeat takes a count of handshakes from " +
                        std::to_string(kMinRepeats) + " to " + std::to_string(kMaxRepeats));
    }
  }

  command.list = given.count("--list") > 0;
  if (command.list) {
    for (const char* other : {"--entry", "--cable", "--reversed", "--preset", "--pins"}) {
      if (given.count(other)) return usageError(std::string("--list goes without ") + other);
    }
    return {ParsedLine::Kind::kRun, command, ""};
  }

  if (action->operation == Operation::kKb90Wiring) {
    if (!given.count("--entry") || !given.count("--cable")) {
      return usageError("kb90 wiring needs --entry N and --cable PINS, or --list");
    }
    const auto entry = wholeNumber(given["--entry"]);
    if (!entry || *entry < 1) return usageError("--entry takes an entry number from 1");
    command.entry = *entry;
    const auto cable = wholeNumber(given["--cable"]);
    if (!cable || !isListedCable(*cable)) {
      return usageError("--cable takes one of 18, 20, 24, 25, 26, 28, 30, 32");
    }
    command.cablePins = *cable;
  }

  if (action->operation == Operation::kIteSettings) {
    const bool preset = given.count("--preset") > 0;
    const bool pins = given.count("--pins") > 0;
    if (preset == pins) {
      return usageError("ite settings needs either --preset N or --pins LIST, or --list");
    }
    if (preset) {
      const auto number = wholeNumber(given["--preset"]);
      if (!number || *number < 1) return usageError("--preset takes an entry number from 1");
      command.preset = *number;
    } else {
      if (command.reversed) return usageError("--reversed goes with --preset, not --pins");
      std::string error;
      command.pins = parsePinList(given["--pins"], &error);
      if (!command.pins) return usageError(error);
    }
  }
  return {ParsedLine::Kind::kRun, command, ""};
}

}  // namespace tarvex::cli
