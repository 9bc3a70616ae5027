#include "tests/reliability/bench.h"
#include "tests/support/chain_on_workers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

#include "frame/staged_image.h"
#include "link/adapter_link.h"
#include "tests/support/test_platform.h"

namespace tarvex::reliability {
namespace {

std::atomic<unsigned> benchCount{0};

// A tool's safety text that it has (a tool whose adapter verifies has no read-back texts).
bool given(const char* text) { return text != nullptr && *text != '\0'; }

}  // namespace

const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::kNone:
      return "none";
    case Fault::kAbsent:
      return "absent";
    case Fault::kWrongFirmware:
      return "wrong fw";
    case Fault::kSilentFirst:
      return "silent 1st";
    case Fault::kSilentMid:
      return "silent mid";
    case Fault::kUnplugMid:
      return "unplug mid";
    case Fault::kCorrupt:
      return "corrupt";
    case Fault::kBadStatus:
      return "bad status";
    case Fault::kSlowReply:
      return "slow reply";
    case Fault::kNoFile:
      return "no file";
    case Fault::kDiskFull:
      return "disk full";
    case Fault::kFlushFails:
      return "no flush";
    case Fault::kBadImage:
      return "bad image";
    case Fault::kStrayByte:
      return "stray byte";
    case Fault::kTagLineEnd:
      return "tag CR LF";
    case Fault::kBackupFails:
      return "no backup";
    case Fault::kStoredWrong:
      return "stored wrong";
    case Fault::kStuckBit:
      return "stuck bit";
    case Fault::kPartialErase:
      return "part erase";
    case Fault::kNotErased:
      return "not erased";
    case Fault::kFlakyRead:
      return "flaky read";
  }
  return "?";
}

bool isCellFault(Fault fault) {
  return fault == Fault::kStoredWrong || fault == Fault::kStuckBit ||
         fault == Fault::kPartialErase || fault == Fault::kNotErased;
}

Bench::Bench(const BenchConfig& config, std::vector<std::uint8_t> tag,
             std::shared_ptr<emu::CommandHandler> chip)
    : config_(config),
      adapter_(bus_.attach(tag)),
      tap_(std::make_shared<ReplyTap>(std::move(chip))),
      tag_(std::move(tag)),
      randomState_(config.seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
  adapter_->addHandler(tap_);
  dir_ =
      std::filesystem::temp_directory_path() / ("tarvex_reliability_" + std::to_string(::getpid()) +
                                                "_" + std::to_string(benchCount.fetch_add(1)));
  std::filesystem::create_directories(dir_);
}

Bench::~Bench() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

bool Bench::guards(Fault fault) const {
  if (fault == Fault::kFlakyRead) return readsTwice();
  return usesSafetyNet() && isCellFault(fault);
}

bool Bench::applies(Fault fault) const {
  switch (fault) {
    case Fault::kNoFile:
    case Fault::kDiskFull:
    case Fault::kFlushFails:
    case Fault::kBadImage:
    case Fault::kNotErased:
      return false;
    case Fault::kStoredWrong:
      return kind() == OpKind::kWrite;  // an erase programs nothing
    case Fault::kStuckBit:
    case Fault::kPartialErase:
      return kind() == OpKind::kWrite || kind() == OpKind::kErase;
    case Fault::kFlakyRead:
      return kind() == OpKind::kRead;
    case Fault::kBackupFails:
      return usesSafetyNet();
    default:
      return true;
  }
}

