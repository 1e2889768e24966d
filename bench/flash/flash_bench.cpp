// Figures of the Flash operations against the simulated board:
//  1. an 8 MB signed image written and 8 MB read back over the unpaced
//     pseudo-terminal, through rzstation-cli and through the Qt window
//     (offscreen), each against a raw loop of the same requests in this run;
//  2. the Flash test (142 commands) against a raw loop of the same requests;
//  3. with the board pacing its line at 115200 baud, the station's time for a
//     256 KB image written and read back against the wire time alone, and a
//     write with its read-back (key V) against the write alone: the
//     read-back's cost against a read of the same bytes.
// A program that prints figures; it never fails on a time.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../common/raw_terminal.h"
#include "app/controls.h"
#include "byte_count_dlg.h"
#include "child_process.h"
#include "flash/flash_test.h"
#include "flash_script.h"
#include "operations/boot_download.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "posix/serial_posix.h"
#include "qt_station_ui.h"
#include "recording_ui.h"
#include "session/startup.h"
#include "simulated_board.h"
#include "station_dlg.h"

namespace {

using Clock = std::chrono::steady_clock;
using rz::testing::ChildProcess;
using rz::testing::SimulatedBoard;

constexpr std::uint32_t kImageBytes = 8388608;
constexpr int kPieces = kImageBytes / 512;
constexpr std::uint32_t kPacedBytes = 256 * 1024;

void Step(const char* what) { std::fprintf(stderr, "bench_flash: %s...\n", what); }

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Fail(const char* what) {
  std::fprintf(stderr, "bench_flash: %s\n", what);
  std::exit(1);
}

struct Workplace {
  Workplace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rz-flash-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    Write(rz::kTestProgramFileName, rz::testing::Pattern(2048));
    Write("image.rzi", rz::testing::SignedImage(rz::testing::Pattern(kImageBytes)));
    Write("paced.bin", rz::testing::Pattern(kPacedBytes, 7));
  }
  ~Workplace() { std::filesystem::remove_all(dir); }
  Workplace(const Workplace&) = delete;
  Workplace& operator=(const Workplace&) = delete;
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string File(const std::string& name) const { return dir + "/" + name; }
  std::string dir;
};

double TimedCli(const Workplace& place, std::vector<std::string> operations) {
  std::vector<std::string> args{RZ_CLI_PATH, "--workdir", place.dir, "--com1", place.File("COM1"), "--no-history"};
  args.insert(args.end(), operations.begin(), operations.end());
  const auto start = Clock::now();
  const rz::testing::ProcessResult result = ChildProcess(args).Wait(std::chrono::minutes(10));
  const double took = Seconds(Clock::now() - start);
  if (result.exitCode != 0) {
    std::fprintf(stderr, "%s%s", result.out.c_str(), result.err.c_str());
    Fail("rzstation-cli failed");
  }
  return took;
}

void ReadAll(int fd, std::uint8_t* into, std::size_t n) {
  for (std::size_t got = 0; got < n;) {
    const ssize_t r = ::read(fd, into + got, n - got);
    if (r <= 0) Fail("raw read failed");
    got += static_cast<std::size_t>(r);
  }
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

// `count` requests made by `request(i)`, each answered with `replyBytes` bytes.
double RawLoop(const std::string& link, int count, std::size_t replyBytes,
               const std::function<std::vector<std::uint8_t>(int)>& request) {
  const int fd = rz::bench::OpenRaw(link);
  std::vector<std::uint8_t> reply(replyBytes);
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::vector<std::uint8_t> bytes = request(i);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) Fail("raw write failed");
    ReadAll(fd, reply.data(), replyBytes);
  }
  const double took = Seconds(Clock::now() - start);
  ::close(fd);
  return took;
}

std::vector<std::uint8_t> WriteRequest(int i) {
  std::vector<std::uint8_t> r{'w'};
  Put32(r, static_cast<std::uint32_t>(i) * 512);
  Put32(r, 512);
  r.resize(r.size() + 512, 0xFF);
  r.push_back(0x00);  // 512 × 0xFF adds up to 0 modulo 256 with 0x00
  return r;
}

