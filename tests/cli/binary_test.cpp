// The installed program as a script sees it: tarvex-cli run as a process against the
// software adapter served on a pseudo-terminal and named with --port.

#include <gtest/gtest.h>

#include <thread>

#include "child_process.h"
#include "cli_bench.h"
#include "emulator/keyboard/emulated_keyboard.h"
#include "emulator/kb90/kb90_controller.h"
#include "emulator/pty/pty_server.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "link/serial/serial_bus.h"
#include "tests/support/recording_log.h"

namespace tarvex::cli::test {
namespace {

class CliBinaryTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvex_cli_bin_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    server_.stop();
    std::filesystem::remove_all(dir_);
  }
  void serve() { ASSERT_TRUE(server_.start()); }
  std::unique_ptr<ChildProcess> start(std::vector<std::string> args) {
    return std::make_unique<ChildProcess>(TARVEX_CLI_PROGRAM, args, dir_.string());
  }
  // Runs to the end; the exit status.
  int run(std::vector<std::string> args) {
    child_ = start(std::move(args));
    return child_->wait(std::chrono::seconds(60));
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ =
      std::make_shared<emu::EmulatedAdapter>(emu::tags::v41());
  emu::PtyServer server_{adapter_};
  std::filesystem::path dir_;
  std::unique_ptr<ChildProcess> child_;
};

TEST_F(CliBinaryTest, ChecksTheAdapterOnThePortItIsGiven) {
  serve();
  EXPECT_EQ(run({"adapter", "check", "--port", server_.slavePath()}), 0) << child_->err();
  const Lines lines = splitLines(child_->out());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Количество найденых VCOM портов на машине: 1");
  EXPECT_EQ(lines.back(), "Порт переконфигурирован. Закрыли порт и вышли.");

  EXPECT_EQ(run({"--port", path("no-such-tty"), "adapter", "check"}), 1);
  EXPECT_EQ(child_->out(), "VCOM порты не найдены!\n");
}

TEST_F(CliBinaryTest, ReadsAFlashAndRefusesToOverwriteIt) {
  auto controller = std::make_shared<emu::Kb90Controller>(0x0C);
  const Bytes flash = randomBytes(128 * 1024, 9);
  controller->setFlash(flash);
  adapter_->addHandler(controller);
  serve();
  const std::string file = path("ec.bin");
  EXPECT_EQ(run({"kb90", "read", file, "--port", server_.slavePath()}), 0) << child_->err();
  EXPECT_EQ(readFile(file), flash);
  EXPECT_NE(child_->err().find("reading 100%"), std::string::npos);

  EXPECT_EQ(run({"kb90", "read", file, "--port", server_.slavePath()}), 1);
  EXPECT_NE(child_->err().find("already exists"), std::string::npos);
}

TEST_F(CliBinaryTest, CtrlCEndsAKeyboardScanWithItsStopSequence) {
  auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
  adapter_->addHandler(keyboard);
  serve();
  ASSERT_TRUE(keyboard->pressKey(3, 7));
  auto child = start({"keyboard", "scan", "--port", server_.slavePath()});
  ASSERT_TRUE(child->collect(std::chrono::seconds(30), [](const std::string& out) {
    return out.find("3-7 red\n") != std::string::npos;
  })) << child->out() << child->err();
  child->signal(SIGINT);
  EXPECT_EQ(child->wait(std::chrono::seconds(30)), 0) << child->err();
  // The server holds one open for all clients: the scan's stop is the last byte it gets,
  // once its pump has passed on what the program wrote before it ended.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  auto lastByte = [this] { return adapter_->lastOpenReceived().back(); };
  while (lastByte() != 'Q' && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(lastByte(), 'Q');
  EXPECT_FALSE(keyboard->scanning());
}

// The last byte of an operation (its outcome, a stop) is sent right before the port is
// closed: closing must not throw away what the adapter has not read yet.
TEST_F(CliBinaryTest, TheLastByteBeforeCloseReachesTheAdapter) {
  serve();
  const auto bus = serial::SerialBus::forPath(server_.slavePath());
  for (int round = 0; round < 40; ++round) {
    LinkState link(buffer_size::kKeyboard);
    tarvex::test::RecordingLog log;
    ASSERT_EQ(OpenAdapterLink(*bus, link_params::kKb90, link, log), kLinkReady);
    const std::uint8_t last = static_cast<std::uint8_t>('a' + round % 26);
    ASSERT_TRUE(sendBytes(link, {'Q', last}));
    CloseAdapterLink(link);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (adapter_->lastOpenReceived().back() != last &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(adapter_->lastOpenReceived().back(), last) << "round " << round;
  }
}

TEST_F(CliBinaryTest, UsageErrorsAndHelp) {
  EXPECT_EQ(run({"kb90", "flash"}), 2);
  EXPECT_NE(child_->err().find("unknown action 'flash'"), std::string::npos);
  EXPECT_EQ(child_->out(), "");
  EXPECT_EQ(run({"mec16", "--help"}), 0);
  EXPECT_NE(child_->out().find("tarvex-cli [--port PATH] mec16 erase [--info]"), std::string::npos);
}

TEST_F(CliBinaryTest, BaseFilesLiveInTheHomeDirectory) {
  writeText(dir_ / "MB connection KB901X.txt", "Board A  KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=11\n");
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "1", "--cable", "24"}), 0) << child_->err();
  EXPECT_EQ(child_->out(), "Please connect GND and:  A5 B10 C13 D12 E11\n");
}

}  // namespace
}  // namespace tarvex::cli::test
