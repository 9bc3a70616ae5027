// The D2XX backend as the program loads it: a library found at run time, its functions
// resolved by name, every tool's read and write through it. The stand-in library answers
// with the same software adapter the in-process emulator runs, so each run must print the
// same lines, end with the same exit status and leave the same files as on the emulator.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "emulator/bench/demo_bench.h"
#include "link/d2xx/d2xx_bus.h"
#include "tests/cli/cli_bench.h"
#include "tests/support/test_platform.h"

namespace tarvex::cli::test {
namespace {

// On Windows the library is looked for by its bare name, beside the test program, as
// tarvex-cli.exe looks for ftd2xx.dll; elsewhere by its path.
std::string standInLibrary() {
#ifdef _WIN32
  return d2xx::defaultLibraryName();
#else
  return D2XX_STANDIN_LIBRARY;
#endif
}

struct Outcome {
  int exit = -1;
  Lines lines;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
  *os << "exit " << outcome.exit;
  for (const auto& line : outcome.lines) *os << "\n  " << line;
}

struct Scenario {
  const char* target;  // a part of the bench target's name
  std::vector<std::vector<std::string>> commands;
  std::vector<std::string> files;  // left by the commands, compared byte for byte
};

class D2xxBackendTest : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    // Each run loads the library and lets it go; this keeps it loaded in between, so its
    // adapter keeps the state a real one keeps (the ITE settings, what was written).
    static std::string error;
    static const auto kept = d2xx::Library::load(standInLibrary(), &error);
    ASSERT_TRUE(kept) << error;
    std::filesystem::copy_file(
        std::filesystem::path(TARVEX_SOURCE_DIR) / "samples/ite/MB connection IT85XX.txt",
        env_.itePresetsFile);
    std::filesystem::copy_file(
        std::filesystem::path(TARVEX_SOURCE_DIR) / "samples/kb90/MB connection KB901X.txt",
        env_.kb90BaseFile);
  }
  void TearDown() override {
    tarvex::test::unsetEnv("TARVEX_STANDIN_TARGET");
    CliBench::TearDown();
  }

  // The lines of a run, the clock's time of day and the backups' time-stamped names taken out.
  Outcome runOn(std::function<std::unique_ptr<FtBus>()> openBus,
                const std::vector<std::string>& args) {
    env_.openBus = [&](const std::optional<std::string>&) { return openBus(); };
    Outcome outcome;
    outcome.exit = run(args);
    static const std::regex timeOfDay("[0-9]{2}:[0-9]{2}:[0-9]{2}");
    static const std::regex backupName("-[0-9]{8}-[0-9]{6}(-[0-9]+)?\\.bin");
    for (const auto& line : outLines()) {
      const std::string timeless = std::regex_replace(line, timeOfDay, "hh:mm:ss");
      outcome.lines.push_back(std::regex_replace(timeless, backupName, "-YYYYMMDD-HHMMSS.bin"));
    }
    return outcome;
  }

  // Runs the scenario on the emulator in-process, then on the stand-in library, each
  // with a bench of its own and files of its own.
  void expectSameThroughTheLibrary(const Scenario& scenario) {
    SCOPED_TRACE(scenario.target);
    emu::DemoBench bench;
    bench.setFastLine(true);
    for (const auto& name : bench.targetNames()) {
      if (name.find(scenario.target) != std::string::npos) {
        ASSERT_TRUE(bench.selectTarget(name));
      }
    }
    ASSERT_FALSE(bench.target().empty());
    tarvex::test::setEnv("TARVEX_STANDIN_TARGET", scenario.target);

    for (const auto& command : scenario.commands) {
      SCOPED_TRACE(command.size() > 1 ? command[0] + " " + command[1] : command[0]);
      auto onEmulator = command;
      auto onLibrary = command;
      for (const auto& file : scenario.files) {
        std::replace(onEmulator.begin(), onEmulator.end(), file, path("emu-" + file));
        std::replace(onLibrary.begin(), onLibrary.end(), file, path("lib-" + file));
      }
      const Outcome expected =
          runOn([&] { return std::make_unique<BorrowedBus>(bench.bus()); }, onEmulator);
      const Outcome got = runOn([] { return d2xx::D2xxBus::load(standInLibrary()); }, onLibrary);
      // The two runs name their own files.
      Outcome gotRenamed = got;
      for (auto& line : gotRenamed.lines) {
        for (const auto& file : scenario.files) {
          for (auto at = line.find(path("lib-" + file)); at != std::string::npos;
               at = line.find(path("lib-" + file))) {
            line.replace(at, path("lib-" + file).size(), path("emu-" + file));
          }
        }
      }
      EXPECT_EQ(gotRenamed, expected);
    }
    for (const auto& file : scenario.files) {
      EXPECT_EQ(readFile(path("lib-" + file)), readFile(path("emu-" + file))) << file;
      EXPECT_FALSE(readFile(path("lib-" + file)).empty()) << file;
    }
  }
};

TEST_F(D2xxBackendTest, EveryToolReadsAndWritesThroughTheLibraryAsOnTheEmulator) {
  expectSameThroughTheLibrary({"EDID",
                               {{"adapter", "check"},
                                {"edid", "read", "panel.bin"},
                                {"edid", "write", "panel.bin"}},
                               {"panel.bin"}});
  expectSameThroughTheLibrary(
      {"KB9012", {{"kb90", "read", "kb.bin"}, {"kb90", "write", "kb.bin"}}, {"kb.bin"}});
  expectSameThroughTheLibrary({"MEC1609",
                               {{"mec16", "check"},
                                {"mec16", "read", "mec.bin"},
                                {"mec16", "erase", "--no-backup"},
                                {"mec16", "write", "mec.bin", "--no-backup"}},
                               {"mec.bin"}});
  expectSameThroughTheLibrary({"IT85xx",
                               {{"ite", "settings", "--preset", "1"},
                                {"ite", "check"},
                                {"ite", "read", "ite.bin"},
                                {"ite", "write", "ite.bin"}},
                               {"ite.bin"}});
}

// No library: no device, said as the program says it, and the reason beside it; a library
// without a device lists none either. Neither may hang or crash the run.
TEST_F(D2xxBackendTest, WithoutTheLibraryOrADeviceTheCheckFindsNoPort) {
  const Outcome missing = runOn([] { return d2xx::D2xxBus::load("no-such-d2xx-library"); },
                                {"adapter", "check"});
  EXPECT_EQ(missing.exit, kExitFailure);
  ASSERT_EQ(missing.lines.size(), 2u);
  EXPECT_EQ(missing.lines[0], "VCOM порты не найдены!");
  EXPECT_EQ(missing.lines[1].rfind("no-such-d2xx-library", 0), 0u) << missing.lines[1];

  tarvex::test::unsetEnv("TARVEX_STANDIN_TARGET");
  const Outcome empty =
      runOn([] { return d2xx::D2xxBus::load(standInLibrary()); }, {"adapter", "check"});
  EXPECT_EQ(empty.exit, kExitFailure);
  EXPECT_EQ(empty.lines, (Lines{"VCOM порты не найдены!", "The D2XX driver lists no FTDI device."}));
}

}  // namespace
}  // namespace tarvex::cli::test
