// Prints how fast a worker thread can append lines to the station window's
// journal through the blocking window calls, and how much memory a journal of
// 100000 lines takes. A program that prints figures, not a timed test.

#include <QApplication>
#include <QEventLoop>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "operations/station.h"
#include "qt_station_ui.h"
#include "station_dlg.h"

namespace {

class NoSerialDevices final : public rz::SerialBackend {
 public:
  std::unique_ptr<rz::SerialDevice> Open(const std::string&, std::string& error) override {
    error = "no serial devices in the benchmark";
    return nullptr;
  }
};

// Resident set size of this process in KiB, from /proc/self/status.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(4096, '\n');
  }
  return -1;
}

// Bytes allocated from the heap and not freed.
std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Runs `work` on a worker thread while the GUI thread serves its window calls;
// returns the seconds it took.
double TimeOnWorker(const std::function<void()>& work) {
  QEventLoop loop;
  std::atomic<bool> done{false};
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    work();
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  if (!done) loop.exec();
  worker.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A window on a station of its own, shown.
struct Rig {
  Rig() : station(ui, sound, serial), window(station, ui) {
    window.show();
    QApplication::processEvents();
  }
  rz::gui::QtStationUi ui;
  rz::SilentSound sound;
  NoSerialDevices serial;
  rz::Station station;
  rz::gui::CStationDlg window;
};

std::string Line(int i) { return " Блок " + std::to_string(i) + ": запись и сравнение - OK"; }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  // The memory figure first, while the heap holds nothing freed to reuse.
  {
    Rig rig;
    constexpr int kLines = 100000;
    const long before = ResidentKiB();
    const std::size_t heapBefore = HeapInUse();
    const double seconds = TimeOnWorker([&] {
      for (int i = 0; i < kLines; ++i) rig.ui.AddJournalLine(0, Line(i));
    });
    QApplication::processEvents();
    const long after = ResidentKiB();
    const std::size_t heapAfter = HeapInUse();
    std::printf("journal of %d lines: filled in %.2f s (%.0f calls/s)\n", kLines, seconds,
                kLines / seconds);
    std::printf("  RSS before %ld KiB, after %ld KiB, delta %ld KiB (%.0f bytes per line)\n",
                before, after, after - before, (after - before) * 1024.0 / kLines);
    std::printf("  heap in use grew by %zu KiB (%.0f bytes per line)\n",
                (heapAfter - heapBefore) / 1024,
                static_cast<double>(heapAfter - heapBefore) / kLines);
  }
  {
    Rig rig;
    constexpr int kCalls = 20000;
    constexpr int kRounds = 3;
    for (int round = 1; round <= kRounds; ++round) {
      const double appendSeconds = TimeOnWorker([&] {
        for (int i = 0; i < kCalls; ++i) rig.ui.AddJournalLine(0, Line(i));
      });
      const double replaceSeconds = TimeOnWorker([&] {
        for (int i = 0; i < kCalls; ++i) {
          rig.ui.AddJournalLine(-1, " Загрузка программы: " + std::to_string(i % 101) + "%");
        }
      });
      std::printf("round %d: %d blocking calls from a worker: append (mode 0) %8.0f calls/s, "
                  "replace last line (mode -1) %8.0f calls/s\n",
                  round, kCalls, kCalls / appendSeconds, kCalls / replaceSeconds);
    }
  }

  return 0;
}
