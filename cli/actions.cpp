#include "cli/actions.h"

#include "safety/backup_store.h"

#include <string>

namespace tarvex::cli {
namespace {

constexpr ToolEntry kTools[] = {
    {"adapter", "the adapter itself: is it there, and does it run the expected firmware"},
    {"edid", "the EDID EEPROM of a laptop panel (256 bytes)"},
    {"kb90", "ENE KB90xx embedded controllers (128 KiB flash), and the cable wiring help"},
    {"keyboard", "the keyboard matrix tester"},
    {"mec16", "Microchip MEC16xx embedded controllers (192 KiB flash and information block)"},
    {"ite", "ITE IT85xx embedded controllers (128 KiB flash)"},
};

constexpr unsigned kAdapter = opt::kPort;
constexpr unsigned kSafety = opt::kNoVerify | opt::kNoBackup;

// The reads that are taken twice and compared.
#define READ_TWICE_HELP                                                                          \
  "The flash is read twice and the two reads compared; only equal reads are saved. Reads\n"  \
  "that differ fail the read (check the cable and the contacts) and are kept beside FILE\n" \
  "as FILE.read1.mismatch and FILE.read2.mismatch; FILE is left as it was.\n"             \
  "  --single-read  one read, not compared\n"

constexpr ActionEntry kActions[] = {
    {"adapter", "check", Operation::kAdapterCheck, false, true, kAdapter | opt::kRepeat,
     "[--port PATH] adapter check [--repeat N]",
     "Walks through the search, set-up and handshake of every attached adapter and reports\n"
     "each step, as the connection test window does. Fails unless an adapter answers with\n"
     "the expected firmware.\n"
     "  --repeat N    test the link's quality: make the handshake N times (1 to 10000) with\n"
     "                the adapter that answered, the first with the full report; print the\n"
     "                failed handshakes, the answer times (minimum, median, maximum) against\n"
     "                what the line should give, and whether the link is sound or what looks\n"
     "                wrong (lost answers, a wrong firmware tag, slow answers). Fails unless\n"
     "                every handshake passed in time. Ctrl-C stops it (it then fails).\n"},
    {"edid", "read", Operation::kEdidRead, true, true, kAdapter | opt::kSingleRead,
     "[--port PATH] edid read FILE [--single-read] [--force]",
     "Reads the panel's EEPROM, shows it as a hex dump and saves it to FILE.\n"
     "An existing FILE is refused unless --force is given.\n"
     "The EEPROM is read twice and the two reads compared; only equal reads are saved. Reads\n"
     "that differ fail the read (check the cable and the contacts) and are kept beside FILE\n"
     "as FILE.read1.mismatch and FILE.read2.mismatch; FILE is left as it was.\n"
     "  --single-read  one read, not compared\n"},
    {"edid", "write", Operation::kEdidWrite, true, true, kAdapter | kSafety | opt::kFixChecksum,
     "[--port PATH] edid write FILE [--fix-checksum] [--no-backup] [--no-verify] [--force]",
     "Writes the first 256 bytes of FILE into the panel's EEPROM (a shorter file leaves the\n"
     "rest erased, FFh). Fails when the EEPROM does not report the write done. The image is\n"
     "decoded first; a FILE that is not 256 bytes, is blank (all FFh or all 00h), lacks the\n"
     "header 00 FF FF FF FF FF FF 00 or has a wrong base-block checksum is refused. Then the\n"
     "EEPROM is read into a new backup file, and after the write read back and compared\n"
     "with the 256 bytes sent.\n"
     "  --fix-checksum  write the image with its checksum corrected (FILE is not changed)\n"
     "  --no-backup     no backup read before the write\n"
     "  --no-verify     no read-back after it\n"
     "  --force         write a refused FILE as it is\n"},
    {"kb90", "read", Operation::kKb90Read, true, true, kAdapter | opt::kSingleRead,
     "[--port PATH] kb90 read FILE [--single-read] [--force]",
     "Reads the controller's 128 KiB flash into FILE.\n"
     "An existing FILE is refused unless --force is given.\n"
     READ_TWICE_HELP},
    {"kb90", "write", Operation::kKb90Write, true, true, kAdapter | opt::kNoBackup,
     "[--port PATH] kb90 write FILE [--no-backup] [--force]",
     "Writes FILE into the controller's flash and verifies it by sum and CRC-16. Fails when\n"
     "the flash does not match the file. First the flash is read into a new backup file.\n"
     "A FILE that is not 128 KiB, or is blank (all FFh or all 00h), is refused.\n"
     "  --no-backup   no backup read before the write\n"
     "  --force       write a refused FILE\n"},
    {"kb90", "wiring", Operation::kKb90Wiring, false, false,
     opt::kEntry | opt::kCable | opt::kReversed | opt::kList,
     "kb90 wiring (--entry N --cable PINS [--reversed] | --list)",
     "Tells which cable pins to connect to the adapter's lines A to E for a mainboard of the\n"
     "KB90xx connection base file, and names that mainboard. No adapter is needed.\n"
     "  --list        list the mainboards of the base file: number and name\n"
     "  --entry N     the mainboard: entry N of the base file, counted from 1\n"
     "  --cable PINS  the cable's pin count: 18, 20, 24, 25, 26, 28, 30 or 32\n"
     "  --reversed    pin 1 of the cable is not on pin 1 of the keyboard connector\n"},
    {"keyboard", "scan", Operation::kKeyboardScan, false, true,
     kAdapter | opt::kSeconds | opt::kNoSound,
     "[--port PATH] keyboard scan [--seconds S] [--no-sound]",
     "Scans the keyboard matrix and prints each pin pair as its cell toggles, e.g. \"3-7 red\"\n"
     "(red: connected once, yellow: again). Runs until Ctrl-C, or for S seconds.\n"
     "A pair connected in the first replies, before a key can have been pressed, is shorted\n"
     "lines or a stuck key: it is named once and shown as fuchsia. When the scan ends, a\n"
     "summary counts the distinct pin pairs seen and lists them.\n"
     "  --seconds S   stop after S seconds\n"
     "  --no-sound    keep the adapter's buzzer quiet\n"},
    {"mec16", "check", Operation::kMec16Check, false, true, kAdapter,
     "[--port PATH] mec16 check",
     "Identifies the controller and shows its registers and protection status. Fails when\n"
     "a protection is set or the controller does not answer.\n"},
    {"mec16", "read", Operation::kMec16Read, true, true, kAdapter | opt::kInfo | opt::kSingleRead,
     "[--port PATH] mec16 read FILE [--info] [--single-read] [--force]",
     "Reads the 192 KiB main flash block into FILE; with --info the information block too.\n"
     "Ctrl-C stops the read after the current block (the read then fails).\n"
     "An existing FILE is refused unless --force is given.\n"
     READ_TWICE_HELP},
    {"mec16", "erase", Operation::kMec16Erase, false, true, kAdapter | opt::kInfo | kSafety,
     "[--port PATH] mec16 erase [--info] [--no-backup] [--no-verify]",
     "Erases the main flash block; with --info the information block too. Refused (and\n"
     "failed) when a protection is set. First the block(s) are read into a new backup file;\n"
     "afterwards they are read back and must be blank (every byte FFh).\n"
     "  --no-backup   no backup read before the erase\n"
     "  --no-verify   no blank check after it\n"},
    {"mec16", "write", Operation::kMec16Write, true, true, kAdapter | kSafety,
     "[--port PATH] mec16 write FILE [--no-backup] [--no-verify] [--force]",
     "Writes FILE into the main flash block. Refused when a protection is set. First the\n"
     "block is read into a new backup file; a block that is not blank stops the write (erase\n"
     "it first). Afterwards the block is read back and compared with what was sent.\n"
     "A FILE that is not 192 KiB, or is blank (all FFh or all 00h), is refused.\n"
     "  --no-backup   no backup read (the blank check still reads the block, unless --force)\n"
     "  --no-verify   no read-back after the write\n"
     "  --force       write a refused FILE, or over a block that is not blank\n"},
    {"ite", "settings", Operation::kIteSettings, false, true,
     kAdapter | opt::kPreset | opt::kReversed | opt::kPins | opt::kList,
     "[--port PATH] ite settings (--preset N [--reversed] | --pins PD0=3,...,KSI5=20 | --list)",
     "Sends the 15 signal-to-pin assignments to the adapter; a preset's mainboard is named.\n"
     "  --list        list the mainboards of the ITE connection base file: number and name\n"
     "                (the adapter is not used)\n"
     "  --preset N    entry N of the ITE connection base file, counted from 1\n"
     "  --reversed    the cable is plugged the other way round (mirrors the preset)\n"
     "  --pins LIST   all 15 assignments: PD0 to PD7, BUSY, STB, AFD, INIT, SLIN, KSI4 and\n"
     "                KSI5, each 0 (not connected) or a connector pin 1 to 32\n"},
    {"ite", "check", Operation::kIteCheck, false, true, kAdapter,
     "[--port PATH] ite check",
     "Attaches to the controller and reads its identification. Send the settings first.\n"},
    {"ite", "read", Operation::kIteRead, true, true, kAdapter | opt::kSingleRead,
     "[--port PATH] ite read FILE [--single-read] [--force]",
     "Reads the controller's 128 KiB flash into FILE.\n"
     "An existing FILE is refused unless --force is given.\n"
     READ_TWICE_HELP},
    {"ite", "write", Operation::kIteWrite, true, true, kAdapter | kSafety,
     "[--port PATH] ite write FILE [--no-backup] [--no-verify] [--force]",
     "Erases the controller's flash and writes FILE into it. First the flash is read into a\n"
     "new backup file; afterwards it is read back and compared with what was written.\n"
     "A FILE that is not 128 KiB, or is blank (all FFh or all 00h), is refused.\n"
     "  --no-backup   no backup read before the erase\n"
     "  --no-verify   no read-back after the write\n"
     "  --force       write a refused FILE\n"},
};

#undef READ_TWICE_HELP

constexpr const char* kCommonOptions =
    "Common options (they may stand anywhere after the program name):\n"
    "  --port PATH  use the serial device PATH as the only adapter (a pseudo-terminal\n"
    "               included); without it every FTDI adapter of this machine is tried\n"
    "  --force      overwrite an existing FILE; write an image the checks refuse\n"
    "  --help       show help; after a tool or an action, its own\n";

constexpr const char* kOutputs =
    "The log lines the tool's window would show go to standard output, one per line;\n"
    "progress and message boxes go to standard error.\n"
    "Exit status: 0 when the operation succeeded, 1 when it failed, 2 for a usage error.\n"
    "A MEC16 erase or write, an ITE write, a KB90 write and an EDID write first read the\n"
    "chip into a new file of the backups folder, ";
constexpr const char* kOutputsAfterFolder =
    ", named TOOL-YYYYMMDD-HHMMSS.bin; backups\n"
    "are never overwritten. A read-back failing to match fails the operation. A write or\n"
    "erase that fails once it has begun changing the flash says so: the flash is partly\n"
    "written, keep the board powered and connected, and write the image again.\n"
    "--no-backup --no-verify --force leaves only the operation's own bytes on the line.\n";

}  // namespace

std::span<const ToolEntry> tools() { return kTools; }
std::span<const ActionEntry> actions() { return kActions; }

const ToolEntry* findTool(std::string_view name) {
  for (const ToolEntry& tool : kTools) {
    if (name == tool.name) return &tool;
  }
  return nullptr;
}

const ActionEntry* findAction(std::string_view tool, std::string_view action) {
  for (const ActionEntry& entry : kActions) {
    if (tool == entry.tool && action == entry.action) return &entry;
  }
  return nullptr;
}

std::string programHelp() {
  std::string text = "Usage: tarvex-cli [--port PATH] TOOL ACTION [FILE] [OPTIONS]\n\n";
  text += "Runs one operation of the Tarvex service tool without its windows.\n\n";
  for (const ActionEntry& action : kActions) text += "  tarvex-cli " + std::string(action.synopsis) + "\n";
  text += "\nTools:\n";
  for (const ToolEntry& tool : kTools) {
    std::string name = tool.name;
    name.resize(10, ' ');
    text += "  " + name + tool.summary + "\n";
  }
  text += "\n";
  text += kCommonOptions;
  text += "\n";
  text += kOutputs;
  text += backupsFolderRule();
  text += kOutputsAfterFolder;
  text += "See 'tarvex-cli TOOL --help' and 'man tarvex-cli'.\n";
  return text;
}

std::string toolHelp(const ToolEntry& tool) {
  std::string text = "Usage:\n";
  for (const ActionEntry& action : kActions) {
    if (std::string_view(action.tool) == tool.name) {
      text += "  tarvex-cli " + std::string(action.synopsis) + "\n";
    }
  }
  text += "\n" + std::string(tool.summary) + ".\n\n";
  for (const ActionEntry& action : kActions) {
    if (std::string_view(action.tool) != tool.name) continue;
    text += std::string(action.tool) + " " + action.action + ":\n" + action.help + "\n";
  }
  text += kCommonOptions;
  return text;
}

std::string actionHelp(const ActionEntry& action) {
  std::string text = "Usage: tarvex-cli " + std::string(action.synopsis) + "\n\n";
  text += action.help;
  text += "\n";
  text += kCommonOptions;
  text += "\n";
  text += kOutputs;
  text += backupsFolderRule();
  text += kOutputsAfterFolder;
  return text;
}

}  // namespace tarvex::cli
