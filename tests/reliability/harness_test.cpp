// The pieces the matrix and the soak stand on: a harness that misses a hang, an open file,
// a full disk or a slow reply would let a broken tool pass.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "emulator/emulator_bus.h"
#include "frame/image_file.h"
#include "frame/staged_image.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tests/reliability/disk_full.h"
#include "tests/reliability/guarded_run.h"
#include "tests/reliability/held_files.h"
#include "tests/reliability/reply_tap.h"
#include "tests/reliability/run_checks.h"
#include "tests/support/recording_log.h"

namespace tarvex::reliability {
namespace {

using namespace std::chrono_literals;

TEST(Watchdog, TellsReturnThrowAndHangApart) {
  EXPECT_EQ(runGuarded([] {}, 1s).end, RunEnd::kReturned);

  const GuardedRun threw = runGuarded([] { throw std::runtime_error("boom"); }, 1s);
  EXPECT_EQ(threw.end, RunEnd::kThrew);
  EXPECT_EQ(threw.what, "boom");

  // The hung body is released afterwards so the test leaves no thread behind.
  auto release = std::make_shared<std::atomic<bool>>(false);
  const GuardedRun hung = runGuarded(
      [release] {
        while (!*release) std::this_thread::sleep_for(1ms);
      },
      50ms);
  EXPECT_EQ(hung.end, RunEnd::kHung);
  EXPECT_GE(hung.elapsed, 50ms);
  *release = true;
}

TEST(HeldFiles, SeesAnImageFileOnlyWhileItIsOpen) {
  const std::string path = testing::TempDir() + "held_files_test.bin";
  ImageFile file;
  ASSERT_TRUE(file.createAlways(path));
  EXPECT_TRUE(fileHeldOpen(path));
  EXPECT_FALSE(fileHeldOpen(path + ".other"));
  file.close();
  EXPECT_FALSE(fileHeldOpen(path));
  std::remove(path.c_str());
}

TEST(DiskFullPlace, TakesTheRoomAndNotAByteMore) {
  constexpr std::size_t kRoom = 8192;
  DiskFull full(kRoom);
  StagedImage file;
  ASSERT_TRUE(file.begin(full.path()));
  const std::vector<std::uint8_t> block(4096, 0xA5);
  EXPECT_TRUE(file.write(block.data(), block.size()));
  EXPECT_TRUE(file.write(block.data(), block.size()));
  EXPECT_FALSE(file.write(block.data(), block.size()));
}

// A handler that answers each 'q' with four bytes.
class FourBytes final : public emu::CommandHandler {
 public:
  bool handles(std::uint8_t command) const override { return command == 'q'; }
  void handle(std::uint8_t, emu::FirmwarePort& port) override { port.send(Bytes{1, 2, 3, 4}); }

 private:
  using Bytes = std::vector<std::uint8_t>;
};

TEST(ReplyTapTest, CountsRepliesAndHoldsBackOnlyTheChosenOne) {
  emu::EmulatorBus bus;
  auto adapter = bus.attach(emu::tags::v41());
  auto tap = std::make_shared<ReplyTap>(std::make_shared<FourBytes>());
  adapter->addHandler(tap);
  tap->delayReplyAt(5, 150ms);  // the second reply

  LinkState link(300);
  test::RecordingLog log;
  ASSERT_EQ(OpenAdapterLink(bus, link_params::kKb90, link, log), kLinkReady);
  auto ask = [&](SteadyClock::duration bound) {
    sendByte(link, 'q');
    return receive(link, 0, 4, bound);
  };
  EXPECT_EQ(ask(100ms), WaitResult::kReady);
  EXPECT_EQ(ask(50ms), WaitResult::kTimedOut);  // held back
  EXPECT_EQ(receive(link, 0, 4, 1s), WaitResult::kReady);
  EXPECT_EQ(ask(100ms), WaitResult::kReady);  // once only
  CloseAdapterLink(link);
  EXPECT_EQ(tap->repliedBytes(), 12u);
}

// A fault placed in a run of several sessions (a backup read, a write, a read-back) must
// strike the session its byte falls in, at that byte, and leave the next session whole:
// placed per session, it would strike the first one every time, or none.
TEST(ReplyTapTest, AFaultPlacedInTheRunStrikesOnlyTheSessionItFallsIn) {
  emu::EmulatorBus bus;
  auto adapter = bus.attach(emu::tags::v41());
  auto tap = std::make_shared<ReplyTap>(std::make_shared<FourBytes>());
  adapter->addHandler(tap);
  // Run-wide reply byte 9: the second byte of the first reply of the second session.
  tap->strikeAt(
      9, [&](std::uint64_t place) {
        adapter->setFaults({.corruptByteAt = 3 + place, .corruptMask = 0xFF});
      },
      [&] { adapter->setFaults({}); });

  auto session = [&] {
    LinkState link(300);
    test::RecordingLog log;
    std::vector<std::uint8_t> got;
    if (OpenAdapterLink(bus, link_params::kKb90, link, log) != kLinkReady) return got;
    for (int i = 0; i < 2; ++i) {
      sendByte(link, 'q');
      if (receive(link, 0, 4, 1s) != WaitResult::kReady) break;
      got.insert(got.end(), link.buffer.begin(), link.buffer.begin() + 4);
    }
    CloseAdapterLink(link);
    return got;
  };
  const std::vector<std::uint8_t> whole{1, 2, 3, 4, 1, 2, 3, 4};
  EXPECT_EQ(session(), whole);
  EXPECT_EQ(session(), (std::vector<std::uint8_t>{1, 2 ^ 0xFF, 3, 4, 1, 2, 3, 4}));
  EXPECT_EQ(session(), whole);
}

// A bench whose run only tells what it is scripted to tell.
class ScriptedBench final : public Bench {
 public:
  ScriptedBench(OpKind kind, bool success, std::optional<bool> intact,
                std::optional<bool> backup = std::nullopt)
      : Bench({}, emu::tags::v41(), nullptr),
        kind_(kind),
        success_(success),
        intact_(intact),
        backup_(backup) {}
  OpKind kind() const override { return kind_; }
  void run() override {}
  std::vector<std::string> lines() const override { return {success_ ? "done" : "failed"}; }
  void clearView() override {}
  std::optional<bool> dataIntact() const override { return intact_; }
  std::optional<bool> backupIntact() const override { return backup_; }

