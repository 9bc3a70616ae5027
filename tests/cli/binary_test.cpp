// The installed program as a script sees it: tarvex-cli run as a process against the
// software adapter served on a pseudo-terminal and named with --port.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>

#include <thread>

#include "child_process.h"
#include "cli_bench.h"
#include "emulator/ite/it85_board.h"
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
  int run(std::vector<std::string> args, const std::vector<int>& closed = {}) {
    child_ = std::make_unique<ChildProcess>(TARVEX_CLI_PROGRAM, args, dir_.string(), closed);
    return child_->wait(std::chrono::seconds(60));
  }
  // What the adapter received since the server started, from byte `from` on.
  Bytes receivedFrom(std::size_t from) const {
    const Bytes all = adapter_->lastOpenReceived();
    return Bytes(all.begin() + static_cast<long>(std::min(from, all.size())), all.end());
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
  EXPECT_EQ(child_->out(), "VCOM порты не найдены!\n" + path("no-such-tty") +
                               ": no such device (is the adapter plugged in?)\n");
  EXPECT_EQ(run({"--port", path("no-such-tty"), "kb90", "read", path("dump.bin")}), 1);
  // The file is chosen (and named) before the adapter is looked for.
  EXPECT_EQ(splitLines(child_->out()),
            (Lines{"Save the file: ", path("dump.bin"), "VCOM port is not found on the machine!",
                   path("no-such-tty") + ": no such device (is the adapter plugged in?)"}));

  // A port another program holds: the documented line, then who holds it.
  std::unique_ptr<FtDevice> held;
  ASSERT_EQ(serial::SerialBus::forPath(server_.slavePath())->open(0, &held), FT_OK);
  EXPECT_EQ(run({"--port", server_.slavePath(), "adapter", "check"}), 1);
  const Lines busy = splitLines(child_->out());
  ASSERT_EQ(busy.size(), 4u) << child_->out();
  EXPECT_EQ(busy[1], "Ошибка открытия порта (!= FT_OK) 1");
  EXPECT_EQ(busy[2].rfind(server_.slavePath() + ": the port is busy, held by tests_cli (PID " +
                              std::to_string(::getpid()) + ")",
                          0),
            0u)
      << busy[2];
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

// Started with standard streams closed, the program must not open the port or the image
// on their numbers: the progress text and log lines would then reach the adapter as
// commands, or end up inside the image. Each run is compared with the same run with every
// stream open: the adapter receives the same bytes, the chip and the image are exact.
TEST_F(CliBinaryTest, ClosedStandardStreamsNeverReachThePortOrTheImage) {
  auto controller = std::make_shared<emu::Kb90Controller>(0x0C);
  const Bytes flash = randomBytes(128 * 1024, 11);
  controller->setFlash(flash);
  adapter_->addHandler(controller);
  serve();
  const std::string port = server_.slavePath();
  // The server holds one open for every client: each run's bytes follow the last run's.
  auto settle = [this] {
    std::size_t size = adapter_->lastOpenReceived().size();
    for (int i = 0; i < 50; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const std::size_t now = adapter_->lastOpenReceived().size();
      if (now == size && i > 5) break;
      size = now;
    }
    return size;
  };

  // One read per run: a second session's purge at its open may discard the end of the
  // first one's bytes that the server has not read yet, which only a pseudo-terminal does.
  ASSERT_EQ(run({"kb90", "read", "--single-read", path("open.bin"), "--port", port}), 0)
      << child_->err();
  std::size_t mark = settle();
  const Bytes cleanRead = receivedFrom(0);
  for (const std::vector<int>& closed : {std::vector<int>{1, 2}, std::vector<int>{0, 1, 2}}) {
    std::filesystem::remove(path("closed.bin"));
    EXPECT_EQ(run({"kb90", "read", "--single-read", path("closed.bin"), "--port", port}, closed),
              0);
    EXPECT_EQ(readFile(path("closed.bin")), flash);
    const std::size_t end = settle();
    EXPECT_EQ(receivedFrom(mark), cleanRead);
    mark = end;
  }

  const Bytes image = randomBytes(128 * 1024, 12);
  writeFile(path("image.bin"), image);
  ASSERT_EQ(run({"kb90", "write", path("image.bin"), "--port", port}), 0) << child_->err();
  ASSERT_EQ(controller->flash(), image);
  std::size_t writeStart = mark;
  mark = settle();
  const Bytes cleanWrite = receivedFrom(writeStart);
  for (const std::vector<int>& closed : {std::vector<int>{2}, std::vector<int>{0, 1, 2}}) {
    controller->setFlash(flash);
    EXPECT_EQ(run({"kb90", "write", path("image.bin"), "--port", port}, closed), 0);
    EXPECT_EQ(controller->flash(), image);
    const std::size_t end = settle();
    EXPECT_EQ(receivedFrom(mark), cleanWrite);
    mark = end;
  }
}

TEST_F(CliBinaryTest, CtrlCEndsAKeyboardScanWithItsStopSequence) {
  auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
  adapter_->addHandler(keyboard);
  serve();
  // Pressed before the scan starts, so shown as connected at start.
  ASSERT_TRUE(keyboard->pressKey(3, 7));
  auto child = start({"keyboard", "scan", "--port", server_.slavePath()});
  ASSERT_TRUE(child->collect(std::chrono::seconds(30), [](const std::string& out) {
    return out.find("3-7 fuchsia\n") != std::string::npos;
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

// A second Ctrl-C ends the program at once, during a wait the first one cannot cut short
// (which it is told about). The port must not stay exclusive after it: the flag belongs
// to the tty and would refuse every later user of the adapter.
TEST_F(CliBinaryTest, ASecondCtrlCLeavesThePortFreeForOthers) {
  auto board = std::make_shared<emu::It85Board>(emu::It85Board::Wiring{});
  board->setFaults({.attachSilent = true});
  auto adapter = std::make_shared<emu::EmulatedAdapter>(emu::tags::ite());
  adapter->addHandler(board);
  emu::PtyServer server(adapter);
  ASSERT_TRUE(server.start());
  auto child = start({"ite", "check", "--port", server.slavePath()});
  ASSERT_TRUE(child->collect(std::chrono::seconds(30), [](const std::string& out) {
    return out.find("plug the adapter") != std::string::npos;
  })) << child->out() << child->err();

  const int slave = ::open(server.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(slave, 0);
  int exclusive = 0;
  ASSERT_EQ(::ioctl(slave, TIOCGEXCL, &exclusive), 0);
  EXPECT_NE(exclusive, 0) << "the check holds the port exclusive";

  child->signal(SIGINT);
  ASSERT_TRUE(child->collect(std::chrono::seconds(10), [&child](const std::string&) {
    return child->err().find("cannot stop") != std::string::npos;
  })) << child->err();
  child->signal(SIGINT);
  EXPECT_EQ(child->wait(std::chrono::seconds(10)), -1) << "ended by the signal";
  EXPECT_NE(child->err().find("the check waits for the controller to answer and cannot stop; "
                              "it ends within 23 s"),
            std::string::npos)
      << child->err();
  ASSERT_EQ(::ioctl(slave, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(slave);
  server.stop();
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