void Bench::arm(const InjectedFault& fault) {
  fault_ = fault;
  switch (fault.kind) {
    case Fault::kNone:
      break;
    case Fault::kAbsent:
      adapter_->unplug();
      break;
    case Fault::kWrongFirmware:
      adapter_->setTag(wrongTag());
      break;
    case Fault::kBadStatus:
      armBadStatus();
      break;
    case Fault::kSlowReply:
      armSlow(fault);
      break;
    case Fault::kNoFile:
      // A read cannot create its file in a folder that is not there; a write cannot open
      // a file that is not there.
      image_ = kind() == OpKind::kRead ? scratch("missing/image.bin") : scratch("missing.bin");
      break;
    case Fault::kDiskFull:
      full_ = std::make_unique<DiskFull>(diskRoom());
      image_ = full_->path();
      break;
    case Fault::kFlushFails:
      setStorageFault(image_, {.flushFails = true});
      break;
    case Fault::kBadImage:
      // A folder, a pipe with no writer, or a file that opens but cannot be read (memory
      // at address 0 is never mapped); a folder where the system has neither of the others.
      if (fault.at % 3 == 1 && test::makeFifo(scratch("pipe.bin"))) {
        image_ = scratch("pipe.bin");
      } else if (fault.at % 3 == 2 && *test::kUnreadableFile) {
        image_ = test::kUnreadableFile;
      } else {
        image_ = scratch("folder.bin");
        std::filesystem::create_directories(image_);
      }
      break;
    case Fault::kStoredWrong:
    case Fault::kStuckBit:
    case Fault::kPartialErase:
    case Fault::kNotErased:
      armChip(fault);
      break;
    case Fault::kBackupFails:
      // A disk that fills up while the backup is saved, where the bench can mount one;
      // otherwise a folder that cannot be made, its parent being a file.
      if (fault.at % 2 == 1) full_ = std::make_unique<DiskFull>(diskRoom());
      if (full_ && full_->onTmpfs()) {
        backupsFolder_ = (std::filesystem::path(full_->path()).parent_path() / "backups").string();
      } else {
        full_.reset();
        writeScratch(scratch("not_a_folder"), Bytes{0});
        backupsFolder_ = scratch("not_a_folder/backups");
      }
      break;
    default:
      armLine(fault);
      break;
  }
  // Taken once the fault is in place: a chip left unerased holds its old firmware now.
  chipBefore_ = chipMemory();
  // A read saves over an earlier dump where it can (not in a missing folder, nor on a disk
  // with no room for one): a failed read must leave it as it was.
  seeded_ = kind() == OpKind::kRead && fault.kind != Fault::kNoFile &&
            fault.kind != Fault::kDiskFull;
  if (seeded_) writeScratch(image_, earlierDump());
}

std::optional<bool> Bench::chipUnchanged() const {
  const auto now = chipMemory();
  if (!now || !chipBefore_) return std::nullopt;
  return *now == *chipBefore_;
}

void Bench::disarm() {
  // Also after a fault of the line: a write cut short left part of the image on the chip,
  // which the technician erases before writing again.
  clearChipFaults();
  reported_.reset();
  adapter_->plugIn();
  adapter_->setTag(tag_);
  adapter_->setFaults({});
  adapter_->clearRecords();
  tap_->restart();
  clearBadStatus();
  clearView();
  full_.reset();
  backupsFolder_.clear();
  clearStorageFault(image_);
  seeded_ = false;
  image_ = defaultImage_;
  fault_ = {};
}

namespace {

// A fault of the line at byte `at` of an open (the tag counted, from 0).
emu::FaultPlan linePlan(const InjectedFault& fault, std::uint64_t at) {
  emu::FaultPlan plan;
  switch (fault.kind) {
    case Fault::kSilentFirst:
    case Fault::kSilentMid:
      plan.stopAfterBytes = at;
      break;
    case Fault::kUnplugMid:
      plan.unplugAfterBytes = at;
      break;
    case Fault::kCorrupt:
      plan.corruptByteAt = at;
      plan.corruptMask = fault.mask;
      break;
    case Fault::kStrayByte:
      plan.strayByteAfter = at;
      plan.strayByte = fault.mask;
      break;
    default:
      break;
  }
  return plan;
}

bool placedInReplies(const InjectedFault& fault) {
  return !fault.inTag && (fault.kind == Fault::kSilentMid || fault.kind == Fault::kUnplugMid ||
                          fault.kind == Fault::kCorrupt || fault.kind == Fault::kStrayByte);
}

}  // namespace

void Bench::armLine(const InjectedFault& fault) {
  // A fault placed among the replies strikes the session its reply byte falls in, counted
  // over every session of the run (a single one for most operations): a backup read, the
  // write or the read-back after it.
  if (placedInReplies(fault)) {
    const std::uint64_t tag = tag_.size();
    std::weak_ptr<emu::EmulatedAdapter> adapter = adapter_;
    tap_->strikeAt(
        fault.at,
        [adapter, fault, tag](std::uint64_t place) {
          if (auto a = adapter.lock()) a->setFaults(linePlan(fault, tag + place));
        },
        [adapter] {
          if (auto a = adapter.lock()) a->setFaults({});
        });
    return;
  }
  emu::FaultPlan plan;
  std::uint64_t at = tag_.size();
  if (fault.inTag) {
    at = fault.at % tag_.size();
  } else if (fault.kind != Fault::kSilentFirst) {
    at += fault.at;
  }
  switch (fault.kind) {
    case Fault::kSilentFirst:
    case Fault::kSilentMid:
    case Fault::kUnplugMid:
    case Fault::kCorrupt:
    case Fault::kStrayByte:
      plan = linePlan(fault, at);
      break;
    case Fault::kTagLineEnd:
      plan.tagLineEnd = true;
      break;
    case Fault::kFlakyRead:
      // One open after arming is damaged a little past the fault's place: bits flipped, or
      // with an even mask a block shifted by one. Of two reads compared it is the second,
      // whose image is the one saved: only the comparison can catch it.
      plan.flaky = emu::FlakyContact{.open = readsTwice() ? 1u : 0u,
                                     .seed = fault.mask,
                                     .from = at,
                                     .span = 32,
                                     .flips = 3,
                                     .shiftedBlock = fault.mask % 2 == 0 ? 64u : 0u};
      break;
    default:
      break;
  }
  adapter_->setFaults(plan);
}

