#pragma once
// The command line run in-process against the software adapter: its standard output and
// error kept, the interrupt flag in the test's hand, the base files and image files in a
// scratch folder, and wait bounds short enough that a stalled adapter fails in a moment.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "emulator/emulator_bus.h"

namespace tarvex::cli::test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

// Lends the test's bus to a run, which owns the bus it is given.
class BorrowedBus final : public FtBus {
 public:
  explicit BorrowedBus(FtBus& bus) : bus_(bus) {}
  FtStatus createDeviceInfoList(std::uint32_t* count) override {
    return bus_.createDeviceInfoList(count);
  }
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override {
    return bus_.open(index, device);
  }
  std::string lastOpenError() const override { return bus_.lastOpenError(); }

 private:
  FtBus& bus_;
};

inline ToolBounds shortBounds() {
  ToolBounds b;
  b.edid = {.readReply = 500ms, .writeAck = 500ms, .writeStatus = 500ms};
  b.kb90 = {.connectReply = 2s, .block = 300ms, .checksumStep = 300ms, .checksumReply = 300ms,
            .workerHandOver = 2s};
  b.keyboard = {.reply = 500ms, .tick = 5s};
  b.mec16 = {300ms, 500ms, 300ms};
  b.ite.reply = 200ms;
  b.ite.attach = 300ms;
  b.ite.page = 300ms;
  b.ite.firstAddress = 1s;
  b.ite.flashByte = 100ms;
  b.ite.drain = 100ms;
  return b;
}

inline Bytes randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

inline Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline Lines splitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The outcome signal ('I' or 'O') the host sent last, 0 when it sent none.
inline std::uint8_t lastOutcome(const Bytes& sent) {
  for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
    if (*it == 'I' || *it == 'O') return *it;
  }
  return 0;
}

class CliBench : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvex_cli_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    env_.openBus = [this](const std::optional<std::string>& port) -> std::unique_ptr<FtBus> {
      requestedPort_ = port;
      ++busesOpened_;
      return std::make_unique<BorrowedBus>(bus_);
    };
    env_.kb90BaseFile = path("MB connection KB901X.txt");
    env_.itePresetsFile = path("MB connection IT85XX.txt");
    env_.out = &out_;
    env_.err = &err_;
    env_.interrupted = &interrupted_;
    env_.bounds = shortBounds();
    env_.backupsFolder = (dir_ / "backups").string();
    // Progress lines stay plain percentages however slowly a loaded machine runs a test.
    env_.clock = [] { return std::chrono::steady_clock::time_point{}; };
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  int run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return runCli(args, env_);
  }
  Lines outLines() const { return splitLines(out_.str()); }
  std::string err() const { return err_.str(); }
  bool outHas(const std::string& line) const {
    for (const auto& l : outLines()) {
      if (l == line) return true;
    }
    return false;
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  emu::EmulatorBus bus_;
  std::atomic<bool> interrupted_{false};
  std::filesystem::path dir_;
  std::optional<std::string> requestedPort_;
  int busesOpened_ = 0;
  std::ostringstream out_;
  std::ostringstream err_;
  CliEnv env_;
};

}  // namespace tarvex::cli::test
