#pragma once
// One operation of one tool on a bench of its own: a software adapter with the tool's chip
// behind it (seen through a reply tap), the tool with short wait bounds, a recording view
// and a scratch folder for the image file. A bench is armed with at most one fault, runs
// its operation once, start to end, and then tells what the run left behind: log lines,
// the adapter's byte log, whether link and file are closed, the mode word, the buttons,
// and whether the data on the chip or in the file is what a success would promise.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/chip_faults.h"
#include "emulator/emulator_bus.h"
#include "safety/double_read.h"
#include "frame/phase_chain.h"
#include "safety/safety_net.h"
#include "tests/reliability/disk_full.h"
#include "tests/reliability/reply_tap.h"
#include "tests/support/recording_view.h"

namespace tarvex::reliability {

using Bytes = std::vector<std::uint8_t>;
using Duration = std::chrono::steady_clock::duration;

enum class Fault {
  kNone,
  kAbsent,         // no adapter attached
  kWrongFirmware,  // an adapter whose firmware answers another tag
  kSilentFirst,    // nothing after the handshake
  kSilentMid,      // silence from a reply byte in the middle of the operation on
  kUnplugMid,      // the adapter pulled out at that byte
  kCorrupt,        // that byte arrives with its bits flipped
  kBadStatus,      // the chip or firmware reports a failure in its own words
  kSlowReply,      // the reply holding that byte is late, but within its bound
  kNoFile,         // the image file cannot be created (missing folder) or opened (missing file)
  kDiskFull,       // the disk fills up while the image is saved
  kFlushFails,     // every byte of the image is taken, but flushing it to the disk fails
  kBadImage,       // the image to write is a folder, a pipe or a file whose reads fail
  kStrayByte,      // one byte nobody asked for, just before that reply byte
  kTagLineEnd,     // the firmware tag followed by CR LF
  kBackupFails,    // the backups folder cannot take the backup (a full disk, not a folder)
  // Faults of the chip's cells, which only a read after the write or erase can see.
  kStoredWrong,   // a byte acknowledged, but the cell keeps another
  kStuckBit,      // a bit of one cell (or of every cell) stuck at 0 or 1
  kPartialErase,  // an erase leaves a stretch of the chip as it was
  kNotErased,     // a write over a flash that was not erased first
  kFlakyRead,     // a poor contact: one open's replies damaged, the next one whole
};

inline constexpr Fault kAllFaults[] = {
    Fault::kNone,      Fault::kAbsent,    Fault::kWrongFirmware, Fault::kSilentFirst,
    Fault::kSilentMid, Fault::kUnplugMid, Fault::kCorrupt,       Fault::kBadStatus,
    Fault::kSlowReply, Fault::kNoFile,    Fault::kDiskFull,      Fault::kFlushFails,
    Fault::kBadImage,  Fault::kStrayByte, Fault::kTagLineEnd,   Fault::kBackupFails};

// The faults a tool can only ride out by reading back what it wrote or by reading twice.
// The matrix shows their cells beside the others. A cell is enforced where the bench's
// tool guards against the fault (Bench::guards); elsewhere a cell that breaks shows
// "pending" and only a hang or a crash fails the test. The soak draws the guarded ones,
// and all of them when asked to (--verify-faults 1).
inline constexpr Fault kVerifyFaults[] = {Fault::kStoredWrong, Fault::kStuckBit,
                                          Fault::kPartialErase, Fault::kNotErased,
                                          Fault::kFlakyRead};

const char* faultName(Fault fault);
// A fault of the chip's cells, which a read cannot meet (it reads what the cells hold).
bool isCellFault(Fault fault);

struct InjectedFault {
  Fault kind = Fault::kNone;
  // Where a positioned fault starts: a reply byte after the handshake, from 0, or with
  // inTag a byte of the firmware tag itself.
  std::uint64_t at = 0;
  bool inTag = false;
  std::uint8_t mask = 0xFF;            // kCorrupt: the bits flipped
  std::chrono::microseconds delay{0};  // kSlowReply: how late the reply is
};

// What an operation does with the data, which decides what a success must leave behind.
enum class OpKind { kCheck, kRead, kWrite, kErase, kScan };

// A read as the window runs it (twice, compared) or as --single-read runs it (the
// documented read alone).
enum class Reads { kTwice, kOnce };

// How a failed operation says goodbye to an adapter that is still there.
enum class FailureEnd {
  kOutcome,  // 'O'
  kQuit,     // the keyboard tester's 'Q' (its 'I' is the buzzer, not an outcome)
  kNothing,  // no signal, as the tool does on purpose on that path
};

struct BenchConfig {
  Duration bound = std::chrono::milliseconds(250);  // every wait bound the tool takes
  std::uint32_t seed = 1;                           // chip contents and image files
  // Let the seed also vary the shape of the work: files to write that are shorter or
  // longer than the chip, images with several runs.
  bool varied = false;
};

class Bench {
 public:
  virtual ~Bench();
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  virtual OpKind kind() const = 0;
  virtual bool applies(Fault fault) const;
  // Whether the tool, as this bench runs it, guards against a fault of kVerifyFaults (reads
  // back what it wrote, checks an erase, refuses a chip not erased): its cells must pass.
  // A bench that uses the safety net guards against the cell faults.
  virtual bool guards(Fault fault) const;
  // Sets the fault up; call once, before run().
  void arm(const InjectedFault& fault);
  // Takes the fault away again (adapter plugged in with the right firmware, chip healthy,
  // image in the scratch folder) and forgets what the run left in the records, so the same
  // tool can run again.
  void disarm();
  // The operation as the window runs it: the button handler, then the worker on a thread
  // of its own, to its end.
  virtual void run() = 0;

