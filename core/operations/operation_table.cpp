#include "operations/operation_table.h"

#include <array>
#include <thread>
#include <utility>

#include "app/texts.h"
#include "boardtests/configuration_readout.h"
#include "boardtests/cpu_clock_change.h"
#include "boardtests/ethernet_test.h"
#include "boardtests/external_com_test.h"
#include "boardtests/rtc_test.h"
#include "boardtests/sdram_test.h"
#include "boardtests/service_com_test.h"
#include "debug/debug_operation.h"
#include "flash/flash_test.h"
#include "flash/transfer_handlers.h"
#include "operations/boot_download.h"
#include "operations/ethernet_switch.h"
#include "operations/port_reselect.h"
#include "operations/start_steps.h"
#include "operations/station.h"
#include "operations/station_ports.h"

namespace rz {
namespace {

// "=NAME" where NAME is one of `names`: the selector entry at that position.
template <std::size_t N>
bool ParseEntry(std::string_view rest, const std::array<const char*, N>& names, OperationArgs& args,
                std::string& error) {
  if (rest.size() > 1 && rest.front() == '=') {
    for (std::size_t i = 0; i < N; ++i) {
      if (rest.substr(1) == names[i]) {
        args.selectorEntry = static_cast<int>(i);
        return true;
      }
    }
  }
  error = "takes one of";
  for (const char* name : names) error += std::string(" =") + name;
  return false;
}

bool ParsePortEntry(std::string_view rest, OperationArgs& args, std::string& error) {
  return ParseEntry(rest, std::array{"COM1", "COM2", "NONE"}, args, error);
}

bool ParseCpuEntry(std::string_view rest, OperationArgs& args, std::string& error) {
  return ParseEntry(rest, std::array{"74", "90"}, args, error);
}

// The worker of a row whose work needs only the operations' context.
template <Outcome (*Work)(StationContext&)>
Outcome OnContext(Station& station) {
  return Work(station);
}

Outcome RunExternalComTest(Station& station) { return ExternalComTest(station, station.extCom); }

const char* FlashTestRefusal(Station& station) {
  return station.flags.flashServiceMode.load() == 1 ? nullptr : text::kNotAvailable;
}

// The table itself. Rows of buttons come in focus-index order.
const std::array kOperations = {
    OperationRow{.control = ControlKind::PortSelector,
                 .worker = &ReselectPort,
                 .serialOnly = false,
                 .cliWord = "port",
                 .parseArgument = &ParsePortEntry,
                 .cliSyntax = "port=COM1|COM2|NONE",
                 .cliHelp = "choose the serial port (the port selector)"},
    OperationRow{.button = Button::Download,
                 .worker = &DownloadTestProgram,
                 .cliWord = "download",
                 .cliHelp = "download the test program (press RESET on the board)"},
    OperationRow{.button = Button::Configuration,
                 .worker = &OnContext<&ConfigurationReadout>,
                 .cliWord = "config",
                 .cliHelp = "read the board configuration"},
    OperationRow{.control = ControlKind::CpuSelector,
                 .worker = &OnContext<&CpuClockChange>,
                 .serialOnly = false,
                 .cliWord = "cpu",
                 .parseArgument = &ParseCpuEntry,
                 .cliSyntax = "cpu=74|cpu=90",
                 .cliHelp = "switch the board's CPU clock (the CPU clock selector)"},
    OperationRow{.control = ControlKind::EthernetSwitch,
                 .worker = &SwitchEthernet,
                 .serialOnly = false,
                 .start = &StartEthernetSwitch,
                 .cliWord = "ethernet",
                 .parseArgument = &ParseEthernetArgument,
                 .cliSyntax = "ethernet=on:IPV4|ethernet=off",
                 .cliHelp = "switch work through Ethernet on at the board's address, or off (the check box)"},
    OperationRow{.button = Button::ServiceCom,
                 .worker = &OnContext<&ServiceComTest>,
                 .cliWord = "service-com",
                 .cliHelp = "test the service COM port (variant from --service-com)"},
    OperationRow{.button = Button::Sdram,
                 .worker = &OnContext<&SdramTest>,
                 .cliWord = "sdram",
                 .cliHelp = "test the SDRAM (two write and compare passes)"},
    OperationRow{.button = Button::Flash,
                 .worker = &OnContext<&FlashTest>,
                 .refusal = &FlashTestRefusal,
                 .cliWord = "flash-test",
                 .cliHelp = "erase and test the whole Flash (needs --flash-service)"},
    OperationRow{.button = Button::Ethernet,
                 .worker = &OnContext<&EthernetTest>,
                 .cliWord = "ethernet-test",
                 .cliHelp = "test the board's Ethernet controller (150 steps)"},
    OperationRow{.button = Button::Rtc,
                 .worker = &OnContext<&RtcTest>,
                 .clearsParamsRequest = true,
                 .cliWord = "rtc",
                 .cliHelp = "test the real-time clock (ten seconds)"},
    OperationRow{.button = Button::ExternalCom,
                 .worker = &RunExternalComTest,
                 .clearsParamsRequest = true,
                 .start = &StartExternalComTest,
                 .cliWord = "ext-com",
                 .parseArgument = &ParseExternalComArgument,
                 .cliSyntax = "ext-com[:PARAMS]",
                 .cliHelp = "test the external COM channels until Ctrl-C or cycles=N (PARAMS below)"},
    OperationRow{.button = Button::Debug,
                 .clearsAbortOnPress = false,
                 .start = &OpenDebugConsole,
                 .cliWord = "debug",
                 .parseArgument = &ParseDebugArgument,
                 .cliSyntax = "debug=TARGET:OPERATION:ADDRESS:DATA",
                 .cliHelp = "run one debug console operation (see Debug console below)"},
    OperationRow{.button = Button::FileToFlash,
                 .serialOnly = false,
                 .clearsAbortOnPress = false,
                 .start = &StartFileToFlash,
                 .cliWord = "write",
                 .parseArgument = &ParseWriteArgument,
                 .cliSyntax = "write=FILE",
                 .cliHelp = "write the image FILE into the Flash (raw files: --flash-service)"},
    OperationRow{.button = Button::FlashToFile,
                 .serialOnly = false,
                 .clearsAbortOnPress = false,
                 .start = &StartFlashToFile,
                 .cliWord = "read",
                 .parseArgument = &ParseReadArgument,
                 .cliSyntax = "read=FILE:COUNT",
                 .cliHelp = "read COUNT (1..8388608) Flash bytes into FILE; COUNT checked first"},
};

void Refuse(Station& station, const char* text) {
  station.Ui().ShowError({text::kRefusalCaption, text, true});
}

StartResult StartButton(Station& station, const OperationRow& row, const OperationArgs* args) {
  StationUi& ui = station.Ui();
  station.flags.focusIndex.store(static_cast<std::uint8_t>(row.button));
  if (row.clearsParamsRequest) station.flags.paramsRequest.store(0);
  if (row.clearsAbortOnPress) station.flags.ClearAbort();
  if (row.serialOnly && ui.EthernetSwitch()) {
    Refuse(station, text::kOnlyOverCom);
    return StartResult::Refused;
  }
  if (row.refusal != nullptr) {
    if (const char* refusal = row.refusal(station)) {
      Refuse(station, refusal);
      return StartResult::Refused;
    }
  }
  if (row.start != nullptr) return row.start(station, row, args);
  if (row.worker == nullptr) return StartResult::NotAvailable;
  if (row.button == Button::Download) {
    // The download starts the board afresh at 74 MHz.
    ui.SetSelectorIndex(Selector::CpuClock, kCpuEntry74);
    ui.SetSelectorEnabled(Selector::CpuClock, true);
  } else {
    ui.FocusJournal();
  }
  return StartWorker(station, row.worker);
}

StartResult StartSelector(Station& station, const OperationRow& row, const OperationArgs* args) {
  StationUi& ui = station.Ui();
  const Selector selector = row.control == ControlKind::CpuSelector ? Selector::CpuClock : Selector::Port;
  if (args != nullptr) {
    // The CPU clock selector stays disabled while the board runs at 90 MHz:
    // only a new download brings it back to 74 MHz.
    if (selector == Selector::CpuClock && ui.SelectorIndex(Selector::CpuClock) != kCpuEntry74) {
      Refuse(station, text::kCpuSelectorDisabled);
      return StartResult::Refused;
    }
    ui.SetSelectorIndex(selector, args->selectorEntry);
  }
  ConfirmationBeep(station.Sound());
  station.flags.ClearAbort();
  ui.FocusJournal();
  return StartWorker(station, row.worker);
}

}  // namespace

std::span<const OperationRow> OperationTable() { return kOperations; }

const OperationRow* FindOperationRow(Button button) {
  for (const OperationRow& row : kOperations) {
    if (row.control == ControlKind::Button && row.button == button) return &row;
  }
  return nullptr;
}

const OperationRow* FindOperationRow(std::string_view word) {
  for (const OperationRow& row : kOperations) {
    if (row.cliWord == nullptr) continue;
    const std::string_view name = row.cliWord;
    if (word.substr(0, name.size()) != name) continue;
    if (word.size() == name.size() || word[name.size()] == '=' || word[name.size()] == ':') return &row;
  }
  return nullptr;
}

bool ParseOperationWord(std::string_view word, const OperationRow*& row, OperationArgs& args,
                        std::string& error) {
  row = FindOperationRow(word);
  if (row == nullptr) {
    error = "unknown operation '" + std::string(word) + "'";
    return false;
  }
  const std::string_view rest = word.substr(std::string_view(row->cliWord).size());
  if (row->parseArgument == nullptr) {
    if (rest.empty()) return true;
    error = std::string(row->cliWord) + " takes no argument";
    return false;
  }
  std::string why;
  if (row->parseArgument(rest, args, why)) return true;
  error = "'" + std::string(word) + "': " + std::string(row->cliWord) + " " + why;
  return false;
}

std::string OperationHelpText() {
  constexpr std::size_t kColumn = 22;
  std::string help;
  for (const OperationRow& row : kOperations) {
    if (row.cliWord == nullptr) continue;
    std::string syntax = "  " + std::string(row.cliSyntax != nullptr ? row.cliSyntax : row.cliWord);
    syntax += syntax.size() < kColumn ? std::string(kColumn - syntax.size(), ' ') : "\n" + std::string(kColumn, ' ');
    help += syntax + row.cliHelp + "\n";
  }
  return help;
}

FileUse TransferFileUse(const OperationRow& row, const OperationArgs& args) {
  const std::string word = row.cliWord != nullptr ? row.cliWord : "";
  if (word != "write" && word != "read") return {};
  return {args.file, word + "=", word == "read"};
}

StartResult StartWorker(Station& station, OperationFn worker) {
  return StartWork(station, [&station, worker] { return worker(station); });
}

StartResult StartWork(Station& station, std::function<Outcome()> work) {
  // The observer hears of the end on the worker thread, before the runner is
  // idle again, so that a caller waiting for the runner sees it told.
  const OperationRow* row = std::exchange(station.startingRow, nullptr);
  OperationObserver* observer = row != nullptr ? station.observer : nullptr;
  switch (station.runner.Start([work = std::move(work), row, observer, &station] {
    const Outcome outcome = CloseVanishedPort(station, work());
    if (observer != nullptr) observer->OperationEnded(*row, outcome);
    return outcome;
  })) {
    case OperationRunner::StartStatus::Started: return StartResult::Started;
    case OperationRunner::StartStatus::Busy: return StartResult::Busy;
    case OperationRunner::StartStatus::NoThread: break;
  }
  // Nothing has run: the controls are still enabled and the journal untouched.
  station.Ui().ShowError({text::kErrorCaption, text::kNoWorkerThread, true});
  return StartResult::Refused;
}

StartResult StartOperation(Station& station, const OperationRow& row, const OperationArgs* args) {
  // A request while an operation runs is refused before anything changes, so
  // that it cannot clear the running operation's abort flag.
  if (station.runner.Busy()) return StartResult::Busy;
  // While a production sequence runs, its own thread alone starts operations.
  if (station.sequenceActive.load() && station.sequenceThread.load() != std::this_thread::get_id()) {
    return StartResult::Busy;
  }
  station.transferFile.clear();
  station.transferNote.clear();
  OperationObserver* observer = station.observer;
  if (observer != nullptr) observer->OperationStarted(row);
  station.startingRow = &row;
  StartResult result = StartResult::NotAvailable;
  if (row.control == ControlKind::Button) {
    result = StartButton(station, row, args);
  } else if (row.control == ControlKind::EthernetSwitch) {
    result = row.start(station, row, args);
  } else {
    result = StartSelector(station, row, args);
  }
  // StartWorker takes the row when it starts a worker; a start step that
  // started none (it opened a window) has ended already.
  const bool workerTookRow = station.startingRow == nullptr;
  station.startingRow = nullptr;
  if (observer != nullptr) {
    if (result != StartResult::Started) {
      observer->OperationEnded(row, std::nullopt);
    } else if (!workerTookRow) {
      observer->OperationEnded(row, Outcome::Success);
    }
  }
  return result;
}

}  // namespace rz