// The 71 block erases that come before the raw writes, as before the station's.
std::vector<std::uint8_t> EraseRequest(int block) {
  std::vector<std::uint8_t> r{'e'};
  Put32(r, block <= 8 ? 0x4000u * static_cast<std::uint32_t>(block) : 0x20000u * static_cast<std::uint32_t>(block - 7));
  return r;
}

std::vector<std::uint8_t> ReadRequest(int i) {
  std::vector<std::uint8_t> r{'r'};
  Put32(r, static_cast<std::uint32_t>(i) * 512);
  Put32(r, 512);
  return r;
}

// A station in this process with a window that only records.
struct LocalStation {
  explicit LocalStation(const Workplace& place) {
    station.portPaths.com1 = place.File("COM1");
    if (!rz::StartStation(station, place.dir) || station.Port() == nullptr) Fail("the station could not start");
    if (rz::DownloadTestProgram(station) != rz::Outcome::Success) Fail("download failed");
  }
  ~LocalStation() { rz::StopStation(station); }
  rz::Outcome Run(rz::Button button, const rz::OperationArgs& args) {
    if (rz::StartOperation(station, *rz::FindOperationRow(button), &args) != rz::StartResult::Started) {
      Fail("the operation did not start");
    }
    return station.runner.Wait().value_or(rz::Outcome::Failed);
  }
  rz::testing::RecordingUi ui;
  rz::SilentSound sound;
  rz::PosixSerialBackend serial;
  rz::Station station{ui, sound, serial};
};

// The Qt window driving a transfer, its dialogs answered at once.
double WindowTransfer(const Workplace& place, rz::Button button, const std::string& file) {
  rz::gui::QtStationUi ui;
  rz::SilentSound sound;
  rz::PosixSerialBackend serial;
  rz::Station station(ui, sound, serial);
  station.portPaths.com1 = place.File("COM1");
  double took = 0;
  {
    rz::gui::CStationDlg window(station, ui);
    if (!rz::StartStation(station, place.dir)) Fail("the station could not start");
    window.show();
    auto runUntilIdle = [&] {
      while (!station.runner.WaitFor(std::chrono::milliseconds(0))) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
      }
    };
    rz::PressButton(station, rz::Button::Download);
    runUntilIdle();
    ui.SetDialogRunner([&](QDialog& dialog) {
      if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
        files->selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
      }
      auto& count = static_cast<rz::gui::CByteCountDlg&>(dialog);
      count.Edit()->setText(QString::number(kImageBytes));
      count.accept();
      return int(QDialog::Accepted);
    });
    const auto start = Clock::now();
    Step("window transfer");
    if (rz::PressButton(station, button) != rz::StartResult::Started) Fail("the window's transfer did not start");
    runUntilIdle();
    took = Seconds(Clock::now() - start);
    const std::string last = window.Journal().Lines().Lines().back();
    if (last != " Запись завершена успешно." && last != " Чтение завершено успешно.") Fail("window transfer failed");
  }
  rz::StopStation(station);
  return took;
}

