#include "app/controls.h"

#include "app/station.h"
#include "app/texts.h"
#include "boardtests/configuration_readout.h"
#include "boardtests/cpu_clock_change.h"
#include "link/boot_download.h"
#include "link/serial_channel.h"

namespace rz {
namespace {

// Buttons whose operations talk over the serial line only and are refused while
// work through Ethernet is switched on.
bool SerialOnly(Button button) {
  return button != Button::FileToFlash && button != Button::FlashToFile && button != Button::Exit;
}

StartResult StartWorker(Station& station, OperationFn operation) {
  const bool started = station.runner.Start([&station, operation] { return operation(station); });
  return started ? StartResult::Started : StartResult::Busy;
}

void Refuse(Station& station, const char* text) {
  station.Ui().ShowError({text::kRefusalCaption, text, true});
}

}  // namespace

OperationFn OperationForButton(Button button) {
  switch (button) {
    case Button::Download: return &DownloadTestProgram;
    case Button::Configuration: return &ConfigurationReadout;
    default: return nullptr;
  }
}

StartResult PressButton(Station& station, Button button) {
  if (button == Button::Exit) return StartResult::NotAvailable;
  // A request while an operation runs is refused before anything changes, so
  // that it cannot clear the running operation's abort flag.
  if (station.runner.Busy()) return StartResult::Busy;

  StationUi& ui = station.Ui();
  station.flags.focusIndex.store(static_cast<std::uint8_t>(button));
  if (button == Button::Rtc || button == Button::ExternalCom) station.flags.paramsRequest.store(0);
  // The debug console leaves the flag alone; the transfers clear it only when
  // the transfer itself starts, after the file has been chosen.
  if (SerialOnly(button) && button != Button::Debug) station.flags.ClearAbort();
  if (SerialOnly(button) && ui.EthernetSwitch()) {
    Refuse(station, text::kOnlyOverCom);
    return StartResult::Refused;
  }
  if (button == Button::Flash && station.flags.flashServiceMode.load() != 1) {
    Refuse(station, text::kNotAvailable);
    return StartResult::Refused;
  }
  const OperationFn operation = OperationForButton(button);
  if (operation == nullptr) return StartResult::NotAvailable;
  if (button == Button::Download) {
    // The download starts the board afresh at 74 MHz.
    ui.SetSelectorIndex(Selector::CpuClock, kCpuEntry74);
    ui.SetSelectorEnabled(Selector::CpuClock, true);
  } else {
    ui.FocusJournal();
  }
  return StartWorker(station, operation);
}

namespace {

StartResult OnSelectorChanged(Station& station, OperationFn operation) {
  if (station.runner.Busy()) return StartResult::Busy;
  ConfirmationBeep(station.Sound());
  station.flags.ClearAbort();
  station.Ui().FocusJournal();
  return StartWorker(station, operation);
}

}  // namespace

StartResult OnPortSelectorChanged(Station& station) { return OnSelectorChanged(station, &ReselectPort); }

StartResult OnCpuSelectorChanged(Station& station) {
  return OnSelectorChanged(station, &CpuClockChange);
}

}  // namespace rz
