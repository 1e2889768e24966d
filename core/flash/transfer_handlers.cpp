#include "flash/transfer_handlers.h"

#include "app/measurement.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "context/station_context.h"
#include "flash/flash_channel.h"

namespace rz {

TransferWorkers SerialTransferWorkers() { return {&FileToFlashOverCom, &FlashToFileOverCom}; }

TransferWorkers EthernetTransferWorkers() { return {&FileToFlashOverUdp, &FlashToFileOverUdp}; }

Outcome RunTransfer(StationContext& station, FlashChannel& channel, std::unique_ptr<TransferFile>& file, TransferEnd end,
                    const std::function<Outcome(TransferFile&)>& transfer) {
  // Declared first, so the file is closed last, after the frame's steps.
  const std::unique_ptr<TransferFile> owned = std::move(file);
  const WorkerFrame frame(station.Ui(), station.flags);
  channel.Begin();
  const Outcome outcome = transfer(*owned);
  Measure(station, {std::string(end.measured) + ".resends", static_cast<double>(channel.Traces().resends), ""});
  station.Ui().AddJournalLine(0, outcome == Outcome::Success ? end.passed : text::kAborted);
  if (end.signal) PlayEndSignal(station.Sound(), station.flags.soundOption.load());
  return outcome;
}

Outcome FileToFlashOverCom(StationContext& station, FileToFlashJob& job) {
  return FileToFlash(station, *SerialFlashChannel(station), job);
}
Outcome FlashToFileOverCom(StationContext& station, FlashToFileJob& job) {
  return FlashToFile(station, *SerialFlashChannel(station), job);
}
Outcome FileToFlashOverUdp(StationContext& station, FileToFlashJob& job) {
  return FileToFlash(station, *UdpFlashChannel(station), job);
}
Outcome FlashToFileOverUdp(StationContext& station, FlashToFileJob& job) {
  return FlashToFile(station, *UdpFlashChannel(station), job);
}

}  // namespace rz
