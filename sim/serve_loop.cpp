#include "serve_loop.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdarg>
#include <deque>

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include "pacer.h"

namespace rzsim {

namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// How often the loop looks at the station's line speed when nothing happens.
constexpr milliseconds kPollInterval{5};
// Shortest wait while pacing, so a fast line is served in batches rather
// than one wake-up per byte.
constexpr microseconds kMinPacedWait{100};
// Bytes taken off the pseudo-terminal ahead of the board while pacing: about
// what a serial driver buffers, so a station writing faster than the line
// blocks as it would on a real port.
constexpr std::size_t kPacedInputLimit = 4096;
constexpr std::size_t kReadChunk = 4096;

struct InByte {
  std::uint8_t value;
  SpeedSamples speed;
};

class Server {
 public:
  Server(PtyLink& link, Board& board, const ServeOptions& options, ServeControl& control)
      : link_(link),
        board_(board),
        options_(options),
        control_(control),
        watch_(link.StationBaud()) {}

  void Run();

 private:
  void ResetBoard(const char* why);
  void ReadInput(std::uint32_t speedBefore);
  void DeliverInput(Clock::time_point now);
  void SendOutput(Clock::time_point now);
  void NoteOutput(Clock::time_point now);
  Clock::duration Wait(Clock::time_point now, bool& wantIn, bool& wantOut) const;
  void Report();
  void FollowEthernet();
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

  PtyLink& link_;
  Board& board_;
  const ServeOptions& options_;
  ServeControl& control_;
  LineSpeedWatch watch_;
  LinePacer inPacer_;
  LinePacer outPacer_;
  std::deque<InByte> pendingIn_;
  bool hadOutput_ = false;
  bool writeBlocked_ = false;
  std::size_t outCredit_ = 0;  // paced bytes due on the line but not yet written
  Clock::time_point heldUntil_{};  // no output leaves before then (the Flash write delay)

  BootRom::Stage lastStage_ = BootRom::Stage::kFirstStage;
  bool lastFastClock_ = false;
  std::uint64_t lastGarbled_ = 0;
};

void Server::Run() {
  ResetBoard("start");
  bool announced = false;
  while (!control_.stop.load()) {
    Clock::time_point now = Clock::now();
    if (control_.reset.exchange(false)) ResetBoard("RESET button");
    const std::uint32_t before = link_.StationBaud();
    if (options_.autoReset) {
      watch_.Observe(before, now);
      if (watch_.TakeDueReset(now)) ResetBoard("station switched to 9600 baud");
    }
    DeliverInput(now);
    SendOutput(now);
    if (options_.udp) options_.udp->SendDue(now);
    Report();
    if (!announced && board_.Output().empty()) {
      announced = true;
      if (options_.onReady) options_.onReady();
    }

    bool wantIn = false;
    bool wantOut = false;
    const Clock::duration wait = Wait(now, wantIn, wantOut);
    pollfd fds[2] = {{link_.masterFd(), static_cast<short>((wantIn ? POLLIN : 0) | (wantOut ? POLLOUT : 0)), 0},
                     {options_.udp ? options_.udp->fd() : -1, POLLIN, 0}};
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    pollfd& pfd = fds[0];
    const auto ns = duration_cast<nanoseconds>(wait).count();
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    const int polled = ::ppoll(fds, count, &timeout, nullptr);
    if (polled < 0) {
      if (errno != EINTR) ::nanosleep(&timeout, nullptr);
      continue;
    }
    if (count == 2 && (fds[1].revents & POLLIN)) options_.udp->ReceiveAll(board_.memory());
    if (pfd.revents & POLLOUT) writeBlocked_ = false;
    if (pfd.revents & POLLIN) {
      ReadInput(before);
    } else if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      // Nobody holds the terminal open (or it broke): poll() would report
      // this at once on every pass, so wait out the interval instead.
      ::nanosleep(&timeout, nullptr);
    }
  }
}

void Server::ResetBoard(const char* why) {
  board_.Reset();
  pendingIn_.clear();
  outCredit_ = 0;
  writeBlocked_ = false;
  hadOutput_ = false;
  heldUntil_ = {};
  NoteOutput(Clock::now());
  lastStage_ = board_.bootRom().stage();
  lastFastClock_ = false;
  Log("reset (%s)", why);
}

void Server::ReadInput(std::uint32_t speedBefore) {
  std::array<std::uint8_t, kReadChunk> buffer{};
  std::size_t room = buffer.size();
  if (options_.pace) room = std::min(room, kPacedInputLimit - pendingIn_.size());
  const ssize_t n = ::read(link_.masterFd(), buffer.data(), room);
  if (n <= 0) {
    // EAGAIN: a spurious wake-up; EIO: no one has the slave open.
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      const auto ns = duration_cast<nanoseconds>(kPollInterval).count();
      const timespec pause{0, static_cast<long>(ns)};
      ::nanosleep(&pause, nullptr);
    }
    return;
  }
  const SpeedSamples speed{speedBefore, link_.StationBaud()};
  const Clock::time_point now = Clock::now();
  if (!options_.pace) {
    for (ssize_t i = 0; i < n; ++i) board_.Receive(buffer[static_cast<std::size_t>(i)], speed);
    NoteOutput(now);
    SendOutput(now);
    return;
  }
  if (pendingIn_.empty()) inPacer_.StartIfIdle(now);
  for (ssize_t i = 0; i < n; ++i) pendingIn_.push_back({buffer[static_cast<std::size_t>(i)], speed});
  DeliverInput(now);
  SendOutput(now);
}

