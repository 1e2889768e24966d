#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "flash/image_file.h"

namespace rz {

class StationContext;
class FlashChannel;

// What the file-to-Flash button hands its worker: the file it opened for
// reading and its name without folder. The worker owns the file from then on
// and closes it on every path.
struct FileToFlashJob {
  std::string fileName;
  std::unique_ptr<TransferFile> file;
};

// What the Flash-to-file button hands its worker: the file it created, its
// name without folder and the read count C (1..8388608).
struct FlashToFileJob {
  std::string fileName;
  std::uint32_t count = 0;
  std::unique_ptr<TransferFile> file;
};

// The workers of one channel. The buttons start the serial ones, or the
// Ethernet ones while the Ethernet switch is on.
struct TransferWorkers {
  Outcome (*fileToFlash)(StationContext& station, FileToFlashJob& job) = nullptr;
  Outcome (*flashToFile)(StationContext& station, FlashToFileJob& job) = nullptr;
};
TransferWorkers SerialTransferWorkers();
// The Ethernet channel's workers (a channel without workers would make the
// buttons refuse to start with the Ethernet switch on).
TransferWorkers EthernetTransferWorkers();

// The frame of every transfer's worker: takes `file` (closed last, on every
// path), opens the worker frame, begins the channel, runs `transfer` on the
// file and appends the final line, `end.passed` or the abort line; then the
// end signal when `end.signal` says so. The requests the channel had to send
// again are measured.
struct TransferEnd {
  const char* passed = nullptr;
  bool signal = false;
  // The operation's word, naming what the transfer measures ("write.resends").
  const char* measured = nullptr;
};
Outcome RunTransfer(StationContext& station, FlashChannel& channel, std::unique_ptr<TransferFile>& file, TransferEnd end,
                    const std::function<Outcome(TransferFile&)>& transfer);

// The workers over the serial channel.
Outcome FileToFlashOverCom(StationContext& station, FileToFlashJob& job);
Outcome FlashToFileOverCom(StationContext& station, FlashToFileJob& job);
// The workers over UDP, used while the Ethernet switch is on.
Outcome FileToFlashOverUdp(StationContext& station, FileToFlashJob& job);
Outcome FlashToFileOverUdp(StationContext& station, FlashToFileJob& job);

}  // namespace rz
