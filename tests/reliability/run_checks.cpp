#include "tests/reliability/run_checks.h"

#include <algorithm>

#include "frame/mode_word.h"
#include "tests/reliability/held_files.h"

namespace tarvex::reliability {
namespace {

std::string millis(Duration d) {
  return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()) + " ms";
}

// The adapter is still there and listening after a fault of this kind.
bool linkLives(Fault fault) {
  return fault != Fault::kAbsent && fault != Fault::kWrongFirmware && fault != Fault::kUnplugMid &&
         fault != Fault::kTagLineEnd;
}

// The fault took away replies the operation needed.
bool cutFired(const InjectedFault& fault, std::uint64_t healthyReplies) {
  switch (fault.kind) {
    case Fault::kSilentFirst:
      return true;
    case Fault::kSilentMid:
    case Fault::kUnplugMid:
      return fault.inTag || healthyReplies == 0 || fault.at < healthyReplies;
    default:
      return false;
  }
}

// A text tag (the ITE firmware's) is read whole, a line end included, so nothing is left
// over; a three-byte tag with a line end after it must be refused.
bool tagLineEndRefused(const Bench& bench) { return bench.tagLength() == 3; }

// Faults after which no operation can honestly succeed.
bool successImpossible(const Bench& bench, Fault fault) {
  switch (fault) {
    case Fault::kTagLineEnd:
      return tagLineEndRefused(bench);
    case Fault::kAbsent:
    case Fault::kWrongFirmware:
    case Fault::kBadStatus:
    case Fault::kNoFile:
    case Fault::kDiskFull:
    case Fault::kFlushFails:
    case Fault::kBadImage:
    case Fault::kBackupFails:
      return true;
    default:
      return false;
  }
}

// The tool stopped at a backup it could not keep: the chip must be as it was, since no
// copy of its old content exists anywhere.
bool changedWithoutBackup(const Bench& bench) {
  return bench.fault().kind == Fault::kBackupFails && bench.chipUnchanged() == false;
}

}  // namespace

RunResult runBench(Bench& bench, const InjectedFault& fault, Duration hangLimit) {
  bench.arm(fault);
  RunResult result;
  result.guarded = runGuarded([&bench] { bench.run(); }, hangLimit);
  if (result.guarded.end != RunEnd::kHung) result.fileHeld = fileHeldOpen(bench.imagePath());
  return result;
}

Expect expectationFor(const Bench& bench, Fault fault) {
  switch (fault) {
    case Fault::kNone:
    case Fault::kSlowReply:
      return Expect::kSuccess;
    case Fault::kCorrupt:
      return Expect::kEither;
    case Fault::kTagLineEnd:
      return tagLineEndRefused(bench) ? Expect::kFailure : Expect::kSuccess;
    case Fault::kStrayByte:
      // A stream counted only by its bytes cannot place its data after a stray byte: a
      // read must fail. Elsewhere the tool may ride it out, but only with its data right.
      return bench.kind() == OpKind::kRead ? Expect::kFailure : Expect::kEither;
    // A cell fault or a damaged read the tool cannot see means success is claimed over
    // data that is not right: it must read back (or read twice) and fail. Where the fault
    // happens to miss the data (a cell the write never touches, damage past the last
    // reply), a success is right, and is then judged by its data.
    case Fault::kStoredWrong:
    case Fault::kStuckBit:
    case Fault::kPartialErase:
    case Fault::kNotErased:
    case Fault::kFlakyRead:
      return Expect::kEither;
    default:
      return bench.adapterSucceedsBeforeFile() ? Expect::kSaveFails : Expect::kFailure;
  }
}

InjectedFault matrixFault(Fault kind, std::uint64_t healthyReplies, Duration bound) {
  // A flaky contact damages the first open: a quarter of the way lands inside it also where
  // the replies of two reads are counted.
  InjectedFault fault{.kind = kind,
                      .at = kind == Fault::kFlakyRead ? healthyReplies / 4 : healthyReplies / 2};
  fault.delay = std::chrono::duration_cast<std::chrono::microseconds>(bound * 2 / 5);
  if (kind == Fault::kBadImage) fault.at = 1;  // the pipe, which once hung a write
  if (kind == Fault::kBackupFails) fault.at = 1;  // the disk that fills up mid-backup
  return fault;
}