 protected:
  std::vector<std::string> successLines() const override { return {"done"}; }
  std::vector<std::string> failurePrefixes() const override { return {"failed"}; }

 private:
  OpKind kind_;
  bool success_;
  std::optional<bool> intact_;
  std::optional<bool> backup_;
};

SoakVerdict judged(OpKind kind, bool success, std::optional<bool> intact, InjectedFault fault,
                   std::uint64_t healthyReplies = 100) {
  ScriptedBench bench(kind, success, intact);
  bench.arm(fault);
  return judge(bench, RunResult{}, healthyReplies);
}

TEST(SoakJudge, CountsWhatASuccessGotWrong) {
  const InjectedFault none{};
  EXPECT_TRUE(judged(OpKind::kRead, true, false, none).lostData);
  EXPECT_FALSE(judged(OpKind::kRead, true, false, none).falseSuccess);
  EXPECT_TRUE(judged(OpKind::kWrite, true, false, none).falseSuccess);
  EXPECT_TRUE(judged(OpKind::kErase, true, true, {.kind = Fault::kBadStatus}).falseSuccess);
  // A failure told as a failure counts for nothing, whatever the data.
  const SoakVerdict failed = judged(OpKind::kWrite, false, false, none);
  EXPECT_FALSE(failed.falseSuccess || failed.lostData || failed.claimedSuccess);
}

TEST(SoakJudge, AChecksSuccessNeedsAllItsReplies) {
  EXPECT_TRUE(judged(OpKind::kCheck, true, std::nullopt, {.kind = Fault::kSilentMid, .at = 99})
                  .falseSuccess);
  EXPECT_FALSE(judged(OpKind::kCheck, true, std::nullopt, {.kind = Fault::kSilentMid, .at = 100})
                   .falseSuccess);
  // A read or write is judged by its data: a loss after the data is safe may be reported.
  EXPECT_FALSE(
      judged(OpKind::kRead, true, true, {.kind = Fault::kSilentMid, .at = 99}).falseSuccess);
}

TEST(SoakJudge, ACorruptedReplyTakenAtItsWordIsNotAFalseSuccess) {
  const SoakVerdict v = judged(OpKind::kErase, true, false, {.kind = Fault::kCorrupt, .at = 5});
  EXPECT_TRUE(v.believedCorruption);
  EXPECT_FALSE(v.falseSuccess);
}

// The faults only a read-back or a second read catch: a success over them is false, and a
// backup that lost the chip's old content is lost data even when the tool failed rightly.
TEST(SoakJudge, ABelievedCellFaultIsAFalseSuccessAndABadBackupIsLostData) {
  EXPECT_TRUE(judged(OpKind::kWrite, true, false, {.kind = Fault::kStoredWrong}).falseSuccess);
  EXPECT_TRUE(judged(OpKind::kErase, true, false, {.kind = Fault::kPartialErase}).falseSuccess);
  EXPECT_TRUE(judged(OpKind::kRead, true, false, {.kind = Fault::kFlakyRead}).lostData);
  EXPECT_FALSE(judged(OpKind::kWrite, false, false, {.kind = Fault::kStuckBit}).lostData);

  ScriptedBench bench(OpKind::kWrite, false, false, false);
  bench.arm({.kind = Fault::kStoredWrong});
  EXPECT_TRUE(judge(bench, RunResult{}, 100).lostData);
  const auto broken =
      judgeRun(bench, RunResult{}, expectationFor(bench, Fault::kStoredWrong), 1s).broken;
  EXPECT_NE(std::find(broken.begin(), broken.end(), "the backup does not hold what the chip held"),
            broken.end());
}

// A bench that runs scripted sessions, each the bytes the tool sends after the handshake, and logs
// scripted lines, with the safety net's texts in use.
constexpr SafetyTexts kTexts{.tool = "t",
                             .askGoOn = "?",
                             .cancelled = "cancelled",
                             .backupReadFailed = "backup read failed",
                             .backupSaved = "backup: ",
                             .backupNotSaved = "backup not saved: ",
                             .verifyReadFailed = "not verified",
                             .verifyOk = "verified",
                             .blankOk = "blank",
                             .mismatchAt = "mismatch at ",
                             .mismatchCount = ", ",
                             .mismatchEnd = "."};

class SessionsBench final : public Bench {
 public:
  SessionsBench(std::vector<std::vector<std::uint8_t>> sessions, std::vector<std::string> lines)
      : Bench({}, emu::tags::v41(), nullptr), sessions_(std::move(sessions)),
        lines_(std::move(lines)) {
    useSafetyNet(kTexts);
  }
  OpKind kind() const override { return OpKind::kWrite; }
  void run() override {
    for (const auto& bytes : sessions_) {
      LinkState link(300);
      test::RecordingLog log;
      ASSERT_EQ(OpenAdapterLink(bus_, link_params::kKb90, link, log), kLinkReady);
      for (std::uint8_t b : bytes) sendByte(link, b);
      CloseAdapterLink(link);
    }
  }
  std::vector<std::string> lines() const override { return lines_; }
  void clearView() override {}

