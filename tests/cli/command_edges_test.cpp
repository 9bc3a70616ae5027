// The edges of the command line: every read keeps an existing FILE unless --force is given,
// and each option's values are taken up to the last valid one and refused from the next.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command.h"
#include "cli_bench.h"

namespace tarvex::cli::test {
namespace {

using Args = std::vector<std::string>;

class CliEdgesTest : public CliBench {};

TEST_F(CliEdgesTest, EveryReadKeepsAnExistingFileWithoutForce) {
  const std::vector<Args> reads = {{"edid", "read"},
                                   {"kb90", "read"},
                                   {"mec16", "read"},
                                   {"mec16", "read", "--info"},
                                   {"ite", "read"}};
  for (Args args : reads) {
    const std::string what = args[0] + " " + args[1];
    const std::string file = path(args[0] + ".bin");
    writeFile(file, {1, 2, 3});
    args.push_back(file);
    busesOpened_ = 0;
    EXPECT_EQ(run(args), kExitFailure) << what;
    EXPECT_NE(err().find("already exists; add --force"), std::string::npos) << what;
    // Refused before an adapter was looked for.
    EXPECT_EQ(busesOpened_, 0) << what;
    EXPECT_EQ(readFile(file), (Bytes{1, 2, 3})) << what;

    // With --force the run goes on to the adapter (there is none on this bus).
    args.push_back("--force");
    EXPECT_EQ(run(args), kExitFailure) << what;
    EXPECT_EQ(busesOpened_, 1) << what;
    EXPECT_EQ(err().find("already exists"), std::string::npos) << what;
  }
}

bool accepted(const Args& args) {
  return parseCommandLine(args).kind == ParsedLine::Kind::kRun;
}

TEST(CliOptionEdges, EachOptionTakesItsLastValidValueAndRefusesTheNext) {
  // --seconds: above zero, at most a year of 366 days.
  const auto scan = [](const std::string& seconds) {
    return accepted({"keyboard", "scan", "--seconds", seconds});
  };
  EXPECT_TRUE(scan("0.001"));
  EXPECT_TRUE(scan("31622400"));
  EXPECT_FALSE(scan("31622400.5"));
  EXPECT_FALSE(scan("0.0"));
  EXPECT_FALSE(scan(""));
  EXPECT_FALSE(scan("."));
  EXPECT_FALSE(scan("1.2.3"));
  EXPECT_FALSE(scan(" 1"));
  EXPECT_FALSE(scan(std::string(400, '9')));  // beyond what a double holds
  EXPECT_DOUBLE_EQ(*parseCommandLine({"keyboard", "scan", "--seconds=31622400"}).command.seconds,
                   31622400.0);

  // --entry: a base-file entry from 1, as large as an int goes.
  const auto wiring = [](const std::string& entry, const std::string& cable) {
    return accepted({"kb90", "wiring", "--entry", entry, "--cable", cable});
  };
  EXPECT_TRUE(wiring("1", "24"));
  EXPECT_TRUE(wiring("2147483647", "24"));
  EXPECT_FALSE(wiring("0", "24"));
  EXPECT_FALSE(wiring("-1", "24"));
  EXPECT_FALSE(wiring("2147483648", "24"));
  EXPECT_FALSE(wiring("+1", "24"));
  EXPECT_FALSE(wiring("", "24"));

  // --cable: the wiring help's list of cables and nothing between or beyond.
  for (const char* cable : {"18", "20", "24", "25", "26", "28", "30", "32"}) {
    EXPECT_TRUE(wiring("1", cable)) << cable;
  }
  for (const char* cable : {"0", "17", "19", "21", "23", "27", "29", "31", "33", "240"}) {
    EXPECT_FALSE(wiring("1", cable)) << cable;
  }

  // --preset: a presets-file entry from 1.
  const auto preset = [](const std::string& entry) {
    return accepted({"ite", "settings", "--preset", entry});
  };
  EXPECT_TRUE(preset("1"));
  EXPECT_TRUE(preset("2147483647"));
  EXPECT_FALSE(preset("0"));
  EXPECT_FALSE(preset("2147483648"));
  EXPECT_FALSE(preset(""));
}

TEST(CliOptionEdges, EverySignalOfThePinListTakesPinsZeroToThirtyTwo) {
  static const char* const kKeys[] = {"PD0", "PD1", "PD2",  "PD3",  "PD4",  "PD5",  "PD6", "PD7",
                                      "STB", "AFD", "SLIN", "INIT", "BUSY", "KSI4", "KSI5"};
  // Box order, as the pin list is returned; every other signal on pin 1.
  const auto list = [](std::size_t box, const std::string& pin) {
    std::string text;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
      text += (i ? "," : "") + std::string(kKeys[i]) + "=" + (i == box ? pin : "1");
    }
    return text;
  };
  std::string error;
  for (std::size_t box = 0; box < std::size(kKeys); ++box) {
    for (const auto& [pin, value] : {std::pair{"32", 32}, {"0", 0}}) {
      const auto pins = parsePinList(list(box, pin), &error);
      ASSERT_TRUE(pins) << kKeys[box] << "=" << pin << ": " << error;
      EXPECT_EQ((*pins)[box], value) << kKeys[box];
    }
    for (const char* pin : {"33", "-1", "", "3x"}) {
      EXPECT_FALSE(parsePinList(list(box, pin), &error)) << kKeys[box] << "=" << pin;
      EXPECT_NE(error.find(kKeys[box]), std::string::npos) << error;
    }
  }
  EXPECT_TRUE(accepted({"ite", "settings", "--pins", list(14, "32")}));
  EXPECT_FALSE(accepted({"ite", "settings", "--pins", list(14, "33")}));
}

}  // namespace
}  // namespace tarvex::cli::test