void Bench::armSlow(const InjectedFault& fault) {
  tap_->delayReplyAt(fault.at, fault.delay);
}

std::vector<std::uint8_t> Bench::wrongTag() const {
  return emu::tags::v42();
}

bool Bench::claimedSuccess() const {
  // Through the safety net, the sessions before the last one end with 'I' on the way, and
  // "written" is logged before the read-back: only its verdict tells success.
  if (safety_ && given(safety_->verifyOk)) {
    return hasLine(safety_->verifyOk) || (given(safety_->blankOk) && hasLine(safety_->blankOk));
  }
  // Each of two reads logs its own end; only the match tells success.
  if (double_) return hasLine(double_->readsMatch);
  for (const auto& line : successLines()) {
    if (hasLine(line)) return true;
  }
  return outcomeBytesMeaningful() && countSent('I') > 0;
}

bool Bench::failedOnVerdict() const {
  if (double_) return hasLineStartingWith(double_->differIn);
  if (!safety_) return false;
  return (given(safety_->mismatchAt) && hasLineStartingWith(safety_->mismatchAt)) ||
         hasLine(safety_->cancelled) || hasLineStartingWith(safety_->backupNotSaved);
}

bool Bench::runSafeOps(const std::function<PhaseChain(const SafetyOptions&)>& makeChain,
                       const std::function<bool()>& succeeded) {
  SafetyOptions options;
  std::error_code ec;
  std::filesystem::remove_all(scratch("backups"), ec);
  options.backupsFolder = backupsFolder_.empty() ? scratch("backups") : backupsFolder_;
  if (!safety_) {
    options.verify = false;
    options.backup = false;
    options.force = true;
  }
  PhaseChain chain = makeChain(options);
  test::runChainOnWorkers(chain);
  return succeeded();
}

bool Bench::runDoubleRead(DoubleRead& reads) {
  PhaseChain chain = reads.chain();
  test::runChainOnWorkers(chain);
  return reads.succeeded();
}

std::optional<Bytes> Bench::keptBackup() const {
  std::error_code ec;
  std::filesystem::directory_iterator it(scratch("backups"), ec);
  if (ec || it == std::filesystem::directory_iterator()) return std::nullopt;
  return readWhole(it->path().string());
}

bool Bench::backupExact() const {
  const auto backup = keptBackup();
  return backup && chipBefore_ && *backup == *chipBefore_;
}

std::optional<bool> Bench::backupIntact() const {
  if (!safety_ || !chipBefore_) return std::nullopt;
  const auto backup = keptBackup();
  if (!backup) return std::nullopt;
  return matchesButCorrupted(*backup, *chipBefore_);
}

bool Bench::failureNamed() const {
  if (!errorBoxes().empty()) return true;
  const std::string linkFailures[] = {link_text::kNoList, link_text::kNoPorts,
                                      link_text::kUpdateFirmware, link_text::kNotFound,
                                      link_text::kNotFoundArrow};
  for (const auto& prefix : linkFailures) {
    if (hasLineStartingWith(prefix)) return true;
  }
  for (const auto& prefix : failurePrefixes()) {
    if (hasLineStartingWith(prefix)) return true;
  }
  if (double_ && (hasLineStartingWith(double_->differIn) ||
                  hasLineStartingWith(double_->fileWriteFailed))) {
    return true;
  }
  if (safety_) {
    for (const char* prefix : {safety_->cancelled, safety_->backupReadFailed,
                               safety_->backupNotSaved, safety_->verifyReadFailed,
                               safety_->mismatchAt}) {
      if (given(prefix) && hasLineStartingWith(prefix)) return true;
    }
  }
  return false;
}

