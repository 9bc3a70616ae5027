// The command line taken apart: options anywhere, help at every level, and every way a
// command line can be wrong ending as a usage error rather than an operation.

#include "cli/command.h"

#include <gtest/gtest.h>

#include "cli/actions.h"

namespace tarvex::cli {
namespace {

using Args = std::vector<std::string>;

ParsedLine parse(const Args& args) { return parseCommandLine(args); }

TEST(CliCommandLine, OptionsMayStandAnywhereAfterTheProgramName) {
  const ParsedLine a = parse({"--force", "kb90", "--port", "/dev/ttyUSB3", "read", "out.bin"});
  ASSERT_EQ(a.kind, ParsedLine::Kind::kRun) << a.text;
  EXPECT_EQ(a.command.operation, Operation::kKb90Read);
  EXPECT_EQ(a.command.file, "out.bin");
  EXPECT_EQ(a.command.port, "/dev/ttyUSB3");
  EXPECT_TRUE(a.command.force);

  const ParsedLine b = parse({"mec16", "read", "m.bin", "--info", "--port=/dev/pts/4"});
  ASSERT_EQ(b.kind, ParsedLine::Kind::kRun) << b.text;
  EXPECT_TRUE(b.command.info);
  EXPECT_EQ(b.command.port, "/dev/pts/4");

  // After "--" a FILE may start with a dash.
  const ParsedLine c = parse({"edid", "write", "--", "-panel.bin"});
  ASSERT_EQ(c.kind, ParsedLine::Kind::kRun) << c.text;
  EXPECT_EQ(c.command.file, "-panel.bin");

  const ParsedLine d = parse({"keyboard", "scan", "--seconds", "2.5", "--no-sound"});
  ASSERT_EQ(d.kind, ParsedLine::Kind::kRun) << d.text;
  EXPECT_DOUBLE_EQ(*d.command.seconds, 2.5);
  EXPECT_TRUE(d.command.noSound);

  const ParsedLine e = parse({"kb90", "wiring", "--reversed", "--cable", "30", "--entry", "4"});
  ASSERT_EQ(e.kind, ParsedLine::Kind::kRun) << e.text;
  EXPECT_EQ(e.command.entry, 4);
  EXPECT_EQ(e.command.cablePins, 30);
  EXPECT_TRUE(e.command.reversed);
}

TEST(CliCommandLine, HelpAtEveryLevelWinsOverAnythingElse) {
  EXPECT_EQ(parse({"--help"}).text, programHelp());
  EXPECT_EQ(parse({"-h", "bogus"}).text, programHelp());
  EXPECT_EQ(parse({"ite", "--help"}).text, toolHelp(*findTool("ite")));
  EXPECT_EQ(parse({"kb90", "nonsense", "--help"}).text, toolHelp(*findTool("kb90")));
  const ParsedLine action = parse({"--help", "ite", "settings", "--preset", "x"});
  EXPECT_EQ(action.kind, ParsedLine::Kind::kHelp);
  EXPECT_EQ(action.text, actionHelp(*findAction("ite", "settings")));
  EXPECT_NE(action.text.find("--pins"), std::string::npos);
  // Every action of the synopsis is in the program's help.
  for (const ActionEntry& entry : actions()) {
    EXPECT_NE(programHelp().find(entry.synopsis), std::string::npos) << entry.synopsis;
  }
}

TEST(CliCommandLine, WrongLinesAreUsageErrors) {
  const std::vector<Args> wrong = {
      {},
      {"flash", "read", "x.bin"},          // no such tool
      {"edid"},                            // no action
      {"edid", "erase"},                   // no such action
      {"edid", "read"},                    // no FILE
      {"edid", "read", ""},                // an empty FILE
      {"edid", "read", "a.bin", "b.bin"},  // one word too many
      {"adapter", "check", "--bogus"},     // no such option
      {"adapter", "check", "-x"},
      {"adapter", "check", "--port"},      // a value missing
      {"adapter", "check", "--port="},
      {"adapter", "check", "--port", "a", "--port", "b"},
      {"edid", "read", "a.bin", "--info"},       // not for this action
      {"kb90", "wiring", "--entry", "1", "--cable", "24", "--port", "/dev/ttyUSB0"},
      {"mec16", "check", "--force=yes"},         // a flag with a value
      {"kb90", "wiring", "--entry", "1"},        // --cable missing
      {"kb90", "wiring", "--entry", "0", "--cable", "24"},
      {"kb90", "wiring", "--entry", "1x", "--cable", "24"},
      {"kb90", "wiring", "--entry", "1", "--cable", "22"},  // not a cable of the list
      {"keyboard", "scan", "--seconds", "0"},
      {"keyboard", "scan", "--seconds", "-1"},
      {"keyboard", "scan", "--seconds", "1e3"},
      {"keyboard", "scan", "--seconds", "nan"},
      {"ite", "settings"},                                    // neither source of pins
      {"ite", "settings", "--preset", "1", "--pins", "PD0=1"},  // both
      {"ite", "settings", "--preset", "0"},
      {"ite", "check", "--preset", "1"},
  };
  for (const Args& args : wrong) {
    const ParsedLine parsed = parse(args);
    std::string line;
    for (const auto& a : args) line += a + " ";
    EXPECT_EQ(parsed.kind, ParsedLine::Kind::kUsageError) << line;
    EXPECT_FALSE(parsed.text.empty()) << line;
  }
}

TEST(CliCommandLine, PinListTakesAllFifteenSignalsOnce) {
  const std::string all =
      "KSI5=17,PD1=4,PD2=5,PD3=6,PD4=7,PD5=8,PD6=9,PD7=10,BUSY=11,STB=12,AFD=13,"
      "INIT=15,SLIN=14,KSI4=16,PD0=0";
  std::string error;
  const auto pins = parsePinList(all, &error);
  ASSERT_TRUE(pins) << error;
  // Box order: PD0..PD7, STB, AFD, SLIN, INIT, BUSY, KSI4, KSI5; 0 stands for "NC".
  EXPECT_EQ(*pins, (PinAssignments{0, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 11, 16, 17}));

  const std::vector<std::pair<std::string, std::string>> wrong = {
      {"PD0=1", "missing"},
      {all + ",PD3=6", "twice"},
      {"PD8=1," + all.substr(all.find(',') + 1), "unknown"},
      {all.substr(0, all.size() - 1) + "33", "PD0"},
      {all.substr(0, all.size() - 1) + "x", "PD0"},
      {all.substr(0, all.size() - 5) + "PD0", "KEY=PIN"},
      {"", "KEY=PIN"},
  };
  for (const auto& [list, why] : wrong) {
    EXPECT_FALSE(parsePinList(list, &error)) << list;
    EXPECT_NE(error.find(why), std::string::npos) << list << " -> " << error;
  }
  ASSERT_EQ(parse({"ite", "settings", "--pins", all}).kind, ParsedLine::Kind::kRun);
  EXPECT_EQ(parse({"ite", "settings", "--pins", all, "--reversed"}).kind,
            ParsedLine::Kind::kUsageError);
}

}  // namespace
}  // namespace tarvex::cli