  // After the run.
  virtual std::vector<std::string> lines() const = 0;
  virtual std::vector<std::string> errorBoxes() const { return {}; }
  // The tool told the user the operation succeeded.
  virtual bool claimedSuccess() const;
  // A line or message box says what went wrong.
  virtual bool failureNamed() const;
  virtual FailureEnd failureEnd() const;
  // Only an adapter operation that succeeded before the file failed (the EDID read saves
  // after it has closed the link): its 'I' is right, and the file failure is named.
  // Two reads compared save the image only once both have ended with 'I'.
  virtual bool adapterSucceedsBeforeFile() const {
    return readsTwice() && (fault().kind == Fault::kDiskFull || fault().kind == Fault::kFlushFails);
  }
  virtual std::optional<std::string> modeWord() const { return std::nullopt; }
  // All start buttons enabled again, for tools that disable them.
  virtual std::optional<bool> buttonsEnabled() const { return std::nullopt; }
  // What the operation returned to its caller (the result a command line's exit status
  // shows); nothing when it never got that far or returns nothing.
  std::optional<bool> reported() const { return reported_; }
  // Whether chip and file hold what a success promises (a read: the file is the chip's
  // memory, up to a byte the armed fault corrupted on the way; a write: the chip holds the
  // file; an erase: the chip is blank). Nothing where that cannot be told.
  virtual std::optional<bool> dataIntact() const { return std::nullopt; }
  // Whether the chip still holds what it held when the fault was armed; nothing where the
  // bench cannot see the chip's memory.
  std::optional<bool> chipUnchanged() const;
  // Whether the backup the tool made before it erased or wrote holds what the chip held
  // when the fault was armed; nothing where the tool made none or the bench cannot tell.
  virtual std::optional<bool> backupIntact() const;
  // The backup holds exactly what the chip held, not even a corrupted byte off.
  bool backupExact() const;
  // The failure is the tool's verdict on what a read it completed returned (a read-back
  // that differs, a chip not erased, a backup it could not keep): that read's session
  // rightly ended with 'I', and the failure line comes after it.
  virtual bool failedOnVerdict() const;

  // The adapter's byte log over all opens of this run, per open, and whether a link is
  // still open.
  Bytes sent() const;
  std::vector<Bytes> sentPerOpen() const { return adapter_->receivedPerOpen(); }
  std::size_t opens() const { return adapter_->openCount(); }
  bool adapterOpen() const { return adapter_->isOpen(); }
  // The image file the dialogs were answered with ("" for operations without one).
  const std::string& imagePath() const { return image_; }
  std::uint64_t repliedBytes() const { return tap_->repliedBytes(); }
  const InjectedFault& fault() const { return fault_; }
  // A regular file at the image path after the run.
  bool fileExists() const;
  // After a read that failed: the chosen name holds what it held before the run (an
  // earlier dump, or nothing).
  bool chosenNameUntouched() const;
  std::size_t tagLength() const { return tag_.size(); }
  // Whether 'I' and 'O' in the byte log are outcome signals (false where other bytes of
  // the exchange may take those values).
  virtual bool outcomeBytesMeaningful() const { return true; }
  // The read is taken twice and compared (useDoubleRead).
  bool readsTwice() const { return double_ != nullptr; }

 protected:
  Bench(const BenchConfig& config, std::vector<std::uint8_t> tag,
        std::shared_ptr<emu::CommandHandler> chip);

