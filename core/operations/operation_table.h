#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "app/file_uses.h"
#include "operations/operation_args.h"

namespace rz {

class Station;

// The worker of an operation.
using OperationFn = Outcome (*)(Station&);

// The control that starts an operation.
enum class ControlKind { Button, PortSelector, CpuSelector, EthernetSwitch };

struct OperationRow;

// Parses what follows an operation's command-line word ("=COM1", ":FILE", or
// nothing) into `args`; on a mistake sets `error` and returns false.
using ArgumentParser = bool (*)(std::string_view rest, OperationArgs& args, std::string& error);
// An extra refusal rule checked when the control is used: the text of the
// refusal message box, or nullptr when the operation may start.
using RefusalRule = const char* (*)(Station& station);
// A start step that replaces the plain start of the worker (for operations that
// ask for a file first, or open a window instead of running a worker). `args`
// is nullptr when the operator is to be asked through the dialogs.
using StartStep = StartResult (*)(Station& station, const OperationRow& row, const OperationArgs* args);

// One operation of the station: its control, its worker and the rules of its
// handler, and its word on the command line. Adding an operation is its own file
// plus one row of the table.
struct OperationRow {
  ControlKind control = ControlKind::Button;
  Button button = Button::Exit;         // the button (focus index) for ControlKind::Button
  OperationFn worker = nullptr;         // runs on the worker thread
  bool serialOnly = true;               // refused while the Ethernet switch is on
  bool clearsAbortOnPress = true;       // the handler clears the abort flag before starting
  bool clearsParamsRequest = false;     // the handler clears the parameters request flag
  RefusalRule refusal = nullptr;
  StartStep start = nullptr;            // nullptr: start `worker` at once
  const char* cliWord = nullptr;        // e.g. "download"; nullptr: not on the command line
  ArgumentParser parseArgument = nullptr;  // nullptr: the word stands alone
  const char* cliSyntax = nullptr;      // the word as --help shows it, e.g. "port=COM1|COM2|NONE"
  const char* cliHelp = nullptr;        // one line for --help
};

// Every operation, in the order --help lists them.
std::span<const OperationRow> OperationTable();

// The row of a button, or nullptr when the button starts nothing.
const OperationRow* FindOperationRow(Button button);

// The row whose command-line word `word` names ("sdram", "port=COM1",
// "write=image.rzi": the word itself, or the word followed by '=' or ':'), or
// nullptr.
const OperationRow* FindOperationRow(std::string_view word);

// Checks a command-line word and parses its argument.
bool ParseOperationWord(std::string_view word, const OperationRow*& row, OperationArgs& args,
                        std::string& error);

// The file a transfer word (write=, read=) names, as a use for the check of
// the run's files; a use with an empty path for any other operation.
FileUse TransferFileUse(const OperationRow& row, const OperationArgs& args);

// The operations section of --help, derived from the table.
std::string OperationHelpText();

// Uses the control of `row` as the window's handler would: the checks and
// refusals of the row, then the start step or the worker. With `args` given the
// operator is not asked (selector entries, files, counts come from `args`).
StartResult StartOperation(Station& station, const OperationRow& row, const OperationArgs* args);

// The plain start of a row's worker, for start steps that have done their part.
StartResult StartWorker(Station& station, OperationFn worker);
// The same for work bound to what a start step prepared (a transfer's file).
StartResult StartWork(Station& station, std::function<Outcome()> work);

}  // namespace rz