void Row(const char* what, double seconds, int exchanges, double rawSeconds) {
  std::printf("  %-28s %8.3f s %9.0f /s   raw %8.3f s %9.0f /s   %5.1f%% of raw\n", what, seconds,
              exchanges / seconds, rawSeconds, exchanges / rawSeconds, 100.0 * rawSeconds / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Workplace place;
  const std::string link = place.File("COM1");
  const std::string back = place.File("back.bin");

  // "--paced" runs the paced part alone.
  const bool pacedOnly = argc > 1 && std::string(argv[1]) == "--paced";
  if (!pacedOnly) {
    SimulatedBoard board(link);
    // The command line: each run downloads first; that part is measured alone.
    Step("command line");
    const double startOnly = TimedCli(place, {"download"});
    const double cliWrite = TimedCli(place, {"download", "write=" + place.File("image.rzi")}) - startOnly;
    const double cliRead = TimedCli(place, {"download", "read=" + back + ":8388608"}) - startOnly;
    Step("raw loops");
    const double rawWrite = RawLoop(link, 71, 1, EraseRequest) + RawLoop(link, kPieces, 1, WriteRequest);
    const double rawRead = RawLoop(link, kPieces, 513, ReadRequest);
    Step("window");
    const double winWrite = WindowTransfer(place, rz::Button::FileToFlash, place.File("image.rzi"));
    const double winRead = WindowTransfer(place, rz::Button::FlashToFile, back);
    const double rawWrite2 = RawLoop(link, 71, 1, EraseRequest) + RawLoop(link, kPieces, 1, WriteRequest);
    const double rawRead2 = RawLoop(link, kPieces, 513, ReadRequest);
    std::printf("8 MB over the unpaced pseudo-terminal (16384 pieces of 512 bytes)\n");
    std::printf("  (the write also erases 71 blocks; raw loops: 522-byte request + 1-byte reply,\n"
                "   9-byte request + 513-byte reply read in bulk)\n");
    Row("rzstation-cli write", cliWrite, kPieces, rawWrite);
    Row("rzstation-cli read", cliRead, kPieces, rawRead);
    Row("window (offscreen) write", winWrite, kPieces, rawWrite2);
    Row("window (offscreen) read", winRead, kPieces, rawRead2);

    Step("Flash test");
    // The Flash test: 71 erases and 71 write-read tests, no pauses of its own.
    LocalStation local(place);
    const auto start = Clock::now();
    if (rz::FlashTest(local.station) != rz::Outcome::Success) Fail("Flash test failed");
    const double test = Seconds(Clock::now() - start);
    rz::StopStation(local.station);
    const double rawTest = RawLoop(link, 142, 1, [](int i) {
      std::vector<std::uint8_t> r = EraseRequest(i % 71);
      if (i >= 71) {
        r[0] = 't';
        Put32(r, i % 71 < 8 ? 0x4000 : 0x20000);
      }
      return r;
    });
    std::printf("Flash test, unpaced board (142 commands)\n");
    Row("station", test, 142, rawTest);
  }

  {
    Step("paced board");
    SimulatedBoard board(link, {"--pace"});
    LocalStation local(place);
    local.station.flags.flashServiceMode = 1;
    rz::OperationArgs write;
    write.file = place.File("paced.bin");
    auto start = Clock::now();
    if (local.Run(rz::Button::FileToFlash, write) != rz::Outcome::Success) Fail("paced write failed");
    const double pacedWrite = Seconds(Clock::now() - start);
    rz::OperationArgs read;
    read.file = back;
    read.readCount = kPacedBytes;
    start = Clock::now();
    if (local.Run(rz::Button::FlashToFile, read) != rz::Outcome::Success) Fail("paced read failed");
    const double pacedRead = Seconds(Clock::now() - start);
    Step("paced verified write");
    local.station.flags.verifyWrites = 1;
    start = Clock::now();
    if (local.Run(rz::Button::FileToFlash, write) != rz::Outcome::Success) Fail("paced verified write failed");
    const double pacedVerified = Seconds(Clock::now() - start);
    rz::StopStation(local.station);
    // The same requests from a raw loop on the same paced board: what is left
    // over the wire time there is the board's and the system's, not the station's.
    Step("paced raw loops");
    const double rawPacedWrite = RawLoop(link, 9, 1, EraseRequest) + RawLoop(link, 512, 1, WriteRequest);
    const double rawPacedRead = RawLoop(link, 512, 513, ReadRequest);
    // Wire time at 10 bits per byte: 9 erases (5 + 1 bytes) and 512 writes
    // (522 + 1); 512 reads (9 + 513).
    const double byteTime = 10.0 / 115200;
    const double wireWrite = (9 * 6 + 512 * 523) * byteTime;
    const double wireRead = 512 * 522 * byteTime;
    std::printf("256 KB with the board paced at 115200 baud\n");
    auto paced = [](const char* what, double station, double wire, double raw) {
      std::printf("  %s station %8.3f s, wire %8.3f s: +%.2f%% over the wire; raw loop %8.3f s (+%.2f%%): "
                  "station over raw %+.2f%%\n",
                  what, station, wire, 100.0 * (station - wire) / wire, raw, 100.0 * (raw - wire) / wire,
                  100.0 * (station - raw) / raw);
    };
    paced("write:", pacedWrite, wireWrite, rawPacedWrite);
    paced("read: ", pacedRead, wireRead, rawPacedRead);
    const double verify = pacedVerified - pacedWrite;
    std::printf("  write + verify %8.3f s against write %8.3f s: the read-back %8.3f s, %+.2f%% against the read\n",
                pacedVerified, pacedWrite, verify, 100.0 * (verify - pacedRead) / pacedRead);
  }
  return 0;
}