  // The tool's words for success and failure (failure texts match as line prefixes). With
  // the safety net in use, only its verdict lines tell success, and its failure lines count
  // beside these.
  virtual std::vector<std::string> successLines() const = 0;
  virtual std::vector<std::string> failurePrefixes() const = 0;
  // For a tool that runs its erase or write through the safety net (a backup read, the
  // documented sequence, a read-back or blank check, each its own session): the bench is
  // then judged on the safety net's lines and on its backup, and guards() the cell faults.
  void useSafetyNet(const SafetyTexts& texts) { safety_ = &texts; }
  bool usesSafetyNet() const { return safety_ != nullptr; }
  // For a read taken twice and compared, as the window runs it: the image is saved only
  // after both reads (a full disk fails after the adapter part), a mismatch is a verdict on
  // two reads that completed, only the line that the reads match tells success, and the
  // flaky contact is guarded against.
  void useDoubleRead(const DoubleReadTexts& texts) { double_ = &texts; }
  // Runs the double read's chain as runSafeOps runs a chain; returns what it tells.
  bool runDoubleRead(DoubleRead& reads);
  // Makes the chain with the options the window uses (all steps on, backups into the
  // scratch folder, emptied first) or, without useSafetyNet(), with every step off and
  // forced: the documented sequence alone. Runs it to its end, each session's work on a
  // thread of its own as the window's worker runs it, and returns what `succeeded` tells.
  bool runSafeOps(const std::function<PhaseChain(const SafetyOptions&)>& makeChain,
                  const std::function<bool()>& succeeded);
  // The backup the run kept, if it kept one.
  std::optional<Bytes> keptBackup() const;
  virtual std::vector<std::uint8_t> wrongTag() const;
  virtual void armBadStatus() {}
  virtual void clearBadStatus() {}
  virtual void clearView() = 0;
  virtual void armSlow(const InjectedFault& fault);
  // The chip's memory, for benches that can see it.
  virtual std::optional<Bytes> chipMemory() const { return std::nullopt; }
  // Room left on the disk for the image before the save fails (none unless a bench says).
  virtual std::size_t diskRoom() const { return 0; }
  // Faults of the adapter line: how the positioned faults map onto the firmware.
  virtual void armLine(const InjectedFault& fault);
  // Faults of the chip's cells (the kinds in kVerifyFaults but the flaky read), and taking
  // them away again with the chip as the bench first set it up (after any fault).
  virtual void armChip(const InjectedFault&) {}
  virtual void clearChipFaults() {}
  // A cell fault of that kind, placed where a write or erase that must leave `expected` on
  // the chip meets it: a wrong store among the bytes that are not FFh, a stuck bit at the
  // level the expected byte does not have, an unerased stretch anywhere.
  emu::ChipFaults cellFault(Fault kind, const Bytes& expected);
  // The chip as the bench saw it when the fault was armed.
  const std::optional<Bytes>& chipBefore() const { return chipBefore_; }

  // The log is cleared as the window's would be; message boxes shown so far are forgotten.
  void forgetView(test::RecordingView& view);
  std::vector<std::string> boxesSince(const test::RecordingView& view) const;

  bool hasLine(const std::string& line) const;
  bool hasLineStartingWith(const std::string& prefix) const;
  std::size_t countSent(std::uint8_t byte) const;
  // A read's check: the file equals the chip's memory, but for one byte the armed fault
  // corrupted on its way (that byte must then be the chip's byte with the mask applied).
  bool fileMatches(const Bytes& memory) const;
  bool matchesButCorrupted(const Bytes& got, const Bytes& memory) const;
  std::string scratch(const std::string& name) const { return (dir_ / name).string(); }
  void writeScratch(const std::string& path, const Bytes& bytes) const;
  static Bytes readWhole(const std::string& path);
  static Bytes earlierDump();
  // Random bytes that are never 'I' or 'O', so those bytes in the byte log are outcome
  // signals; `blank` excludes FFh too.
  Bytes randomImage(std::size_t size, bool blank = false);
  std::uint32_t random();
  // The length of a file to write to a chip of `size` bytes: `size`, or when the bench is
  // varied sometimes shorter (now and then on a 256-byte boundary, or empty) or longer.
  std::size_t fileLength(std::size_t size);
  // What a chip of `size` bytes holds after a write of `file`: the file cut to the chip,
  // the rest erased.
  static Bytes padded(const Bytes& file, std::size_t size);
  void setImage(std::string path) { image_ = defaultImage_ = std::move(path); }

  const BenchConfig config_;
  std::optional<bool> reported_;
  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_;
  std::shared_ptr<ReplyTap> tap_;

 private:
  std::vector<std::uint8_t> tag_;
  std::filesystem::path dir_;
  std::string image_;
  std::string defaultImage_;
  std::size_t boxesSeen_ = 0;
  InjectedFault fault_;
  bool seeded_ = false;  // an earlier dump was put at the image path before a read
  std::optional<Bytes> chipBefore_;
  std::unique_ptr<DiskFull> full_;
  std::string backupsFolder_;  // where runSafeOps keeps the backup; empty: the scratch folder
  std::uint64_t randomState_;
  const SafetyTexts* safety_ = nullptr;
  const DoubleReadTexts* double_ = nullptr;
};

}  // namespace tarvex::reliability
