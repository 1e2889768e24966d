#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "flash/image_file.h"

namespace rz {

class StationContext;

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

// The first steps of a file-to-Flash transfer on either channel: appends the
// empty line and `heading` (with the file name), checks the file as an image
// and, on a refusal, shows its message box. On acceptance gives the check and
// the erase bound.
struct CheckedImage {
  ImageCheck check;
  std::uint32_t bound = 0;
};
std::optional<CheckedImage> BeginFileToFlash(StationContext& station, const char* heading, FileToFlashJob& job,
                                             TransferFile& file);

// Ends a write whose image file became shorter than its checked size: says
// so through the station's note and gives the failed outcome.
Outcome ImageFileShrank(StationContext& station);

// The workers over the serial channel.
Outcome FileToFlashOverCom(StationContext& station, FileToFlashJob& job);
Outcome FlashToFileOverCom(StationContext& station, FlashToFileJob& job);
// The workers over UDP, used while the Ethernet switch is on.
Outcome FileToFlashOverUdp(StationContext& station, FileToFlashJob& job);
Outcome FlashToFileOverUdp(StationContext& station, FlashToFileJob& job);

}  // namespace rz
