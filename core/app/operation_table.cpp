#include "app/operation_table.h"

#include <array>
#include <utility>

#include "app/station.h"
#include "app/texts.h"
#include "boardtests/configuration_readout.h"
#include "boardtests/cpu_clock_change.h"
#include "link/boot_download.h"
#include "link/serial_channel.h"

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
                 .worker = &ConfigurationReadout,
                 .cliWord = "config",
                 .cliHelp = "read the board configuration"},
    OperationRow{.control = ControlKind::CpuSelector,
                 .worker = &CpuClockChange,
                 .serialOnly = false,
                 .cliWord = "cpu",
                 .parseArgument = &ParseCpuEntry,
                 .cliSyntax = "cpu=74|cpu=90",
                 .cliHelp = "switch the board's CPU clock (the CPU clock selector)"},
    OperationRow{.button = Button::ServiceCom},
    OperationRow{.button = Button::Sdram},
    OperationRow{.button = Button::Flash, .refusal = &FlashTestRefusal},
    OperationRow{.button = Button::Ethernet},
    OperationRow{.button = Button::Rtc, .clearsParamsRequest = true},
    OperationRow{.button = Button::ExternalCom, .clearsParamsRequest = true},
    OperationRow{.button = Button::Debug, .clearsAbortOnPress = false},
    OperationRow{.button = Button::FileToFlash, .serialOnly = false, .clearsAbortOnPress = false},
    OperationRow{.button = Button::FlashToFile, .serialOnly = false, .clearsAbortOnPress = false},
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

StartResult StartWorker(Station& station, OperationFn worker) {
  // The observer hears of the end on the worker thread, before the runner is
  // idle again, so that a caller waiting for the runner sees it told.
  const OperationRow* row = std::exchange(station.startingRow, nullptr);
  OperationObserver* observer = row != nullptr ? station.observer : nullptr;
  switch (station.runner.Start([&station, worker, row, observer] {
    const Outcome outcome = worker(station);
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
  station.transferFile.clear();
  OperationObserver* observer = station.observer;
  if (observer != nullptr) observer->OperationStarted(row);
  station.startingRow = &row;
  const StartResult result =
      row.control == ControlKind::Button ? StartButton(station, row, args) : StartSelector(station, row, args);
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