Judgement judgeRun(const Bench& bench, const RunResult& run, Expect expect, Duration limit) {
  Judgement judgement;
  auto fail = [&](std::string what) { judgement.broken.push_back(std::move(what)); };
  if (run.guarded.end == RunEnd::kHung) {
    fail("hung (still running after " + millis(run.guarded.elapsed) + ")");
    return judgement;
  }
  if (run.guarded.end == RunEnd::kThrew) fail("threw: " + run.guarded.what);
  if (run.guarded.elapsed > limit) fail("took " + millis(run.guarded.elapsed));
  if (bench.adapterOpen()) fail("link left open");
  if (run.fileHeld) fail("image file left open");
  if (const auto mode = bench.modeWord(); mode && *mode != kModeNone) fail("mode word " + *mode);
  if (const auto buttons = bench.buttonsEnabled(); buttons && !*buttons) {
    fail("buttons left disabled");
  }

  const bool claimed = bench.claimedSuccess();
  const bool named = bench.failureNamed();
  if (const auto reported = bench.reported(); reported && *reported != claimed) {
    fail(std::string("returned ") + (*reported ? "success" : "failure") + " but told the user " +
         (claimed ? "success" : "failure"));
  }
  const Bytes sent = bench.sent();
  const bool outcomes = bench.outcomeBytesMeaningful();
  // An operation of several sessions goes on to the next only after one succeeded: each but
  // the last ends with 'I' and no 'O'. The outcome of the operation is the last session's.
  const auto opens = bench.sentPerOpen();
  for (std::size_t i = 0; outcomes && i + 1 < opens.size(); ++i) {
    const Bytes& open = opens[i];
    if (std::count(open.begin(), open.end(), std::uint8_t{'I'}) == 0 ||
        std::count(open.begin(), open.end(), std::uint8_t{'O'}) > 0) {
      fail("session " + std::to_string(i + 1) + " of " + std::to_string(opens.size()) +
           " went on without ending in 'I'");
    }
  }
  const Bytes last = opens.empty() ? Bytes{} : opens.back();
  const auto successes = std::count(last.begin(), last.end(), std::uint8_t{'I'});
  const auto failures = std::count(last.begin(), last.end(), std::uint8_t{'O'});
  const Fault fault = bench.fault().kind;
  const bool either = expect == Expect::kEither;
  if (either) expect = claimed ? Expect::kSuccess : Expect::kFailure;
  // Whatever the verdict, nothing the chip held may be lost: the backup taken before an
  // erase or a write holds it (a byte corrupted on its way in aside, which no single read
  // can tell: that passes with a remark).
  if (const auto backup = bench.backupIntact(); backup == false) {
    fail("the backup does not hold what the chip held");
  } else if (backup == true && fault == Fault::kCorrupt && !bench.backupExact()) {
    judgement.remarks.push_back("kept a corrupted reply in the backup");
  }

  switch (expect) {
    case Expect::kSuccess:
      if (!claimed) fail("no success reported");
      if (named) fail("a failure is named");
      if (outcomes && successes == 0) fail("no 'I'");
      if (outcomes && failures > 0) fail("'O' sent");
      if (bench.dataIntact() == false) {
        if (either && fault == Fault::kCorrupt) {
          judgement.remarks.push_back("took a corrupted reply at its word");
        } else if (either && bench.kind() == OpKind::kScan) {
          // A scan reply ends at its end mark, not at a count: a stray byte inside one shows
          // for a single scan as a pin pair, and the next reply is whole again.
          judgement.remarks.push_back("showed a stray byte for one scan");
        } else {
          fail("data not what the success promises");
        }
      }
      if (bench.failureEnd() == FailureEnd::kQuit && (sent.empty() || sent.back() != 'Q')) {
        fail("scan not ended with 'Q'");
      }
      break;
    case Expect::kFailure: {
      if (claimed) fail("success reported");
      // What a failed read received may be kept, but never under the name chosen for it.
      if (bench.kind() == OpKind::kRead && !bench.chosenNameUntouched()) {
        fail("a failed read changed the file at the chosen name");
      }
      // A verdict on a read that completed comes after that read's 'I'; any other failure
      // ends its session with 'O' (and an image refused before the adapter was touched
      // opens none).
      const bool verdict = bench.failedOnVerdict();
      const bool refusedFirst = bench.opens() == 0 &&
                                (fault == Fault::kNoFile || fault == Fault::kBadImage);
      if (verdict) {
        if (outcomes && (successes == 0 || failures > 0)) {
          fail("a verdict on a read whose session did not end in 'I'");
        }
      } else if (outcomes && successes > 0) {
        fail("'I' sent");
      }
      if (!named) fail("failure not named");
      if (fault == Fault::kBadImage && bench.chipUnchanged() == false) {
        fail("the chip changed, though the image could not be read");
      }
      if (changedWithoutBackup(bench)) fail("the chip changed, though its backup was not kept");
      if (fault == Fault::kBackupFails && !verdict) fail("did not stop on the backup not kept");
      if (fault == Fault::kAbsent && bench.opens() != 0) fail("opened an absent adapter");
      if ((fault == Fault::kWrongFirmware || fault == Fault::kTagLineEnd) && sent != Bytes{'B'}) {
        fail("sent more than 'B' to a wrong firmware");
      }
      if (linkLives(fault) && !verdict && !refusedFirst) {
        if (bench.failureEnd() == FailureEnd::kOutcome && failures == 0) fail("no 'O'");
        if (bench.failureEnd() == FailureEnd::kQuit && (sent.empty() || sent.back() != 'Q')) {
          fail("no 'Q' at the end");
        }
      }
      break;
    }
    case Expect::kSaveFails:
      if (claimed) fail("success reported");
      if (successes == 0) fail("no 'I' after the adapter part");
      if (failures > 0) fail("'O' sent after the adapter part succeeded");
      if (!named) fail("failure not named");
      if (!bench.chosenNameUntouched()) fail("the file that failed changed the chosen name");
      break;
    case Expect::kEither:
      break;
  }
  return judgement;
}