FailureEnd Bench::failureEnd() const {
  return FailureEnd::kOutcome;
}

Bytes Bench::sent() const {
  Bytes all;
  for (const auto& open : adapter_->receivedPerOpen())
    all.insert(all.end(), open.begin(), open.end());
  return all;
}

void Bench::forgetView(test::RecordingView& view) {
  view.clearLog();
  boxesSeen_ = view.errorBoxes().size();
}

std::vector<std::string> Bench::boxesSince(const test::RecordingView& view) const {
  const auto all = view.errorBoxes();
  return std::vector<std::string>(all.begin() + static_cast<long>(std::min(boxesSeen_, all.size())),
                                  all.end());
}

bool Bench::hasLine(const std::string& line) const {
  const auto all = lines();
  return std::find(all.begin(), all.end(), line) != all.end();
}

bool Bench::hasLineStartingWith(const std::string& prefix) const {
  for (const auto& line : lines()) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

std::size_t Bench::countSent(std::uint8_t byte) const {
  const Bytes all = sent();
  return static_cast<std::size_t>(std::count(all.begin(), all.end(), byte));
}

bool Bench::fileMatches(const Bytes& memory) const {
  return matchesButCorrupted(readWhole(image_), memory);
}

bool Bench::matchesButCorrupted(const Bytes& file, const Bytes& memory) const {
  if (file.size() != memory.size()) return false;
  int differences = 0;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == memory[i]) continue;
    const bool corrupted = fault_.kind == Fault::kCorrupt &&
                           file[i] == static_cast<std::uint8_t>(memory[i] ^ fault_.mask);
    if (!corrupted || ++differences > 1) return false;
  }
  return true;
}

Bytes Bench::earlierDump() { return Bytes(1000, 0x5A); }

bool Bench::chosenNameUntouched() const {
  if (seeded_) return readWhole(image_) == earlierDump();
  return !fileExists();
}

bool Bench::fileExists() const {
  std::error_code ec;
  return std::filesystem::is_regular_file(image_, ec);
}

void Bench::writeScratch(const std::string& path, const Bytes& bytes) const {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes Bench::readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Bench::random() {
  // xorshift64*: small, and the same sequence for the same seed on every platform.
  randomState_ ^= randomState_ >> 12;
  randomState_ ^= randomState_ << 25;
  randomState_ ^= randomState_ >> 27;
  return static_cast<std::uint32_t>((randomState_ * 0x2545F4914F6CDD1Dull) >> 32);
}

std::size_t Bench::fileLength(std::size_t size) {
  if (!config_.varied) return size;
  const std::uint32_t pick = random() % 10;
  if (pick < 6) return size;
  if (pick < 8) {
    const std::size_t shorter = random() % size;
    return pick == 6 ? shorter : shorter / 256 * 256;
  }
  return size + 1 + random() % 4096;
}

emu::ChipFaults Bench::cellFault(Fault kind, const Bytes& expected) {
  const auto size = static_cast<std::uint32_t>(expected.size());
  const std::uint32_t seed = random();
  switch (kind) {
    case Fault::kStoredWrong: {
      std::vector<std::uint32_t> programmed;
      for (std::uint32_t a = 0; a < size; ++a) {
        if (expected[a] != 0xFF) programmed.push_back(a);
      }
      auto faults = emu::ChipFaults::seededWrongStore(seed, 0, size);
      if (!programmed.empty()) faults.wrongStores[0].address = programmed[seed % programmed.size()];
      return faults;
    }
    case Fault::kStuckBit: {
      auto faults = emu::ChipFaults::seededStuckBit(seed, 0, size);
      emu::StuckBit& stuck = faults.stuckBits[0];
      stuck.high = (expected[*stuck.address] & stuck.mask) == 0;
      return faults;
    }
    case Fault::kPartialErase:
      return emu::ChipFaults::seededPartialErase(seed, 0, size);
    default:
      return {};
  }
}

Bytes Bench::padded(const Bytes& file, std::size_t size) {
  Bytes chip(size, 0xFF);
  std::copy_n(file.begin(), std::min(size, file.size()), chip.begin());
  return chip;
}

Bytes Bench::randomImage(std::size_t size, bool blank) {
  Bytes bytes(size);
  for (auto& b : bytes) {
    do {
      b = static_cast<std::uint8_t>(random());
    } while (b == 'I' || b == 'O' || (blank && b == 0xFF));
  }
  return bytes;
}

}  // namespace tarvex::reliability