 protected:
  std::vector<std::string> successLines() const override { return {}; }
  std::vector<std::string> failurePrefixes() const override { return {}; }

 private:
  std::vector<std::vector<std::uint8_t>> sessions_;
  std::vector<std::string> lines_;
};

std::vector<std::string> brokenBy(std::vector<std::vector<std::uint8_t>> sessions,
                                  std::vector<std::string> lines, Fault fault) {
  SessionsBench bench(std::move(sessions), std::move(lines));
  const RunResult run = runBench(bench, {.kind = fault}, 5s);
  return judgeRun(bench, run, expectationFor(bench, fault), 5s).broken;
}

bool has(const std::vector<std::string>& broken, const std::string& what) {
  return std::find(broken.begin(), broken.end(), what) != broken.end();
}

// Several sessions in one run: each but the last must end with 'I' alone; the last one
// carries the outcome, and only a verdict over a read that completed may follow its 'I'.
TEST(RunJudge, JudgesAChainOfSessionsByEachSession) {
  // The read-back completed ('I') and differed: a failure rightly named after it.
  EXPECT_TRUE(brokenBy({{'I'}, {'I'}, {'I'}}, {"mismatch at 00100h, 1."},
                       Fault::kStoredWrong)
                  .empty());
  EXPECT_TRUE(brokenBy({{'I'}, {'I'}}, {"verified"}, Fault::kNone).empty());
  // A failure that is no verdict ends its session with 'O'.
  EXPECT_TRUE(has(brokenBy({{'I'}, {'I'}}, {"backup read failed"}, Fault::kBadStatus),
                  "'I' sent"));
  EXPECT_TRUE(has(brokenBy({{'I'}, {}}, {"not verified"}, Fault::kBadStatus), "no 'O'"));
  // A verdict drawn from a session that failed, and a chain that went on past one.
  EXPECT_TRUE(has(brokenBy({{'I'}, {'O'}}, {"mismatch at 0h, 1."}, Fault::kStuckBit),
                  "a verdict on a read whose session did not end in 'I'"));
  EXPECT_TRUE(has(brokenBy({{'O'}, {'I'}}, {"verified"}, Fault::kNone),
                  "session 1 of 2 went on without ending in 'I'"));
  // The write's own "done" is no success while the read-back is still to come.
  EXPECT_TRUE(has(brokenBy({{'I'}, {'I'}}, {"done"}, Fault::kNone),
                  "no success reported"));
}

}  // namespace
}  // namespace tarvex::reliability
