// The fault matrix: every operation that talks to the adapter against every fault that
// applies to it. Each run must end within its limit without a crash, with link and image
// file closed, mode word "NONE" and buttons enabled; after a failure with no success told,
// no 'I', 'O' where the adapter still listens, and the failure named; after a fault the
// tool must ride out, with a success whose data is right. With the fault taken away, the
// same tool must then succeed at once. The table is printed at the end.
//
// The faults only a read-back or a second read can catch (kVerifyFaults) run in a test of
// their own: a cell is enforced where the bench's tool guards against its fault, and shows
// "pending" when it breaks elsewhere.

#include <gtest/gtest.h>

#include <cctype>
#include <iostream>
#include <optional>
#include <sstream>

#include "tests/reliability/bench_bounds.h"
#include "tests/reliability/matrix_table.h"
#include "tests/reliability/operations.h"
#include "tests/reliability/run_checks.h"

namespace tarvex::reliability {
namespace {

MatrixTable& table() {
  static MatrixTable instance;
  return instance;
}

// Sets up the full disk before any thread exists, and prints the table once all runs are in.
class MatrixEnvironment : public testing::Environment {
 public:
  void SetUp() override { DiskFull::prepare(); }
  void TearDown() override {
    if (table().empty()) return;
    std::cout << "\nFault matrix (bound "
              << std::chrono::duration_cast<std::chrono::milliseconds>(kBenchBound).count()
              << " ms, disk full on " << DiskFull::kind() << "):\n";
    table().print(std::cout);
  }
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new MatrixEnvironment);

std::string describe(const Bench& bench, const std::vector<std::string>& broken) {
  std::ostringstream out;
  for (const auto& b : broken) out << "\n  - " << b;
  out << "\n  log:";
  for (const auto& line : bench.lines()) out << "\n    | " << line;
  for (const auto& box : bench.errorBoxes()) out << "\n    [box] " << box;
  out << "\n  sent " << bench.sent().size() << " bytes, ending:";
  const Bytes sent = bench.sent();
  for (std::size_t i = sent.size() > 16 ? sent.size() - 16 : 0; i < sent.size(); ++i) {
    out << ' '
        << (std::isprint(sent[i]) ? std::string(1, static_cast<char>(sent[i]))
                                  : std::to_string(sent[i]));
  }
  return out.str();
}

class FaultMatrix : public testing::TestWithParam<std::size_t> {
 protected:
  // The healthy run first: it must succeed, and its replies tell where the middle is.
  std::optional<std::uint64_t> healthyReplies(const Operation& op) {
    auto healthy = op.make({.bound = kBenchBound, .seed = 7});
    const RunResult run = runBench(*healthy, {}, kHangLimit);
    const auto broken = judgeRun(*healthy, run, Expect::kSuccess, kRunLimit).broken;
    table().took(op.name, run.guarded.elapsed);
    table().set(op.name, Fault::kNone, broken.empty() ? "pass" : "FAIL");
    EXPECT_TRUE(broken.empty()) << op.name << " without a fault:" << describe(*healthy, broken);
    if (run.guarded.end == RunEnd::kHung) (void)healthy.release();
    if (!broken.empty()) return std::nullopt;
    return healthy->repliedBytes();
  }

  // Runs one cell and records it. A bench whose run hung is left alive for its thread. A
  // cell not enforced that breaks is "pending", and fails the test only by hanging or
  // throwing.
  void runCell(const Operation& op, Fault fault, std::uint64_t healthyReplies,
               bool onlyWhereGuarded = false) {
    auto bench = op.make({.bound = kBenchBound, .seed = 7});
    if (!bench->applies(fault)) {
      table().set(op.name, fault, "n/a");
      return;
    }
    const bool enforced = !onlyWhereGuarded || bench->guards(fault);
    const RunResult run =
        runBench(*bench, matrixFault(fault, healthyReplies, kBenchBound), kHangLimit);
    Judgement judged = judgeRun(*bench, run, expectationFor(*bench, fault), kRunLimit);
    table().took(op.name, run.guarded.elapsed);
    bool hung = run.guarded.end == RunEnd::kHung;
    bool hungAfterwards = false;
    if (!hung) {
      for (auto& b : brokenAfterwards(*bench, kHangLimit, kRunLimit, &hungAfterwards)) {
        judged.broken.push_back(std::move(b));
      }
    }
    const bool passed = judged.broken.empty();
    const char* failed = enforced ? "FAIL" : "pending";
    table().set(op.name, fault, !passed ? failed : judged.remarks.empty() ? "pass" : "pass*");
    for (const auto& remark : judged.remarks) table().note(op.name, fault, remark);
    if (enforced) {
      EXPECT_TRUE(passed) << op.name << " / " << faultName(fault) << ":"
                          << describe(*bench, judged.broken);
    } else {
      EXPECT_FALSE(hung || hungAfterwards || run.guarded.end == RunEnd::kThrew)
          << op.name << " / " << faultName(fault) << ":" << describe(*bench, judged.broken);
    }
    if (hung || hungAfterwards) (void)bench.release();
  }
};

TEST_P(FaultMatrix, EveryFaultEndsSafely) {
  const Operation& op = operations()[GetParam()];
  const auto replies = healthyReplies(op);
  ASSERT_TRUE(replies);
  for (Fault fault : kAllFaults) {
    if (fault != Fault::kNone) runCell(op, fault, *replies);
  }
  table().printRow(std::cout, op.name);
}

// The cell faults and the flaky read: the tool must read back what it wrote, or read twice,
// and fail, with the backup holding what the chip held. Enforced where the tool guards
// against the fault; elsewhere the cells are shown.
TEST_P(FaultMatrix, VerifyFaultsEndWithoutSuccessOrLoss) {
  const Operation& op = operations()[GetParam()];
  const auto replies = healthyReplies(op);
  ASSERT_TRUE(replies);
  for (Fault fault : kVerifyFaults) runCell(op, fault, *replies, true);
  table().printRow(std::cout, op.name);
}

std::string testName(const testing::TestParamInfo<std::size_t>& info) {
  std::string name;
  for (char c : operations()[info.param].name) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultMatrix,
                         testing::Range<std::size_t>(0, operations().size()), testName);

}  // namespace
}  // namespace tarvex::reliability