std::vector<std::string> brokenAfterwards(Bench& bench, Duration hangLimit, Duration limit,
                                          bool* hung) {
  bench.disarm();
  const RunResult again = runBench(bench, {}, hangLimit);
  *hung = again.guarded.end == RunEnd::kHung;
  auto broken = judgeRun(bench, again, Expect::kSuccess, limit).broken;
  for (auto& b : broken) b = "the run after it: " + b;
  return broken;
}

SoakVerdict judge(const Bench& bench, const RunResult& run, std::uint64_t healthyReplies) {
  SoakVerdict verdict;
  verdict.hang = run.guarded.end == RunEnd::kHung;
  verdict.crash = run.guarded.end == RunEnd::kThrew;
  if (verdict.hang) return verdict;
  // A success returned to the caller counts as told: a command line exits 0 on it.
  verdict.claimedSuccess = bench.claimedSuccess() || bench.reported() == true;
  verdict.lostData = bench.backupIntact() == false || changedWithoutBackup(bench);
  if (!verdict.claimedSuccess) return verdict;
  if (bench.reported() == false) verdict.falseSuccess = true;  // told, but returned failure

  const InjectedFault& fault = bench.fault();
  const auto intact = bench.dataIntact();
  if (bench.kind() == OpKind::kRead) {
    verdict.lostData = verdict.lostData || intact == false;
  } else if (intact == false) {
    // The file comparison of a read already allows the corrupted byte itself.
    const bool strayInScan = fault.kind == Fault::kStrayByte && bench.kind() == OpKind::kScan;
    (fault.kind == Fault::kCorrupt || strayInScan ? verdict.believedCorruption
                                                  : verdict.falseSuccess) = true;
  }
  if (successImpossible(bench, fault.kind)) verdict.falseSuccess = true;
  // A check or a scan needs every one of its replies; reads and writes are judged by
  // their data, since a loss after the data is safe may rightly be reported beside it.
  const bool needsAllReplies = bench.kind() == OpKind::kCheck || bench.kind() == OpKind::kScan;
  if (needsAllReplies && cutFired(fault, healthyReplies)) verdict.falseSuccess = true;
  return verdict;
}

}  // namespace tarvex::reliability
