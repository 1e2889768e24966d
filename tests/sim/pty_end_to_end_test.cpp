// The simulator on a real pseudo-terminal, driven by a raw termios client
// the way a station drives a serial port.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "board.h"
#include "pty_link.h"
#include "serve_loop.h"

extern char** environ;

namespace rzsim {
namespace {

using namespace std::chrono_literals;

// A raw 8N1 client on the slave side.
class Station {
 public:
  explicit Station(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
    if (fd_ < 0) return;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
    SetSpeed(B115200);
  }
  ~Station() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  // Sets the line speed and discards pending input and output.
  void SetSpeed(speed_t speed) {
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfsetspeed(&tio, speed);
    ::tcsetattr(fd_, TCSANOW, &tio);
    ::tcflush(fd_, TCIOFLUSH);
  }

  void Write(const Bytes& bytes) {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads until n bytes arrived or the time is up.
  Bytes Read(std::size_t n, std::chrono::milliseconds limit = 1000ms) {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < n) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd pfd{fd_, POLLIN, 0};
      if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) continue;
      std::uint8_t buffer[4096];
      const ssize_t r = ::read(fd_, buffer, std::min(sizeof buffer, n - got.size()));
      if (r > 0) got.insert(got.end(), buffer, buffer + r);
    }
    return got;
  }

  // The station's side of the boot download; true when the board said 'F'.
  bool Download(std::uint32_t secondStage) {
    SetSpeed(B9600);
    if (Read(1) != Bytes{'<'}) return false;
    for (int i = 0; i < 2048; ++i) Write({static_cast<std::uint8_t>(i)});
    if (Read(1) != Bytes{'>'}) return false;
    SetSpeed(B115200);
    std::this_thread::sleep_for(20ms);
    Bytes rest = {'+'};
    PutLe32(rest, secondStage);
    for (std::uint32_t i = 0; i < secondStage; ++i) rest.push_back(static_cast<std::uint8_t>(i * 7));
    Write(rest);
    return Read(1) == Bytes{'F'};
  }

 private:
  int fd_;
};

// The board served from a thread of the test, with the faults a derived
// fixture's constructor chooses.
class ServedBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    board_ = std::make_unique<Board>(BoardModel{}, faults_);
    std::string error;
    ASSERT_TRUE(link_.Open(error)) << error;
    std::promise<void> ready;
    std::future<void> readyFuture = ready.get_future();
    thread_ = std::thread([this, &ready] {
      ServeOptions options;
      options.onReady = [&ready] { ready.set_value(); };
      Serve(link_, *board_, options, control_);
    });
    // As a station would: open the port only once the board is up, so its
    // power-on '<' is flushed rather than taken for an answer.
    ASSERT_EQ(readyFuture.wait_for(5s), std::future_status::ready);
  }
  void TearDown() override {
    control_.stop = true;
    if (thread_.joinable()) thread_.join();
  }

  PtyLink link_;
  Faults faults_;
  std::unique_ptr<Board> board_;
  ServeControl control_;
  std::thread thread_;
};

const Bytes kDefaultCpuId = [] {
  Bytes b;
  const CpuId id;
  PutLe32(b, id.unique);
  for (std::uint32_t w : id.random) PutLe32(b, w);
  return b;
}();

TEST_F(ServedBoard, WholeDownloadThenReadCpuId) {
  Station station(link_.slavePath());
  ASSERT_TRUE(station.ok());
  ASSERT_TRUE(station.Download(5000));
  station.Write({'j'});
  EXPECT_EQ(station.Read(20), kDefaultCpuId);
}

TEST_F(ServedBoard, AfterTheClockSwitchOnly57600IsHeard) {
  Station station(link_.slavePath());
  ASSERT_TRUE(station.Download(16));
  station.Write({'M'});
  const Bytes answer = station.Read(1);
  ASSERT_EQ(answer, Bytes{'9'});
  station.Write(answer);
  // Give the board time to take the echo: changing the speed purges the
  // station's output, which could drop a byte the board has not read yet.
  std::this_thread::sleep_for(100ms);
  station.SetSpeed(B57600);
  station.Write({'s'});
  EXPECT_EQ(station.Read(4).size(), 4u);

  // A station still at 115200 gets nothing, as from real hardware.
  station.SetSpeed(B115200);
  std::this_thread::sleep_for(100ms);  // well past the board's speed readings around the switch
  station.Write({'s'});
  EXPECT_TRUE(station.Read(4, 200ms).empty());
}

TEST_F(ServedBoard, ReopenedPortStillReachesTheBoard) {
  {
    Station first(link_.slavePath());
    ASSERT_TRUE(first.Download(0));
  }
  std::this_thread::sleep_for(20ms);
  Station second(link_.slavePath());
  ASSERT_TRUE(second.ok());
  second.Write({'j'});
  EXPECT_EQ(second.Read(20), kDefaultCpuId);
}

class SlowFlashWrites : public ServedBoard {
 protected:
  SlowFlashWrites() { faults_.flash.writeDelayMs = 400; }
};

TEST_F(SlowFlashWrites, AWriteIsAnsweredLateAndAReadOnTime) {
  Station station(link_.slavePath());
  ASSERT_TRUE(station.Download(0));
  const auto answerTime = [&](std::uint8_t command, const Bytes& data) {
    Bytes request = {command};
    PutLe32(request, 0x1000);
    PutLe32(request, 4);
    request.insert(request.end(), data.begin(), data.end());
    const auto start = std::chrono::steady_clock::now();
    station.Write(request);
    const std::size_t answer = command == 'w' ? 1 : 5;  // 'Q'; the four bytes and their checksum
    EXPECT_EQ(station.Read(answer, 2s).size(), answer);
    return std::chrono::steady_clock::now() - start;
  };
  EXPECT_GE(answerTime('w', {1, 2, 3, 4, 0xF6}), 400ms);
  EXPECT_LT(answerTime('r', {}), 300ms);
}

// The executable: its one line, its link, the RESET signal and a clean exit.
TEST(Executable, AnnouncesLinksResetsAndExitsOnSigterm) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("rzboard-sim-test-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string link = (dir / "COM1").string();
  std::filesystem::create_symlink("/nonexistent", link);  // a stale link is replaced

  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string exe = RZBOARD_SIM_PATH;
  std::vector<std::string> args = {exe, "--link", link, "--no-auto-reset"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);

  std::string line;
  pollfd pfd{out[0], POLLIN, 0};
  char c = 0;
  while (line.find('\n') == std::string::npos && ::poll(&pfd, 1, 2000) > 0 && ::read(out[0], &c, 1) == 1) {
    line += c;
  }
  ::close(out[0]);
  const std::string slave = std::filesystem::read_symlink(link).string();
  EXPECT_EQ(line, "rzboard-sim: board on " + slave + " (link " + link + ")\n");

  {
    Station station(link);
    ASSERT_TRUE(station.ok());
    station.SetSpeed(B9600);  // no reset from this: auto-reset is off
    EXPECT_TRUE(station.Read(1, 250ms).empty());
    ::kill(pid, SIGUSR1);
    EXPECT_EQ(station.Read(1), Bytes{'<'});
  }

  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  std::filesystem::remove_all(dir);
}

TEST(Executable, BadOptionExitsWithStatus2) {
  const std::string command = std::string(RZBOARD_SIM_PATH) + " --eth-irq 0x10000 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace rzsim
