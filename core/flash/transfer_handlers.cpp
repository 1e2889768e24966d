#include "flash/transfer_handlers.h"

#include "app/texts.h"
#include "context/station_context.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"

namespace rz {

TransferWorkers SerialTransferWorkers() { return {&FileToFlashOverCom, &FlashToFileOverCom}; }

TransferWorkers EthernetTransferWorkers() { return {&FileToFlashOverUdp, &FlashToFileOverUdp}; }

std::optional<CheckedImage> BeginFileToFlash(StationContext& station, const char* heading, FileToFlashJob& job,
                                             TransferFile& file) {
  StationUi& ui = station.Ui();
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, FormatText(heading, job.fileName));
  const bool serviceMode = station.flags.flashServiceMode.load() == 1;
  const ImageCheck check = CheckImageFile(file, serviceMode);
  if (check.refusal != nullptr) {
    ui.ShowError({text::kRefusalCaption, check.refusal, false});
    return std::nullopt;
  }
  return CheckedImage{check, EraseBound(check, serviceMode)};
}

Outcome ImageFileShrank(StationContext& station) {
  station.Ui().Note(station.transferFile + " became shorter than when it was checked");
  return Outcome::Failed;
}

}  // namespace rz