void Server::DeliverInput(Clock::time_point now) {
  if (pendingIn_.empty()) return;
  std::size_t n = inPacer_.Take(now, board_.LineBaud(), pendingIn_.size());
  for (; n > 0; --n) {
    const InByte in = pendingIn_.front();
    pendingIn_.pop_front();
    board_.Receive(in.value, in.speed);
  }
  NoteOutput(now);
}

void Server::NoteOutput(Clock::time_point now) {
  if (const auto delay = board_.TakeAnswerDelay(); delay > Clock::duration::zero()) heldUntil_ = now + delay;
  const bool has = !board_.Output().empty();
  if (has && !hadOutput_) outPacer_.StartIfIdle(now);
  hadOutput_ = has;
}

// Binds or closes the board's network side as the test program's last 'a' or
// 'b' asks, before that command's answer leaves: once the station has the
// answer, its first datagram finds the socket bound.
void Server::FollowEthernet() {
  if (!options_.udp) return;
  const BoardState& state = board_.program().state();
  options_.udp->Follow(board_.ProgramRunning() ? state.ethernetAddress : std::nullopt);
}

void Server::SendOutput(Clock::time_point now) {
  FollowEthernet();
  const auto out = board_.Output();
  if (out.empty() || writeBlocked_ || now < heldUntil_) return;
  std::size_t n = out.size();
  if (options_.pace) {
    outCredit_ += outPacer_.Take(now, board_.LineBaud(), out.size() - std::min(outCredit_, out.size()));
    n = std::min(outCredit_, out.size());
    if (n == 0) return;
  }
  const ssize_t written = ::write(link_.masterFd(), out.data(), n);
  if (written < 0) {
    if (errno == EAGAIN) writeBlocked_ = true;
    return;
  }
  if (static_cast<std::size_t>(written) < n) writeBlocked_ = true;
  board_.ConsumeOutput(static_cast<std::size_t>(written));
  if (options_.pace) outCredit_ -= static_cast<std::size_t>(written);
  hadOutput_ = !board_.Output().empty();
}

Clock::duration Server::Wait(Clock::time_point now, bool& wantIn, bool& wantOut) const {
  Clock::duration wait = kPollInterval;
  auto until = [&](Clock::time_point t, Clock::duration floor) {
    wait = std::min(wait, std::max(t - now, floor));
  };
  wantIn = !options_.pace || pendingIn_.size() < kPacedInputLimit;
  const bool outputPending = !board_.Output().empty();
  wantOut = outputPending && writeBlocked_;
  const bool held = now < heldUntil_;
  if (outputPending && held) until(heldUntil_, Clock::duration::zero());
  if (options_.autoReset) {
    if (const auto resetAt = watch_.PendingReset()) until(*resetAt, Clock::duration::zero());
  }
  if (options_.udp) {
    if (const auto due = options_.udp->NextDue()) until(*due, Clock::duration::zero());
  }
  if (options_.pace) {
    const std::uint32_t baud = board_.LineBaud();
    if (!pendingIn_.empty()) until(inPacer_.NextDone(baud), kMinPacedWait);
    if (outputPending && !writeBlocked_ && !held) until(outPacer_.NextDone(baud), kMinPacedWait);
  }
  return wait;
}

void Server::Report() {
  if (!options_.log) return;
  const BootRom::Stage stage = board_.bootRom().stage();
  if (stage != lastStage_) {
    switch (stage) {
      case BootRom::Stage::kAwaitPlus: Log("first stage taken, '>' sent"); break;
      case BootRom::Stage::kStarted:
        Log("program of %u bytes started", static_cast<unsigned>(board_.bootRom().SecondStageLength()));
        break;
      case BootRom::Stage::kHung: Log("boot ROM stopped by a fault"); break;
      default: break;
    }
    lastStage_ = stage;
  }
  const bool fastClock = board_.ProgramRunning() && board_.program().state().cpuAt90MHz;
  if (fastClock != lastFastClock_) {
    Log("CPU at %s MHz, line at %u baud", fastClock ? "90" : "74", static_cast<unsigned>(board_.LineBaud()));
    lastFastClock_ = fastClock;
  }
  if (board_.Garbled() != lastGarbled_) {
    Log("%llu byte(s) lost: station at %u baud, board at %u",
        static_cast<unsigned long long>(board_.Garbled() - lastGarbled_),
        static_cast<unsigned>(link_.StationBaud()), static_cast<unsigned>(board_.LineBaud()));
    lastGarbled_ = board_.Garbled();
  }
}

void Server::Log(const char* format, ...) {
  if (!options_.log) return;
  std::fputs("rzboard-sim: ", options_.log);
  va_list args;
  va_start(args, format);
  std::vfprintf(options_.log, format, args);
  va_end(args);
  std::fputc('\n', options_.log);
  std::fflush(options_.log);
}

}  // namespace

void Serve(PtyLink& link, Board& board, const ServeOptions& options, ServeControl& control) {
  Server(link, board, options, control).Run();
}

}  // namespace rzsim
